// render-bench: what one fade step and the payload load cost, printed as figures.
//
//   render-bench [ITERATIONS]
//
// For an 800 x 600 8-bit slide and a 320 x 200 24-bit logo: one fade step as the full-screen
// saver takes it (DrawScreenPicture in a full-screen window, with the palette mode the saver
// uses), at intensities 256 and 128, beside the floor of any draw of that picture: one
// StretchDIBits of the same rows with the same colour table, scaled beforehand. Then where the
// rest of a step goes: the scaled copy, the palette, the device bitmap, the memory context and
// the blit, each on its own. Last, the slideshow window's WM_CREATE over a payload like the
// shipped one (a logo and eleven slides) against a plain read of the same file. Times are
// wall-clock medians and minimums, with warm file caches.
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

// The header and colour table (for 24 bits the whole picture) with the colours scaled to the
// intensity, as a fade step scales them; the rows a draw then reads.
static std::vector<unsigned char> ScaledCopy(const Blob *picture, int intensity,
                                             const unsigned char **rows)
{
    DibLayout layout;
    DibParseBlob(picture, &layout);
    int whole = layout.bitCount == 24;
    std::vector<unsigned char> copy(picture->data,
                                    picture->data + (whole ? picture->size : layout.rowsOffset));
    if (intensity < FULL_INTENSITY) {
        if (whole)
            for (int32_t row = 0; row < layout.height; row++)
                ScaleColorTriplets(copy.data() + layout.rowsOffset + row * layout.stride, 3,
                                   layout.width, intensity);
        else
            ScaleColorTriplets(copy.data() + layout.headerSize, 4, (int)layout.colours,
                               intensity);
    }
    *rows = whole ? copy.data() + layout.rowsOffset : picture->data + layout.rowsOffset;
    return copy;
}

static void PrintRow(const char *what, Figures figures, const Figures *floor)
{
    printf("  %-36s %9.0f %9.0f", what, figures.median, figures.minimum);
    if (floor)
        printf("   %5.1f x floor", figures.median / floor->median);
    printf("\n");
}

static void BenchPicture(HWND window, HDC dc, const char *name, const Blob *picture, int slide,
                         int iterations)
{
    int w = DibWidth(picture), h = DibHeight(picture);
    int mode = slide ? PALETTE_OWN : PALETTE_DEFAULT; // as DrawScreenPicture chooses full-screen
    engineFullScreen = 1;
    printf("%s (%d x %d, %d-bit), median / minimum in microseconds:\n", name, w, h,
           picture->data[14]);
    for (int intensity : {FULL_INTENSITY, 128}) {
        const unsigned char *rows = nullptr;
        std::vector<unsigned char> scaled = ScaledCopy(picture, intensity, &rows);
        const BITMAPINFO *info = (const BITMAPINFO *)scaled.data();
        Figures floor = Measure(iterations, [&] {
            StretchDIBits(dc, 0, 0, w, h, 0, 0, w, h, rows, info, DIB_RGB_COLORS, SRCCOPY);
        });
        Figures step = Measure(iterations, [&] {
            DrawScreenPicture(window, dc, picture, 0, 0, intensity, slide);
        });
        char label[64];
        snprintf(label, sizeof label, "fade step at %d", intensity);
        PrintRow(label, step, &floor);
        snprintf(label, sizeof label, "  floor: one StretchDIBits at %d", intensity);
        PrintRow(label, floor, nullptr);
    }

    // The parts of a step at 128, each measured on its own.
    const unsigned char *rows = nullptr;
    std::vector<unsigned char> scaled = ScaledCopy(picture, 128, &rows);
    Figures copy = Measure(iterations, [&] {
        const unsigned char *r;
        std::vector<unsigned char> again = ScaledCopy(picture, 128, &r);
    });
    Figures withPalette =
        Measure(iterations, [&] { DeleteObject(DibToBitmap(picture, dc, 128, mode)); });
    Figures withoutPalette =
        Measure(iterations, [&] { DeleteObject(DibToBitmap(picture, dc, 128, PALETTE_NONE)); });
    Figures device = Measure(iterations, [&] {
        DeleteObject(CreateDIBitmap(dc, (const BITMAPINFOHEADER *)scaled.data(), CBM_INIT, rows,
                                    (const BITMAPINFO *)scaled.data(), DIB_RGB_COLORS));
    });
    HBITMAP ready = DibToBitmap(picture, dc, 128, mode);
    Figures context = Measure(iterations, [&] {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(memory, ready);
        BITMAP size;
        GetObjectA(ready, sizeof size, &size);
        SelectObject(memory, previous);
        DeleteDC(memory);
    });
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, ready);
    SetStretchBltMode(dc, COLORONCOLOR);
    Figures blit = Measure(iterations, [&] { BitBlt(dc, 0, 0, w, h, memory, 0, 0, SRCCOPY); });
    Figures stretch = Measure(
        iterations, [&] { StretchBlt(dc, 0, 0, w + 1, h + 1, memory, 0, 0, w, h, SRCCOPY); });
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(ready);
    printf("  where a step at 128 goes:\n");
    PrintRow("  copy and scale the colours", copy, nullptr);
    PrintRow("  DibToBitmap, palette work included", withPalette, nullptr);
    PrintRow("  DibToBitmap without palette work", withoutPalette, nullptr);
    PrintRow("  of which CreateDIBitmap", device, nullptr);
    PrintRow("  memory context, select, GetObject", context, nullptr);
    PrintRow("  BitBlt of the device bitmap", blit, nullptr);
    PrintRow("  StretchBlt of it, one pixel larger", stretch, nullptr);
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
    engineFullScreen = 0;
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
    BenchPicture(window, dc, "slide", &slide, 1, iterations);
    BenchPicture(window, dc, "logo", &logoPicture, 0, iterations);
    ReleaseDC(window, dc);
    BenchLoad(window, &logoPicture, &slide, iterations < 10 ? iterations : 10);

    DestroyWindow(window);
    BlobFree(&slide);
    BlobFree(&logoPicture);
    return 0;
}
