// Dialog look, dialog text, module paths and help on Win32.
#include "ui.h"

#include "center.h"
#include "paths.h"
#include "platform.h"
#include "text.h"

#include <string.h>

HBRUSH DialogBrush;
int HelpOpen;

HBRUSH CreateDialogBrush()
{
    DialogBrush = CreateSolidBrush(GetSysColor(COLOR_ACTIVEBORDER));
    return DialogBrush;
}

HBRUSH DialogCtlColor(HDC dc)
{
    SetBkColor(dc, GetSysColor(COLOR_ACTIVEBORDER));
    return DialogBrush;
}

void CenterWindow(HWND window)
{
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return;
    WindowPlacement placement =
        CenterPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), rect.left,
                        rect.top, rect.right, rect.bottom);
    MoveWindow(window, placement.x, placement.y, placement.width, placement.height, FALSE);
}

void GetDlgItemTextTrimmed(HWND dialog, int id, char *buffer, int capacity)
{
    if (capacity <= 0)
        return;
    if (GetDlgItemTextA(dialog, id, buffer, capacity) == 0)
        buffer[0] = '\0';
    buffer[capacity - 1] = '\0';
    TrimFieldBlanks(buffer);
}

void GetModuleDirectory(char *buffer)
{
    char modulePath[PATH_CAPACITY];
    if (PlatformModuleFileName(modulePath, PATH_CAPACITY) == 0)
        modulePath[0] = '\0';
    modulePath[PATH_CAPACITY - 1] = '\0';
    ModuleDirectoryFromPath(buffer, modulePath);
}

int MakeFullPath(char *path, const char *defaultExtension)
{
    char directory[PATH_CAPACITY];
    GetModuleDirectory(directory);
    return MakeFullPathIn(path, defaultExtension, directory);
}

int ShowHelp(UINT command, ULONG_PTR data, const char *helpFile)
{
    char directory[PATH_CAPACITY];
    char path[PATH_CAPACITY];
    GetModuleDirectory(directory);
    if (!HelpFilePath(path, directory, helpFile))
        return 0;
    int result = WinHelpA(nullptr, path, command, data);
    HelpOpen = 1;
    return result;
}

int ShowHelpContext(DWORD context, const char *helpFile)
{
    return ShowHelp(HELP_CONTEXT, context, helpFile);
}

void CloseHelp()
{
    if (!HelpOpen)
        return;
    WinHelpA(nullptr, "", HELP_QUIT, 0);
    HelpOpen = 0;
}
