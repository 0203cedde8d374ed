// Dialog look, dialog text and file-name services on Win32.
#pragma once

#include <windows.h>

// Brush of the active-border colour for every dialog; made by each program's entry.
extern HBRUSH DialogBrush;
HBRUSH CreateDialogBrush();
HBRUSH DialogCtlColor(HDC dc);
void CenterWindow(HWND window);
void GetDlgItemTextTrimmed(HWND dialog, int id, char *buffer, int capacity);
BOOL BrowseForBitmap(HWND dialog, int editId, int singleField, const char *title);
void GetModuleDirectory(char *buffer);
void MakeFullPath(char *path, const char *defaultExtension);
int ShowHelp(UINT command, ULONG_PTR data, const char *helpFile);
int ShowHelpContext(DWORD context, const char *helpFile);
void CloseHelp();
