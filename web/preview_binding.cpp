// The preview's WebAssembly exports: one show over the engine's slideshow logic, driven by the
// page's preview.js. Pointers handed out point into the module's memory; the page reads them
// right after the call that filled them, since growing memory detaches earlier views.
#include <emscripten/emscripten.h>
#include <stdlib.h>
#include "preview_show.h"

static PreviewShow Show;
static int ShowReady = 0;
static char BannerText[BANNER_CAPACITY];

static PreviewShow *TheShow()
{
    if (!ShowReady) {
        PreviewInit(&Show);
        ShowReady = 1;
    }
    return &Show;
}

extern "C" {

// The ranges of the settings dialog's three bars, for the sliders: for each of intensity, fade
// time and sustain time its minimum, maximum, step and default (12 numbers).
EMSCRIPTEN_KEEPALIVE const int32_t *preview_ranges()
{
    static int32_t ranges[12];
    SettingsBar sustain = PreviewSustainBar();
    const SettingsBar *bars[3] = {&INTENSITY_BAR, &FADE_TIME_BAR, &sustain};
    const int32_t defaults[3] = {INTENSITY_DEFAULT, FADE_TIME_DEFAULT, SUSTAIN_DEFAULT};
    for (int i = 0; i < 3; i++) {
        ranges[4 * i] = bars[i]->minimum;
        ranges[4 * i + 1] = bars[i]->maximum;
        ranges[4 * i + 2] = bars[i]->step;
        ranges[4 * i + 3] = defaults[i];
    }
    return ranges;
}

// The banner line the engine draws, and the height of its font in screen pixels.
EMSCRIPTEN_KEEPALIVE const char *preview_banner_text()
{
    BannerUnscramble(BANNER_SCRAMBLED, BannerText, sizeof BannerText);
    return BannerText;
}

EMSCRIPTEN_KEEPALIVE int preview_banner_height()
{
    return BANNER_HEIGHT;
}

// A new screen; the show must be started again. The banner mask (screen width x banner height
// bytes) is at preview_banner_mask() afterwards.
EMSCRIPTEN_KEEPALIVE int preview_screen(int w, int h)
{
    return PreviewSetScreen(TheShow(), w, h);
}

EMSCRIPTEN_KEEPALIVE uint8_t *preview_banner_mask()
{
    return TheShow()->bannerMask;
}

EMSCRIPTEN_KEEPALIVE void preview_slides_clear()
{
    PreviewClearSlides(TheShow());
}

EMSCRIPTEN_KEEPALIVE int preview_slide_add(const uint8_t *data, uint32_t size)
{
    return PreviewAddSlide(TheShow(), data, size);
}

EMSCRIPTEN_KEEPALIVE int preview_logo(const uint8_t *data, uint32_t size)
{
    return PreviewSetLogo(TheShow(), data, size);
}

EMSCRIPTEN_KEEPALIVE int preview_options(const char *text)
{
    return PreviewSetOptions(TheShow(), text);
}

EMSCRIPTEN_KEEPALIVE void preview_settings(int intensity, int fadeTime, int sustainTime)
{
    PreviewSetSettings(TheShow(), intensity, fadeTime, sustainTime);
}

EMSCRIPTEN_KEEPALIVE int preview_start(uint32_t ticks)
{
    return PreviewStart(TheShow(), ticks);
}

EMSCRIPTEN_KEEPALIVE int preview_step()
{
    return PreviewStep(TheShow());
}

EMSCRIPTEN_KEEPALIVE uint8_t *preview_frame()
{
    return TheShow()->frame;
}

// Where the show stands, for the page and its tests (9 numbers): the changed part of the frame
// (x, y, w, h), the current slide, its corner (x, y), the last tick's intensity (-1 after a change
// of slide), and the logo flag.
EMSCRIPTEN_KEEPALIVE const int32_t *preview_state()
{
    static int32_t state[9];
    PreviewShow *show = TheShow();
    state[0] = show->dirty.x;
    state[1] = show->dirty.y;
    state[2] = show->dirty.w;
    state[3] = show->dirty.h;
    state[4] = show->fade.currentSlide;
    state[5] = show->slideX;
    state[6] = show->slideY;
    state[7] = show->tick.changeSlide ? -1 : show->tick.intensity;
    state[8] = show->logoVisible;
    return state;
}

// The installer's picture control: the picture (a Dib or BMP file) stretched into w x h RGBA
// pixels, returned in a buffer the caller frees with free(); nullptr when it cannot be drawn.
EMSCRIPTEN_KEEPALIVE uint8_t *preview_stretch(const uint8_t *data, uint32_t size, int w, int h)
{
    PreviewShow holder;
    PreviewInit(&holder);
    uint8_t *out = nullptr;
    if (w >= 1 && h >= 1 && w <= PREVIEW_SCREEN_MAXIMUM && h <= PREVIEW_SCREEN_MAXIMUM &&
        PreviewSetLogo(&holder, data, size) && size > 0) {
        out = (uint8_t *)malloc((size_t)w * h * 4);
        if (out != nullptr && !PreviewStretch(&holder.logo, out, w, h)) {
            free(out);
            out = nullptr;
        }
    }
    PreviewFree(&holder);
    return out;
}
}
