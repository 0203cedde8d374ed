// PNG decoding with libpng, its limits set before the first chunk is read.
//
// libpng trusts a chunk's declared length and allocates (and zero-fills) it before it reads the
// data, so a 41-byte file could cost gigabytes. libpng's chunk limit does not cover every
// chunk, so the reader gets an allocator of its own that refuses any block above a limit, and
// the simplified reader, which takes no allocator, is not used. Every colour type and depth comes
// out as 8-bit RGBA in sRGB, composed over black. libpng reports errors by longjmp: each stage that
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
};

static void PngError(png_structp png, png_const_charp message)
{
    PngFailure *failure = (PngFailure *)png_get_error_ptr(png);
    snprintf(failure->message, sizeof failure->message, "%s", message);
    longjmp(failure->jump, 1);
}

static void PngWarning(png_structp, png_const_charp) {}

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

// Reads the chunks up to the pixels and asks for 8-bit RGBA in sRGB.
static int PngReadHeader(png_structp png, png_infop info, PngFailure *failure, png_uint_32 *width,
                         png_uint_32 *height)
{
    if (setjmp(failure->jump))
        return 0;
    png_read_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    int type = png_get_color_type(png, info);
    png_set_expand(png); // palette to RGB, gray below 8 bits to 8, tRNS to alpha
    png_set_scale_16(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    // Pictures that say how they were encoded are brought to sRGB, as a viewer shows them.
    png_set_gamma(png, PNG_DEFAULT_sRGB, PNG_DEFAULT_sRGB);
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
    int ok = PngReadHeader(png, pngInfo, &failure, &width, &height);
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
        *error = std::string("cannot decode PNG: ") + failure.message;
        return 0;
    }
    image->width = (int)width;
    image->height = (int)height;
    PhotoComposeRow(image->rgb.data(), (int)width * (int)height, 0, image->rgb.data());
    image->rgb.resize((size_t)width * height * 3);
    return 1;
}
