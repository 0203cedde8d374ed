// The current palette on a 256-colour display: the shared colour cube, pictures' own
// palettes at an intensity, the default palette, and the palette messages.
#include <gtest/gtest.h>
#include <windows.h>

#include "dib.h"
#include "render.h"
#include "test_dibs.h"

namespace
{

class PaletteTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        PaletteReplace(nullptr);
        BlobInit(&picture);
        window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, window);
        dc = GetDC(window);
        ASSERT_TRUE(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) << "needs the 8-bit display";
    }
    void TearDown() override
    {
        ReleaseDC(window, dc);
        DestroyWindow(window);
        BlobFree(&picture);
        PaletteReplace(nullptr);
    }

    int Entries(HPALETTE palette, PALETTEENTRY *entries)
    {
        return (int)GetPaletteEntries(palette, 0, 256, entries);
    }

    Blob picture;
    HWND window = nullptr;
    HDC dc = nullptr;
};

bool Deleted(HPALETTE palette)
{
    return GetObjectType(palette) == 0;
}

TEST_F(PaletteTest, SharedCubeIsMadeOnceAndReplacedByAPicturePalette)
{
    MakeDib(&picture, SolidPicture(8, 8, 4, {255, 200, 1}));
    DibDraw(&picture, dc, 0, 0, 7, 3, 256, PALETTE_COLOR_CUBE);
    HPALETTE cube = CurrentPalette;
    ASSERT_NE(nullptr, cube);
    EXPECT_TRUE(CurrentPaletteIsSharedCube);

    DibDraw(&picture, dc, 0, 0, 7, 3, 128, PALETTE_COLOR_CUBE);
    EXPECT_EQ(cube, CurrentPalette);
    EXPECT_FALSE(Deleted(cube));

    PALETTEENTRY entries[256];
    ASSERT_EQ(COLOR_CUBE_ENTRIES, Entries(cube, entries));
    EXPECT_EQ(51, entries[1].peRed);
    EXPECT_EQ(255, entries[5].peRed);
    EXPECT_EQ(51, entries[6].peGreen);
    EXPECT_EQ(PC_NOCOLLAPSE, entries[6].peFlags);
    EXPECT_EQ(255, entries[215].peBlue);

    // The picture's own palette at half intensity takes over and the cube goes.
    DibDraw(&picture, dc, 0, 0, 7, 3, 128, PALETTE_OWN);
    HPALETTE own = CurrentPalette;
    ASSERT_NE(nullptr, own);
    EXPECT_FALSE(CurrentPaletteIsSharedCube);
    EXPECT_TRUE(Deleted(cube));
    ASSERT_EQ(256, Entries(own, entries));
    EXPECT_EQ(127, entries[0].peRed);
    EXPECT_EQ(100, entries[0].peGreen);
    EXPECT_EQ(0, entries[0].peBlue);

    // The next cube draw has to make the cube again.
    DibDraw(&picture, dc, 0, 0, 7, 3, 256, PALETTE_COLOR_CUBE);
    EXPECT_TRUE(CurrentPaletteIsSharedCube);
    EXPECT_TRUE(Deleted(own));
    EXPECT_FALSE(Deleted(CurrentPalette));
}

