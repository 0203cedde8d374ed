// BMP pixel data into a PhotoBitmap: packed index rows of 1, 2, 4 and 8 bits, RLE8 and RLE4
// streams, and 16, 24 and 32-bit rows with their bit masks, alpha composed over black.
#include "photo_bmp.h"
#include "photo_internal.h"

static size_t RowStride(const BmpLayout *layout)
{
    return ((size_t)layout->width * layout->bits + 31) / 32 * 4;
}

// File row r holds picture row y: the last one first unless the rows are stored top-down.
static int PictureRow(const BmpLayout *layout, int r)
{
    return layout->topDown ? r : layout->height - 1 - r;
}

static void ReadIndexedRows(const unsigned char *data, const BmpLayout *layout, PhotoBitmap *bitmap)
{
    int bits = layout->bits, perByte = 8 / bits;
    unsigned low = (1u << bits) - 1;
    size_t stride = RowStride(layout);
    for (int r = 0; r < layout->height; r++) {
        const unsigned char *row = data + layout->pixelOffset + r * stride;
        unsigned char *out = bitmap->indices.data() + (size_t)PictureRow(layout, r) * layout->width;
        // The leftmost pixel sits in a byte's most significant bits.
        for (int x = 0; x < layout->width; x++)
            out[x] = (unsigned char)(row[x / perByte] >> (8 - bits * (x % perByte + 1)) & low);
    }
}

// Expands an RLE8 or RLE4 stream. Rows run from the bottom; pixels that a line end, a delta or
// the early end of the picture skip keep index 0, and pixels past the right edge are dropped.
static int ReadRle(const unsigned char *data, const BmpLayout *layout, PhotoBitmap *bitmap,
                   std::string *error)
{
    PhotoCursor cursor = {data + layout->pixelOffset, layout->pixelBytes, 0, 1};
    int rle4 = layout->compression == BMP_RLE4;
    int width = layout->width, height = layout->height;
    int x = 0, y = 0, ended = 0;
    auto put = [&](int at, unsigned index) {
        if (at < width)
            bitmap->indices[(size_t)(height - 1 - y) * width + at] = (unsigned char)index;
    };
    while (!ended && y < height) {
        unsigned count = PhotoCursorU8(&cursor), value = PhotoCursorU8(&cursor);
        if (!cursor.ok)
            break;
        if (count > 0) {
            // A run repeats one byte: one index, or for RLE4 two that alternate.
            for (unsigned i = 0; i < count && x + (int)i < width; i++)
                put(x + i, rle4 ? (i % 2 ? value & 15 : value >> 4) : value);
            x = std::min(width, x + (int)count);
        } else if (value == 0) {
            x = 0;
            y++;
        } else if (value == 1) {
            ended = 1;
        } else if (value == 2) {
            unsigned dx = PhotoCursorU8(&cursor), dy = PhotoCursorU8(&cursor);
            x = std::min(width, x + (int)dx);
            y = std::min(height, y + (int)dy);
        } else {
            // Literal pixels, padded to a whole number of 16-bit words.
            size_t bytes = rle4 ? (value + 1) / 2 : value;
            const unsigned char *run = PhotoCursorBytes(&cursor, (bytes + 1) & ~(size_t)1);
            if (!run)
                break;
            for (unsigned i = 0; i < value && x + (int)i < width; i++)
                put(x + i, rle4 ? (i % 2 ? run[i / 2] & 15 : run[i / 2] >> 4) : run[i]);
            x = std::min(width, x + (int)value);
        }
    }
    if (!ended && y < height) {
        *error = "its compressed pixel data ends before the last row";
        return 0;
    }
    return 1;
}

// One colour channel of a bit-field pixel: its mask, where it starts, its largest value.
struct BmpChannel {
    uint32_t mask;
    int shift;
    uint32_t most;
};

static BmpChannel ChannelFromMask(uint32_t mask)
{
    BmpChannel channel = {mask, 0, 0};
    if (!mask)
        return channel;
    while (!(mask >> channel.shift & 1))
        channel.shift++;
    channel.most = mask >> channel.shift;
    return channel;
}

// The channel's value scaled to 0..255, rounded; a missing channel reads 0.
static unsigned ChannelValue(uint32_t pixel, const BmpChannel &channel)
{
    if (!channel.mask)
        return 0;
    uint64_t value = (pixel & channel.mask) >> channel.shift;
    return (unsigned)((value * 255 + channel.most / 2) / channel.most);
}

