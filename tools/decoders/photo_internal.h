// Decoder entry points and helpers shared by the photo import files (not for callers).
#pragma once

#include <cstdint>
#include "photo.h"

// Each decoder fills an RGB image with alpha already composed over black, and the info's
// source size. Only the JPEG decoder uses options (to pick a DCT scale) and reports an
// orientation; it also turns its result upright.
int PhotoDecodeJpeg(const unsigned char *data, size_t size, const PhotoOptions *options,
                    PhotoImage *image, PhotoInfo *info, std::string *error);
int PhotoDecodePng(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                   std::string *error);
int PhotoDecodeWebp(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                    std::string *error);
int PhotoDecodeHeif(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                    std::string *error);
int PhotoDecodeGif(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                   std::string *error);
int PhotoDecodeBmp(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                   std::string *error);

// Any of the decoders above but JPEG's.
typedef int (*PhotoDecoder)(const unsigned char *data, size_t size, PhotoImage *image,
                            PhotoInfo *info, std::string *error);
// Runs decode in a child process and takes its picture, or its reason, back. A child that
// crashes, aborts or sends no whole answer gives "the FORMAT decoder failed on it (SIGNAL)".
int PhotoDecodeInChild(PhotoDecoder decode, const char *format, const unsigned char *data,
                       size_t size, PhotoImage *image, PhotoInfo *info, std::string *error);

// The canvas size that a HEIF file's primary grid or overlay item declares; 0 when the primary
// item is neither or its declaration cannot be found.
int PhotoHeifDeclaredSize(const unsigned char *data, size_t size, long long *width,
                          long long *height);
// 1 unless the primary item is a grid, overlay or identity item made (at any depth) from an
// item that is missing or of a kind libheif does not decode; then 0 and a reason. A structure
// not understood is left to libheif.
int PhotoHeifCheckDerived(const unsigned char *data, size_t size, std::string *error);

// 1 if a width x height picture is positive and within PHOTO_MAX_PIXELS; else 0 and a reason.
int PhotoCheckDimensions(long long width, long long height, std::string *error);
// Sizes the image to width x height, all black. The size must have passed PhotoCheckDimensions.
void PhotoImageAllocate(PhotoImage *image, int width, int height);
// Sizes dib for a BITMAPINFOHEADER, tableEntries colour-table entries and bottom-up rows, all
// zero, and fills the header (40 bytes, one plane, uncompressed, biClrUsed clrUsed).
void PhotoDibStart(int width, int height, int bits, uint32_t tableEntries, uint32_t clrUsed,
                   std::vector<unsigned char> *dib);
// Writes count RGBA pixels as RGB composed over black. Premultiplied input already is. rgb may
// be rgba itself: each pixel lands at or before where it was read.
void PhotoComposeRow(const unsigned char *rgba, int count, int premultiplied, unsigned char *rgb);

// Reads little-endian values from memory in order. A read past the end yields 0 (or null) and
// clears ok for good, so a parser may read a whole header and test ok once.
struct PhotoCursor {
    const unsigned char *data;
    size_t size;
    size_t at;
    int ok;
};

// The next count bytes, or null when fewer are left.
inline const unsigned char *PhotoCursorBytes(PhotoCursor *cursor, size_t count)
{
    if (!cursor->ok || cursor->at > cursor->size || cursor->size - cursor->at < count) {
        cursor->ok = 0;
        return nullptr;
    }
    const unsigned char *bytes = cursor->data + cursor->at;
    cursor->at += count;
    return bytes;
}

inline unsigned PhotoCursorU8(PhotoCursor *cursor)
{
    const unsigned char *p = PhotoCursorBytes(cursor, 1);
    return p ? p[0] : 0;
}

inline unsigned PhotoCursorU16(PhotoCursor *cursor)
{
    const unsigned char *p = PhotoCursorBytes(cursor, 2);
    return p ? (unsigned)(p[0] | p[1] << 8) : 0;
}

inline uint32_t PhotoCursorU32(PhotoCursor *cursor)
{
    const unsigned char *p = PhotoCursorBytes(cursor, 4);
    return p ? (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24
             : 0;
}
