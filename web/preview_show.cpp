// The saver's slideshow played into a pixel buffer: one step is the engine's fade tick.
//
// The steps follow the slideshow window's timer handler: FadeAdvance says what a tick draws;
// a change of slide blacks out the old slide, draws the logo (black once its time is up) and the
// banner, then places the new slide with PlaceSlide; a drawing tick draws the current slide at
// the tick's intensity. Colours are scaled as the engine's drawing code scales them before GDI
// sees them (ScaleColorTriplets on the colour table, or on every 24-bit row), and a true-colour
// screen then shows those colours unchanged, pixel for pixel.
#include "preview_show.h"

#include <stdlib.h>
#include <string.h>
#include "dib.h"
#include "variant_tag.h"

static const uint32_t BMP_FILE_HEADER = 14; // "BM", size, reserved, offset

void PreviewInit(PreviewShow *show)
{
    memset(show, 0, sizeof *show);
    for (int i = 0; i < SLIDE_SLOTS; i++)
        BlobInit(&show->slides[i]);
    BlobInit(&show->logo);
    SetDefaultSettings(&show->settings);
    OptionsParse("", &show->options);
    show->random = RANDOM_START;
    FadeStart(&show->fade);
}

void PreviewFree(PreviewShow *show)
{
    PreviewClearSlides(show);
    BlobFree(&show->logo);
    free(show->frame);
    free(show->bannerMask);
    PreviewInit(show);
}

static void FillBlack(uint8_t *pixels, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        pixels[4 * i] = 0;
        pixels[4 * i + 1] = 0;
        pixels[4 * i + 2] = 0;
        pixels[4 * i + 3] = 255;
    }
}

int PreviewSetScreen(PreviewShow *show, int w, int h)
{
    free(show->frame);
    free(show->bannerMask);
    show->frame = nullptr;
    show->bannerMask = nullptr;
    show->screenW = 0;
    show->screenH = 0;
    if (w < 1 || h < 1 || w > PREVIEW_SCREEN_MAXIMUM || h > PREVIEW_SCREEN_MAXIMUM)
        return 0;
    show->frame = (uint8_t *)malloc((size_t)w * h * 4);
    show->bannerMask = (uint8_t *)calloc((size_t)w * BANNER_HEIGHT, 1);
    if (show->frame == nullptr || show->bannerMask == nullptr) {
        free(show->frame);
        free(show->bannerMask);
        show->frame = nullptr;
        show->bannerMask = nullptr;
        return 0;
    }
    show->screenW = w;
    show->screenH = h;
    FillBlack(show->frame, (size_t)w * h);
    show->dirty = {0, 0, w, h};
    return 1;
}

// A Dib blob from a packed Dib or a BMP file's bytes.
static int PictureLoad(Blob *blob, const uint8_t *data, uint32_t size)
{
    if (size >= BMP_FILE_HEADER && data[0] == 'B' && data[1] == 'M') {
        data += BMP_FILE_HEADER;
        size -= BMP_FILE_HEADER;
    }
    DibLayout layout;
    if (!DibParse(data, size, &layout) || !BlobAllocate(blob, BlobKind::Dib, size))
        return 0;
    memcpy(blob->data, data, size);
    return 1;
}

int PreviewAddSlide(PreviewShow *show, const uint8_t *data, uint32_t size)
{
    if (show->slideCount >= SLIDE_SLOTS || !PictureLoad(&show->slides[show->slideCount], data, size))
        return 0;
    show->slideCount++;
    return 1;
}

void PreviewClearSlides(PreviewShow *show)
{
    for (int i = 0; i < SLIDE_SLOTS; i++)
        BlobFree(&show->slides[i]);
    show->slideCount = 0;
}

int PreviewSetLogo(PreviewShow *show, const uint8_t *data, uint32_t size)
{
    BlobFree(&show->logo);
    return size == 0 || PictureLoad(&show->logo, data, size);
}

int PreviewSetOptions(PreviewShow *show, const char *text)
{
    int before = show->options.bannerOn;
    OptionsParse(text, &show->options);
    return before != show->options.bannerOn;
}

