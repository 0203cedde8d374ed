// How glimmer-pack turns picture files into Dib blobs, with its picture options and summary.
#pragma once

#include <stdint.h>
#include <string>
#include "blob.h"
#include "photo.h"

enum PictureRole { PICTURE_PREVIEW, PICTURE_LOGO, PICTURE_SLIDE };

struct PictureOptions {
    int maxSlides;       // 0: refuse more than SLIDE_SLOTS slides; N: keep the first N
    int verbose;         // print progress even when not on a terminal
    PhotoOptions photos; // fitting and colours of slides (the preview takes the box, 8 bits)
    int logoWidth;       // box a photo logo is fitted into (--logo-size, or the default box)
    int logoHeight;
};

struct PictureSummary {
    int slides;
    uint32_t largestSize;    // bytes of the largest picture record
    std::string largestName; // its file
};

void SetDefaultPictureOptions(PictureOptions *options);
// Help text of the picture options.
const char *PicturesUsage();
// Parses a picture option at argv[0]: the number of arguments used, 0 when argv[0] is none of
// them, -1 after printing an error.
int ParsePictureOption(int argc, char **argv, PictureOptions *options);
// Loads a picture as a valid Dib blob: a BMP file pixel for pixel when it fits, a photo (JPEG,
// PNG, WebP, HEIF, GIF) oriented, fitted and colour-reduced. 0 with the reason in *error
// (without the file name, which the caller puts in front) and the blob empty.
int LoadPicture(const char *path, PictureRole role, const PictureOptions *options, Blob *blob,
                PictureSummary *summary, std::string *error);
// The closing line of a build: slides, payload bytes (records after the executable image) and
// the largest picture.
void PrintPictureSummary(const PictureOptions *options, const PictureSummary *summary,
                         long long payloadSize);
