// PNG decoding with libpng, its limits set before the first chunk is read.
//
// libpng trusts a chunk's declared length and allocates (and zero-fills) it before it reads the
// data, so a 41-byte file could cost gigabytes. libpng's chunk limit does not cover every
// chunk, so the reader gets an allocator of its own that refuses any block above a limit, and
// the simplified reader, which takes no allocator, is not used. Every colour type and depth comes
// out as 8-bit RGBA as stored, composed over black; the iCCP, sRGB, gAMA and cHRM chunks are
// handed on for the conversion to sRGB. libpng reports errors by longjmp: each stage that
// can fail sets its own jump point and holds no C++ objects.
#include "photo_internal.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <png.h>

// Largest block libpng may allocate, in bytes: far above its longest row (8 bytes a pixel) of a
// picture within the pixel limit, far below what a hostile length asks. The picture itself is
// not libpng's allocation.
static const png_alloc_size_t PNG_MAX_ALLOCATION = 64 * 1024 * 1024;
// Largest chunk libpng keeps, in bytes, also after decompression (text, ICC profiles).
static const png_alloc_size_t PNG_MAX_CHUNK_BYTES = 8 * 1024 * 1024;
// Most ancillary chunks kept (text, sPLT, unknown) before libpng drops the rest.
static const png_uint_32 PNG_MAX_CACHED_CHUNKS = 1000;

struct PngSource {
    const unsigned char *data;
    size_t size;
    size_t at;
};

struct PngFailure {
    jmp_buf jump;
    char message[200];
    char profileWarning[200]; // why libpng dropped the iCCP chunk, if it did
    char headerWarning[200];  // libpng names what is wrong with a header in a warning first
};

static void PngError(png_structp png, png_const_charp message)
{
    PngFailure *failure = (PngFailure *)png_get_error_ptr(png);
    snprintf(failure->message, sizeof failure->message, "%s", message);
    longjmp(failure->jump, 1);
}

// Warnings are harmless oddities, but one about the colour profile means libpng dropped it.
static void PngWarning(png_structp png, png_const_charp message)
{
    PngFailure *failure = (PngFailure *)png_get_error_ptr(png);
    if (!message)
        return;
    if (strncmp(message, "iCCP", 4) == 0 && !failure->profileWarning[0])
        snprintf(failure->profileWarning, sizeof failure->profileWarning, "%s", message);
    if (strstr(message, "IHDR") && !failure->headerWarning[0])
        snprintf(failure->headerWarning, sizeof failure->headerWarning, "%s", message);
}

// libpng's words for a fault, and what they mean to a person who has the file.
struct PngMeaning {
    const char *words;
    const char *meaning;
};

// The header's faults, which libpng names in a warning before it fails with "Invalid IHDR data".
static const PngMeaning PNG_HEADER_MEANINGS[] = {
    {"width is zero", "its header says the picture is 0 pixels wide"},
    {"height is zero", "its header says the picture is 0 pixels high"},
    {"Invalid image width", "its header gives an impossible width"},
    {"Invalid image height", "its header gives an impossible height"},
    {"width is too large", "its header gives a width larger than libpng takes"},
    {"height is too large", "its header gives a height larger than libpng takes"},
    {"color type/bit depth combination", "its header gives a bit depth that its colour type "
                                         "cannot have"},
    {"Invalid bit depth", "its header gives a bit depth that no PNG has"},
    {"Invalid color type", "its header gives a colour type that no PNG has"},
    {"interlace method", "its header gives an interlace method that no PNG has"},
    {"compression method", "its header gives a compression method that no PNG has"},
    {"filter method", "its header gives a filter method that no PNG has"},
};

// Failures, by words in libpng's (or zlib's) message; the first match counts.
static const PngMeaning PNG_MEANINGS[] = {
    {"ends in the middle of a chunk", "the file is cut short"},
    {"IEND: out of place", "the picture data is missing: the file ends before any pixels"},
    {"CRC error", "the file is damaged: a block's checksum does not match its contents"},
    {"IHDR: invalid", "its header has the wrong length, so the file is damaged"},
    {"IHDR: out of place", "it has a second header, so the file is damaged"},
    {"issing IHDR", "its header is missing, so the file is damaged"},
    {"issing PLTE", "it has palette colours but no palette, so the file is damaged"},
    {"PLTE: invalid", "its palette is damaged"},
    {"out of place", "its parts are out of order, so the file is damaged"},
    {"invalid chunk type", "a block of the file has a name that no PNG uses, so the file is "
                           "damaged"},
    {"unsigned integer out of range", "a block of the file gives an impossible length, so the "
                                      "file is damaged"},
    {"chunk data is too large", "a block of the file is larger than this tool allows"},
    {"Not enough image data", "the picture data ends before the last row: the file is cut short "
                              "or damaged"},
    {"Too much image data", "the file holds more picture data than its size needs, so it is "
                            "damaged"},
    {"bad adaptive filter value", "the picture data is damaged (a row names an unknown filter)"},
    {"IDAT:", "the compressed picture data is damaged"},
    {"ecompression", "the compressed picture data is damaged"},
    {"emory", "decoding it needs more memory than this tool allows a picture"},
};

