// Dib headers: parsing and the checks that keep every reader of a picture inside its data.
#include "dib.h"

static const uint32_t BI_RGB_COMPRESSION = 0;

// Colour-table entries of an indexed picture: biClrUsed when set, else 2 to the bit count.
static uint64_t TableEntries(int bitCount, uint32_t clrUsed)
{
    if (bitCount == 24)
        return 0;
    return clrUsed != 0 ? clrUsed : (uint64_t)1 << bitCount;
}

int DibParse(const unsigned char *data, uint32_t size, DibLayout *layout)
{
    if (!data || size < DIB_HEADER_SIZE)
        return 0;
    uint32_t headerSize = ReadLe32(data);
    int32_t width = (int32_t)ReadLe32(data + 4);
    int32_t height = (int32_t)ReadLe32(data + 8);
    int bitCount = ReadLe16(data + 14);
    uint32_t compression = ReadLe32(data + 16);
    uint32_t clrUsed = ReadLe32(data + 32);
    if (headerSize < DIB_HEADER_SIZE || headerSize > size)
        return 0;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24)
        return 0;
    // Compressed rows have a length only GDI's decoder knows; it could read past the data.
    if (compression != BI_RGB_COMPRESSION)
        return 0;
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return 0;
    uint64_t rows = height < 0 ? (uint64_t)-(int64_t)height : (uint64_t)height;
    uint64_t colours = TableEntries(bitCount, clrUsed);
    uint64_t rowsOffset = (uint64_t)headerSize + 4 * colours;
    uint64_t stride = (((uint64_t)width * bitCount + 31) / 32) * 4;
    uint64_t rowsSize = stride * rows;
    if (rowsOffset > size || rowsSize > size - rowsOffset)
        return 0;
    layout->width = width;
    layout->height = (int32_t)rows;
    layout->topDown = height < 0;
    layout->bitCount = bitCount;
    layout->headerSize = headerSize;
    layout->colours = (uint32_t)colours;
    layout->rowsOffset = (uint32_t)rowsOffset;
    layout->stride = (uint32_t)stride;
    layout->rowsSize = (uint32_t)rowsSize;
    return 1;
}

int DibParseBlob(const Blob *blob, DibLayout *layout)
{
    return blob->kind == BlobKind::Dib && DibParse(blob->data, blob->size, layout);
}

int DibWidth(const Blob *blob)
{
    DibLayout layout;
    return DibParseBlob(blob, &layout) ? layout.width : 0;
}

int DibHeight(const Blob *blob)
{
    DibLayout layout;
    return DibParseBlob(blob, &layout) ? layout.height : 0;
}

void ScaleColorTriplets(unsigned char *first, int step, int count, int factor)
{
    for (int i = 0; i < count; i++, first += step) {
        first[0] = (unsigned char)((first[0] * factor) >> 8);
        first[1] = (unsigned char)((first[1] * factor) >> 8);
        first[2] = (unsigned char)((first[2] * factor) >> 8);
    }
}

void ColorCubeEntry(int index, unsigned char *red, unsigned char *green, unsigned char *blue)
{
    *red = (unsigned char)(51 * (index % 6));
    *green = (unsigned char)(51 * (index / 6 % 6));
    *blue = (unsigned char)(51 * (index / 36 % 6));
}