static uint32_t PixelAt(const unsigned char *row, int x, int bits)
{
    if (bits == 16)
        return (uint32_t)(row[2 * x] | row[2 * x + 1] << 8);
    const unsigned char *p = row + 4 * x;
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

// Whether any pixel has alpha above 0. Writers that leave alpha unset write 0 everywhere and
// mean an opaque picture, so a picture whose alpha is 0 throughout is taken as opaque.
static int AnyAlpha(const unsigned char *data, const BmpLayout *layout)
{
    if (!layout->masks[3])
        return 0;
    size_t stride = RowStride(layout);
    for (int r = 0; r < layout->height; r++) {
        const unsigned char *row = data + layout->pixelOffset + r * stride;
        for (int x = 0; x < layout->width; x++) {
            if (PixelAt(row, x, layout->bits) & layout->masks[3])
                return 1;
        }
    }
    return 0;
}

static void ReadTrueColourRows(const unsigned char *data, const BmpLayout *layout,
                               PhotoBitmap *bitmap)
{
    int width = layout->width, alpha = AnyAlpha(data, layout);
    BmpChannel channels[4];
    for (int i = 0; i < 4; i++)
        channels[i] = ChannelFromMask(layout->masks[i]);
    size_t stride = RowStride(layout);
    std::vector<unsigned char> rgba((size_t)width * 4);
    for (int r = 0; r < layout->height; r++) {
        const unsigned char *row = data + layout->pixelOffset + r * stride;
        unsigned char *out = bitmap->image.rgb.data() + (size_t)PictureRow(layout, r) * width * 3;
        for (int x = 0; x < width; x++) {
            unsigned char *p = rgba.data() + 4 * x;
            if (layout->bits == 24) {
                p[0] = row[3 * x + 2];
                p[1] = row[3 * x + 1];
                p[2] = row[3 * x];
                p[3] = 255;
                continue;
            }
            uint32_t pixel = PixelAt(row, x, layout->bits);
            for (int i = 0; i < 3; i++)
                p[i] = (unsigned char)ChannelValue(pixel, channels[i]);
            p[3] = alpha ? (unsigned char)ChannelValue(pixel, channels[3]) : 255;
        }
        PhotoComposeRow(rgba.data(), width, 0, out);
    }
}

// The table as red, green, blue, grown with black entries to cover every index in use, so
// that the picture means the same to every reader.
static void ReadTable(const unsigned char *data, const BmpLayout *layout, PhotoBitmap *bitmap)
{
    unsigned used = 0;
    for (unsigned char index : bitmap->indices)
        used = std::max(used, (unsigned)index + 1);
    unsigned entries = std::max(used, (unsigned)layout->tableEntries);
    bitmap->table.assign((size_t)entries * 3, 0);
    for (int i = 0; i < layout->tableEntries; i++) {
        const unsigned char *entry = data + layout->tableOffset + (size_t)i * layout->entryBytes;
        bitmap->table[3 * i] = entry[2];
        bitmap->table[3 * i + 1] = entry[1];
        bitmap->table[3 * i + 2] = entry[0];
    }
}

int PhotoBmpRead(const unsigned char *data, size_t size, PhotoBitmap *bitmap, std::string *error)
{
    *bitmap = PhotoBitmap();
    BmpLayout layout;
    if (!PhotoBmpParse(data, size, &layout, error))
        return 0;
    bitmap->width = layout.width;
    bitmap->height = layout.height;
    bitmap->bits = layout.bits;
    bitmap->indexed = layout.bits <= 8;
    if (!bitmap->indexed) {
        PhotoImageAllocate(&bitmap->image, layout.width, layout.height);
        ReadTrueColourRows(data, &layout, bitmap);
        return 1;
    }
    bitmap->indices.assign((size_t)layout.width * layout.height, 0);
    if (layout.compression == BMP_RLE8 || layout.compression == BMP_RLE4) {
        if (!ReadRle(data, &layout, bitmap, error)) {
            *bitmap = PhotoBitmap();
            return 0;
        }
    } else {
        ReadIndexedRows(data, &layout, bitmap);
    }
    ReadTable(data, &layout, bitmap);
    return 1;
}
