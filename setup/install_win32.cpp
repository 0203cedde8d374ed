// Install and uninstall on Windows: the platform test, the system directory, the existing file
// and the saver's settings key.
#include <windows.h>

#include "install.h"
#include "message.h"
#include "text.h"

static const char WINDOWS_95_ONLY[] = "This screen saver works only with Windows '95.";
static const char ALREADY_INSTALLED[] = "A screen saver named \"%s\" is already installed.";
static const char REMOVED[] = "Screen saver removed.";
static const char NOT_FOUND[] = "\"%s\" was not found.";
static const char NOT_OURS[] = "\"%s\" was not installed by this Setup, so it was not removed.";

int GetSaverPath(char *destination, const char *name)
{
    char directory[PATH_CAPACITY];
    UINT length = GetSystemDirectoryA(directory, PATH_CAPACITY);
    if (length >= (UINT)PATH_CAPACITY) {
        // Too long for the buffer: the saver path would not fit either.
        destination[0] = '\0';
        return 0;
    }
    return SaverPathFromDirectory(destination, length ? directory : nullptr, name);
}

int SaverFileExists(const char *path)
{
    HANDLE file =
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(file);
    return 1;
}

// 1 on a system of the Windows 95 platform; NT and an unanswered question give 0.
static int PlatformIsWindows95()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

static void SettingsKeyDelete(const char *name)
{
    char key[PATH_CAPACITY];
    // A missing key is no failure: there is simply nothing to forget.
    RegDeleteKeyA(HKEY_CURRENT_USER, GetSettingsKeyPath(key, name));
}

static void CannotInstall(const char *format, const char *argument, int severity)
{
    SetMessage(&AppMessage, format, argument, severity);
    SetMessageCaption(&AppMessage, "Cannot Install");
}

void InstallSaver(const char *name)
{
    if (!PlatformIsWindows95()) {
        CannotInstall(nullptr, WINDOWS_95_ONLY, SeverityError);
        return;
    }
    char path[PATH_CAPACITY];
    if (!GetSaverPath(path, name)) {
        SetMessage(&AppMessage, CANT_CREATE, path, SeverityError);
        return;
    }
    if (SaverFileExists(path)) {
        CannotInstall(ALREADY_INSTALLED, name, SeverityWarning);
        return;
    }
    // The old settings go before the new file is made, whatever becomes of it.
    SettingsKeyDelete(name);
    InstallWriteSaver(path, name);
}

void UninstallSaver(const char *name)
{
    char path[PATH_CAPACITY];
    char temporary[PATH_CAPACITY];
    int named = GetSaverPath(path, name);
    // What an interrupted install left goes whatever becomes of the saver file itself.
    if (named && SaverTemporaryPath(temporary, path))
        SaverTemporaryRemove(temporary);
    SaverFileKind kind = named ? SaverFileInspect(path) : SAVER_FILE_UNREADABLE;
    if (kind == SAVER_FILE_FOREIGN) {
        // A name the rule accepts can be that of one of Windows' own savers.
        SetMessage(&AppMessage, NOT_OURS, name, SeverityWarning);
        SetMessageCaption(&AppMessage, "Cannot Uninstall");
        return;
    }
    if (kind == SAVER_FILE_OURS && DeleteFileA(path)) {
        SettingsKeyDelete(name);
        SetMessage(&AppMessage, nullptr, REMOVED, SeverityInformation);
        SetMessageCaption(&AppMessage, "Success");
        return;
    }
    SetMessage(&AppMessage, NOT_FOUND, name, SeverityWarning);
    SetMessageCaption(&AppMessage, "Cannot Uninstall");
}
