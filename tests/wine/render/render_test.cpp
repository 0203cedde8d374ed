// DibDraw on a true-colour device: pixels at full, half and zero intensity, the destination
// rectangle, row order, and pictures that must draw nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include "dib.h"
#include "render.h"
#include "test_dibs.h"

namespace
{

const Rgb WHITE = {255, 255, 255};
const Rgb BLACK = {0, 0, 0};

// A 32-bit top-down memory surface whose pixels the test reads directly.
struct Surface {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    uint32_t *pixels;
    int width, height;
};

Surface SurfaceCreate(int width, int height)
{
    Surface s;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    s.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    s.pixels = (uint32_t *)bits;
    s.dc = CreateCompatibleDC(nullptr);
    s.previous = SelectObject(s.dc, s.bitmap);
    s.width = width;
    s.height = height;
    for (int i = 0; i < width * height; i++)
        s.pixels[i] = 0xFFFFFF;
    return s;
}

void SurfaceFree(Surface *s)
{
    SelectObject(s->dc, s->previous);
    DeleteDC(s->dc);
    DeleteObject(s->bitmap);
}

Rgb Pixel(const Surface &s, int x, int y)
{
    uint32_t v = s.pixels[y * s.width + x];
    return Rgb{(unsigned char)(v >> 16), (unsigned char)(v >> 8), (unsigned char)v};
}

int CountNotWhite(const Surface &s)
{
    int n = 0;
    for (int i = 0; i < s.width * s.height; i++)
        n += (s.pixels[i] & 0xFFFFFF) != 0xFFFFFF;
    return n;
}

::testing::AssertionResult SameColour(Rgb want, Rgb got)
{
    if (want == got)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "want (" << +want.r << ", " << +want.g << ", " << +want.b << ") got (" << +got.r
           << ", " << +got.g << ", " << +got.b << ")";
}

class RenderTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        PaletteReplace(nullptr);
        BlobInit(&picture);
    }
    void TearDown() override { BlobFree(&picture); }
    Blob picture;
};

