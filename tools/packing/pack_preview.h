// The installer's default preview: a collage of the first slides, made at the size of the
// dialog's preview control.
#pragma once

#include <string>
#include "blob.h"
#include "photo.h"

const int COLLAGE_SLIDES = 4; // slides shown in the collage at most
const int COLLAGE_GAP = 2;    // black pixels between two cells

// A drawable Dib (1, 4, 8 or 24 bits, uncompressed) as top-down RGB. 0 for any other blob.
int DibToImage(const Blob *dib, PhotoImage *image);

// Where cell index of a collage of count cells lies in a width x height picture: one row for
// one or two cells, two rows (the first one fuller) for three or four.
void CollageCell(int index, int count, int width, int height, int *x, int *y, int *cellWidth,
                 int *cellHeight);

// A width x height 8-bit Dib of the first slides (at most COLLAGE_SLIDES), each scaled to cover
// its cell and cut to it around its centre, over black, reduced to its own colours with the
// given quality and speed. 0 with a reason when a slide cannot be read or reduced.
int MakePreviewCollage(const Blob *slides, int count, int width, int height, int quality, int speed,
                       Blob *preview, std::string *error);
