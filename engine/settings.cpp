// Platform-free part of the settings: defaults, validation of a stored record, scroll stepping.
#include "settings.h"

#include "byte_order.h"

SaverSettings *SetDefaultSettings(SaverSettings *settings)
{
    settings->intensity = INTENSITY_DEFAULT;
    settings->fadeTime = FADE_TIME_DEFAULT;
    settings->sustainTime = SUSTAIN_DEFAULT;
    return settings;
}

int SettingsValid(const SaverSettings *settings, int32_t sustainMaximum)
{
    return settings->intensity >= INTENSITY_MINIMUM && settings->intensity <= INTENSITY_MAXIMUM &&
           settings->fadeTime >= FADE_TIME_MINIMUM && settings->fadeTime <= FADE_TIME_MAXIMUM &&
           settings->sustainTime >= SUSTAIN_MINIMUM && settings->sustainTime <= sustainMaximum;
}

// One field out of range discards the whole record, so a half-damaged value never mixes with
// the defaults.
int SettingsFromImage(SaverSettings *settings, const uint8_t *image, int32_t sustainMaximum)
{
    SaverSettings stored;
    stored.intensity = (int32_t)ReadLe32(image);
    stored.fadeTime = (int32_t)ReadLe32(image + 4);
    stored.sustainTime = (int32_t)ReadLe32(image + 8);
    if (!SettingsValid(&stored, sustainMaximum)) {
        SetDefaultSettings(settings);
        return 0;
    }
    *settings = stored;
    return 1;
}

void SettingsToImage(const SaverSettings *settings, uint8_t *image)
{
    WriteLe32(image, (uint32_t)settings->intensity);
    WriteLe32(image + 4, (uint32_t)settings->fadeTime);
    WriteLe32(image + 8, (uint32_t)settings->sustainTime);
}

SettingsBar SustainBar(int32_t sustainMaximum, int32_t sustainStep)
{
    SettingsBar bar = {SUSTAIN_MINIMUM, sustainMaximum, sustainStep};
    return bar;
}

int SettingsBarScroll(const SettingsBar *bar, int32_t *value, unsigned code, unsigned thumb)
{
    int32_t next;
    switch (code) {
    case SCROLL_LINE_LEFT:
    case SCROLL_PAGE_LEFT:
        next = *value - bar->step;
        break;
    case SCROLL_LINE_RIGHT:
    case SCROLL_PAGE_RIGHT:
        next = *value + bar->step;
        break;
    case SCROLL_THUMB_POSITION:
        // Taken as dropped, not rounded to the step: later steps count from here.
        next = (int32_t)(thumb & 0xFFFFu);
        break;
    default:
        return 0;
    }
    if (next < bar->minimum)
        next = bar->minimum;
    if (next > bar->maximum)
        next = bar->maximum;
    *value = next;
    return 1;
}
