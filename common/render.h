// Drawing Dib blobs at an intensity, and the process's current palette for 256-colour displays.
#pragma once

#include <windows.h>
#include "blob.h"

// How a draw treats the palette on a palette device.
enum PaletteMode {
    PALETTE_NONE = 0,       // leave the device context's palette alone
    PALETTE_DEFAULT = 1,    // select the stock default palette, not realized
    PALETTE_COLOR_CUBE = 2, // the shared colour-cube palette
    PALETTE_OWN = 3         // a new palette from the picture's own colours
};

// The current palette and whether it is the shared colour cube. Written only by this module.
extern HPALETTE CurrentPalette;
extern int CurrentPaletteIsSharedCube;

// Draws the picture over (x, y) to (x + w, y + h) inclusive at an intensity (0 to 256). The
// palette its palette work selects into dc is selected out again before it returns.
void DibDraw(const Blob *blob, HDC dc, int x, int y, int w, int h, int intensity, int mode);
// The picture as a bitmap for dc, or nullptr. The palette work stays selected in dc.
HBITMAP DibToBitmap(const Blob *blob, HDC dc, int intensity, int mode);
HPALETTE CreateColorCubePalette();
void PaletteUseColorCube();
void PaletteReplace(HPALETTE palette);
// Selects the current palette into dc as a foreground palette and realizes it; returns the
// palette it replaced there, for the caller to select back (nullptr with no current palette).
HPALETTE PaletteRealize(HDC dc);
int PaletteOnQueryNew(HWND window);
void PaletteOnChanged(HWND window, HWND changer);
