// The saver's slideshow played into a pixel buffer, for the page's preview: the engine's own fade
// schedule, placement, logo rule, options and colour scaling, drawn as the saver draws them on a
// true-colour screen.
//
// A show is one record; its steps are the engine's fade ticks. Time is the show's own clock (the
// sum of the delays the steps chose), so a paused or single-stepped show keeps the engine's
// schedule, and a test can replay a show from its seed. Text is the one thing drawn from outside:
// the page rasterises the banner line with its own font into bannerMask.
#pragma once

#include <stdint.h>
#include "blob.h"
#include "settings.h"
#include "slideshow_logic.h"

const int PREVIEW_SCREEN_MAXIMUM = 4096; // pixels on either axis

struct PreviewRect {
    int32_t x, y, w, h; // w or h 0 for none
};

struct PreviewShow {
    int32_t screenW, screenH;
    uint8_t *frame;            // screenW x screenH RGBA, top row first, alpha 255
    uint8_t *bannerMask;       // screenW x BANNER_HEIGHT, non-zero where the banner's ink lies
    int32_t slideCount;        // slides held
    Blob slides[SLIDE_SLOTS];  // Dib blobs
    Blob logo;                 // a Dib, or empty for none (drawn as nothing, as the engine does)
    SaverOptions options;
    SaverSettings settings;
    RandomState random;
    FadeState fade;
    FadeTick tick;             // what the last step drew
    int32_t slideX, slideY;    // top-left corner of the current slide
    int32_t logoVisible;       // 1 until the show's clock passes LOGO_DELAY
    uint32_t clock;            // ms of show time at which the next step falls
    PreviewRect dirty;         // the part of frame the last step or start changed
};

// An empty show with no screen, no pictures, the default settings and empty options.
void PreviewInit(PreviewShow *show);
// Frees everything the show holds and leaves it as PreviewInit does.
void PreviewFree(PreviewShow *show);
// Gives the show a black screen of w x h (1 to PREVIEW_SCREEN_MAXIMUM) and a cleared banner
// mask. Returns 0 for a size out of range, leaving the show without a screen.
int PreviewSetScreen(PreviewShow *show, int w, int h);

// Copies a picture in: a packed Dib, or a BMP file (its 14-byte file header is skipped).
// PreviewAddSlide returns 0 once SLIDE_SLOTS are held, or for bytes that are neither.
int PreviewAddSlide(PreviewShow *show, const uint8_t *data, uint32_t size);
void PreviewClearSlides(PreviewShow *show);
// Size 0 takes the logo away.
int PreviewSetLogo(PreviewShow *show, const uint8_t *data, uint32_t size);
// Reads the options text as the engine does; returns 1 when what the show draws changes (the
// banner was turned on or off).
int PreviewSetOptions(PreviewShow *show, const char *text);
// The sustain bar of the engine the installer carries, the one the preview plays.
SettingsBar PreviewSustainBar();
// Takes the three settings, each clamped into the range the carried engine's settings dialog
// allows.
void PreviewSetSettings(PreviewShow *show, int intensity, int fadeTime, int sustainTime);

// Starts the show as the engine's window creation does: the generator from its start values
// seeded with ticks, the logo visible, the screen black, the fade at its start. Returns the
// delay in ms to the first step, or 0 when there is no screen or no slide to show.
int PreviewStart(PreviewShow *show, uint32_t ticks);
// One fade tick, drawn into frame as the engine draws it; returns the delay in ms to the next
// one (0 when the show cannot run). dirty says what changed.
int PreviewStep(PreviewShow *show);

// Draws dib stretched into a w x h RGBA picture as the installer's picture control does (its
// DibDraw over w + 1 by h + 1 pixels, clipped to the control, each pixel from the nearest source
// pixel). Returns 0, leaving out black, when dib is no drawable Dib.
int PreviewStretch(const Blob *dib, uint8_t *out, int w, int h);
