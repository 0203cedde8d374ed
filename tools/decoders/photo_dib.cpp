// Writing a picture as Dib bytes: BITMAPINFOHEADER, colour table, bottom-up rows of 4-byte width.
#include "photo_internal.h"

#include <cstdint>
#include <cstring>
#include "dib.h"

// Entries in the colour table of an 8-bit Dib.
static const int DIB_TABLE_ENTRIES = 256;

void PhotoDibStart(int width, int height, int bits, uint32_t tableEntries, uint32_t clrUsed,
                   std::vector<unsigned char> *dib)
{
    size_t stride = ((size_t)width * bits + 31) / 32 * 4;
    size_t imageBytes = stride * height;
    dib->assign(DIB_HEADER_SIZE + 4 * (size_t)tableEntries + imageBytes, 0);
    unsigned char *h = dib->data();
    WriteLe32(h, DIB_HEADER_SIZE);
    WriteLe32(h + 4, (uint32_t)width);
    WriteLe32(h + 8, (uint32_t)height); // positive: rows bottom-up
    WriteLe16(h + 12, 1);               // planes
    WriteLe16(h + 14, (uint16_t)bits);
    WriteLe32(h + 16, 0); // BI_RGB
    WriteLe32(h + 20, (uint32_t)imageBytes);
    WriteLe32(h + 32, clrUsed);
}

// PhotoDibStart with the table of an 8-bit Dib (full, every entry counted) or none; returns the
// row length in bytes.
static size_t DibStart(int width, int height, int bits, std::vector<unsigned char> *dib)
{
    uint32_t tableEntries = bits == 8 ? DIB_TABLE_ENTRIES : 0;
    PhotoDibStart(width, height, bits, tableEntries, tableEntries, dib);
    return ((size_t)width * bits + 31) / 32 * 4;
}

static int DibSizeValid(int width, int height)
{
    return width >= 1 && height >= 1 && (long long)width * height <= PHOTO_MAX_PIXELS;
}

int PhotoWriteDib8(int width, int height, const unsigned char *indices,
                   const unsigned char *palette, int paletteCount, std::vector<unsigned char> *dib)
{
    dib->clear();
    if (!DibSizeValid(width, height) || paletteCount < 1 || paletteCount > DIB_TABLE_ENTRIES)
        return 0;
    for (size_t i = 0; i < (size_t)width * height; i++) {
        if (indices[i] >= paletteCount)
            return 0;
    }
    size_t rowBytes = DibStart(width, height, 8, dib);
    unsigned char *table = dib->data() + DIB_HEADER_SIZE;
    for (int i = 0; i < paletteCount; i++) {
        table[4 * i] = palette[3 * i + 2];
        table[4 * i + 1] = palette[3 * i + 1];
        table[4 * i + 2] = palette[3 * i];
    }
    unsigned char *rows = table + 4 * DIB_TABLE_ENTRIES;
    for (int y = 0; y < height; y++)
        memcpy(rows + (size_t)(height - 1 - y) * rowBytes, indices + (size_t)y * width, width);
    return 1;
}

int PhotoWriteDib24(const PhotoImage *image, std::vector<unsigned char> *dib)
{
    dib->clear();
    int width = image->width, height = image->height;
    if (!DibSizeValid(width, height) || image->rgb.size() != (size_t)width * height * 3)
        return 0;
    size_t rowBytes = DibStart(width, height, 24, dib);
    unsigned char *rows = dib->data() + DIB_HEADER_SIZE;
    for (int y = 0; y < height; y++) {
        const unsigned char *in = image->rgb.data() + (size_t)y * width * 3;
        unsigned char *out = rows + (size_t)(height - 1 - y) * rowBytes;
        for (int x = 0; x < width; x++) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return 1;
}
