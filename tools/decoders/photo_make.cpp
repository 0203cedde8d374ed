// The whole import of one picture: decode, orient, fit, reduce colours, write the Dib; and the
// rules for BMP files, which keep their pixels where they can.
#include "photo_bmp.h"
#include "photo_internal.h"

#include <ctime>
#include <utility>

static double PhotoNow()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + now.tv_nsec / 1e9;
}

// Fits a decoded picture into its size and writes it with the given bits: true colour, or
// reduced to its own 256 colours.
static int FitAndWrite(PhotoImage *image, int width, int height, int bits,
                       const PhotoOptions *options, std::vector<unsigned char> *dib,
                       PhotoReport *report, std::string *error)
{
    if (!PhotoResample(image, width, height, image)) {
        *error =
            "cannot fit the picture into " + std::to_string(width) + " x " + std::to_string(height);
        return 0;
    }
    report->width = width;
    report->height = height;
    if (bits == 24) {
        report->colours = PhotoCountColours(image);
        return PhotoWriteDib24(image, dib);
    }
    std::vector<unsigned char> indices, palette;
    if (!PhotoQuantise(image, options->quality, options->speed, &indices, &palette, error))
        return 0;
    report->colours = (int)(palette.size() / 3);
    return PhotoWriteDib8(width, height, indices.data(), palette.data(), report->colours, dib);
}

// A BMP whose size stays keeps every pixel: as it is when Windows 95 draws it so, else with
// its own colour table, or in true colour (24 bits, or its own 256 colours when bmpBits asks
// for 8). A BMP that the box resizes is fitted and coloured like a photo.
static int MakeBmpDib(const unsigned char *data, size_t size, const PhotoOptions *options,
                      std::vector<unsigned char> *dib, PhotoReport *report, std::string *error)
{
    PhotoBitmap bitmap;
    if (!PhotoBmpRead(data, size, &bitmap, error))
        return 0;
    report->format = PHOTO_FORMAT_BMP;
    report->sourceWidth = bitmap.width;
    report->sourceHeight = bitmap.height;
    int width = 0, height = 0;
    PhotoFitSize(bitmap.width, bitmap.height, options->boxWidth, options->boxHeight,
                 options->upscale, &width, &height);
    int keepSize = width == bitmap.width && height == bitmap.height;
    int reduce = !bitmap.indexed && options->bmpBits == 8;
    if (keepSize && !reduce) {
        report->width = width;
        report->height = height;
        // Colours in the table, or 0 for true colour.
        report->colours = (int)(bitmap.table.size() / 3);
        if (PhotoBmpIsDrawable(data, size, &bitmap)) {
            dib->assign(data + 14, data + size);
            return 1;
        }
        if (bitmap.indexed)
            return PhotoBmpWriteIndexedDib(&bitmap, dib);
        return PhotoWriteDib24(&bitmap.image, dib);
    }
    PhotoImage image;
    if (bitmap.indexed)
        PhotoBmpToImage(&bitmap, &image);
    else
        image = std::move(bitmap.image);
    bitmap = PhotoBitmap();
    return FitAndWrite(&image, width, height, keepSize ? 8 : options->bits, options, dib, report,
                       error);
}

static int MakeDib(const unsigned char *data, size_t size, const PhotoOptions *options,
                   std::vector<unsigned char> *dib, PhotoReport *report, std::string *error)
{
    if (PhotoDetectFormat(data, size) == PHOTO_FORMAT_BMP)
        return MakeBmpDib(data, size, options, dib, report, error);
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
    return FitAndWrite(&image, width, height, options->bits, options, dib, report, error);
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
