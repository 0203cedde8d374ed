// Process-wide values of the installer and its dialog procedure.
#pragma once

#include <windows.h>
#include "blob.h"

// The payload's preview picture, painted by the "MainGraphic" control. Filled when the dialog
// opens, freed when the program ends.
extern Blob PreviewPicture;

// The "Main" dialog; exported by name so that the dialog manager and outside tools find it.
extern "C" __declspec(dllexport) INT_PTR CALLBACK
    MainDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The picture control of the "Main" dialog.
LRESULT CALLBACK MainGraphicProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Registers the window class "MainGraphic"; 1 on success.
int MainGraphicRegister(HINSTANCE instance);
