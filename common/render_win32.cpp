// Drawing Dib blobs through GDI at an intensity, and the process's current palette.
//
// A Dib is checked with DibParse before GDI sees it, so a header that promises more colours or
// rows than the blob holds draws nothing instead of letting GDI read past the data. Below full
// intensity an indexed picture copies only its header and colour table; its rows are shared
// with the blob. A 24-bit picture has no table, so its whole data is copied and scaled.
#include "render.h"

#include <string.h>
#include "dib.h"
#include "allocation.h"

HPALETTE CurrentPalette = nullptr;
int CurrentPaletteIsSharedCube = 0;

static const int MAX_PALETTE_ENTRIES = 256;
static const uint32_t CLR_USED_FIELD = 32; // biClrUsed in a BITMAPINFOHEADER

// A LOGPALETTE with room for 256 entries.
struct PaletteBuffer {
    WORD version;
    WORD count;
    PALETTEENTRY entries[MAX_PALETTE_ENTRIES];
};

HPALETTE CreateColorCubePalette()
{
    PaletteBuffer buffer;
    buffer.version = 0x300;
    buffer.count = COLOR_CUBE_ENTRIES;
    for (int i = 0; i < COLOR_CUBE_ENTRIES; i++) {
        ColorCubeEntry(i, &buffer.entries[i].peRed, &buffer.entries[i].peGreen,
                       &buffer.entries[i].peBlue);
        buffer.entries[i].peFlags = PC_NOCOLLAPSE;
    }
    return CreatePalette((LOGPALETTE *)&buffer);
}

// A palette from count RGBQUAD entries (blue, green, red, reserved).
static HPALETTE CreateTablePalette(const unsigned char *table, uint32_t count)
{
    PaletteBuffer buffer;
    if (count > MAX_PALETTE_ENTRIES)
        count = MAX_PALETTE_ENTRIES;
    buffer.version = 0x300;
    buffer.count = (WORD)count;
    for (uint32_t i = 0; i < count; i++) {
        buffer.entries[i].peBlue = table[4 * i];
        buffer.entries[i].peGreen = table[4 * i + 1];
        buffer.entries[i].peRed = table[4 * i + 2];
        buffer.entries[i].peFlags = PC_NOCOLLAPSE;
    }
    return CreatePalette((LOGPALETTE *)&buffer);
}

void PaletteReplace(HPALETTE palette)
{
    if (CurrentPalette != nullptr)
        DeleteObject(CurrentPalette);
    CurrentPalette = palette;
    CurrentPaletteIsSharedCube = 0;
}

void PaletteUseColorCube()
{
    if (CurrentPaletteIsSharedCube)
        return;
    PaletteReplace(CreateColorCubePalette());
    CurrentPaletteIsSharedCube = CurrentPalette != nullptr;
}

HPALETTE PaletteRealize(HDC dc)
{
    if (CurrentPalette == nullptr)
        return nullptr;
    HPALETTE previous = SelectPalette(dc, CurrentPalette, FALSE);
    RealizePalette(dc);
    return previous;
}

// Selects back the palette a draw or a realization replaced. A palette must not stay selected
// in a context that is released or whose painting ends: the next draw deletes it.
static void PaletteHandBack(HDC dc, HPALETTE previous)
{
    if (previous != nullptr)
        SelectPalette(dc, previous, FALSE);
}

int PaletteOnQueryNew(HWND window)
{
    if (CurrentPalette == nullptr)
        return 0;
    HDC dc = GetDC(window);
    HPALETTE previous = PaletteRealize(dc);
    InvalidateRect(window, nullptr, TRUE);
    PaletteHandBack(dc, previous);
    ReleaseDC(window, dc);
    return 1;
}

void PaletteOnChanged(HWND window, HWND changer)
{
    if (CurrentPalette == nullptr || changer == window)
        return;
    HDC dc = GetDC(window);
    HPALETTE previous = PaletteRealize(dc);
    UpdateColors(dc);
    PaletteHandBack(dc, previous);
    ReleaseDC(window, dc);
}

