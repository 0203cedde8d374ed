// Drives the engine's dialogs from outside, as a user would: finds a dialog by its caption,
// reads its controls and posts button presses. A console program of the tests, run in the same
// Wine prefix as the engine.
//   driver wait CAPTION                   the dialog appears (exit 0) or not within 20 s (1)
//   driver absent CAPTION MS              no such dialog appears within MS milliseconds
//   driver press CAPTION ID               post a click of control ID
//   driver close CAPTION                  post WM_CLOSE
//   driver text CAPTION ID                print the control's text
//   driver positions CAPTION ID...        print the scroll bars' positions, blank-separated
//   driver owned ENGINE SWITCH CAPTION    run "ENGINE SWITCH<hwnd>" with a window of ours, check
//                                         that the dialog is owned by it, close the dialog and
//                                         print the engine's exit code
//   driver short PATH                     print the file's short 8.3 path
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const DWORD WAIT_LIMIT = 20000; // ms

// Keeps our own windows answering while we wait: a modal dialog in another process disables
// and messages its owner.
static void PumpFor(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

static HWND DialogFind(const char *caption, DWORD limit)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND dialog = FindWindowA("#32770", caption);
        if (dialog != nullptr && IsWindowVisible(dialog))
            return dialog;
        if (GetTickCount() - start >= limit)
            return nullptr;
        PumpFor(20);
    }
}

static HWND DialogNeed(const char *caption)
{
    HWND dialog = DialogFind(caption, WAIT_LIMIT);
    if (dialog == nullptr) {
        fprintf(stderr, "no dialog \"%s\" within %lu ms\n", caption, (unsigned long)WAIT_LIMIT);
        exit(1);
    }
    return dialog;
}

static int RunOwned(const char *engine, const char *option, const char *caption)
{
    HWND owner = CreateWindowExA(0, "STATIC", "engine owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                 10, 200, 100, nullptr, nullptr, nullptr, nullptr);
    if (owner == nullptr)
        return 1;
    char command[1024];
    snprintf(command, sizeof command, "\"%s\" %s%lu", engine, option,
             (unsigned long)(ULONG_PTR)owner);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        fprintf(stderr, "cannot start %s\n", command);
        return 1;
    }
    HWND dialog = DialogNeed(caption);
    HWND actual = GetWindow(dialog, GW_OWNER);
    printf("owner %s\n", actual == owner ? "ours" : "other");
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    DWORD start = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT &&
           GetTickCount() - start < WAIT_LIMIT)
        PumpFor(20);
    DWORD code = 259;
    GetExitCodeProcess(process.hProcess, &code);
    printf("exit %lu\n", (unsigned long)code);
    DestroyWindow(owner);
    return actual == owner && code == 0 ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: driver wait|absent|press|close|text|positions|owned ...\n");
        return 2;
    }
    const char *command = argv[1];
    const char *caption = argv[2];
    if (strcmp(command, "wait") == 0) {
        DialogNeed(caption);
        return 0;
    }
    if (strcmp(command, "absent") == 0 && argc == 4)
        return DialogFind(caption, (DWORD)atoi(argv[3])) == nullptr ? 0 : 1;
    if (strcmp(command, "press") == 0 && argc == 4) {
        PostMessageA(DialogNeed(caption), WM_COMMAND, MAKEWPARAM(atoi(argv[3]), BN_CLICKED), 0);
        return 0;
    }
    if (strcmp(command, "close") == 0) {
        PostMessageA(DialogNeed(caption), WM_CLOSE, 0, 0);
        return 0;
    }
    if (strcmp(command, "text") == 0 && argc == 4) {
        char text[512] = "";
        GetDlgItemTextA(DialogNeed(caption), atoi(argv[3]), text, sizeof text);
        printf("%s\n", text);
        return 0;
    }
    if (strcmp(command, "positions") == 0) {
        HWND dialog = DialogNeed(caption);
        for (int i = 3; i < argc; i++)
            printf(i + 1 < argc ? "%d " : "%d\n",
                   GetScrollPos(GetDlgItem(dialog, atoi(argv[i])), SB_CTL));
        return 0;
    }
    if (strcmp(command, "short") == 0) {
        char path[MAX_PATH];
        DWORD length = GetShortPathNameA(argv[2], path, sizeof path);
        if (length == 0 || length >= sizeof path)
            return 1;
        printf("%s\n", path);
        return 0;
    }
    if (strcmp(command, "owned") == 0 && argc == 5)
        return RunOwned(argv[2], argv[3], argv[4]);
    fprintf(stderr, "unknown command %s\n", command);
    return 2;
}
