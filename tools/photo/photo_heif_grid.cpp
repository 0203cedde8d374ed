// The output size that a HEIF file's primary grid or overlay declares, read from the file's
// boxes before libheif allocates for it.
//
// libheif sizes a grid or overlay canvas from the declaration in the item's data, not from the
// picture's size, so a few hundred bytes can ask for gigabytes. Only the boxes that lead to
// that declaration are read (meta: pitm, iinf, iloc, idat), through one bounded cursor; any
// structure not understood here is left to libheif.
#include "photo_internal.h"

#include <cstring>

static uint64_t ReadBig(PhotoCursor *cursor, int bytes)
{
    const unsigned char *p = PhotoCursorBytes(cursor, (size_t)bytes);
    uint64_t value = 0;
    for (int i = 0; p && i < bytes; i++)
        value = value << 8 | p[i];
    return value;
}

// One box: its type and a cursor over its contents.
struct HeifBox {
    char type[5];
    PhotoCursor body;
};

// The next box inside parent, or 0 at the end or on a damaged size.
static int NextBox(PhotoCursor *parent, HeifBox *box)
{
    size_t start = parent->at;
    uint64_t size = ReadBig(parent, 4);
    const unsigned char *type = PhotoCursorBytes(parent, 4);
    if (!parent->ok)
        return 0;
    if (size == 1)
        size = ReadBig(parent, 8);
    else if (size == 0)
        size = parent->size - start;
    size_t header = parent->at - start;
    if (!parent->ok || size < header || size - header > parent->size - parent->at)
        return 0;
    memcpy(box->type, type, 4);
    box->type[4] = 0;
    box->body = {parent->data + parent->at, (size_t)(size - header), 0, 1};
    parent->at += (size_t)(size - header);
    return 1;
}

// Where an item's data lies: its first extent, inside the file or the idat box.
struct HeifExtent {
    int method; // 0 file offset, 1 idat offset
    uint64_t offset;
    uint64_t length;
};

static int FindExtent(PhotoCursor iloc, uint32_t item, HeifExtent *extent)
{
    int version = (int)ReadBig(&iloc, 1);
    ReadBig(&iloc, 3); // flags
    int sizes = (int)ReadBig(&iloc, 1), more = (int)ReadBig(&iloc, 1);
    int offsetSize = sizes >> 4, lengthSize = sizes & 15, baseSize = more >> 4;
    int indexSize = version == 1 || version == 2 ? more & 15 : 0;
    uint32_t count = (uint32_t)ReadBig(&iloc, version < 2 ? 2 : 4);
    for (uint32_t i = 0; i < count && iloc.ok; i++) {
        uint32_t id = (uint32_t)ReadBig(&iloc, version < 2 ? 2 : 4);
        int method = version == 1 || version == 2 ? (int)(ReadBig(&iloc, 2) & 15) : 0;
        ReadBig(&iloc, 2); // data reference
        uint64_t base = ReadBig(&iloc, baseSize);
        int extents = (int)ReadBig(&iloc, 2);
        for (int e = 0; e < extents && iloc.ok; e++) {
            ReadBig(&iloc, indexSize);
            uint64_t offset = ReadBig(&iloc, offsetSize);
            uint64_t length = ReadBig(&iloc, lengthSize);
            if (id == item && e == 0 && iloc.ok) {
                *extent = {method, base + offset, length};
                return 1;
            }
        }
    }
    return 0;
}

// The type of an item from the iinf box, or 0.
static int FindType(PhotoCursor iinf, uint32_t item, char type[5])
{
    int version = (int)ReadBig(&iinf, 1);
    ReadBig(&iinf, 3);
    ReadBig(&iinf, version == 0 ? 2 : 4); // entry count
    HeifBox entry;
    while (NextBox(&iinf, &entry)) {
        if (strcmp(entry.type, "infe") != 0)
            continue;
        int entryVersion = (int)ReadBig(&entry.body, 1);
        ReadBig(&entry.body, 3);
        if (entryVersion < 2)
            continue;
        uint32_t id = (uint32_t)ReadBig(&entry.body, entryVersion == 2 ? 2 : 4);
        ReadBig(&entry.body, 2); // protection
        const unsigned char *kind = PhotoCursorBytes(&entry.body, 4);
        if (entry.body.ok && id == item) {
            memcpy(type, kind, 4);
            type[4] = 0;
            return 1;
        }
    }
    return 0;
}

int PhotoHeifDeclaredSize(const unsigned char *data, size_t size, long long *width,
                          long long *height)
{
    PhotoCursor file = {data, size, 0, 1};
    HeifBox box, meta;
    int haveMeta = 0;
    while (!haveMeta && NextBox(&file, &box)) {
        if (strcmp(box.type, "meta") == 0) {
            meta = box;
            haveMeta = 1;
        }
    }
    if (!haveMeta)
        return 0;
    ReadBig(&meta.body, 4); // version and flags
    uint32_t primary = 0;
    int havePrimary = 0, haveIinf = 0, haveIloc = 0;
    PhotoCursor iinf = {}, iloc = {}, idat = {nullptr, 0, 0, 0};
    while (NextBox(&meta.body, &box)) {
        if (strcmp(box.type, "pitm") == 0) {
            int version = (int)ReadBig(&box.body, 1);
            ReadBig(&box.body, 3);
            primary = (uint32_t)ReadBig(&box.body, version == 0 ? 2 : 4);
            havePrimary = box.body.ok;
        } else if (strcmp(box.type, "iinf") == 0) {
            iinf = box.body;
            haveIinf = 1;
        } else if (strcmp(box.type, "iloc") == 0) {
            iloc = box.body;
            haveIloc = 1;
        } else if (strcmp(box.type, "idat") == 0) {
            idat = box.body;
        }
    }
    char type[5];
    HeifExtent extent;
    if (!havePrimary || !haveIinf || !haveIloc || !FindType(iinf, primary, type) ||
        (strcmp(type, "grid") != 0 && strcmp(type, "iovl") != 0) ||
        !FindExtent(iloc, primary, &extent))
        return 0;
    PhotoCursor source = extent.method == 0 ? PhotoCursor{data, size, 0, 1} : idat;
    if (extent.method > 1 || !source.ok || extent.offset > source.size)
        return 0;
    PhotoCursor declaration = {source.data + extent.offset, source.size - (size_t)extent.offset, 0,
                               1};
    ReadBig(&declaration, 1); // version
    int wide = ReadBig(&declaration, 1) & 1 ? 4 : 2;
    // A grid gives its rows and columns first, an overlay its canvas fill colour.
    ReadBig(&declaration, strcmp(type, "grid") == 0 ? 2 : 8);
    *width = (long long)ReadBig(&declaration, wide);
    *height = (long long)ReadBig(&declaration, wide);
    return declaration.ok;
}
