// Dialog look, dialog text and file-name services on Win32.
#pragma once

#include <windows.h>

// Brush of the active-border colour for every dialog; made by each program's entry and never
// deleted.
extern HBRUSH DialogBrush;
// Set by ShowHelp, cleared by CloseHelp: whether the help window may be open.
extern int HelpOpen;

HBRUSH CreateDialogBrush();
// Sets the DC's background colour to the active-border colour; returns DialogBrush, the
// answer to WM_CTLCOLORBTN, WM_CTLCOLORDLG and WM_CTLCOLORSTATIC.
HBRUSH DialogCtlColor(HDC dc);
// Moves the window to the middle of the screen without repainting.
void CenterWindow(HWND window);
// The control's text, at most capacity - 1 characters, trimmed of blanks; empty when the
// control has none or cannot be read.
void GetDlgItemTextTrimmed(HWND dialog, int id, char *buffer, int capacity);
// Lets the user choose a bitmap file with the Open dialog. singleField: the edit control's
// text is the initial name and is replaced by the choice; otherwise the choice is appended
// as a new line when the text then still fits in BROWSE_LIST_CAPACITY characters. The
// control is marked modified whenever a file was chosen. The result of GetOpenFileNameA.
BOOL BrowseForBitmap(HWND dialog, int editId, int singleField, const char *title);
const int BROWSE_LIST_CAPACITY = 8000; // characters of a list control, terminator included
// The running program's directory with its trailing backslash ("C:\" when it cannot be had)
// into a buffer of PATH_CAPACITY characters.
void GetModuleDirectory(char *buffer);
// See MakeFullPathIn, with the running program's directory. 1, or 0 with path made empty
// when the full path would not fit in PATH_CAPACITY characters.
int MakeFullPath(char *path, const char *defaultExtension);
// WinHelpA on the help file in the program's directory; 0 without calling it when that path
// would not fit in PATH_CAPACITY characters.
int ShowHelp(UINT command, ULONG_PTR data, const char *helpFile);
int ShowHelpContext(DWORD context, const char *helpFile);
// Tells the help window to quit if ShowHelp opened it.
void CloseHelp();
