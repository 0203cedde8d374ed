// Composing the preview collage from the slides already turned into Dibs.
#include "pack_preview.h"

#include <string.h>
#include <algorithm>
#include "dib.h"

int DibToImage(const Blob *dib, PhotoImage *image)
{
    DibLayout layout;
    if (!DibParseBlob(dib, &layout))
        return 0;
    image->width = layout.width;
    image->height = layout.height;
    image->rgb.assign((size_t)layout.width * layout.height * 3, 0);
    const unsigned char *table = dib->data + layout.headerSize;
    for (int32_t y = 0; y < layout.height; y++) {
        int32_t stored = layout.topDown ? y : layout.height - 1 - y;
        const unsigned char *row = dib->data + layout.rowsOffset + (size_t)stored * layout.stride;
        unsigned char *out = image->rgb.data() + (size_t)y * layout.width * 3;
        for (int32_t x = 0; x < layout.width; x++, out += 3) {
            if (layout.bitCount == 24) {
                out[0] = row[3 * x + 2];
                out[1] = row[3 * x + 1];
                out[2] = row[3 * x];
                continue;
            }
            int bits = layout.bitCount;
            int perByte = 8 / bits;
            int shift = 8 - bits * (1 + x % perByte);
            uint32_t index = (row[x / perByte] >> shift) & ((1u << bits) - 1);
            if (index < layout.colours) { // an index past the table stays black
                out[0] = table[4 * index + 2];
                out[1] = table[4 * index + 1];
                out[2] = table[4 * index];
            }
        }
    }
    return 1;
}

void CollageCell(int index, int count, int width, int height, int *x, int *y, int *cellWidth,
                 int *cellHeight)
{
    int rows = count <= 2 ? 1 : 2;
    int firstRow = (count + rows - 1) / rows;
    int row = index < firstRow ? 0 : 1;
    int inRow = row == 0 ? firstRow : count - firstRow;
    int column = row == 0 ? index : index - firstRow;
    // Edges on a grid widened by one gap, so that the cells and gaps fill the picture exactly.
    int left = column * (width + COLLAGE_GAP) / inRow;
    int right = (column + 1) * (width + COLLAGE_GAP) / inRow - COLLAGE_GAP;
    int top = row * (height + COLLAGE_GAP) / rows;
    int bottom = (row + 1) * (height + COLLAGE_GAP) / rows - COLLAGE_GAP;
    *x = left;
    *y = top;
    *cellWidth = std::max(1, right - left);
    *cellHeight = std::max(1, bottom - top);
}

// The centre part of source with the shape of a cellWidth x cellHeight cell, scaled to it.
static int CoverCell(const PhotoImage *source, int cellWidth, int cellHeight, PhotoImage *cell)
{
    long long w = source->width, h = source->height;
    long long cropWidth = w, cropHeight = h;
    if (w * cellHeight > cellWidth * h)
        cropWidth = std::max(1LL, (h * cellWidth + cellHeight / 2) / cellHeight);
    else
        cropHeight = std::max(1LL, (w * cellHeight + cellWidth / 2) / cellWidth);
    PhotoImage crop;
    crop.width = (int)cropWidth;
    crop.height = (int)cropHeight;
    crop.rgb.resize((size_t)cropWidth * cropHeight * 3);
    long long left = (w - cropWidth) / 2, top = (h - cropHeight) / 2;
    for (long long y = 0; y < cropHeight; y++)
        memcpy(&crop.rgb[(size_t)(y * cropWidth * 3)],
               &source->rgb[(size_t)(((top + y) * w + left) * 3)], (size_t)cropWidth * 3);
    return PhotoResample(&crop, cellWidth, cellHeight, cell);
}

int MakePreviewCollage(const Blob *slides, int count, int width, int height, int quality, int speed,
                       Blob *preview, std::string *error)
{
    BlobFree(preview);
    count = std::min(count, COLLAGE_SLIDES);
    PhotoImage collage;
    collage.width = width;
    collage.height = height;
    collage.rgb.assign((size_t)width * height * 3, 0);
    for (int i = 0; i < count; i++) {
        int x, y, cellWidth, cellHeight;
        CollageCell(i, count, width, height, &x, &y, &cellWidth, &cellHeight);
        PhotoImage slide, cell;
        if (!DibToImage(&slides[i], &slide) || !CoverCell(&slide, cellWidth, cellHeight, &cell)) {
            *error = "slide " + std::to_string(i + 1) + " cannot be drawn into the collage";
            return 0;
        }
        for (int row = 0; row < cellHeight; row++)
            memcpy(&collage.rgb[((size_t)(y + row) * width + x) * 3],
                   &cell.rgb[(size_t)row * cellWidth * 3], (size_t)cellWidth * 3);
    }
    std::vector<unsigned char> indices, palette, dib;
    if (!PhotoQuantise(&collage, quality, speed, &indices, &palette, error))
        return 0;
    if (!PhotoWriteDib8(width, height, indices.data(), palette.data(), (int)(palette.size() / 3),
                        &dib)) {
        *error = "the collage cannot be written as a bitmap";
        return 0;
    }
    BlobAllocate(preview, BlobKind::Dib, (uint32_t)dib.size());
    memcpy(preview->data, dib.data(), dib.size());
    return 1;
}
