// A long run of fade steps in one process, as a saver running for hours makes them. Every draw
// has to give back each GDI object it makes: Wine's table holds 65536 GDI handles, so a draw
// that kept a single one would fill it long before the run ends, and the last draws would paint
// nothing. The speed is printed as a figure; it is no condition of the test.
#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>

#include "dib.h"
#include "render.h"
#include "test_dibs.h"

namespace
{

const int DRAWS = 70000; // more than the handles Wine's GDI table holds
const int SIZE_X = 12, SIZE_Y = 8;

COLORREF DrawAndRead(HWND window, const Blob *picture, int intensity, int mode)
{
    HDC dc = GetDC(window);
    DibDraw(picture, dc, 2, 2, SIZE_X - 1, SIZE_Y - 1, intensity, mode);
    COLORREF pixel = GetPixel(dc, 2 + SIZE_X / 2, 2 + SIZE_Y / 2);
    ReleaseDC(window, dc);
    return pixel;
}

} // namespace

TEST(RenderSoak, SeventyThousandFadeStepsInEveryPaletteModeStillPaint)
{
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 32, 24, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    // An indexed slide and a true-colour logo, both of a pure colour that every display shows
    // exactly.
    Blob pictures[2];
    BlobInit(&pictures[0]);
    BlobInit(&pictures[1]);
    MakeDib(&pictures[0], SolidPicture(8, SIZE_X, SIZE_Y, {255, 0, 0}));
    MakeDib(&pictures[1], SolidPicture(24, SIZE_X, SIZE_Y, {0, 0, 255}));

    DWORD start = GetTickCount();
    for (int i = 0; i < DRAWS; i++) {
        HDC dc = GetDC(window);
        // Every palette mode in turn, with the intensities of a fade in and out.
        int step = i / 4 % 9;
        DibDraw(&pictures[i / 36 % 2], dc, 2, 2, SIZE_X - 1, SIZE_Y - 1, FULL_INTENSITY * step / 8,
                i % 4);
        ReleaseDC(window, dc);
    }
    DWORD elapsed = GetTickCount() - start;
    HDC dc = GetDC(window);
    int bits = dc ? GetDeviceCaps(dc, BITSPIXEL) : 0;
    ReleaseDC(window, dc);
    printf("%d draws in %lu ms: %.0f draws per second on a %d-bit display\n", DRAWS,
           (unsigned long)elapsed, elapsed ? DRAWS * 1000.0 / elapsed : 0.0, bits);

    // The last draws still make their bitmaps and palettes, and paint.
    for (int mode = PALETTE_NONE; mode <= PALETTE_OWN; mode++) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(RGB(255, 0, 0), DrawAndRead(window, &pictures[0], FULL_INTENSITY, mode));
        EXPECT_EQ(RGB(0, 0, 255), DrawAndRead(window, &pictures[1], FULL_INTENSITY, mode));
        EXPECT_EQ(RGB(0, 0, 0), DrawAndRead(window, &pictures[0], 0, mode));
    }
    DestroyWindow(window);
    BlobFree(&pictures[0]);
    BlobFree(&pictures[1]);
    PaletteReplace(nullptr);
}