// "cannot decode PNG: MEANING (libpng: WORDS)", with libpng's header warning in the words
// where it failed on the header.
static std::string PngExplain(const PngFailure *failure)
{
    std::string words = failure->message;
    const char *meaning = NULL;
    if (strstr(failure->message, "Invalid IHDR data")) {
        meaning = "its header gives an impossible size, colour type or bit depth";
        for (const PngMeaning &row : PNG_HEADER_MEANINGS)
            if (strstr(failure->headerWarning, row.words)) {
                meaning = row.meaning;
                words = std::string(failure->headerWarning) + "; " + failure->message;
                break;
            }
    }
    for (size_t i = 0; !meaning && i < sizeof PNG_MEANINGS / sizeof PNG_MEANINGS[0]; i++)
        if (strstr(failure->message, PNG_MEANINGS[i].words))
            meaning = PNG_MEANINGS[i].meaning;
    if (!meaning)
        meaning = "the file is damaged";
    return std::string("cannot decode PNG: ") + meaning + " (libpng: " + words + ")";
}

// A block above the limit is refused as if memory had run out: libpng skips such an ancillary
// chunk, or fails.
static png_voidp PngAllocate(png_structp, png_alloc_size_t size)
{
    return size <= PNG_MAX_ALLOCATION ? malloc(size) : NULL;
}

static void PngRelease(png_structp, png_voidp block)
{
    free(block);
}

static void PngRead(png_structp png, png_bytep out, png_size_t length)
{
    PngSource *source = (PngSource *)png_get_io_ptr(png);
    if (length > source->size - source->at)
        png_error(png, "the file ends in the middle of a chunk");
    memcpy(out, source->data + source->at, length);
    source->at += length;
}

// What the file says of its colours: an ICC profile, else nothing for an sRGB chunk, else gAMA
// with cHRM.
static void PngReadColour(png_structp png, png_infop info, PhotoColour *colour)
{
    png_charp name = NULL;
    int compression = 0;
    png_bytep profile = NULL;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length) == PNG_INFO_iCCP &&
        profile && length > 0) {
        colour->profile.assign(profile, profile + length);
        return;
    }
    if (png_get_valid(png, info, PNG_INFO_sRGB))
        return;
    double gamma = 0;
    if (png_get_gAMA(png, info, &gamma) != PNG_INFO_gAMA || !(gamma > 0 && gamma <= 100))
        return;
    colour->gamma = gamma;
    double *c = colour->chromaticities;
    colour->hasChromaticities = png_get_cHRM(png, info, &c[0], &c[1], &c[2], &c[3], &c[4], &c[5],
                                             &c[6], &c[7]) == PNG_INFO_cHRM;
}

// Reads the chunks up to the pixels and asks for 8-bit RGBA.
static int PngReadHeader(png_structp png, png_infop info, PngFailure *failure, png_uint_32 *width,
                         png_uint_32 *height, PhotoColour *colour)
{
    if (setjmp(failure->jump))
        return 0;
    png_read_info(png, info);
    PngReadColour(png, info, colour);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    int type = png_get_color_type(png, info);
    png_set_expand(png); // palette to RGB, gray below 8 bits to 8, tRNS to alpha
    png_set_scale_16(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return 1;
}

static int PngReadPixels(png_structp png, PngFailure *failure, png_bytepp rows)
{
    if (setjmp(failure->jump))
        return 0;
    png_read_image(png, rows);
    png_read_end(png, NULL);
    return 1;
}

int PhotoDecodePng(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                   std::string *error)
{
    PngFailure failure;
    memset(&failure, 0, sizeof failure);
    PngSource source = {data, size, 0};
    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &failure, PngError,
                                               PngWarning, NULL, PngAllocate, PngRelease);
    png_infop pngInfo = png ? png_create_info_struct(png) : NULL;
    if (!pngInfo) {
        png_destroy_read_struct(&png, NULL, NULL);
        *error = "cannot decode PNG: no decoder";
        return 0;
    }
    png_set_read_fn(png, &source, PngRead);
    png_set_chunk_malloc_max(png, PNG_MAX_CHUNK_BYTES);
    png_set_chunk_cache_max(png, PNG_MAX_CACHED_CHUNKS);
    // The header's sides are checked against the pixel limit below, before any row exists;
    // libpng's own side limit only has to let those through.
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    // Keep no unknown chunk: nothing here reads them.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, NULL, 0);

    png_uint_32 width = 0, height = 0;
    int ok = PngReadHeader(png, pngInfo, &failure, &width, &height, &info->colour);
    if (failure.profileWarning[0])
        info->warning = std::string("its colour profile is damaged (libpng: ") +
                        failure.profileWarning + "); its colours go in as stored";
    if (ok) {
        info->sourceWidth = (int)std::min<png_uint_32>(width, 0x7FFFFFFF);
        info->sourceHeight = (int)std::min<png_uint_32>(height, 0x7FFFFFFF);
        if (!PhotoCheckDimensions(width, height, error)) {
            png_destroy_read_struct(&png, &pngInfo, NULL);
            return 0;
        }
    }
    // RGBA rows straight into the picture's buffer, composed there to RGB: one buffer, not two.
    std::vector<png_bytep> rows;
    if (ok) {
        image->rgb.resize((size_t)width * height * 4);
        rows.resize(height);
        for (png_uint_32 y = 0; y < height; y++)
            rows[y] = image->rgb.data() + (size_t)y * width * 4;
        ok = PngReadPixels(png, &failure, rows.data());
    }
    png_destroy_read_struct(&png, &pngInfo, NULL);
    if (!ok) {
        image->rgb.clear();
        *error = PngExplain(&failure);
        return 0;
    }
    image->width = (int)width;
    image->height = (int)height;
    PhotoComposeRow(image->rgb.data(), (int)width * (int)height, 0, image->rgb.data());
    image->rgb.resize((size_t)width * height * 3);
    return 1;
}