TEST_F(RenderTest, ColoursAtIntensity)
{
    struct Row {
        const char *name;
        int bits;
        int intensity;
        Rgb expected;
    };
    static const Row rows[] = {
        {"8-bit-full", 8, 256, {255, 200, 1}},
        {"8-bit-half", 8, 128, {127, 100, 0}},
        {"8-bit-zero", 8, 0, BLACK},
        {"8-bit-255", 8, 255, {254, 199, 0}},
        {"24-bit-full", 24, 256, {255, 200, 1}},
        {"24-bit-half", 24, 128, {127, 100, 0}},
        {"24-bit-zero", 24, 0, BLACK},
        {"4-bit-half", 4, 128, {127, 100, 0}},
        {"1-bit-half", 1, 128, {127, 100, 0}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        // Odd width, so 24-bit rows carry fill bytes that the scaling must skip.
        MakeDib(&picture, SolidPicture(row.bits, 5, 3, {255, 200, 1}));
        Surface s = SurfaceCreate(8, 6);
        for (int mode = PALETTE_NONE; mode <= PALETTE_OWN; mode++) {
            DibDraw(&picture, s.dc, 1, 1, 4, 2, row.intensity, mode);
            EXPECT_TRUE(SameColour(row.expected, Pixel(s, 1, 1))) << "mode " << mode;
            EXPECT_TRUE(SameColour(row.expected, Pixel(s, 5, 3))) << "mode " << mode;
            EXPECT_TRUE(SameColour(WHITE, Pixel(s, 6, 4))) << "mode " << mode;
        }
        // A true-colour device has no palette to manage, whatever the mode.
        EXPECT_EQ(nullptr, CurrentPalette);
        SurfaceFree(&s);
    }
}

TEST_F(RenderTest, BelowFullIntensityTheBlobIsUntouched)
{
    MakeDib(&picture, SolidPicture(24, 3, 2, {255, 200, 1}));
    Blob before;
    BlobCopy(&before, &picture);
    Surface s = SurfaceCreate(4, 3);
    DibDraw(&picture, s.dc, 0, 0, 2, 1, 100, PALETTE_OWN);
    EXPECT_EQ(0, memcmp(before.data, picture.data, picture.size));
    MakeDib(&picture, SolidPicture(8, 3, 2, {255, 200, 1}));
    BlobAssign(&before, &picture);
    DibDraw(&picture, s.dc, 0, 0, 2, 1, 100, PALETTE_OWN);
    EXPECT_EQ(0, memcmp(before.data, picture.data, picture.size));
    BlobFree(&before);
    SurfaceFree(&s);
}

TEST_F(RenderTest, DestinationIsOneLargerThanExtents)
{
    // w and h are the distance from the first to the last pixel.
    MakeDib(&picture, SolidPicture(24, 2, 2, {255, 0, 0}));
    Surface s = SurfaceCreate(200, 100);
    DibDraw(&picture, s.dc, 10, 5, 99, 49, 256, PALETTE_NONE);
    EXPECT_EQ(100 * 50, CountNotWhite(s));
    EXPECT_TRUE(SameColour({255, 0, 0}, Pixel(s, 10, 5)));
    EXPECT_TRUE(SameColour({255, 0, 0}, Pixel(s, 109, 54)));
    EXPECT_TRUE(SameColour(WHITE, Pixel(s, 110, 54)));
    EXPECT_TRUE(SameColour(WHITE, Pixel(s, 109, 55)));

    // Intensity 0 fills the same rectangle with black.
    DibDraw(&picture, s.dc, 150, 0, 0, 0, 0, PALETTE_NONE);
    EXPECT_EQ(100 * 50 + 1, CountNotWhite(s));
    EXPECT_TRUE(SameColour(BLACK, Pixel(s, 150, 0)));
    SurfaceFree(&s);
}

TEST_F(RenderTest, RowOrderFollowsTheHeightSign)
{
    // Stored row 0 is red, row 1 blue: the bottom row of a bottom-up picture, the top row of a
    // top-down one. Below full intensity every row of the top-down picture is scaled.
    for (int bits : {8, 24}) {
        for (int topDown : {0, 1}) {
            SCOPED_TRACE(testing::Message() << bits << "-bit topDown " << topDown);
            DibPicture p = SolidPicture(bits, 3, topDown ? -2 : 2, {255, 0, 0});
            p.table.push_back({0, 0, 255});
            p.rowIndex = {0, 1};
            MakeDib(&picture, p);
            EXPECT_EQ(2, DibHeight(&picture));
            Surface s = SurfaceCreate(3, 2);
            DibDraw(&picture, s.dc, 0, 0, 2, 1, 128, PALETTE_NONE);
            Rgb red = {127, 0, 0}, blue = {0, 0, 127};
            EXPECT_TRUE(SameColour(topDown ? red : blue, Pixel(s, 0, 0)));
            EXPECT_TRUE(SameColour(topDown ? blue : red, Pixel(s, 2, 1)));
            SurfaceFree(&s);
        }
    }
}

TEST_F(RenderTest, RefusedPicturesDrawNothingAndReadNothingPastTheData)
{
    // Each picture sits at the end of its memory, right before an inaccessible page. Header
    // fields that promise more than the data holds are patched in after the picture is built.
    struct Row {
        const char *name;
        int bits;
        void (*build)(DibPicture *picture);
        void (*patch)(BITMAPINFOHEADER *header);
        int intensity;
        BlobKind kind;
    };
    static const Row rows[] = {
        {"text-blob", 8, nullptr, nullptr, 256, BlobKind::Text},
        {"intensity-257", 8, nullptr, nullptr, 257, BlobKind::Dib},
        {"intensity-minus-1", 24, nullptr, nullptr, -1, BlobKind::Dib},
        {"16-bit", 24, [](DibPicture *p) { p->bits = 16; }, nullptr, 256, BlobKind::Dib},
        {"32-bit", 24, [](DibPicture *p) { p->bits = 32; }, nullptr, 128, BlobKind::Dib},
        {"8-bit-last-row-short", 8, [](DibPicture *p) { p->cutBytes = 1; }, nullptr, 256,
         BlobKind::Dib},
        {"24-bit-last-row-short", 24, [](DibPicture *p) { p->cutBytes = 1; }, nullptr, 128,
         BlobKind::Dib},
        {"table-shorter-than-clr-used", 8,
         [](DibPicture *p) {
             p->clrUsed = 200;
             p->tableEntries = 100;
         },
         nullptr, 128, BlobKind::Dib},
        {"table-shorter-than-bit-count", 8, [](DibPicture *p) { p->tableEntries = 2; }, nullptr,
         256, BlobKind::Dib},
        {"header-only", 8, [](DibPicture *p) { p->cutBytes = 1024 + 16 * 8; }, nullptr, 256,
         BlobKind::Dib},
        {"core-header", 24, [](DibPicture *p) { p->headerSize = 12; }, nullptr, 256, BlobKind::Dib},
        {"run-length-compressed", 8, [](DibPicture *p) { p->compression = BI_RLE8; }, nullptr, 256,
         BlobKind::Dib},
        {"zero-width", 8, [](DibPicture *p) { p->width = 0; }, nullptr, 256, BlobKind::Dib},
        {"zero-height", 8, [](DibPicture *p) { p->height = 0; }, nullptr, 256, BlobKind::Dib},
        {"header-size-past-data", 24, nullptr, [](BITMAPINFOHEADER *h) { h->biSize = 0x7FFFFFF0; },
         256, BlobKind::Dib},
        {"height-beyond-rows", 8, nullptr, [](BITMAPINFOHEADER *h) { h->biHeight = 0x40000000; },
         256, BlobKind::Dib},
        {"width-beyond-rows", 24, nullptr, [](BITMAPINFOHEADER *h) { h->biWidth = 0x10000000; },
         128, BlobKind::Dib},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DibPicture p = SolidPicture(row.bits, 16, 8, {255, 0, 0});
        if (row.build)
            row.build(&p);
        MakeDib(&picture, p);
        if (row.patch)
            row.patch((BITMAPINFOHEADER *)picture.data);
        picture.kind = row.kind;
        GuardedBlob guarded = GuardedCopy(&picture);
        Surface s = SurfaceCreate(20, 10);
        HPALETTE sentinel = CreateColorCubePalette();
        PaletteReplace(sentinel);
        for (int mode = PALETTE_NONE; mode <= PALETTE_OWN; mode++) {
            EXPECT_EQ(nullptr, DibToBitmap(&guarded.blob, s.dc, row.intensity, mode));
            DibDraw(&guarded.blob, s.dc, 0, 0, 15, 7, row.intensity, mode);
        }
        EXPECT_EQ(0, CountNotWhite(s));
        EXPECT_EQ(sentinel, CurrentPalette);
        SurfaceFree(&s);
        GuardedFree(&guarded);
    }
}

TEST_F(RenderTest, TrueColourPictureWithColourCountDrawsFromItsOwnBytes)
{
    // A 24-bit picture has no colour table, yet Windows' GDI takes biClrUsed entries behind
    // the header of any picture, which here would lie past the data. The draw hands GDI a
    // header that claims none; the picture still draws from its own bytes and the blob keeps
    // its header. (Wine's GDI ignores such a table, so only the drawing shows here.)
    DibPicture p = SolidPicture(24, 1, 1, {10, 200, 30});
    p.clrUsed = 256;
    MakeDib(&picture, p);
    ASSERT_EQ(44u, picture.size);
    GuardedBlob guarded = GuardedCopy(&picture);
    Surface s = SurfaceCreate(2, 2);
    DibDraw(&guarded.blob, s.dc, 0, 0, 0, 0, 256, PALETTE_NONE);
    EXPECT_TRUE(SameColour({10, 200, 30}, Pixel(s, 0, 0)));
    DibDraw(&guarded.blob, s.dc, 1, 1, 0, 0, 128, PALETTE_NONE);
    EXPECT_TRUE(SameColour({5, 100, 15}, Pixel(s, 1, 1)));
    EXPECT_EQ(256u, ((BITMAPINFOHEADER *)guarded.blob.data)->biClrUsed);
    SurfaceFree(&s);
    GuardedFree(&guarded);
}

TEST_F(RenderTest, PaletteMessagesWithoutAPaletteDoNothing)
{
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    ValidateRect(window, nullptr);
    EXPECT_EQ(0, PaletteOnQueryNew(window));
    RECT update;
    EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));
    DestroyWindow(window);
}

} // namespace
