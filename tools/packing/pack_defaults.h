// What a saver gets for an input the user leaves out: the options text, a logo, and the sizes
// of the preview and of a photo logo.
#pragma once

#include <string>
#include <vector>
#include "blob.h"

// Banner off, launch key V, no web address: a saver of one's own pictures without the demo's
// banner line.
extern const char DEFAULT_OPTIONS[];
// Box a logo larger than it is fitted into unless --logo-size gives one: the size of the logo
// the demo installer carries, two fifths of the 800 x 600 slide box on each side.
const int DEFAULT_LOGO_WIDTH = 320;
const int DEFAULT_LOGO_HEIGHT = 200;
// Pixels of the installer's preview control: 180 x 128 dialog units at the dialog font's 1.5
// by 1.625 pixels per unit (8-point MS Sans Serif on a 96 dpi screen).
const int PREVIEW_AREA_WIDTH = 270;
const int PREVIEW_AREA_HEIGHT = 208;

// A 1 x 1 black 24-bit Dib: the logo when none is given. Drawn black on the black screen, it
// never shows.
void MakeBlankLogo(Blob *blob);
