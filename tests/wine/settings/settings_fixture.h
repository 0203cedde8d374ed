// Shared helpers of the settings tests: this program's own settings key and raw value access.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string>
#include <vector>

#include "settings.h"

// The key this program's settings live under (named after the test program's file).
std::string SettingsKeyPath();
// Deletes this program's settings key.
void SettingsKeyDelete();
// Writes the "Configuration" value with any type and bytes, creating the key.
void ConfigurationWrite(DWORD type, const std::vector<uint8_t> &bytes);
// Reads the "Configuration" value; 0 when it is missing.
int ConfigurationRead(DWORD *type, std::vector<uint8_t> *bytes);
std::vector<uint8_t> Image(int32_t intensity, int32_t fadeTime, int32_t sustainTime);
