// Shared helpers of the settings tests, and the process-wide records the engine's entry would
// otherwise define.
#include "settings_fixture.h"

#include "text.h"
#include "ui.h"

SaverSettings Settings = {INTENSITY_DEFAULT, FADE_TIME_DEFAULT, SUSTAIN_DEFAULT};

std::string SettingsKeyPath()
{
    char path[PATH_CAPACITY];
    return GetSettingsKeyPath(path, nullptr);
}

void SettingsKeyDelete()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKeyPath().c_str());
}

void ConfigurationWrite(DWORD type, const std::vector<uint8_t> &bytes)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKeyPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Configuration", 0, type, bytes.data(), (DWORD)bytes.size());
    RegCloseKey(key);
}

int ConfigurationRead(DWORD *type, std::vector<uint8_t> *bytes)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath().c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, "Configuration", nullptr, type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        bytes->assign(size, 0);
        status = RegQueryValueExA(key, "Configuration", nullptr, type, bytes->data(), &size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::vector<uint8_t> Image(int32_t intensity, int32_t fadeTime, int32_t sustainTime)
{
    SaverSettings settings = {intensity, fadeTime, sustainTime};
    std::vector<uint8_t> image(SETTINGS_IMAGE_SIZE);
    SettingsToImage(&settings, image.data());
    return image;
}