// A value dropped on the settings dialog's scroll bar: the bar clamps it to its range.
static int32_t BarClamp(const SettingsBar *bar, int value)
{
    int32_t result = bar->minimum;
    if (value < 0)
        value = 0;
    SettingsBarScroll(bar, &result, SCROLL_THUMB_POSITION, (unsigned)value);
    return result;
}

SettingsBar PreviewSustainBar()
{
    return SustainBar(VARIANT_CARRIED.sustainMaximum, VARIANT_CARRIED.sustainStep);
}

void PreviewSetSettings(PreviewShow *show, int intensity, int fadeTime, int sustainTime)
{
    SettingsBar sustain = PreviewSustainBar();
    show->settings.intensity = BarClamp(&INTENSITY_BAR, intensity);
    show->settings.fadeTime = BarClamp(&FADE_TIME_BAR, fadeTime);
    show->settings.sustainTime = BarClamp(&sustain, sustainTime);
}

static void DirtyAdd(PreviewShow *show, int x, int y, int w, int h)
{
    int right = x + w, bottom = y + h;
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    if (right > show->screenW)
        right = show->screenW;
    if (bottom > show->screenH)
        bottom = show->screenH;
    if (right <= x || bottom <= y)
        return;
    PreviewRect *d = &show->dirty;
    if (d->w > 0 && d->h > 0) {
        if (d->x < x)
            x = d->x;
        if (d->y < y)
            y = d->y;
        if (d->x + d->w > right)
            right = d->x + d->w;
        if (d->y + d->h > bottom)
            bottom = d->y + d->h;
    }
    *d = {x, y, right - x, bottom - y};
}

// Draws a Dib blob with its top-left corner at (x, y) of the screen, at an intensity, clipped to
// the screen: DibDraw full-screen, where the picture covers exactly its own size. Intensity 0 is
// the engine's BLACKNESS over the picture's box; a blob that is no Dib draws nothing, as there.
static void DrawPicture(PreviewShow *show, const Blob *blob, int x, int y, int intensity)
{
    DibLayout layout;
    if (intensity < 0 || intensity > FULL_INTENSITY || !DibParseBlob(blob, &layout))
        return;
    DirtyAdd(show, x, y, layout.width, layout.height);
    int firstColumn = x < 0 ? -x : 0;
    int lastColumn = layout.width;
    if (x + lastColumn > show->screenW)
        lastColumn = show->screenW - x;
    if (firstColumn >= lastColumn)
        return;

    // The colour table as the engine hands it to GDI: copied and scaled below full intensity.
    uint8_t table[4 * 256];
    uint32_t colours = layout.colours > 256 ? 256 : layout.colours;
    memcpy(table, blob->data + layout.headerSize, 4 * colours);
    if (intensity < FULL_INTENSITY)
        ScaleColorTriplets(table, 4, (int)colours, intensity);
    uint8_t *scaledRow = nullptr;
    if (layout.bitCount == 24 && intensity < FULL_INTENSITY) {
        scaledRow = (uint8_t *)malloc(layout.stride);
        if (scaledRow == nullptr)
            return;
    }

    for (int row = 0; row < layout.height; row++) {
        int screenY = y + row;
        if (screenY < 0 || screenY >= show->screenH)
            continue;
        uint8_t *out = show->frame + ((size_t)screenY * show->screenW + x + firstColumn) * 4;
        if (intensity == 0) {
            FillBlack(out, (size_t)(lastColumn - firstColumn));
            continue;
        }
        int stored = layout.topDown ? row : layout.height - 1 - row;
        const uint8_t *source = blob->data + layout.rowsOffset + (size_t)stored * layout.stride;
        if (scaledRow != nullptr) {
            memcpy(scaledRow, source, layout.stride);
            ScaleColorTriplets(scaledRow, 3, layout.width, intensity);
            source = scaledRow;
        }
        for (int column = firstColumn; column < lastColumn; column++, out += 4) {
            const uint8_t *bgr;
            if (layout.bitCount == 24) {
                bgr = source + 3 * column;
            } else {
                int bits = layout.bitCount;
                int perByte = 8 / bits;
                int shift = 8 - bits * (1 + column % perByte);
                uint32_t index = (source[column / perByte] >> shift) & ((1u << bits) - 1);
                static const uint8_t black[3] = {0, 0, 0}; // an index past the table
                bgr = index < colours ? table + 4 * index : black;
            }
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
            out[3] = 255;
        }
    }
    free(scaledRow);
}

