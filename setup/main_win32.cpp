// The installer's entry, its "Main" dialog and the picture control that shows the preview.
#include <windows.h>

#include "dib.h"
#include "install.h"
#include "allocation.h"
#include "message.h"
#include "payload.h"
#include "render.h"
#include "setup.h"
#include "setup_ids.h"
#include "text.h"
#include "ui.h"

// Constant-initialised: empty before any code of the program runs.
Blob PreviewPicture = {BlobKind::End, 0, nullptr};


// ---- the picture control -----------------------------------------------------------------

static LRESULT MainGraphicOnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    // DibDraw covers w + 1 by h + 1 pixels; the paint clips the extra column and row.
    DibDraw(&PreviewPicture, dc, 0, 0, client.right, client.bottom, FULL_INTENSITY, PALETTE_OWN);
    EndPaint(window, &paint);
    return 0;
}

LRESULT CALLBACK MainGraphicProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        return MainGraphicOnPaint(window);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int MainGraphicRegister(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainGraphicProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_ACTIVEBORDER + 1);
    windowClass.lpszClassName = "MainGraphic";
    return RegisterClassA(&windowClass) != 0;
}

// ---- the "Main" dialog -------------------------------------------------------------------

// Reads the name and the preview from the program's own payload; a missing or damaged payload
// ends the dialog through the posted WM_PAYLOAD_MISSING once it has opened.
static INT_PTR MainOnInitDialog(HWND dialog)
{
    Blob name;
    BlobInit(&name);
    if (PayloadOpen(nullptr) && PayloadReadKind(&name, BlobKind::Text) &&
        PayloadReadKind(&PreviewPicture, BlobKind::Dib))
        SetDlgItemTextA(dialog, IDC_NAME, BlobText(&name));
    else
        PostMessageA(dialog, WM_PAYLOAD_MISSING, 0, 0);
    PayloadClose();
    CenterWindow(dialog);
    BlobFree(&name);
    return TRUE; // the focus goes to the first tab stop, "Install"
}

// One press of "Install" or "Uninstall": validate, run, show the one message, and close when
// it was no warning or error.
static INT_PTR MainOnInstallCommand(HWND dialog, int id)
{
    SetMessageOwner(&AppMessage, dialog);
    char name[SAVER_NAME_CAPACITY];
    GetDlgItemTextTrimmed(dialog, IDC_NAME, name, SAVER_NAME_CAPACITY);
    if (!ValidateSaverName(name)) {
        HCURSOR kept = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        if (id == IDC_INSTALL)
            InstallSaver(name);
        else
            UninstallSaver(name);
        SetCursor(kept);
    }
    DisplayMessage(&AppMessage);
    if (AppMessage.severity <= SeverityInformation)
        EndDialog(dialog, id);
    return TRUE;
}

static INT_PTR MainOnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_INSTALL:
    case IDC_UNINSTALL:
        return MainOnInstallCommand(dialog, id);
    }
    return FALSE;
}

static INT_PTR MainOnPayloadMissing(HWND dialog)
{
    SetMessageOwner(&AppMessage, dialog);
    SetMessage(&AppMessage, nullptr, MISSING_DATA, SeverityBug);
    DisplayMessage(&AppMessage);
    EndDialog(dialog, IDCANCEL);
    return TRUE;
}

static INT_PTR MainOnQueryNewPalette(HWND dialog)
{
    // The answer travels in the dialog's message result; the procedure itself says "handled".
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, PaletteOnQueryNew(dialog));
    return TRUE;
}

extern "C" __declspec(dllexport) INT_PTR CALLBACK
    MainDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return MainOnInitDialog(dialog);
    case WM_COMMAND:
        return MainOnCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return (INT_PTR)DialogCtlColor((HDC)wParam);
    case WM_QUERYNEWPALETTE:
        return MainOnQueryNewPalette(dialog);
    case WM_PALETTECHANGED:
        PaletteOnChanged(dialog, (HWND)wParam);
        return TRUE;
    case WM_PAYLOAD_MISSING:
        return MainOnPayloadMissing(dialog);
    }
    return FALSE;
}

// ---- entry -------------------------------------------------------------------------------

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    MemoryExhaustedBox = 1;
    DialogBrush = CreateDialogBrush();
    if (MainGraphicRegister(instance))
        DialogBoxParamA(instance, "Main", nullptr, MainDlg, 0);
    BlobFree(&PreviewPicture);
    ClearMessage(&AppMessage);
    return 0;
}