TEST_F(PaletteTest, PicturePalettes)
{
    struct Row {
        const char *name;
        int bits;
        uint32_t clrUsed;
        int intensity;
        int entries;
        Rgb first;
    };
    static const Row rows[] = {
        {"8-bit-at-zero-all-black", 8, 0, 0, 256, {0, 0, 0}},
        {"8-bit-full", 8, 0, 256, 256, {255, 200, 1}},
        {"4-bit", 4, 0, 128, 16, {127, 100, 0}},
        {"1-bit-two-entries", 1, 0, 256, 2, {255, 200, 1}},
        {"clr-used-10", 8, 10, 256, 10, {255, 200, 1}},
        {"clr-used-300-capped", 8, 300, 256, 256, {255, 200, 1}},
        {"24-bit-cube", 24, 0, 128, COLOR_CUBE_ENTRIES, {0, 0, 0}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DibPicture p = SolidPicture(row.bits, 8, 4, {255, 200, 1});
        p.clrUsed = row.clrUsed;
        MakeDib(&picture, p);
        HPALETTE before = CurrentPalette;
        DibDraw(&picture, dc, 0, 0, 7, 3, row.intensity, PALETTE_OWN);
        ASSERT_NE(nullptr, CurrentPalette);
        EXPECT_NE(before, CurrentPalette);
        EXPECT_TRUE(before == nullptr || Deleted(before));
        EXPECT_FALSE(CurrentPaletteIsSharedCube);
        PALETTEENTRY entries[256];
        ASSERT_EQ(row.entries, Entries(CurrentPalette, entries));
        EXPECT_EQ(row.first.r, entries[0].peRed);
        EXPECT_EQ(row.first.g, entries[0].peGreen);
        EXPECT_EQ(row.first.b, entries[0].peBlue);
        if (row.intensity == 0) {
            for (int i = 0; i < row.entries; i++)
                EXPECT_EQ(0, entries[i].peRed | entries[i].peGreen | entries[i].peBlue);
        }
    }
}

TEST_F(PaletteTest, RefusedDrawsLeaveThePaletteAlone)
{
    MakeDib(&picture, SolidPicture(8, 8, 4, {255, 0, 0}));
    DibDraw(&picture, dc, 0, 0, 7, 3, 256, PALETTE_OWN);
    HPALETTE current = CurrentPalette;
    for (int intensity : {257, -1}) {
        for (int mode = PALETTE_NONE; mode <= PALETTE_OWN; mode++)
            DibDraw(&picture, dc, 0, 0, 7, 3, intensity, mode);
    }
    MakeDib(&picture, SolidPicture(16, 8, 4, {255, 0, 0}));
    DibDraw(&picture, dc, 0, 0, 7, 3, 256, PALETTE_COLOR_CUBE);
    EXPECT_EQ(current, CurrentPalette);
    EXPECT_FALSE(Deleted(current));
}

TEST_F(PaletteTest, DefaultModeSelectsTheStockPaletteOnly)
{
    MakeDib(&picture, SolidPicture(24, 8, 4, {0, 0, 255}));
    DibDraw(&picture, dc, 0, 0, 7, 3, 256, PALETTE_OWN);
    HPALETTE current = CurrentPalette;
    DibDraw(&picture, dc, 0, 0, 7, 3, 256, PALETTE_DEFAULT);
    EXPECT_EQ(GetStockObject(DEFAULT_PALETTE), GetCurrentObject(dc, OBJ_PAL));
    EXPECT_EQ(current, CurrentPalette);
}

TEST_F(PaletteTest, PureColoursReachTheScreen)
{
    struct Row {
        const char *name;
        int bits;
        int mode;
        int intensity;
        COLORREF expected;
    };
    static const Row rows[] = {
        {"8-bit-own", 8, PALETTE_OWN, 256, RGB(255, 0, 0)},
        {"8-bit-cube", 8, PALETTE_COLOR_CUBE, 256, RGB(255, 0, 0)},
        {"24-bit-own", 24, PALETTE_OWN, 256, RGB(255, 0, 0)},
        {"8-bit-own-black", 8, PALETTE_OWN, 0, RGB(0, 0, 0)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        MakeDib(&picture, SolidPicture(row.bits, 8, 4, {255, 0, 0}));
        DibDraw(&picture, dc, 2, 2, 7, 3, row.intensity, row.mode);
        EXPECT_EQ(row.expected, GetPixel(dc, 5, 4));
    }
}

// Whatever a draw or a palette message selects into a context is selected out again before it
// returns, so no palette stays selected where the next draw deletes it.
TEST_F(PaletteTest, PalettesAreHandedBack)
{
    const HGDIOBJ stock = GetStockObject(DEFAULT_PALETTE);
    for (int bits : {8, 24}) {
        MakeDib(&picture, SolidPicture(bits, 8, 4, {255, 0, 0}));
        for (int mode = PALETTE_NONE; mode <= PALETTE_OWN; mode++) {
            for (int intensity : {0, 128, 256}) {
                SCOPED_TRACE(testing::Message()
                             << bits << " bits, mode " << mode << ", intensity " << intensity);
                DibDraw(&picture, dc, 0, 0, 7, 3, intensity, mode);
                EXPECT_EQ(stock, GetCurrentObject(dc, OBJ_PAL));
            }
        }
    }

    // The palette messages, on a window whose context keeps what is selected into it.
    WNDCLASSA ownClass = {};
    ownClass.style = CS_OWNDC;
    ownClass.lpfnWndProc = DefWindowProcA;
    ownClass.hInstance = GetModuleHandleA(nullptr);
    ownClass.lpszClassName = "PaletteOwnDc";
    RegisterClassA(&ownClass);
    HWND own = CreateWindowExA(0, "PaletteOwnDc", "", WS_POPUP | WS_VISIBLE, 0, 0, 32, 32, nullptr,
                               nullptr, ownClass.hInstance, nullptr);
    ASSERT_NE(nullptr, own);
    ASSERT_NE(nullptr, CurrentPalette);
    EXPECT_EQ(1, PaletteOnQueryNew(own));
    HDC ownDc = GetDC(own);
    EXPECT_EQ(stock, GetCurrentObject(ownDc, OBJ_PAL));
    ReleaseDC(own, ownDc);
    PaletteOnChanged(own, GetDesktopWindow());
    ownDc = GetDC(own);
    EXPECT_EQ(stock, GetCurrentObject(ownDc, OBJ_PAL));
    ReleaseDC(own, ownDc);
    DestroyWindow(own);
}

TEST_F(PaletteTest, PaletteMessages)
{
    MakeDib(&picture, SolidPicture(8, 8, 4, {255, 0, 0}));
    DibDraw(&picture, dc, 0, 0, 7, 3, 256, PALETTE_OWN);
    ValidateRect(window, nullptr);
    EXPECT_EQ(1, PaletteOnQueryNew(window));
    RECT update;
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_EQ(64, update.right);
    // A palette change by the window itself, or by another one, keeps the current palette.
    PaletteOnChanged(window, window);
    PaletteOnChanged(window, GetDesktopWindow());
    EXPECT_FALSE(Deleted(CurrentPalette));
}

} // namespace
