// glimmer-pack's picture options on the command line, its progress lines and its summary.
#pragma once

#include <stdint.h>
#include <string>
#include "pack_pictures.h"

struct PictureArguments {
    int maxSlides;          // 0: refuse more than SLIDE_SLOTS slides; N: keep the first N
    int verbose;            // print progress even when not on a terminal
    PictureOptions options; // what the packing library converts with
};

struct PictureSummary {
    int slides;
    uint32_t largestSize;    // bytes of the largest picture record
    std::string largestName; // its file
};

void SetDefaultPictureArguments(PictureArguments *arguments);
// Help text of the picture options, for build (installer 1) or saver, which takes no preview.
const char *PicturesUsage(int installer);
// Parses a picture option at argv[0]: the number of arguments used, 0 when argv[0] is none of
// them, -1 after printing an error.
int ParsePictureOption(int argc, char **argv, PictureArguments *arguments);
// One progress line for a converted picture, on a terminal or when asked for with -v. It is
// printed when the picture is taken, so the lines come in slide order.
void PrintPictureProgress(const PictureArguments *arguments, PictureRole role, const char *path,
                          const PictureFacts *facts, double seconds);
// The closing line of a build: slides, payload bytes (records after the executable image) and
// the largest picture.
void PrintPictureSummary(const PictureSummary *summary, long long payloadSize);
