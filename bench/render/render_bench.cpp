// render-bench: what one fade step and the payload load cost, printed as figures.
//
//   render-bench [ITERATIONS]
//
// For an 800 x 600 8-bit slide and a 320 x 200 24-bit logo: one fade step (DibDraw, that is
// DibToBitmap and the stretch into a window) at intensities 256 and 128, next to the floor of
// any draw, the stretch of a bitmap converted beforehand to the same place. Then the slideshow
// window's WM_CREATE over a payload like the shipped one (a logo and eleven slides) against a
// plain read of the same file. Times are wall-clock, with warm file caches.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <vector>

#include "dib.h"
#include "engine.h"
#include "payload.h"
#include "render.h"
#include "slideshow.h"

static double Now()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart * 1e6 / (double)frequency.QuadPart;
}

struct Figures {
    double median, minimum; // microseconds
};

template <typename F> static Figures Measure(int iterations, F step)
{
    std::vector<double> times;
    step(); // warm up
    for (int i = 0; i < iterations; i++) {
        double start = Now();
        step();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return Figures{times[times.size() / 2], times.front()};
}

// A Dib with a varied picture: an 8-bit one with a full table, or a 24-bit one.
static void MakePicture(Blob *blob, int bits, int width, int height)
{
    uint32_t colours = bits == 8 ? 256 : 0;
    uint32_t stride = ((uint32_t)width * bits + 31) / 32 * 4;
    uint32_t size = 40 + 4 * colours + stride * height;
    BlobAllocate(blob, BlobKind::Dib, size);
    BITMAPINFOHEADER *header = (BITMAPINFOHEADER *)blob->data;
    header->biSize = 40;
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = (WORD)bits;
    header->biSizeImage = stride * height;
    header->biClrUsed = colours;
    unsigned char *p = blob->data + 40;
    for (uint32_t i = 0; i < colours; i++, p += 4) {
        p[0] = (unsigned char)(i * 7);
        p[1] = (unsigned char)(255 - i);
        p[2] = (unsigned char)i;
    }
    for (int y = 0; y < height; y++)
        for (uint32_t x = 0; x < stride; x++)
            p[y * stride + x] = (unsigned char)((x * 3 + y * 5) ^ (x >> 3));
}

static void BenchPicture(HDC dc, const char *name, const Blob *picture, int mode, int iterations)
{
    int w = DibWidth(picture), h = DibHeight(picture);
    Figures full =
        Measure(iterations, [&] { DibDraw(picture, dc, 0, 0, w - 1, h - 1, 256, mode); });
    Figures half =
        Measure(iterations, [&] { DibDraw(picture, dc, 0, 0, w - 1, h - 1, 128, mode); });
    Figures convert =
        Measure(iterations, [&] { DeleteObject(DibToBitmap(picture, dc, 128, mode)); });

    HBITMAP ready = DibToBitmap(picture, dc, 128, mode);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, ready);
    SetStretchBltMode(dc, COLORONCOLOR);
    Figures blit =
        Measure(iterations, [&] { StretchBlt(dc, 0, 0, w, h, memory, 0, 0, w, h, SRCCOPY); });
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(ready);

    printf("%s (%d x %d, %d-bit), median / minimum in microseconds:\n", name, w, h,
           picture->data[14]);
    printf("  fade step at 256 (DibDraw)      %9.0f %9.0f   %5.1f x floor\n", full.median,
           full.minimum, full.median / blit.median);
    printf("  fade step at 128 (DibDraw)      %9.0f %9.0f   %5.1f x floor\n", half.median,
           half.minimum, half.median / blit.median);
    printf("    of which DibToBitmap at 128   %9.0f %9.0f\n", convert.median, convert.minimum);
    printf("  floor: stretch of a converted   %9.0f %9.0f\n", blit.median, blit.minimum);
}

