// Reading picture files, recognising their format by magic bytes, and the option defaults.
#include "photo_internal.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

void PhotoOptionsInit(PhotoOptions *options)
{
    options->boxWidth = 800;
    options->boxHeight = 600;
    options->upscale = 0;
    options->bits = 8;
    options->bmpBits = 24;
    options->quality = 100;
    options->speed = 4;
}

int PhotoOptionsCheck(const PhotoOptions *options, std::string *error)
{
    int keepSize = options->boxWidth == 0 && options->boxHeight == 0;
    if (!keepSize && (options->boxWidth < 1 || options->boxWidth > PHOTO_MAX_BOX_SIDE ||
                      options->boxHeight < 1 || options->boxHeight > PHOTO_MAX_BOX_SIDE)) {
        *error = "box size must be from 1x1 to " + std::to_string(PHOTO_MAX_BOX_SIDE) + "x" +
                 std::to_string(PHOTO_MAX_BOX_SIDE);
        return 0;
    }
    if ((options->bits != 8 && options->bits != 24) ||
        (options->bmpBits != 8 && options->bmpBits != 24)) {
        *error = "bits must be 8 or 24";
        return 0;
    }
    if (options->quality < 0 || options->quality > 100) {
        *error = "quality must be from 0 to 100";
        return 0;
    }
    if (options->speed < 1 || options->speed > 10) {
        *error = "speed must be from 1 to 10";
        return 0;
    }
    return 1;
}

int PhotoReadFile(const char *path, std::vector<unsigned char> *data, std::string *error)
{
    data->clear();
    FILE *file = fopen(path, "rb");
    if (!file) {
        *error = std::string("cannot open: ") + strerror(errno);
        return 0;
    }
    // Read in chunks rather than trusting a size from seeking: pipes and growing files too.
    unsigned char chunk[65536];
    int ok = 1;
    for (;;) {
        size_t got = fread(chunk, 1, sizeof chunk, file);
        if ((long long)(data->size() + got) > PHOTO_MAX_FILE_BYTES) {
            *error = "file is larger than " + std::to_string(PHOTO_MAX_FILE_BYTES >> 20) + " MB";
            ok = 0;
            break;
        }
        data->insert(data->end(), chunk, chunk + got);
        if (got < sizeof chunk) {
            if (ferror(file)) {
                *error = std::string("cannot read: ") + strerror(errno);
                ok = 0;
            }
            break;
        }
    }
    fclose(file);
    if (ok && data->empty()) {
        *error = "file is empty";
        ok = 0;
    }
    if (!ok)
        data->clear();
    return ok;
}

PhotoFormat PhotoDetectFormat(const unsigned char *data, size_t size)
{
    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return PHOTO_FORMAT_JPEG;
    if (size >= 8 && memcmp(data, png, 8) == 0)
        return PHOTO_FORMAT_PNG;
    if (size >= 12 && memcmp(data, "RIFF", 4) == 0 && memcmp(data + 8, "WEBP", 4) == 0)
        return PHOTO_FORMAT_WEBP;
    // ISO base media files start with a box of type "ftyp"; the brand list decides whether
    // the HEIF reader accepts it, so any such file goes there and gets its reason from it.
    if (size >= 12 && memcmp(data + 4, "ftyp", 4) == 0)
        return PHOTO_FORMAT_HEIF;
    if (size >= 6 && (memcmp(data, "GIF87a", 6) == 0 || memcmp(data, "GIF89a", 6) == 0))
        return PHOTO_FORMAT_GIF;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return PHOTO_FORMAT_BMP;
    return PHOTO_FORMAT_UNKNOWN;
}

const char *PhotoFormatName(PhotoFormat format)
{
    switch (format) {
    case PHOTO_FORMAT_JPEG:
        return "JPEG";
    case PHOTO_FORMAT_PNG:
        return "PNG";
    case PHOTO_FORMAT_WEBP:
        return "WebP";
    case PHOTO_FORMAT_HEIF:
        return "HEIF";
    case PHOTO_FORMAT_GIF:
        return "GIF";
    case PHOTO_FORMAT_BMP:
        return "BMP";
    default:
        return "unknown";
    }
}
