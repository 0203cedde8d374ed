// Picture loading for glimmer-pack: every picture through the photo import library. Photos are
// fitted into the slide box and reduced to their own 256 colours; BMP files keep their pixels
// where their size stays.
#include "pack_pictures.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <vector>
#include "dib.h"
#include "pack_defaults.h"
#include "slideshow_logic.h"

void SetDefaultPictureOptions(PictureOptions *options)
{
    options->maxSlides = 0;
    options->verbose = 0;
    PhotoOptionsInit(&options->photos);
    options->logoWidth = DEFAULT_LOGO_WIDTH;
    options->logoHeight = DEFAULT_LOGO_HEIGHT;
}

const char *PicturesUsage()
{
    static std::string usage;
    char maxSlides[96];
    snprintf(maxSlides, sizeof maxSlides,
             "  --max-slides N   keep only the first N slides (at most %d are shown)\n",
             SLIDE_SLOTS);
    usage = "picture options (JPEG, PNG, WebP, HEIC/HEIF, GIF fitted; a BMP kept if it fits):\n"
            "  --size WxH       box each slide and the preview are fitted into (800x600)\n"
            "  --upscale        enlarge pictures smaller than the box\n"
            "  --bits 8|24      slides with their own 256 colours (8) or true colour (24)\n"
            "  --quality N      colour reduction quality aimed at, 0 to 100 (100)\n"
            "  --speed N        colour reduction speed, 1 (best) to 10 (fastest) (4)\n"
            "  --logo-size WxH  box a photo logo is fitted into (" +
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

int ParsePictureOption(int argc, char **argv, PictureOptions *options)
{
    const char *option = argv[0];
    const char *value = argc > 1 ? argv[1] : nullptr;
    PhotoOptions *photos = &options->photos;
    if (!strcmp(option, "-v")) {
        options->verbose = 1;
        return 1;
    }
    if (!strcmp(option, "--upscale")) {
        photos->upscale = 1;
        return 1;
    }
    if (!strcmp(option, "--max-slides")) {
        if (!value || !ParseNumber(value, 1, SLIDE_SLOTS, &options->maxSlides))
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

static int Fail(std::string *error, const std::string &reason)
{
    *error = reason;
    return 0;
}

static double Seconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + now.tv_nsec / 1e9;
}

static const char *RoleName(PictureRole role)
{
    return role == PICTURE_PREVIEW ? "preview" : role == PICTURE_LOGO ? "logo" : "slide";
}

// One progress line per picture, on a terminal or when asked for with -v.
static void PrintProgress(const PictureOptions *options, PictureRole role, const char *path,
                          const char *format, int sourceWidth, int sourceHeight,
                          const DibLayout *layout, int colours, double seconds)
{
    if (!options->verbose && !isatty(STDERR_FILENO))
        return;
    char colourText[32];
    const char *plural = colours == 1 ? "" : "s";
    if (layout->bitCount == 24 && colours == 0)
        snprintf(colourText, sizeof colourText, "true colour");
    else if (layout->bitCount == 24)
        snprintf(colourText, sizeof colourText, "%d colour%s (24 bits)", colours, plural);
    else
        snprintf(colourText, sizeof colourText, "%d colour%s", colours, plural);
    fprintf(stderr, "%-7s %s: %s %dx%d -> %dx%dx%d, %s, %.2f s\n", RoleName(role), path, format,
            sourceWidth, sourceHeight, layout->width, layout->height, layout->bitCount, colourText,
            seconds);
}

static void CountPicture(const char *path, PictureRole role, const Blob *blob,
                         PictureSummary *summary)
{
    if (role == PICTURE_SLIDE)
        summary->slides++;
    if (blob->size > summary->largestSize) {
        summary->largestSize = blob->size;
        summary->largestName = path;
    }
}

// Decodes, orients, fits and colour-reduces a photo into a Dib blob for its role: slides as
// the options say, the preview fitted like them but always 8 bits, the logo in true colour
// fitted into its own box.
static int LoadPhoto(const char *path, PictureRole role, const PictureOptions *options, Blob *blob,
                     PhotoReport *report, std::string *error)
{
    PhotoOptions photo = options->photos;
    if (role == PICTURE_PREVIEW)
        photo.bits = 8;
    // --bits 8 reduces true-colour BMP slides that keep their size; other roles keep theirs.
    if (role != PICTURE_SLIDE)
        photo.bmpBits = 24;
    if (role == PICTURE_LOGO) {
        photo.bits = 24;
        photo.boxWidth = options->logoWidth;
        photo.boxHeight = options->logoHeight;
    }
    std::vector<unsigned char> dib;
    if (!PhotoMakeDib(path, &photo, &dib, report, error))
        return 0;
    BlobAllocate(blob, BlobKind::Dib, (uint32_t)dib.size());
    memcpy(blob->data, dib.data(), dib.size());
    return 1;
}

int LoadPicture(const char *path, PictureRole role, const PictureOptions *options, Blob *blob,
                PictureSummary *summary, std::string *error)
{
    BlobFree(blob);
    double start = Seconds();
    struct stat info;
    if (stat(path, &info) != 0)
        return Fail(error, strerror(errno));
    if (!S_ISREG(info.st_mode))
        return Fail(error, "not a regular file");
    FILE *file = fopen(path, "rb");
    unsigned char header[14] = {};
    size_t got = file ? fread(header, 1, sizeof header, file) : 0;
    if (file)
        fclose(file);
    if (!file)
        return Fail(error, strerror(errno));
    if (got == 0)
        return Fail(error, "file is empty");

    // BMP files too: the photo library keeps their pixels where their size stays.
    DibLayout layout;
    PhotoReport report;
    if (!LoadPhoto(path, role, options, blob, &report, error))
        return 0;
    if (!DibParseBlob(blob, &layout)) {
        BlobFree(blob);
        return Fail(error, "the converted picture is not a valid bitmap");
    }
    PrintProgress(options, role, path, PhotoFormatName(report.format), report.sourceWidth,
                  report.sourceHeight, &layout, report.colours, Seconds() - start);
    CountPicture(path, role, blob, summary);
    return 1;
}

void PrintPictureSummary(const PictureOptions *options, const PictureSummary *summary,
                         long long payloadSize)
{
    (void)options;
    printf("%d slide%s, payload %lld bytes, largest picture %s (%lu bytes)\n", summary->slides,
           summary->slides == 1 ? "" : "s", payloadSize, summary->largestName.c_str(),
           (unsigned long)summary->largestSize);
}
