// HEIF box reading shared by the canvas and derivation checks.
#include "photo_heif_boxes.h"

#include <cstring>

uint64_t HeifReadBig(PhotoCursor *cursor, int bytes)
{
    const unsigned char *p = PhotoCursorBytes(cursor, (size_t)bytes);
    uint64_t value = 0;
    for (int i = 0; p && i < bytes; i++)
        value = value << 8 | p[i];
    return value;
}

int HeifNextBox(PhotoCursor *parent, HeifBox *box)
{
    size_t start = parent->at;
    uint64_t size = HeifReadBig(parent, 4);
    const unsigned char *type = PhotoCursorBytes(parent, 4);
    if (!parent->ok)
        return 0;
    if (size == 1)
        size = HeifReadBig(parent, 8);
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

int HeifReadMeta(const unsigned char *data, size_t size, HeifMeta *meta)
{
    *meta = HeifMeta();
    PhotoCursor file = {data, size, 0, 1};
    HeifBox box;
    PhotoCursor body = {};
    while (HeifNextBox(&file, &box)) {
        if (strcmp(box.type, "meta") == 0) {
            body = box.body;
            meta->metaBoxes++;
        }
    }
    if (meta->metaBoxes == 0)
        return 0;
    HeifReadBig(&body, 4); // version and flags
    int havePitm = 0;
    while (HeifNextBox(&body, &box)) {
        if (strcmp(box.type, "pitm") == 0 && !havePitm) {
            int version = (int)HeifReadBig(&box.body, 1);
            HeifReadBig(&box.body, 3);
            meta->primary = (uint32_t)HeifReadBig(&box.body, version == 0 ? 2 : 4);
            meta->havePrimary = box.body.ok;
            havePitm = 1;
        } else if (strcmp(box.type, "iinf") == 0 && !meta->iinf.ok) {
            meta->iinf = box.body;
        } else if (strcmp(box.type, "iloc") == 0 && !meta->iloc.ok) {
            meta->iloc = box.body;
        } else if (strcmp(box.type, "iref") == 0 && !meta->iref.ok) {
            meta->iref = box.body;
        } else if (strcmp(box.type, "idat") == 0 && !meta->idat.ok) {
            meta->idat = box.body;
        }
    }
    return 1;
}

void HeifItemsStart(PhotoCursor *iinf)
{
    int version = (int)HeifReadBig(iinf, 1);
    HeifReadBig(iinf, 3);
    HeifReadBig(iinf, version == 0 ? 2 : 4); // entry count
}

int HeifNextItem(PhotoCursor *iinf, uint32_t *id, uint32_t *type)
{
    HeifBox entry;
    while (HeifNextBox(iinf, &entry)) {
        if (strcmp(entry.type, "infe") != 0)
            continue;
        int version = (int)HeifReadBig(&entry.body, 1);
        HeifReadBig(&entry.body, 3);
        *id = (uint32_t)HeifReadBig(&entry.body, version <= 2 ? 2 : 4);
        HeifReadBig(&entry.body, 2); // protection
        *type = version >= 2 ? (uint32_t)HeifReadBig(&entry.body, 4) : 0;
        if (entry.body.ok)
            return 1;
    }
    return 0;
}

int HeifItemTypes(PhotoCursor iinf, uint32_t item, char types[][5], int max)
{
    HeifItemsStart(&iinf);
    uint32_t id = 0, type = 0;
    int count = 0;
    while (HeifNextItem(&iinf, &id, &type)) {
        if (id != item)
            continue;
        if (count < max) {
            for (int i = 0; i < 4; i++)
                types[count][i] = (char)(type >> (24 - 8 * i));
            types[count][4] = '\0';
        }
        count++;
    }
    return count;
}
