// From a read BMP to what Windows 95 draws: the test for a file that already is such a Dib,
// the lossless indexed Dib, and RGB pixels for fitting.
#include "photo_bmp.h"
#include "photo_internal.h"

#include <cstring>
#include "dib.h"

static const size_t BMP_FILE_HEADER = 14;

int PhotoBmpIsDrawable(const unsigned char *data, size_t size, const PhotoBitmap *bitmap)
{
    BmpLayout layout;
    std::string error;
    if (!PhotoBmpParse(data, size, &layout, &error))
        return 0;
    int bits = layout.bits;
    if (layout.headerSize != DIB_HEADER_SIZE || layout.compression != BMP_RGB ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 24))
        return 0;
    // The engine and GDI find the rows behind biClrUsed entries (all the bits allow when 0);
    // a 24-bit picture must carry none, since the engine looks for no table there.
    uint32_t clrUsed = ReadLe32(data + BMP_FILE_HEADER + 32);
    uint32_t entries = bits == 24 ? 0 : clrUsed ? clrUsed : 1u << bits;
    if ((bits == 24 && clrUsed != 0) || (bits <= 8 && clrUsed > 1u << bits))
        return 0;
    // An index beyond the table means a different colour to each reader: such a picture is
    // rewritten with the table grown to cover it.
    if (bits <= 8 && bitmap->table.size() / 3 != entries)
        return 0;
    return layout.pixelOffset == BMP_FILE_HEADER + DIB_HEADER_SIZE + 4 * entries;
}

void PhotoBmpToImage(const PhotoBitmap *bitmap, PhotoImage *image)
{
    if (!bitmap->indexed) {
        *image = bitmap->image;
        return;
    }
    PhotoImageAllocate(image, bitmap->width, bitmap->height);
    for (size_t i = 0; i < bitmap->indices.size(); i++)
        memcpy(&image->rgb[3 * i], &bitmap->table[3 * (size_t)bitmap->indices[i]], 3);
}

int PhotoBmpWriteIndexedDib(const PhotoBitmap *bitmap, std::vector<unsigned char> *dib)
{
    dib->clear();
    // Windows 95 draws 1, 4 and 8 bits; 2-bit pixels fit 4-bit ones.
    int bits = bitmap->bits == 2 ? 4 : bitmap->bits;
    uint32_t entries = (uint32_t)(bitmap->table.size() / 3);
    if (!bitmap->indexed || (bits != 1 && bits != 4 && bits != 8) || entries < 1 ||
        entries > 1u << bits)
        return 0;
    int width = bitmap->width, height = bitmap->height;
    size_t stride = ((size_t)width * bits + 31) / 32 * 4;
    size_t tableBytes = 4 * (size_t)entries;
    // A full table is the default; a short one is kept short.
    PhotoDibStart(width, height, bits, entries, entries == 1u << bits ? 0 : entries, dib);
    unsigned char *table = dib->data() + DIB_HEADER_SIZE;
    for (uint32_t i = 0; i < entries; i++) {
        table[4 * i] = bitmap->table[3 * i + 2];
        table[4 * i + 1] = bitmap->table[3 * i + 1];
        table[4 * i + 2] = bitmap->table[3 * i];
    }
    int perByte = 8 / bits;
    for (int y = 0; y < height; y++) {
        const unsigned char *in = bitmap->indices.data() + (size_t)y * width;
        unsigned char *row = table + tableBytes + (size_t)(height - 1 - y) * stride;
        for (int x = 0; x < width; x++)
            row[x / perByte] |= (unsigned char)(in[x] << (8 - bits * (x % perByte + 1)));
    }
    return 1;
}

int PhotoDecodeBmp(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                   std::string *error)
{
    PhotoBitmap bitmap;
    if (!PhotoBmpRead(data, size, &bitmap, error))
        return 0;
    info->sourceWidth = bitmap.width;
    info->sourceHeight = bitmap.height;
    PhotoBmpToImage(&bitmap, image);
    return 1;
}
