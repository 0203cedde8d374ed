// The engine's entry: the window class, the command-line modes and the message loop.
#include <windows.h>

#include "cmdline.h"
#include "engine.h"
#include "allocation.h"
#include "settings.h"
#include "ui.h"

static const char MAIN_CLASS[] = "MainClass";

static int MainClassRegister()
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = SlideshowWndProc;
    windowClass.hInstance = AppInstance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // The slideshow paints nothing on WM_PAINT: whatever is erased becomes black.
    windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    windowClass.lpszClassName = MAIN_CLASS;
    return RegisterClassA(&windowClass) != 0;
}

// Handles on the command line are 32-bit numbers; 64-bit Windows sign-extends them.
static HWND HandleFromNumber(uint32_t number)
{
    return (HWND)(LONG_PTR)(LONG)number;
}

static HWND PreviewCreate(HWND parent)
{
    RECT client = {};
    GetClientRect(parent, &client);
    engineFullScreen = 0;
    return CreateWindowExA(0, MAIN_CLASS, "", WS_CHILD, 0, 0, client.right, client.bottom, parent,
                           nullptr, AppInstance, nullptr);
}

static HWND SaverCreate()
{
    engineFullScreen = 1; // read by the window procedure while it handles WM_CREATE
    return CreateWindowExA(WS_EX_TOPMOST, MAIN_CLASS, "", WS_POPUP, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                           nullptr, AppInstance, nullptr);
}

// Shows the window and runs the loop until the slideshow posts its quit message.
static void SlideshowRun(HWND window)
{
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    // GetMessageA gives -1 on a failure; looping on it would never end.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (engineLaunchArmed && engineFullScreen && engineAddress[0] != '\0')
        VisitOnline(engineAddress);
}

// Runs the mode the command line asks for.
static void EngineRun(const char *tail)
{
    if (!MainClassRegister())
        return;
    HWND owner = GetForegroundWindow();
    CommandLine line;
    CommandLineScan(tail, &line);
    if (line.hasHandle && IsWindow(HandleFromNumber(line.handle)))
        owner = HandleFromNumber(line.handle);

    HWND window = nullptr;
    switch (CommandLineMode(line.letter)) {
    case ENGINE_MODE_SETTINGS:
        MemoryExhaustedBox = 1;
        DialogBoxParamA(AppInstance, "Config", owner, ConfigDlg, 0);
        return;
    case ENGINE_MODE_PASSWORD:
        DialogBoxParamA(AppInstance, "ChangePwd", owner, ChangePwdDlg, 0);
        return;
    case ENGINE_MODE_PREVIEW:
        window = PreviewCreate(owner);
        break;
    case ENGINE_MODE_SAVER:
        window = SaverCreate();
        break;
    case ENGINE_MODE_NONE:
        return;
    }
    // No window means nothing will ever post the quit message: do not enter the loop.
    if (window != nullptr)
        SlideshowRun(window);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int)
{
    AppInstance = instance;
    DialogBrush = CreateDialogBrush();
    LoadSettings(&Settings);
    EngineRun(tail);
    SlideshowRelease();
    return 0;
}
