// The whole import of one picture: decode, orient, fit, reduce colours, write the Dib.
#include "photo_internal.h"

#include <ctime>

static double PhotoNow()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + now.tv_nsec / 1e9;
}

static int MakeDib(const unsigned char *data, size_t size, const PhotoOptions *options,
                   std::vector<unsigned char> *dib, PhotoReport *report, std::string *error)
{
    PhotoImage image;
    PhotoInfo info;
    if (!PhotoDecode(data, size, options, &image, &info, error))
        return 0;
    report->format = info.format;
    report->sourceWidth = info.sourceWidth;
    report->sourceHeight = info.sourceHeight;
    int width = 0, height = 0;
    PhotoFitSize(info.sourceWidth, info.sourceHeight, options->boxWidth, options->boxHeight,
                 options->upscale, &width, &height);
    if (!PhotoResample(&image, width, height, &image)) {
        *error =
            "cannot fit the picture into " + std::to_string(width) + " x " + std::to_string(height);
        return 0;
    }
    report->width = width;
    report->height = height;
    if (options->bits == 24) {
        report->colours = PhotoCountColours(&image);
        return PhotoWriteDib24(&image, dib);
    }
    std::vector<unsigned char> indices, palette;
    if (!PhotoQuantise(&image, options->quality, options->speed, &indices, &palette, error))
        return 0;
    report->colours = (int)(palette.size() / 3);
    return PhotoWriteDib8(width, height, indices.data(), palette.data(), report->colours, dib);
}

int PhotoMakeDibFromMemory(const unsigned char *data, size_t size, const PhotoOptions *options,
                           std::vector<unsigned char> *dib, PhotoReport *report, std::string *error)
{
    double start = PhotoNow();
    PhotoReport local;
    if (!report)
        report = &local;
    *report = PhotoReport();
    dib->clear();
    int ok = PhotoOptionsCheck(options, error) && MakeDib(data, size, options, dib, report, error);
    if (!ok)
        dib->clear();
    report->seconds = PhotoNow() - start;
    return ok;
}

int PhotoMakeDib(const char *path, const PhotoOptions *options, std::vector<unsigned char> *dib,
                 PhotoReport *report, std::string *error)
{
    double start = PhotoNow();
    std::vector<unsigned char> data;
    dib->clear();
    if (!PhotoReadFile(path, &data, error)) {
        if (report)
            *report = PhotoReport();
        return 0;
    }
    int ok = PhotoMakeDibFromMemory(data.data(), data.size(), options, dib, report, error);
    if (report)
        report->seconds = PhotoNow() - start;
    return ok;
}
