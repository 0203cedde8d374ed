// BMP files of every flavour Windows and OS/2 programs write, read into plain pixels, and the
// packed Dib that Windows 95 draws written back out.
//
// A BMP file is read through one bounded cursor: its 14-byte file header, one of the info
// headers (12-byte OS/2 core; 40 bytes and its 52, 56, 108 and 124-byte extensions; 64-byte
// OS/2 2.x), bit masks, colour table and rows, uncompressed, RLE8, RLE4 or bit fields. Every
// failure names the problem in plain words, without the file name.
#pragma once

#include <cstdint>
#include "photo.h"

// Compression values of the Windows headers.
enum {
    BMP_RGB = 0,
    BMP_RLE8 = 1,
    BMP_RLE4 = 2,
    BMP_BITFIELDS = 3,
    BMP_JPEG = 4,
    BMP_PNG = 5,
    BMP_ALPHABITFIELDS = 6
};

// What a BMP file's headers say, once checked: every offset and length lies inside the file.
struct BmpLayout {
    int width;
    int height;           // rows, positive
    int topDown;          // 1 when rows are stored top row first
    int bits;             // bits per pixel: 1, 2, 4, 8, 16, 24 or 32
    uint32_t headerSize;  // 12, 40, 52, 56, 64, 108 or 124
    uint32_t compression; // 0 none, 1 RLE8, 2 RLE4, 3 bit fields (6: bit fields with alpha)
    uint32_t masks[4];    // red, green, blue and alpha bits of a 16 or 32-bit pixel
    size_t tableOffset;   // file offset of the colour table
    int tableEntries;     // entries present (indexed pictures only)
    int entryBytes;       // 3 (OS/2 core header) or 4
    size_t pixelOffset;   // file offset of the pixel data
    size_t pixelBytes;    // bytes of pixel data from there (the rest of the file when compressed)
};

// A BMP picture. An indexed picture (1, 2, 4 or 8 bits) keeps its own colour table and one
// table index per pixel; any other is true colour with alpha composed over black.
struct PhotoBitmap {
    int width;
    int height;
    int bits;                           // bits per pixel in the file
    int indexed;                        // 1: indices and table hold the picture; 0: image does
    std::vector<unsigned char> indices; // width x height, top-down
    std::vector<unsigned char> table;   // red, green, blue per entry; covers every index used
    PhotoImage image;
};

// Parses and checks a BMP file's headers; 0 and a reason for anything no reader should take.
int PhotoBmpParse(const unsigned char *data, size_t size, BmpLayout *layout, std::string *error);
// Reads a whole BMP file.
int PhotoBmpRead(const unsigned char *data, size_t size, PhotoBitmap *bitmap, std::string *error);
// 1 when the file's bytes after its 14-byte file header already are a Dib that Windows 95 and
// the engine draw as they are: a 40-byte header, one plane, uncompressed 1, 4, 8 or 24 bits,
// no table for 24 bits, the rows right behind the colour table, and no pixel beyond the table.
// bitmap is what PhotoBmpRead made of the same bytes.
int PhotoBmpIsDrawable(const unsigned char *data, size_t size, const PhotoBitmap *bitmap);
// The bitmap's pixels as RGB.
void PhotoBmpToImage(const PhotoBitmap *bitmap, PhotoImage *image);
// Dib bytes of an indexed bitmap without loss: its own table (entries it does not use stay
// out), 1, 4 or 8 bits (2-bit pixels become 4-bit), bottom-up rows.
int PhotoBmpWriteIndexedDib(const PhotoBitmap *bitmap, std::vector<unsigned char> *dib);
