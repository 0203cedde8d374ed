// Packed device-independent bitmaps (a .BMP file without its 14-byte file header): header
// parsing and validation, colour scaling and the colour-cube table. No Windows calls here.
#pragma once

#include <stdint.h>
#include "blob.h"

const uint32_t DIB_HEADER_SIZE = 40;  // BITMAPINFOHEADER
const int COLOR_CUBE_ENTRIES = 216;   // 6 x 6 x 6 levels of 51
const int FULL_INTENSITY = 256;       // 256ths; draws a picture's own colours

// What a validated Dib holds; every offset and length lies inside the data.
struct DibLayout {
    int32_t width;        // biWidth, > 0
    int32_t height;       // |biHeight|, > 0
    int topDown;          // 1 when biHeight is negative
    int bitCount;         // 1, 4, 8 or 24
    uint32_t headerSize;  // biSize, >= 40
    uint32_t colours;     // table entries (0 for 24 bits)
    uint32_t rowsOffset;  // headerSize + 4 * colours
    uint32_t stride;      // bytes per row, a multiple of 4
    uint32_t rowsSize;    // stride * height
};

// Parses and checks a Dib: biSize at least 40, bit count 1/4/8/24, uncompressed (BI_RGB), a
// positive width and non-zero height, and data long enough for the header, the colour table
// and every row. Returns 1 and fills layout, or 0 for anything else; never reads beyond size.
int DibParse(const unsigned char *data, uint32_t size, DibLayout *layout);
// DibParse of a blob; 0 unless the blob is a Dib.
int DibParseBlob(const Blob *blob, DibLayout *layout);

// biWidth and |biHeight| of a valid Dib blob; 0 for any other blob.
int DibWidth(const Blob *blob);
int DibHeight(const Blob *blob);

// For count entries step bytes apart, replaces bytes 0..2 of each by (byte * factor) >> 8.
void ScaleColorTriplets(unsigned char *first, int step, int count, int factor);

// Red, green and blue of colour-cube entry index (r + 6g + 36b, each level 51 apart).
void ColorCubeEntry(int index, unsigned char *red, unsigned char *green, unsigned char *blue);
