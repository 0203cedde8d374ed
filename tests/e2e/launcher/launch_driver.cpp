// launch-driver: presses keys in a running slideshow from outside, for the launcher's
// end-to-end test. It runs in the same Wine prefix as the saver.
//
//   launch-driver key CLASS VK [MS]         wait for a visible top-level window of CLASS and
//                                           post a key press (WM_KEYDOWN) with that code
//   launch-driver preview COMMAND VK [MS]   open a host window, run "COMMAND /p HWND" as its
//                                           preview, post the key to the preview once it shows
//                                           and wait for the program to end; prints "EXIT=n"
//
// Exit code 0 on success, 1 when a wait times out or the program cannot start, 2 on usage.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const DWORD DEFAULT_TIMEOUT = 20000; // ms
static const DWORD POLL_INTERVAL = 50;      // ms
static const char PREVIEW_CLASS[] = "MainClass";

static void PostKey(HWND window, UINT key)
{
    UINT scan = MapVirtualKeyA(key, 0);
    PostMessageA(window, WM_KEYDOWN, key, 1 | (scan << 16));
}

static int CommandKey(const char *className, UINT key, DWORD timeout)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(className, nullptr);
        if (window && IsWindowVisible(window)) {
            PostKey(window, key);
            return 0;
        }
        if (GetTickCount() - start >= timeout) {
            fprintf(stderr, "launch-driver: no window of class %s\n", className);
            return 1;
        }
        Sleep(POLL_INTERVAL);
    }
}

static HWND CreateHostWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    windowClass.lpszClassName = "LaunchPreviewHost";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, windowClass.lpszClassName, "Preview host",
                           WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

// The host window's thread must keep answering: the preview is its child.
static void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

static int CommandPreview(const char *command, UINT key, DWORD timeout)
{
    HWND host = CreateHostWindow();
    if (!host)
        return 1;
    char commandLine[1024];
    snprintf(commandLine, sizeof commandLine, "%s /p %lu", command, (unsigned long)(ULONG_PTR)host);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        fprintf(stderr, "launch-driver: cannot start %s\n", commandLine);
        return 1;
    }
    CloseHandle(process.hThread);
    int posted = 0;
    DWORD start = GetTickCount();
    for (;;) {
        Pump();
        if (!posted) {
            HWND preview = FindWindowExA(host, nullptr, PREVIEW_CLASS, nullptr);
            if (preview && IsWindowVisible(preview)) {
                PostKey(preview, key);
                posted = 1;
            }
        }
        DWORD waited =
            MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, POLL_INTERVAL, QS_ALLINPUT);
        if (waited == WAIT_OBJECT_0)
            break;
        if (GetTickCount() - start >= timeout) {
            fprintf(stderr, "launch-driver: the preview did not end (key %s)\n",
                    posted ? "posted" : "not posted");
            TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hProcess);
            return 1;
        }
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    printf("EXIT=%lu\n", (unsigned long)exitCode);
    DestroyWindow(host);
    return posted ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: launch-driver key CLASS VK [MS] | preview COMMAND VK [MS]\n");
        return 2;
    }
    UINT key = (UINT)strtoul(argv[3], nullptr, 10);
    DWORD timeout = argc > 4 ? (DWORD)strtoul(argv[4], nullptr, 10) : DEFAULT_TIMEOUT;
    if (!strcmp(argv[1], "key"))
        return CommandKey(argv[2], key, timeout);
    if (!strcmp(argv[1], "preview"))
        return CommandPreview(argv[2], key, timeout);
    return 2;
}
