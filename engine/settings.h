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