// DibToBitmap that also gives back, in previous, the palette its palette work replaced in the
// device context (nullptr when it selected none).
static HBITMAP DibBitmapMake(const Blob *blob, HDC dc, int intensity, int mode, HPALETTE *previous)
{
    *previous = nullptr;
    DibLayout layout;
    if (intensity < 0 || intensity > FULL_INTENSITY || !DibParseBlob(blob, &layout))
        return nullptr;
    if (!(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE))
        mode = PALETTE_NONE;

    const unsigned char *header = blob->data;
    const unsigned char *rows = blob->data + layout.rowsOffset;
    unsigned char *copy = nullptr;
    HPALETTE palette = nullptr;
    if (layout.bitCount == 24) {
        if (intensity < FULL_INTENSITY) {
            copy = (unsigned char *)MemoryAllocate(blob->size);
            memcpy(copy, blob->data, blob->size);
            for (int32_t row = 0; row < layout.height; row++)
                ScaleColorTriplets(copy + layout.rowsOffset + (uint32_t)row * layout.stride, 3,
                                   layout.width, intensity);
            header = copy;
            rows = copy + layout.rowsOffset;
        } else if (ReadLe32(blob->data + CLR_USED_FIELD) != 0) {
            copy = (unsigned char *)MemoryAllocate(layout.headerSize);
            memcpy(copy, blob->data, layout.headerSize);
            header = copy;
        }
        // GDI takes biClrUsed entries of a colour table behind any header, also at 24 bits.
        // These pictures have none (their rows follow the header), so GDI is told so rather
        // than left to read rows, or bytes past the data, as colours.
        if (copy != nullptr)
            WriteLe32(copy + CLR_USED_FIELD, 0);
        if (mode == PALETTE_OWN) {
            palette = CreateColorCubePalette();
            if (palette == nullptr) {
                MemoryFree(copy);
                return nullptr;
            }
        }
    } else {
        if (intensity < FULL_INTENSITY) {
            copy = (unsigned char *)MemoryAllocate(layout.rowsOffset);
            memcpy(copy, blob->data, layout.rowsOffset);
            ScaleColorTriplets(copy + layout.headerSize, 4, (int)layout.colours, intensity);
            header = copy;
        }
        if (mode == PALETTE_OWN) {
            palette = CreateTablePalette(header + layout.headerSize, layout.colours);
            if (palette == nullptr) {
                MemoryFree(copy);
                return nullptr;
            }
        }
    }

    switch (mode) {
    case PALETTE_DEFAULT:
        *previous = SelectPalette(dc, (HPALETTE)GetStockObject(DEFAULT_PALETTE), FALSE);
        break;
    case PALETTE_COLOR_CUBE:
        PaletteUseColorCube();
        *previous = PaletteRealize(dc);
        break;
    case PALETTE_OWN:
        PaletteReplace(palette);
        *previous = PaletteRealize(dc);
        break;
    default:
        break;
    }

    const BITMAPINFOHEADER *info = (const BITMAPINFOHEADER *)header;
    HBITMAP bitmap =
        CreateDIBitmap(dc, info, CBM_INIT, rows, (const BITMAPINFO *)header, DIB_RGB_COLORS);
    MemoryFree(copy);
    return bitmap;
}

HBITMAP DibToBitmap(const Blob *blob, HDC dc, int intensity, int mode)
{
    HPALETTE previous;
    return DibBitmapMake(blob, dc, intensity, mode, &previous);
}

void DibDraw(const Blob *blob, HDC dc, int x, int y, int w, int h, int intensity, int mode)
{
    HPALETTE replacedPalette;
    HBITMAP bitmap = DibBitmapMake(blob, dc, intensity, mode, &replacedPalette);
    if (bitmap == nullptr) {
        PaletteHandBack(dc, replacedPalette);
        return;
    }
    HDC memory = CreateCompatibleDC(dc);
    BITMAP size;
    if (memory != nullptr && GetObjectA(bitmap, sizeof size, &size) != 0) {
        HGDIOBJ replacedBitmap = SelectObject(memory, bitmap);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, x, y, w + 1, h + 1, memory, 0, 0, size.bmWidth, size.bmHeight,
                   intensity != 0 ? SRCCOPY : BLACKNESS);
        SelectObject(memory, replacedBitmap);
    }
    if (memory != nullptr)
        DeleteDC(memory);
    DeleteObject(bitmap);
    PaletteHandBack(dc, replacedPalette);
}
