// BMP headers: the file header, every info-header version, bit masks and the colour table,
// read through one bounded cursor and checked before any pixel buffer exists.
#include "photo_bmp.h"
#include "photo_internal.h"

#include <cstdarg>
#include <cstdio>

static const size_t BMP_FILE_HEADER = 14;
static const uint32_t BMP_CORE_HEADER = 12;     // OS/2 1.x: 16-bit sizes, 3-byte table entries
static const uint32_t BMP_INFO_HEADER = 40;     // Windows 3
static const uint32_t BMP_OS2_HEADER = 64;      // OS/2 2.x: compressions 3 and 4 differ
static const uint32_t BMP_ALPHA_IN_HEADER = 56; // headers from here on hold an alpha mask

static int Fail(std::string *error, const char *format, ...) __attribute__((format(printf, 2, 3)));

static int Fail(std::string *error, const char *format, ...)
{
    char text[200];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    *error = text;
    return 0;
}

static int IsHeaderSize(uint32_t size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
           size == 124;
}

static int BitsDefined(uint32_t headerSize, int bits)
{
    if (headerSize == BMP_CORE_HEADER)
        return bits == 1 || bits == 4 || bits == 8 || bits == 24;
    return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ||
           bits == 32;
}

// Checks that the compression suits the bit count and header; 0 and the reason otherwise.
static int CheckCompression(const BmpLayout *layout, std::string *error)
{
    uint32_t compression = layout->compression;
    int bits = layout->bits;
    if (layout->headerSize == BMP_OS2_HEADER && compression == 3)
        return Fail(error, "uses OS/2 Huffman compression, which this tool does not read");
    if (layout->headerSize == BMP_OS2_HEADER && compression == 4)
        return Fail(error, "uses OS/2 RLE24 compression, which this tool does not read");
    switch (compression) {
    case BMP_RGB:
        return 1;
    case BMP_RLE8:
        if (bits != 8)
            return Fail(error, "is RLE8-compressed but has %d-bit pixels (RLE8 needs 8)", bits);
        return 1;
    case BMP_RLE4:
        if (bits != 4)
            return Fail(error, "is RLE4-compressed but has %d-bit pixels (RLE4 needs 4)", bits);
        return 1;
    case BMP_BITFIELDS:
    case BMP_ALPHABITFIELDS:
        if (bits != 16 && bits != 32)
            return Fail(error, "has bit-field colours but %d-bit pixels (bit fields need 16 or 32)",
                        bits);
        return 1;
    case BMP_JPEG:
        return Fail(error, "holds an embedded JPEG picture instead of pixel rows, which this "
                           "tool does not read");
    case BMP_PNG:
        return Fail(error, "holds an embedded PNG picture instead of pixel rows, which this "
                           "tool does not read");
    default:
        return Fail(error, "uses %d-bit colour with an unknown compression %u", bits,
                    (unsigned)compression);
    }
}

