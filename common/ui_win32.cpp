// Dialog look, dialog text, the Open dialog for bitmaps, module paths and help on Win32.
#include "ui.h"

#include "center.h"
#include "paths.h"
#include "platform.h"
#include "text.h"

#include <commdlg.h>
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
    TrimBlanks(buffer);
}

// Appends path to the list control's text as a new line when all of it still fits.
static void AppendToList(HWND dialog, int editId, const char *path)
{
    char text[BROWSE_LIST_CAPACITY];
    int oldLength = GetWindowTextLengthA(GetDlgItem(dialog, editId));
    // The old text is read only when all of it fits, so none of it is ever cut off.
    if (oldLength < 0 || (size_t)oldLength + strlen(path) + 3 > (size_t)BROWSE_LIST_CAPACITY)
        return;
    int length = GetDlgItemTextA(dialog, editId, text, BROWSE_LIST_CAPACITY);
    if (length < 0 || length > oldLength)
        return;
    text[length] = '\0';
    if (length > 0)
        strcat(text, "\r\n");
    strcat(text, path);
    SetDlgItemTextA(dialog, editId, text);
}

BOOL BrowseForBitmap(HWND dialog, int editId, int singleField, const char *title)
{
    char file[PATH_CAPACITY];
    file[0] = '\0';
    if (singleField)
        GetDlgItemTextTrimmed(dialog, editId, file, PATH_CAPACITY);

    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A; // the size Windows 95 accepts
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = "Windows Bitmaps (*.BMP)\0*.BMP\0All Files (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = PATH_CAPACITY;
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    BOOL chosen = GetOpenFileNameA(&ofn);
    if (!chosen)
        return chosen;
    file[PATH_CAPACITY - 1] = '\0';

    if (singleField) {
        SetDlgItemTextA(dialog, editId, file);
    } else {
        AppendToList(dialog, editId, file);
        LRESULT lines = SendDlgItemMessageA(dialog, editId, EM_GETLINECOUNT, 0, 0);
        SendDlgItemMessageA(dialog, editId, EM_LINESCROLL, 0, lines > 4 ? lines - 4 : 0);
    }
    SendDlgItemMessageA(dialog, editId, EM_SETMODIFY, TRUE, 0);
    return chosen;
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
