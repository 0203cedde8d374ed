// The slideshow window's process-wide state and drawing helpers, shared with its tests.
#pragma once

#include <windows.h>
#include "blob.h"
#include "slideshow_logic.h"

// Where the slideshow stands; written only by SlideshowWndProc.
struct SlideshowState {
    FadeState fade; // slide count, current slide, step and direction
    int32_t slideX; // top-left corner of the current slide, screen pixels
    int32_t slideY;
    int32_t logoVisible; // 1 until the logo timer fires
    POINT startCursor;   // pointer position, screen pixels, when the window was created
    int32_t ending;      // 1 once the window is being destroyed
};
extern SlideshowState Slideshow;

// Pictures read from the payload at window creation. Zero-initialised, which is the empty Blob.
// The slides are freed in WM_DESTROY; the logo only by SlideshowRelease at program end.
extern Blob engineLogo;
extern Blob engineSlides[SLIDE_SLOTS];

// Taken from the options record at window creation (the address goes to engineAddress).
extern int32_t engineBannerOn;
extern char engineLaunchKey;

// The file whose payload the window reads; nullptr (the default) for the program's own file.
extern const char *SlideshowPayloadPath;

// Draws a picture whose corner (x, y) and size are screen pixels, scaled into the window's
// client area: full-screen at exactly its own size. A slide gets its own palette full-screen and
// the shared cube in the preview; the logo takes the default palette.
void DrawScreenPicture(HWND window, HDC dc, const Blob *picture, int x, int y, int intensity,
                       int slide);
// Draws the red banner line at the bottom-left of the window.
void DrawBanner(HWND window, HDC dc);