// The masks of a 16 or 32-bit picture: from the header or right behind it for bit fields, the
// 5-5-5 or 8-8-8 defaults otherwise.
static int ReadMasks(PhotoCursor *cursor, BmpLayout *layout, std::string *error)
{
    uint32_t *masks = layout->masks;
    masks[0] = masks[1] = masks[2] = masks[3] = 0;
    if (layout->compression == BMP_RGB && layout->bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (layout->compression == BMP_RGB && layout->bits == 32) {
        // The fourth byte of an uncompressed 32-bit pixel is unused, not alpha.
        masks[0] = 0xFF0000;
        masks[1] = 0xFF00;
        masks[2] = 0xFF;
    } else if (layout->compression == BMP_BITFIELDS || layout->compression == BMP_ALPHABITFIELDS) {
        // Headers of 52 bytes and more hold the masks at 40; a 40-byte header is followed by
        // them (with alpha for BMP_ALPHABITFIELDS). The alpha mask of a 56-byte or longer
        // header counts with bit fields too.
        int count = 3;
        if (layout->headerSize >= BMP_ALPHA_IN_HEADER ||
            (layout->headerSize == BMP_INFO_HEADER && layout->compression == BMP_ALPHABITFIELDS))
            count = 4;
        PhotoCursor at = *cursor;
        at.at = BMP_FILE_HEADER + BMP_INFO_HEADER;
        for (int i = 0; i < count; i++)
            masks[i] = PhotoCursorU32(&at);
        if (!at.ok)
            return Fail(error, "its bit masks run past the end of the file");
        if (layout->headerSize == BMP_INFO_HEADER)
            cursor->at = at.at;
    } else {
        return 1;
    }
    static const char *const names[4] = {"red", "green", "blue", "alpha"};
    for (int i = 0; i < 4; i++) {
        uint32_t mask = masks[i];
        if (layout->bits == 16 && mask > 0xFFFF)
            return Fail(error, "its %s bit mask 0x%X reaches beyond its 16-bit pixels", names[i],
                        (unsigned)mask);
        // One run of bits: adding the lowest set bit clears the whole run.
        uint32_t low = mask & (~mask + 1);
        if (mask && ((mask + low) & mask))
            return Fail(error, "its %s bit mask 0x%X is not one run of bits", names[i],
                        (unsigned)mask);
    }
    if (!masks[0] && !masks[1] && !masks[2])
        return Fail(error, "its colour bit masks are all zero");
    return 1;
}

// The colour table of an indexed picture: biClrUsed entries (all the bits allow when 0 or
// more), cut short where the pixel data begins before its end.
static int ReadTable(size_t tableOffset, uint32_t clrUsed, size_t size, BmpLayout *layout,
                     std::string *error)
{
    layout->tableOffset = tableOffset;
    layout->tableEntries = 0;
    if (layout->bits > 8)
        return 1;
    uint32_t most = 1u << layout->bits;
    uint32_t entries = clrUsed != 0 && clrUsed < most ? clrUsed : most;
    uint64_t end = tableOffset + (uint64_t)entries * layout->entryBytes;
    if (layout->pixelOffset < end)
        entries = (uint32_t)((layout->pixelOffset - tableOffset) / layout->entryBytes);
    end = tableOffset + (uint64_t)entries * layout->entryBytes;
    if (entries == 0)
        return Fail(error, "has %d-bit pixels but no colour table", layout->bits);
    if (end > size)
        return Fail(error, "its colour table runs past the end of the file");
    layout->tableEntries = (int)entries;
    return 1;
}

// Where the pixels are, and that uncompressed rows lie inside the file.
static int CheckPixels(size_t size, BmpLayout *layout, std::string *error)
{
    if (layout->pixelOffset > size)
        return Fail(error, "its pixel data begins at byte %zu, beyond the end of the file",
                    layout->pixelOffset);
    size_t available = size - layout->pixelOffset;
    if (layout->compression == BMP_RLE8 || layout->compression == BMP_RLE4) {
        layout->pixelBytes = available;
        return 1;
    }
    uint64_t stride = ((uint64_t)layout->width * layout->bits + 31) / 32 * 4;
    uint64_t bytes = stride * (uint64_t)layout->height;
    if (bytes > available)
        return Fail(error, "its pixel rows run past the end of the file");
    layout->pixelBytes = (size_t)bytes;
    return 1;
}

int PhotoBmpParse(const unsigned char *data, size_t size, BmpLayout *layout, std::string *error)
{
    *layout = BmpLayout();
    PhotoCursor cursor = {data, size, 0, 1};
    uint32_t magic = PhotoCursorU16(&cursor);
    if (!cursor.ok || magic != 0x4D42)
        return Fail(error, "is not a BMP file (it does not start with BM)");
    PhotoCursorU32(&cursor); // file size, which writers often get wrong; the real size counts
    PhotoCursorU32(&cursor); // reserved
    uint32_t pixelOffset = PhotoCursorU32(&cursor);
    uint32_t headerSize = PhotoCursorU32(&cursor);
    if (!cursor.ok)
        return Fail(error, "is too short to be a BMP file (%zu bytes)", size);
    if (!IsHeaderSize(headerSize))
        return Fail(error, "has a header of %u bytes, which no BMP version uses",
                    (unsigned)headerSize);
    if (size - BMP_FILE_HEADER < headerSize)
        return Fail(error, "its %u-byte header runs past the end of the file",
                    (unsigned)headerSize);
    layout->headerSize = headerSize;
    layout->pixelOffset = pixelOffset;
    long long width, height;
    uint32_t planes, clrUsed = 0;
    if (headerSize == BMP_CORE_HEADER) {
        width = PhotoCursorU16(&cursor);
        height = PhotoCursorU16(&cursor);
        planes = PhotoCursorU16(&cursor);
        layout->bits = (int)PhotoCursorU16(&cursor);
        layout->entryBytes = 3;
    } else {
        width = (int32_t)PhotoCursorU32(&cursor);
        height = (int32_t)PhotoCursorU32(&cursor);
        planes = PhotoCursorU16(&cursor);
        layout->bits = (int)PhotoCursorU16(&cursor);
        layout->compression = PhotoCursorU32(&cursor);
        PhotoCursorU32(&cursor); // image size: 0 is allowed for uncompressed rows, so not used
        PhotoCursorU32(&cursor); // resolutions
        PhotoCursorU32(&cursor);
        clrUsed = PhotoCursorU32(&cursor);
        layout->entryBytes = 4;
    }
    if (planes != 1)
        return Fail(error, "has %u colour planes; a BMP has 1", (unsigned)planes);
    if (!BitsDefined(headerSize, layout->bits))
        return Fail(error, "has %d bits per pixel, which its %u-byte header does not define",
                    layout->bits, (unsigned)headerSize);
    if (!CheckCompression(layout, error))
        return 0;
    if (width <= 0)
        return Fail(error, "has a width of %lld pixels", width);
    if (height == 0)
        return Fail(error, "has a height of 0 pixels");
    layout->topDown = height < 0;
    if (layout->topDown && layout->compression != BMP_RGB && layout->compression != BMP_BITFIELDS &&
        layout->compression != BMP_ALPHABITFIELDS)
        return Fail(error, "is stored top-down, which compressed BMP rows cannot be");
    if (height < 0)
        height = -height;
    if (!PhotoCheckDimensions(width, height, error))
        return 0;
    layout->width = (int)width;
    layout->height = (int)height;

    cursor.at = BMP_FILE_HEADER + headerSize;
    if (!ReadMasks(&cursor, layout, error))
        return 0;
    if (pixelOffset < cursor.at)
        return Fail(error, "its pixel data begins at byte %u, inside its headers",
                    (unsigned)pixelOffset);
    return ReadTable(cursor.at, clrUsed, size, layout, error) && CheckPixels(size, layout, error);
}
