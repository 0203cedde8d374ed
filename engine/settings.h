// The engine's three settings, their defaults and validation, and the build's sustain pair.
#pragma once

#include <stdint.h>

struct SaverSettings {
    int32_t intensity;   // 256ths, 50..256
    int32_t fadeTime;    // ms between fade steps, 50..500
    int32_t sustainTime; // ms at full intensity, 1000..SUSTAIN_MAXIMUM
};

// Set by the build variant: 15000/700 for the engine the installer carries, 30000/1450 for
// the stand-alone program.
extern const int32_t SUSTAIN_MAXIMUM; // ms
extern const int32_t SUSTAIN_STEP;    // ms

// The process's settings record; holds the defaults from program start.
extern SaverSettings Settings;

SaverSettings *SetDefaultSettings(SaverSettings *settings);
// Registry-backed (Win32 builds only).
void LoadSettings(SaverSettings *settings);
void SaveSettings(const SaverSettings *settings);

// Ranges and defaults of the three fields.
const int32_t INTENSITY_MINIMUM = 50;   // 256ths
const int32_t INTENSITY_MAXIMUM = 256;  // 256ths
const int32_t INTENSITY_DEFAULT = 256;  // 256ths
const int32_t FADE_TIME_MINIMUM = 50;   // ms
const int32_t FADE_TIME_MAXIMUM = 500;  // ms
const int32_t FADE_TIME_DEFAULT = 200;  // ms
const int32_t SUSTAIN_MINIMUM = 1000;   // ms
const int32_t SUSTAIN_DEFAULT = 6000;   // ms
const int32_t SETTINGS_IMAGE_SIZE = 12; // bytes of the stored record: three little-endian int32

// 1 when every field lies in its range, the sustain time up to sustainMaximum.
int SettingsValid(const SaverSettings *settings, int32_t sustainMaximum);
// Decodes a stored record of SETTINGS_IMAGE_SIZE bytes; on an invalid one the result holds the
// defaults and 0 is returned.
int SettingsFromImage(SaverSettings *settings, const uint8_t *image, int32_t sustainMaximum);
void SettingsToImage(const SaverSettings *settings, uint8_t *image);

// A settings scroll bar: its range and the step of an arrow or a trough click.
struct SettingsBar {
    int32_t minimum;
    int32_t maximum;
    int32_t step;
};
const SettingsBar INTENSITY_BAR = {INTENSITY_MINIMUM, INTENSITY_MAXIMUM, 10};
const SettingsBar FADE_TIME_BAR = {FADE_TIME_MINIMUM, FADE_TIME_MAXIMUM, 22};
SettingsBar SustainBar(int32_t sustainMaximum, int32_t sustainStep);

// Horizontal scroll codes, as the scroll bar sends them.
const unsigned SCROLL_LINE_LEFT = 0;
const unsigned SCROLL_LINE_RIGHT = 1;
const unsigned SCROLL_PAGE_LEFT = 2;
const unsigned SCROLL_PAGE_RIGHT = 3;
const unsigned SCROLL_THUMB_POSITION = 4;

// Applies a scroll code to a bar's value: arrows and trough clicks move by the step, a released
// thumb gives its position; the result is clamped to the bar's range. Returns 1 when the code
// was applied, 0 for codes that leave the value alone (thumb tracking, Home, End, end-scroll).
int SettingsBarScroll(const SettingsBar *bar, int32_t *value, unsigned code, unsigned thumb);
