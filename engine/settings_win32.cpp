// The settings on Win32: the registry value "Configuration" and the Settings and Change
// Password dialogs.
#include <windows.h>

#include "engine.h"
#include "resource.h"
#include "settings.h"
#include "text.h"
#include "ui.h"

static const char SETTINGS_VALUE[] = "Configuration";

void LoadSettings(SaverSettings *settings)
{
    SetDefaultSettings(settings);
    char path[PATH_CAPACITY];
    if (GetSettingsKeyPath(path, nullptr) == nullptr)
        return;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    // Read into a buffer of our own, so a value of the wrong size or type never lands in the
    // record, not even in part.
    uint8_t image[SETTINGS_IMAGE_SIZE];
    DWORD type = REG_NONE;
    DWORD size = sizeof image;
    LONG status = RegQueryValueExA(key, SETTINGS_VALUE, nullptr, &type, image, &size);
    if (status == ERROR_SUCCESS && type == REG_BINARY && size == sizeof image)
        SettingsFromImage(settings, image, SUSTAIN_MAXIMUM);
    RegCloseKey(key);
}

void SaveSettings(const SaverSettings *settings)
{
    char path[PATH_CAPACITY];
    if (GetSettingsKeyPath(path, nullptr) == nullptr)
        return;
    HKEY key;
    char noClass[] = "";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, noClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    uint8_t image[SETTINGS_IMAGE_SIZE];
    SettingsToImage(settings, image);
    RegSetValueExA(key, SETTINGS_VALUE, 0, REG_BINARY, image, sizeof image);
    RegCloseKey(key);
}

// The Settings dialog edits copies of the settings record; one such dialog exists at a time.
enum { BAR_INTENSITY, BAR_FADE_TIME, BAR_SUSTAIN, BAR_COUNT };
static HWND configBars[BAR_COUNT];
static SaverSettings configValues;

static int32_t *ConfigValue(int bar)
{
    switch (bar) {
    case BAR_INTENSITY:
        return &configValues.intensity;
    case BAR_FADE_TIME:
        return &configValues.fadeTime;
    default:
        return &configValues.sustainTime;
    }
}

static SettingsBar ConfigBar(int bar)
{
    switch (bar) {
    case BAR_INTENSITY:
        return INTENSITY_BAR;
    case BAR_FADE_TIME:
        return FADE_TIME_BAR;
    default:
        return SustainBar(SUSTAIN_MAXIMUM, SUSTAIN_STEP);
    }
}

static void ConfigShowValues()
{
    for (int bar = 0; bar < BAR_COUNT; bar++)
        SetScrollPos(configBars[bar], SB_CTL, *ConfigValue(bar), TRUE);
}

static INT_PTR ConfigOnInit(HWND dialog)
{
    static const int ids[BAR_COUNT] = {IDC_INTENSITY, IDC_FADE_TIME, IDC_SUSTAIN};
    for (int bar = 0; bar < BAR_COUNT; bar++) {
        SettingsBar range = ConfigBar(bar);
        configBars[bar] = GetDlgItem(dialog, ids[bar]);
        SetScrollRange(configBars[bar], SB_CTL, range.minimum, range.maximum, FALSE);
    }
    configValues = Settings;
    ConfigShowValues();
    return TRUE;
}

static INT_PTR ConfigOnScroll(HWND from, WPARAM wParam)
{
    if (from == nullptr) // the dialog's own scroll bars, which it has none of
        return FALSE;
    for (int bar = 0; bar < BAR_COUNT; bar++) {
        if (from != configBars[bar])
            continue;
        SettingsBar range = ConfigBar(bar);
        if (!SettingsBarScroll(&range, ConfigValue(bar), LOWORD(wParam), HIWORD(wParam)))
            return FALSE;
        ConfigShowValues();
        return TRUE;
    }
    return FALSE;
}

static INT_PTR ConfigOnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK:
        Settings = configValues;
        SaveSettings(&Settings);
        EndDialog(dialog, 0);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_RESET:
        // Stored at once: a later Cancel keeps the defaults.
        SaveSettings(SetDefaultSettings(&Settings));
        configValues = Settings;
        ConfigShowValues();
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK ConfigDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return ConfigOnInit(dialog);
    case WM_HSCROLL:
        return ConfigOnScroll((HWND)lParam, wParam);
    case WM_COMMAND:
        return ConfigOnCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return (INT_PTR)DialogCtlColor((HDC)wParam);
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK ChangePwdDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return (INT_PTR)DialogCtlColor((HDC)wParam);
    default:
        return FALSE;
    }
}
