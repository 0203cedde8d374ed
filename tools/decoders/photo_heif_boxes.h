// Reading a HEIF file's item boxes from memory, for the checks made before libheif decodes.
//
// Only the boxes that describe items are read (meta: pitm, iinf, iloc, iref, idat), through
// bounded cursors. As in libheif, the last meta box in the file counts, and inside it the first
// box of each kind.
#pragma once

#include "photo_internal.h"

// One box: its type and a cursor over its contents.
struct HeifBox {
    char type[5];
    PhotoCursor body;
};

// The item boxes of the file's last meta box. A box the file lacks has a cursor with ok 0.
struct HeifMeta {
    int metaBoxes; // meta boxes at the top level of the file
    int havePrimary;
    uint32_t primary; // the pitm item
    PhotoCursor iinf, iloc, iref, idat;
};

// A big-endian value of 0 to 8 bytes; 0 once the cursor has run out.
uint64_t HeifReadBig(PhotoCursor *cursor, int bytes);
// The next box inside parent, or 0 at the end or on a damaged size.
int HeifNextBox(PhotoCursor *parent, HeifBox *box);
// Finds the last meta box and its item boxes; 0 when the file has no meta box.
int HeifReadMeta(const unsigned char *data, size_t size, HeifMeta *meta);
// Moves an iinf box's cursor past its header to its first entry. Every entry is read later,
// however many the header says there are, as libheif does.
void HeifItemsStart(PhotoCursor *iinf);
// The next whole infe entry: its item id and its type as a big-endian number (0 for an entry
// too old to carry one, version 0 or 1). 0 at the end; a damaged entry is passed over.
int HeifNextItem(PhotoCursor *iinf, uint32_t *id, uint32_t *type);
// The type of every infe entry for item, in order, up to max; returns how many there are.
// An entry too old to carry a type (version 0 or 1) gives an empty type.
int HeifItemTypes(PhotoCursor iinf, uint32_t item, char types[][5], int max);
