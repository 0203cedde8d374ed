// Fuzz target: the BMP reader and the Dibs made from what it accepts, which the engine's own
// checks must accept in turn.
#include <stdlib.h>
#include "dib.h"
#include "photo_bmp.h"

// Largest picture whose Dibs are made and checked, in pixels.
static const long long FUZZ_MAX_CONVERTED_PIXELS = 1 << 20;

static void CheckDib(const std::vector<unsigned char> &dib)
{
    DibLayout layout;
    if (!DibParse(dib.data(), (uint32_t)dib.size(), &layout) || layout.headerSize != 40)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    PhotoBitmap bitmap;
    std::string error;
    if (!PhotoBmpRead(data, size, &bitmap, &error)) {
        if (error.empty())
            abort();
        return 0;
    }
    // A few bytes of RLE may declare up to the pixel limit; converting pictures that large
    // only slows the search.
    if ((long long)bitmap.width * bitmap.height > FUZZ_MAX_CONVERTED_PIXELS)
        return 0;
    std::vector<unsigned char> dib;
    if (PhotoBmpIsDrawable(data, size, &bitmap))
        CheckDib(std::vector<unsigned char>(data + 14, data + size));
    if (bitmap.indexed) {
        if (!PhotoBmpWriteIndexedDib(&bitmap, &dib))
            abort();
        CheckDib(dib);
    }
    PhotoImage image;
    PhotoBmpToImage(&bitmap, &image);
    if (!PhotoWriteDib24(&image, &dib))
        abort();
    CheckDib(dib);
    return 0;
}
