// Fuzz target: one picture decoder (chosen when built) over any bytes. A decode gives a whole
// picture, or a reason and no picture.
#include <stdlib.h>
#include "photo_internal.h"

static int Decode(const uint8_t *data, size_t size, PhotoImage *image, PhotoInfo *info,
                  std::string *error)
{
#if defined(FUZZ_FORMAT_JPEG)
    // With options the decoder also picks a reduced DCT scale for the box.
    PhotoOptions options;
    PhotoOptionsInit(&options);
    return PhotoDecodeJpeg(data, size, size % 2 ? &options : nullptr, image, info, error);
#elif defined(FUZZ_FORMAT_PNG)
    return PhotoDecodePng(data, size, image, info, error);
#elif defined(FUZZ_FORMAT_WEBP)
    return PhotoDecodeWebp(data, size, image, info, error);
#elif defined(FUZZ_FORMAT_HEIF)
    // In process, not in the child glimmer-pack uses: the fuzzer sees the coverage, and an
    // abort inside libheif stops it with the input.
    return PhotoDecodeHeif(data, size, image, info, error);
#elif defined(FUZZ_FORMAT_GIF)
    return PhotoDecodeGif(data, size, image, info, error);
#endif
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    PhotoImage image = {};
    PhotoInfo info = {};
    info.orientation = 1;
    std::string error;
    if (Decode(data, size, &image, &info, &error)) {
        if (image.width < 1 || image.height < 1 ||
            image.rgb.size() != (size_t)image.width * image.height * 3)
            abort();
    } else if (error.empty()) {
        abort();
    }
    return 0;
}
