// Decoding dispatch by format, and the size check and alpha composition every decoder shares.
#include "photo_internal.h"

int PhotoCheckDimensions(long long width, long long height, std::string *error)
{
    if (width < 1 || height < 1) {
        *error = "picture has no pixels (" + std::to_string(width) + " x " +
                 std::to_string(height) + ")";
        return 0;
    }
    // Each side is bounded first so that the product cannot overflow.
    if (width > PHOTO_MAX_PIXELS || height > PHOTO_MAX_PIXELS ||
        width * height > PHOTO_MAX_PIXELS) {
        *error = "picture is " + std::to_string(width) + " x " + std::to_string(height) +
                 ", more than the limit of " + std::to_string(PHOTO_MAX_PIXELS / 1000000) +
                 " megapixels";
        return 0;
    }
    return 1;
}

void PhotoImageAllocate(PhotoImage *image, int width, int height)
{
    image->width = width;
    image->height = height;
    image->rgb.assign((size_t)width * height * 3, 0);
}

void PhotoComposeRow(const unsigned char *rgba, int count, int premultiplied, unsigned char *rgb)
{
    for (int i = 0; i < count; i++) {
        const unsigned char *p = rgba + 4 * i;
        unsigned char *q = rgb + 3 * i;
        unsigned alpha = p[3];
        if (premultiplied || alpha == 255) {
            q[0] = p[0];
            q[1] = p[1];
            q[2] = p[2];
        } else {
            // Over black the result is colour x alpha, rounded to nearest.
            q[0] = (unsigned char)((p[0] * alpha + 127) / 255);
            q[1] = (unsigned char)((p[1] * alpha + 127) / 255);
            q[2] = (unsigned char)((p[2] * alpha + 127) / 255);
        }
    }
}

int PhotoDecode(const unsigned char *data, size_t size, const PhotoOptions *options,
                PhotoImage *image, PhotoInfo *info, std::string *error)
{
    image->width = 0;
    image->height = 0;
    image->rgb.clear();
    info->format = PhotoDetectFormat(data, size);
    info->sourceWidth = 0;
    info->sourceHeight = 0;
    info->orientation = 1;
    int ok = 0;
    switch (info->format) {
    case PHOTO_FORMAT_JPEG:
        ok = PhotoDecodeJpeg(data, size, options, image, info, error);
        break;
    case PHOTO_FORMAT_PNG:
        ok = PhotoDecodePng(data, size, image, info, error);
        break;
    case PHOTO_FORMAT_WEBP:
        ok = PhotoDecodeWebp(data, size, image, info, error);
        break;
    case PHOTO_FORMAT_HEIF:
        // libheif and libde265 abort on some damaged files; in a child process that ends
        // only the child.
        ok = PhotoDecodeInChild(PhotoDecodeHeif, "HEIF", data, size, image, info, error);
        break;
    case PHOTO_FORMAT_GIF:
        ok = PhotoDecodeGif(data, size, image, info, error);
        break;
    case PHOTO_FORMAT_BMP:
        ok = PhotoDecodeBmp(data, size, image, info, error);
        break;
    default:
        *error = "not a picture format this tool reads (JPEG, PNG, WebP, HEIF, GIF, BMP)";
        break;
    }
    if (!ok) {
        image->width = 0;
        image->height = 0;
        image->rgb.clear();
    }
    return ok;
}
