// Process-wide values of the screen-saver engine and the entry points its parts share.
#pragma once

#include <windows.h>

const int ADDRESS_CAPACITY = 128; // web address: at most 127 characters and the NUL

// The engine's process-wide values, defined in engine_state_win32.cpp. The engine's own state
// is named engine*, as are the slideshow's pictures and options in slideshow.h; the linker lays
// such variables out in the order of their names.
// Written by WinMain before any window exists.
extern HINSTANCE AppInstance;
extern int engineFullScreen; // 1 in saver mode, 0 in preview

// Written by the slideshow window, read by WinMain after the message loop.
extern int engineLaunchArmed;
extern char engineAddress[ADDRESS_CAPACITY];

LRESULT CALLBACK SlideshowWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ConfigDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ChangePwdDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK GoAOLDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Offers the address through the online-service client or the registered web browser.
int VisitOnline(const char *text);
// Releases the slideshow's pictures; called once when the program ends.
void SlideshowRelease();
