// saver-host: runs a saver under Wine for the end-to-end tests and reports what it showed.
//
//   saver-host run MS COMMAND_LINE    start the command line; print SHOWN once a visible
//                                     top-level window of that process appears, then EXIT n
//                                     when it ends (TIMEOUT and exit code 1 after MS)
//   saver-host preview MS ENGINE      make a parent window, start "ENGINE /p HANDLE", print
//                                     READY width height (the parent's client size) and
//                                     CHILD x y width height is-child once the preview child
//                                     is visible, keep the parent alive until the engine ends,
//                                     then print EXIT n and CHILD_GONE 0/1
//   saver-host click MS               post a left click to the preview child of that parent
//   saver-host cursor X Y             put the pointer at (X, Y), for Wine and for X alike
//
// Output lines are flushed at once, so a test can react to READY or SHOWN while the saver
// runs.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static const char PARENT_CLASS[] = "SaverHostParent";
static const char PARENT_TITLE[] = "Saver Host Preview";
static const DWORD POLL_INTERVAL = 20; // ms

static void Say(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    printf("\n");
    fflush(stdout);
}

static int StartProcess(char *commandLine, PROCESS_INFORMATION *process)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, process);
}

struct VisibleSearch {
    DWORD processId;
    int found;
};

static BOOL CALLBACK FindVisible(HWND window, LPARAM parameter)
{
    VisibleSearch *search = (VisibleSearch *)parameter;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found = 1;
        return FALSE;
    }
    return TRUE;
}

// Processes this thread's messages while waiting up to timeout for the process to end.
static int WaitPumping(HANDLE process, DWORD timeout, int (*poll)(DWORD processId), DWORD processId)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (poll)
            poll(processId);
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeout)
            return 0;
        DWORD wait = MsgWaitForMultipleObjects(1, &process, FALSE, POLL_INTERVAL, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0)
            return 1;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

static int shownSaid;

static int PollShown(DWORD processId)
{
    if (shownSaid)
        return 1;
    VisibleSearch search = {processId, 0};
    EnumWindows(FindVisible, (LPARAM)&search);
    if (search.found) {
        shownSaid = 1;
        Say("SHOWN");
    }
    return search.found;
}

static int Finish(PROCESS_INFORMATION *process, int ended)
{
    if (!ended) {
        Say("TIMEOUT");
        TerminateProcess(process->hProcess, 1);
        WaitForSingleObject(process->hProcess, 5000);
    }
    DWORD code = 0;
    GetExitCodeProcess(process->hProcess, &code);
    Say("EXIT %lu", code);
    CloseHandle(process->hProcess);
    CloseHandle(process->hThread);
    return ended ? 0 : 1;
}

static int CommandRun(DWORD timeout, char *commandLine)
{
    PROCESS_INFORMATION process;
    if (!StartProcess(commandLine, &process)) {
        Say("START_FAILED %lu", GetLastError());
        return 1;
    }
    int ended = WaitPumping(process.hProcess, timeout, PollShown, process.dwProcessId);
    return Finish(&process, ended);
}

static HWND PreviewChild(HWND parent)
{
    return FindWindowExA(parent, nullptr, "MainClass", nullptr);
}

static HWND previewParent;
static int readySaid;

static int PollReady(DWORD)
{
    HWND child = PreviewChild(previewParent);
    if (readySaid || !child || !IsWindowVisible(child))
        return 0;
    RECT client, rect;
    GetClientRect(previewParent, &client);
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, previewParent, (POINT *)&rect, 2);
    readySaid = 1;
    Say("READY %ld %ld", client.right, client.bottom);
    Say("CHILD %ld %ld %ld %ld %d", rect.left, rect.top, rect.right - rect.left,
        rect.bottom - rect.top, (GetWindowLongA(child, GWL_STYLE) & WS_CHILD) != 0);
    return 1;
}

static int CommandPreview(DWORD timeout, const char *engine)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszClassName = PARENT_CLASS;
    RegisterClassA(&windowClass);
    previewParent = CreateWindowExA(0, PARENT_CLASS, PARENT_TITLE, WS_POPUP | WS_VISIBLE, 100, 100,
                                    320, 240, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!previewParent) {
        Say("PARENT_FAILED");
        return 1;
    }
    UpdateWindow(previewParent);
    char commandLine[1024];
    snprintf(commandLine, sizeof commandLine, "\"%s\" /p %lu", engine,
             (unsigned long)(ULONG_PTR)previewParent);
    PROCESS_INFORMATION process;
    if (!StartProcess(commandLine, &process)) {
        Say("START_FAILED %lu", GetLastError());
        return 1;
    }
    int ended = WaitPumping(process.hProcess, timeout, PollReady, process.dwProcessId);
    int result = Finish(&process, ended);
    Say("CHILD_GONE %d", PreviewChild(previewParent) == nullptr);
    DestroyWindow(previewParent);
    return result;
}

static int CommandClick(DWORD timeout)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        HWND parent = FindWindowA(PARENT_CLASS, PARENT_TITLE);
        HWND child = parent ? PreviewChild(parent) : nullptr;
        if (child) {
            PostMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
            Say("CLICKED");
            return 0;
        }
        Sleep(POLL_INTERVAL);
    }
    Say("NO_PREVIEW");
    return 1;
}

int main(int argc, char **argv)
{
    if (argc >= 4 && !strcmp(argv[1], "cursor"))
        return SetCursorPos(atoi(argv[2]), atoi(argv[3])) ? 0 : 1;
    if (argc >= 4 && !strcmp(argv[1], "run"))
        return CommandRun((DWORD)atol(argv[2]), argv[3]);
    if (argc >= 4 && !strcmp(argv[1], "preview"))
        return CommandPreview((DWORD)atol(argv[2]), argv[3]);
    if (argc >= 3 && !strcmp(argv[1], "click"))
        return CommandClick((DWORD)atol(argv[2]));
    fprintf(stderr, "usage: saver-host run MS COMMAND_LINE | preview MS ENGINE | click MS | "
                    "cursor X Y\n");
    return 2;
}
