// glimmer-pack's picture options: parsing them, and the lines it prints about pictures.
#include "picture_options.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include "pack_defaults.h"
#include "slideshow_logic.h"

void SetDefaultPictureArguments(PictureArguments *arguments)
{
    arguments->maxSlides = 0;
    arguments->verbose = 0;
    SetDefaultPictureOptions(&arguments->options);
}

const char *PicturesUsage(int installer)
{
    static std::string usage;
    char maxSlides[96];
    snprintf(maxSlides, sizeof maxSlides,
             "  --max-slides N   keep only the first N slides (at most %d are shown)\n",
             SLIDE_SLOTS);
    usage = std::string("picture options (JPEG, PNG, WebP, HEIC/HEIF, GIF fitted; a BMP kept if "
                        "it fits):\n") +
            (installer ? "  --size WxH       box each slide and the preview are fitted into, each\n"
                         "                   side 1 to 16384 (800x600)\n"
                       : "  --size WxH       box each slide is fitted into, each side 1 to 16384\n"
                         "                   (800x600)\n") +
            (installer ? "  --upscale        enlarge slides and the preview when smaller than the\n"
                         "                   box (never the logo)\n"
                       : "  --upscale        enlarge slides smaller than the box (never the logo)\n") +
            "  --bits 8|24      slides with their own 256 colours (8) or true colour (24)\n"
            "  --quality N      colour reduction quality aimed at, 0 to 100 (100)\n"
            "  --speed N        colour reduction speed, 1 (best) to 10 (fastest) (4)\n"
            "  --logo-size WxH  box a logo larger than it is fitted into, a photo or a BMP (" +
            std::to_string(DEFAULT_LOGO_WIDTH) + "x" + std::to_string(DEFAULT_LOGO_HEIGHT) + ")\n" +
            maxSlides +
            "  -v               print one line per picture even when not on a terminal\n";
    return usage.c_str();
}

static int OptionError(const char *option, const char *expected)
{
    fprintf(stderr, "glimmer-pack: %s needs %s\n", option, expected);
    return -1;
}

// A whole decimal number from low to high; 0 for anything else.
static int ParseNumber(const char *text, long low, long high, int *value)
{
    char *end = nullptr;
    errno = 0;
    long number = strtol(text, &end, 10);
    if (end == text || *end != 0 || errno != 0 || number < low || number > high)
        return 0;
    *value = (int)number;
    return 1;
}

// "WIDTHxHEIGHT" with each side from 1 to the largest box side.
static int ParseSize(const char *text, int *width, int *height)
{
    const char *cross = strchr(text, 'x');
    if (!cross)
        return 0;
    std::string first(text, cross - text);
    return ParseNumber(first.c_str(), 1, PHOTO_MAX_BOX_SIDE, width) &&
           ParseNumber(cross + 1, 1, PHOTO_MAX_BOX_SIDE, height);
}

int ParsePictureOption(int argc, char **argv, PictureArguments *arguments)
{
    const char *option = argv[0];
    const char *value = argc > 1 ? argv[1] : nullptr;
    PictureOptions *options = &arguments->options;
    PhotoOptions *photos = &options->photos;
    if (!strcmp(option, "-v")) {
        arguments->verbose = 1;
        return 1;
    }
    if (!strcmp(option, "--upscale")) {
        photos->upscale = 1;
        return 1;
    }
    if (!strcmp(option, "--max-slides")) {
        if (!value || !ParseNumber(value, 1, SLIDE_SLOTS, &arguments->maxSlides))
            return OptionError(option, ("a number from 1 to " + std::to_string(SLIDE_SLOTS) +
                                        ", the slides the saver shows")
                                           .c_str());
        return 2;
    }
    if (!strcmp(option, "--size")) {
        if (!value || !ParseSize(value, &photos->boxWidth, &photos->boxHeight))
            return OptionError(option, "WIDTHxHEIGHT, each from 1 to 16384, e.g. 800x600");
        return 2;
    }
    if (!strcmp(option, "--logo-size")) {
        if (!value || !ParseSize(value, &options->logoWidth, &options->logoHeight))
            return OptionError(option, "WIDTHxHEIGHT, each from 1 to 16384, e.g. 320x200");
        return 2;
    }
    if (!strcmp(option, "--bits")) {
        if (!value || !ParseNumber(value, 8, 24, &photos->bits) ||
            (photos->bits != 8 && photos->bits != 24))
            return OptionError(option, "8 or 24");
        photos->bmpBits = photos->bits;
        return 2;
    }
    if (!strcmp(option, "--quality")) {
        if (!value || !ParseNumber(value, 0, 100, &photos->quality))
            return OptionError(option, "a number from 0 to 100");
        return 2;
    }
    if (!strcmp(option, "--speed")) {
        if (!value || !ParseNumber(value, 1, 10, &photos->speed))
            return OptionError(option, "a number from 1 to 10");
        return 2;
    }
    return 0;
}

void PrintPictureProgress(const PictureArguments *arguments, PictureRole role, const char *path,
                          const PictureFacts *facts, double seconds)
{
    if (!arguments->verbose && !isatty(STDERR_FILENO))
        return;
    char colourText[32];
    int colours = facts->colours;
    const char *plural = colours == 1 ? "" : "s";
    if (facts->bits == 24 && colours == 0)
        snprintf(colourText, sizeof colourText, "true colour");
    else if (facts->bits == 24)
        snprintf(colourText, sizeof colourText, "%d colour%s (24 bits)", colours, plural);
    else
        snprintf(colourText, sizeof colourText, "%d colour%s", colours, plural);
    fprintf(stderr, "%-7s %s: %s %dx%d -> %dx%dx%d, %s, %.2f s\n", PictureRoleName(role), path,
            PhotoFormatName(facts->format), facts->sourceWidth, facts->sourceHeight, facts->width,
            facts->height, facts->bits, colourText, seconds);
}

void PrintPictureSummary(const PictureSummary *summary, long long payloadSize)
{
    printf("%d slide%s, payload %lld bytes, largest picture %s (%lu bytes)\n", summary->slides,
           summary->slides == 1 ? "" : "s", payloadSize, summary->largestName.c_str(),
           (unsigned long)summary->largestSize);
}
