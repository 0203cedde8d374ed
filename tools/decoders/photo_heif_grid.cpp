// The output size that a HEIF file's primary grid or overlay declares, read from the file's
// boxes before libheif allocates for it.
//
// libheif sizes a grid or overlay canvas from the declaration in the item's data, not from the
// picture's size, so a few hundred bytes can ask for gigabytes. Only the boxes that lead to
// that declaration are read (meta: pitm, iinf, iloc, idat), through one bounded cursor; any
// structure not understood here is left to libheif.
#include "photo_heif_boxes.h"

#include <cstring>

// Where an item's data lies: its first extent, inside the file or the idat box.
struct HeifExtent {
    int method; // 0 file offset, 1 idat offset
    uint64_t offset;
    uint64_t length;
};

static int FindExtent(PhotoCursor iloc, uint32_t item, HeifExtent *extent)
{
    int version = (int)HeifReadBig(&iloc, 1);
    HeifReadBig(&iloc, 3); // flags
    int sizes = (int)HeifReadBig(&iloc, 1), more = (int)HeifReadBig(&iloc, 1);
    int offsetSize = sizes >> 4, lengthSize = sizes & 15, baseSize = more >> 4;
    int indexSize = version == 1 || version == 2 ? more & 15 : 0;
    uint32_t count = (uint32_t)HeifReadBig(&iloc, version < 2 ? 2 : 4);
    for (uint32_t i = 0; i < count && iloc.ok; i++) {
        uint32_t id = (uint32_t)HeifReadBig(&iloc, version < 2 ? 2 : 4);
        int method = version == 1 || version == 2 ? (int)(HeifReadBig(&iloc, 2) & 15) : 0;
        HeifReadBig(&iloc, 2); // data reference
        uint64_t base = HeifReadBig(&iloc, baseSize);
        int extents = (int)HeifReadBig(&iloc, 2);
        for (int e = 0; e < extents && iloc.ok; e++) {
            HeifReadBig(&iloc, indexSize);
            uint64_t offset = HeifReadBig(&iloc, offsetSize);
            uint64_t length = HeifReadBig(&iloc, lengthSize);
            if (id == item && e == 0 && iloc.ok) {
                *extent = {method, base + offset, length};
                return 1;
            }
        }
    }
    return 0;
}

int PhotoHeifDeclaredSize(const unsigned char *data, size_t size, long long *width,
                          long long *height)
{
    HeifMeta meta;
    char type[1][5];
    HeifExtent extent;
    if (!HeifReadMeta(data, size, &meta) || !meta.havePrimary || !meta.iloc.ok ||
        HeifItemTypes(meta.iinf, meta.primary, type, 1) < 1 ||
        (strcmp(type[0], "grid") != 0 && strcmp(type[0], "iovl") != 0) ||
        !FindExtent(meta.iloc, meta.primary, &extent))
        return 0;
    PhotoCursor source = extent.method == 0 ? PhotoCursor{data, size, 0, 1} : meta.idat;
    if (extent.method > 1 || !source.ok || extent.offset > source.size)
        return 0;
    PhotoCursor declaration = {source.data + extent.offset, source.size - (size_t)extent.offset, 0,
                               1};
    HeifReadBig(&declaration, 1); // version
    int wide = HeifReadBig(&declaration, 1) & 1 ? 4 : 2;
    // A grid gives its rows and columns first, an overlay its canvas fill colour.
    HeifReadBig(&declaration, strcmp(type[0], "grid") == 0 ? 2 : 8);
    *width = (long long)HeifReadBig(&declaration, wide);
    *height = (long long)HeifReadBig(&declaration, wide);
    return declaration.ok;
}