static int WritePayload(const char *path, const Blob *logoPicture, const Blob *slide, int count)
{
    Blob image;
    BlobInit(&image);
    BlobAllocate(&image, BlobKind::Executable, 49152);
    memcpy(image.data + STUB_MESSAGE_OFFSET, LONG_STUB_MESSAGE, LONG_STUB_LENGTH);
    Blob options;
    BlobInit(&options);
    BlobSetText(&options, "DV");
    Blob end;
    BlobInit(&end);
    FILE *out = fopen(path, "wb");
    if (!out)
        return 0;
    int ok = PayloadWriteExecutable(&image, out) && PayloadWriteRecord(&options, out) &&
             PayloadWriteRecord(logoPicture, out);
    for (int i = 0; ok && i < count; i++)
        ok = PayloadWriteRecord(slide, out);
    ok = ok && PayloadWriteRecord(&end, out);
    fclose(out);
    BlobFree(&image);
    BlobFree(&options);
    return ok;
}

static void DrainQuit()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        ;
}

static void BenchLoad(HWND window, const Blob *logoPicture, const Blob *slide, int iterations)
{
    char directory[MAX_PATH], path[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    snprintf(path, sizeof path, "%srender-bench-payload.scr", directory);
    if (!WritePayload(path, logoPicture, slide, 11)) {
        printf("cannot write %s\n", path);
        return;
    }
    SlideshowPayloadPath = path;
    fullScreen = 0;
    int loaded = 0;
    // The window procedure's own WM_CREATE and WM_DESTROY, called on a stand-in window.
    Figures create = Measure(iterations, [&] {
        SlideshowWndProc(window, WM_CREATE, 0, 0);
        loaded = Slideshow.fade.slideCount;
        SlideshowWndProc(window, WM_DESTROY, 0, 0);
        DrainQuit();
    });
    long fileSize = 0;
    std::vector<unsigned char> kept;
    // The whole file with one read, into a fresh buffer (as the window allocates its pictures
    // afresh) or into one kept from the previous round (no page faults).
    auto plainRead = [&](int fresh) {
        FILE *in = fopen(path, "rb");
        fseek(in, 0, SEEK_END);
        fileSize = ftell(in);
        fseek(in, 0, SEEK_SET);
        unsigned char *buffer = (unsigned char *)malloc((size_t)fileSize);
        if (!fresh) {
            kept.resize((size_t)fileSize);
            free(buffer);
            buffer = kept.data();
        }
        if (fread(buffer, 1, (size_t)fileSize, in) != (size_t)fileSize)
            printf("short read\n");
        if (fresh)
            free(buffer);
        fclose(in);
    };
    Figures fresh = Measure(iterations, [&] { plainRead(1); });
    Figures reused = Measure(iterations, [&] { plainRead(0); });
    printf("payload load (%ld bytes, %d slides), median / minimum in microseconds:\n", fileSize,
           loaded);
    printf("  WM_CREATE and WM_DESTROY        %9.0f %9.0f\n", create.median, create.minimum);
    printf("  plain read, fresh buffer        %9.0f %9.0f   WM_CREATE %5.2f x this\n", fresh.median,
           fresh.minimum, create.median / fresh.median);
    printf("  plain read, reused buffer       %9.0f %9.0f   WM_CREATE %5.2f x this\n",
           reused.median, reused.minimum, create.median / reused.median);
    SlideshowRelease();
    DeleteFileA(path);
}

int main(int argc, char **argv)
{
    int iterations = argc > 1 ? atoi(argv[1]) : 40;
    if (iterations < 1)
        iterations = 1;
    int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, screenW, screenH,
                                  nullptr, nullptr, nullptr, nullptr);
    HDC dc = GetDC(window);
    printf("display %d x %d, %d bits per pixel, palette device: %s; %d iterations\n", screenW,
           screenH, GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES),
           (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) ? "yes" : "no", iterations);

    Blob slide, logoPicture;
    BlobInit(&slide);
    BlobInit(&logoPicture);
    MakePicture(&slide, 8, 800, 600);
    MakePicture(&logoPicture, 24, 320, 200);
    // The slideshow draws slides full-screen with their own palette and the logo with the
    // default one.
    BenchPicture(dc, "slide", &slide, PALETTE_OWN, iterations);
    BenchPicture(dc, "logo", &logoPicture, PALETTE_DEFAULT, iterations);
    ReleaseDC(window, dc);
    BenchLoad(window, &logoPicture, &slide, iterations < 10 ? iterations : 10);

    DestroyWindow(window);
    BlobFree(&slide);
    BlobFree(&logoPicture);
    return 0;
}
