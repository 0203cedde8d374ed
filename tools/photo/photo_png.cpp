// PNG decoding with libpng's simplified reader, which converts every colour type and depth.
#include "photo_internal.h"

#include <cstring>

#include <png.h>

int PhotoDecodePng(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                   std::string *error)
{
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, data, size)) {
        *error = std::string("cannot decode PNG: ") + png.message;
        png_image_free(&png);
        return 0;
    }
    info->sourceWidth = (int)png.width;
    info->sourceHeight = (int)png.height;
    if (!PhotoCheckDimensions(png.width, png.height, error)) {
        png_image_free(&png);
        return 0;
    }
    // Straight (not premultiplied) 8-bit sRGB with alpha; composed over black below.
    png.format = PNG_FORMAT_RGBA;
    std::vector<unsigned char> rgba((size_t)png.width * png.height * 4);
    if (!png_image_finish_read(&png, NULL, rgba.data(), 0, NULL)) {
        *error = std::string("cannot decode PNG: ") + png.message;
        png_image_free(&png);
        return 0;
    }
    png_image_free(&png);
    PhotoImageAllocate(image, (int)png.width, (int)png.height);
    PhotoComposeRow(rgba.data(), (int)png.width * (int)png.height, 0, image->rgb.data());
    return 1;
}