// The banner line in its red over the bottom BANNER_HEIGHT rows, transparent between the
// strokes as the engine's TextOutA in TRANSPARENT mode.
static void DrawBanner(PreviewShow *show)
{
    int top = show->screenH - BANNER_HEIGHT;
    uint8_t red = (uint8_t)BannerRed(show->settings.intensity);
    for (int row = 0; row < BANNER_HEIGHT; row++) {
        if (top + row < 0)
            continue;
        const uint8_t *mask = show->bannerMask + (size_t)row * show->screenW;
        uint8_t *out = show->frame + (size_t)(top + row) * show->screenW * 4;
        for (int column = 0; column < show->screenW; column++, out += 4) {
            if (mask[column] == 0)
                continue;
            out[0] = red;
            out[1] = 0;
            out[2] = 0;
            out[3] = 255;
        }
    }
    DirtyAdd(show, 0, top, show->screenW, BANNER_HEIGHT);
}

int PreviewStart(PreviewShow *show, uint32_t ticks)
{
    show->random = RANDOM_START;
    RandomNumber(&show->random, 0, ticks);
    show->logoVisible = 1;
    show->slideX = 0;
    show->slideY = 0;
    FadeStart(&show->fade);
    show->fade.slideCount = show->slideCount;
    show->tick = {0, -1, 0, 0};
    show->clock = FIRST_FADE_DELAY;
    if (show->frame == nullptr)
        return 0;
    FillBlack(show->frame, (size_t)show->screenW * show->screenH);
    show->dirty = {0, 0, show->screenW, show->screenH};
    return show->slideCount > 0 ? FIRST_FADE_DELAY : 0;
}

int PreviewStep(PreviewShow *show)
{
    show->dirty = {0, 0, 0, 0};
    if (show->frame == nullptr || show->fade.slideCount <= 0)
        return 0;
    // The logo's one-shot timer has fired by the time a tick falls at or after it.
    if (show->clock >= (uint32_t)LOGO_DELAY)
        show->logoVisible = 0;
    FadeTick *tick = &show->tick;
    FadeAdvance(&show->fade, &show->settings, tick);
    if (tick->changeSlide) {
        if (tick->previousSlide >= 0)
            DrawPicture(show, &show->slides[tick->previousSlide], show->slideX, show->slideY, 0);
        int logoX = show->screenW - DibWidth(&show->logo);
        int logoY = show->screenH - DibHeight(&show->logo);
        DrawPicture(show, &show->logo, logoX, logoY,
                    show->logoVisible ? show->settings.intensity : 0);
        if (show->options.bannerOn)
            DrawBanner(show);
        const Blob *slide = &show->slides[show->fade.currentSlide];
        PlaceSlide(&show->random, show->screenW, show->screenH, DibWidth(slide), DibHeight(slide),
                   logoX, logoY, show->logoVisible, &show->slideX, &show->slideY);
    } else {
        DrawPicture(show, &show->slides[show->fade.currentSlide], show->slideX, show->slideY,
                    tick->intensity);
    }
    show->clock += (uint32_t)tick->delay;
    return tick->delay;
}

int PreviewStretch(const Blob *dib, uint8_t *out, int w, int h)
{
    FillBlack(out, (size_t)w * h);
    DibLayout layout;
    if (w < 1 || h < 1 || !DibParseBlob(dib, &layout))
        return 0;
    // The picture at full size into a scratch show, then sampled: DibDraw stretches it over
    // w + 1 by h + 1 pixels and the control shows the first w by h of them.
    PreviewShow scratch;
    PreviewInit(&scratch);
    if (!PreviewSetScreen(&scratch, layout.width, layout.height))
        return 0;
    DrawPicture(&scratch, dib, 0, 0, FULL_INTENSITY);
    for (int y = 0; y < h; y++) {
        int sourceY = (int)((int64_t)y * layout.height / (h + 1));
        for (int x = 0; x < w; x++) {
            int sourceX = (int)((int64_t)x * layout.width / (w + 1));
            memcpy(out + ((size_t)y * w + x) * 4,
                   scratch.frame + ((size_t)sourceY * layout.width + sourceX) * 4, 4);
        }
    }
    PreviewFree(&scratch);
    return 1;
}
