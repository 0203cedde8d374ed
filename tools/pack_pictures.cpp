// Picture loading for glimmer-pack: BMP files through the library's own loader, refused unless
// the Dib is whole and its pixel rows lie directly behind the colour table.
#include "pack_pictures.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include "dib.h"

void SetDefaultPictureOptions(PictureOptions *options)
{
    options->maxSlides = 0;
    options->verbose = 0;
}

const char *PicturesUsage()
{
    return "picture options:\n"
           "  --max-slides N   keep only the first N slides (at most 100 are shown)\n"
           "  -v               print one line per picture\n";
}

int ParsePictureOption(int argc, char **argv, PictureOptions *options)
{
    if (!strcmp(argv[0], "-v")) {
        options->verbose = 1;
        return 1;
    }
    if (!strcmp(argv[0], "--max-slides")) {
        char *end = nullptr;
        long value = argc > 1 ? strtol(argv[1], &end, 10) : 0;
        if (argc < 2 || *end != 0 || value < 1) {
            fprintf(stderr, "glimmer-pack: --max-slides needs a number from 1 to 100\n");
            return -1;
        }
        options->maxSlides = (int)value;
        return 2;
    }
    return 0;
}

static int PictureError(const char *path, const char *reason)
{
    fprintf(stderr, "glimmer-pack: %s: %s\n", path, reason);
    return 0;
}

int LoadPicture(const char *path, PictureRole role, const PictureOptions *options, Blob *blob,
                PictureSummary *summary)
{
    struct stat info;
    if (stat(path, &info) != 0)
        return PictureError(path, strerror(errno));
    if (!S_ISREG(info.st_mode))
        return PictureError(path, "not a regular file");
    FILE *file = fopen(path, "rb");
    unsigned char header[14] = {};
    size_t got = file ? fread(header, 1, sizeof header, file) : 0;
    if (file)
        fclose(file);
    if (!file)
        return PictureError(path, strerror(errno));
    if (got < 2 || header[0] != 'B' || header[1] != 'M')
        return PictureError(path, "not a BMP file");
    if (!BlobLoadBitmapFile(blob, path))
        return PictureError(path, "cannot be read as a BMP file");
    DibLayout layout;
    if (!DibParseBlob(blob, &layout)) {
        BlobFree(blob);
        return PictureError(path, "malformed bitmap: header, colour table or rows missing, or "
                                  "an unsupported format (1, 4, 8 or 24 bits, uncompressed)");
    }
    if (ReadLe32(header + 10) != 14 + layout.rowsOffset) {
        BlobFree(blob);
        return PictureError(path, "the pixel rows do not follow the colour table directly");
    }
    if (role == PICTURE_SLIDE)
        summary->slides++;
    if (blob->size > summary->largestSize) {
        summary->largestSize = blob->size;
        summary->largestName = path;
    }
    if (options->verbose)
        fprintf(stderr, "%s: %dx%dx%d, %lu bytes\n", path, layout.width, layout.height,
                layout.bitCount, (unsigned long)blob->size);
    return 1;
}

void PrintPictureSummary(const PictureOptions *options, const PictureSummary *summary,
                         long long payloadSize)
{
    if (!options->verbose)
        return;
    fprintf(stderr, "%d slides, %lld bytes, largest picture %s (%lu bytes)\n", summary->slides,
            payloadSize, summary->largestName.c_str(), (unsigned long)summary->largestSize);
}
