// glimmer-driver: drives another program's dialogs from outside, for the end-to-end tests and the
// demo. It runs in the same Wine prefix as the program and finds its windows by caption.
//
//   glimmer-driver wait CAPTION [MS]        wait for a dialog with that caption; print its handle
//   glimmer-driver gone CAPTION [MS]        wait until no dialog has that caption
//   glimmer-driver settext CAPTION ID TEXT  set a control's text; \xHH in TEXT is the byte HH
//   glimmer-driver gettext CAPTION ID       print a control's text
//   glimmer-driver click CAPTION ID         post a button click (WM_COMMAND, BN_CLICKED)
//   glimmer-driver key CAPTION VK           post a key press to the dialog's focus control
//   glimmer-driver close CAPTION            post WM_CLOSE
//   glimmer-driver rect CAPTION             print the window's screen rectangle: x y width height
//   glimmer-driver box CAPTION [MS] [ok]    wait for a message box owned by the dialog, print
//                                           "CAPTION=..." and "TEXT=..." (line feeds as \n),
//                                           and with "ok" press its OK button
//   glimmer-driver window CLASS [MS] [close] wait for a visible top-level window of a class,
//                                           print its rectangle, and with "close" post WM_CLOSE
//
// Clicks are posted, never sent: a sent click would block until the message box it opens is
// closed. Exit code 0 on success, 1 when a wait times out or a window is missing, 2 on usage.
#include <windows.h>
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const DWORD DEFAULT_TIMEOUT = 15000; // ms
static const DWORD POLL_INTERVAL = 50;      // ms

static DWORD TimeoutArgument(int argc, char **argv, int index)
{
    return argc > index ? (DWORD)strtoul(argv[index], nullptr, 10) : DEFAULT_TIMEOUT;
}

static HWND FindDialog(const char *caption)
{
    return FindWindowA("#32770", caption);
}

static HWND WaitDialog(const char *caption, DWORD timeout)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND dialog = FindDialog(caption);
        if (dialog && IsWindowVisible(dialog))
            return dialog;
        if (GetTickCount() - start >= timeout)
            return nullptr;
        Sleep(POLL_INTERVAL);
    }
}

struct BoxSearch {
    HWND owner;
    HWND found;
};

static BOOL CALLBACK FindOwnedBox(HWND window, LPARAM parameter)
{
    BoxSearch *search = (BoxSearch *)parameter;
    char className[16];
    if (GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window) &&
        GetClassNameA(window, className, sizeof className) && !strcmp(className, "#32770")) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

static void PrintEscaped(const char *label, const char *text)
{
    printf("%s=", label);
    for (const char *p = text; *p; p++) {
        if (*p == '\n')
            fputs("\\n", stdout);
        else if (*p == '\\')
            fputs("\\\\", stdout);
        else if (*p != '\r')
            putchar(*p);
    }
    putchar('\n');
}

// Replaces each \xHH by the byte it names, in place, so that tests can type any ANSI byte
// whatever the host's locale makes of the command line.
static void DecodeEscapes(char *text)
{
    char *out = text;
    for (const char *in = text; *in; in++) {
        if (in[0] == '\\' && in[1] == 'x' && isxdigit((unsigned char)in[2]) &&
            isxdigit((unsigned char)in[3])) {
            char digits[3] = {in[2], in[3], 0};
            *out++ = (char)strtoul(digits, nullptr, 16);
            in += 3;
        } else {
            *out++ = *in;
        }
    }
    *out = '\0';
}

static int Missing(const char *what, const char *caption)
{
    fprintf(stderr, "glimmer-driver: no %s \"%s\"\n", what, caption);
    return 1;
}

static int CommandBox(HWND dialog, DWORD timeout, int pressOk)
{
    BoxSearch search = {dialog, nullptr};
    DWORD start = GetTickCount();
    while (EnumWindows(FindOwnedBox, (LPARAM)&search), !search.found) {
        if (GetTickCount() - start >= timeout) {
            fprintf(stderr, "glimmer-driver: no message box appeared\n");
            return 1;
        }
        Sleep(POLL_INTERVAL);
    }
    char caption[256] = "", text[1024] = "";
    GetWindowTextA(search.found, caption, sizeof caption);
    GetDlgItemTextA(search.found, 0xFFFF, text, sizeof text); // the message box's static text
    PrintEscaped("CAPTION", caption);
    PrintEscaped("TEXT", text);
    fflush(stdout);
    if (pressOk)
        PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     (LPARAM)GetDlgItem(search.found, IDOK));
    return 0;
}

static int CommandKey(HWND dialog, UINT key)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus)
        target = info.hwndFocus;
    UINT scan = MapVirtualKeyA(key, 0);
    PostMessageA(target, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
    return 0;
}

static int CommandWindow(const char *className, DWORD timeout, int close)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(className, nullptr);
        if (window && IsWindowVisible(window)) {
            RECT r;
            GetWindowRect(window, &r);
            printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
            if (close)
                PostMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        }
        if (GetTickCount() - start >= timeout)
            return Missing("window of class", className);
        Sleep(POLL_INTERVAL);
    }
}

static int Usage()
{
    fprintf(stderr, "usage: glimmer-driver wait|gone|settext|gettext|click|key|close|rect|box|"
                    "window ...\n");
    return 2;
}

int main(int argc, char **argv)
{
    if (argc < 3)
        return Usage();
    const char *command = argv[1];
    const char *caption = argv[2];
    if (!strcmp(command, "window"))
        return CommandWindow(caption, TimeoutArgument(argc, argv, 3),
                             argc > 4 && !strcmp(argv[4], "close"));
    if (!strcmp(command, "gone")) {
        DWORD timeout = TimeoutArgument(argc, argv, 3), start = GetTickCount();
        while (FindDialog(caption)) {
            if (GetTickCount() - start >= timeout) {
                fprintf(stderr, "glimmer-driver: \"%s\" is still there\n", caption);
                return 1;
            }
            Sleep(POLL_INTERVAL);
        }
        return 0;
    }
    DWORD timeout = !strcmp(command, "wait") || !strcmp(command, "box")
                        ? TimeoutArgument(argc, argv, 3)
                        : DEFAULT_TIMEOUT;
    HWND dialog = WaitDialog(caption, timeout);
    if (!dialog)
        return Missing("dialog", caption);
    if (!strcmp(command, "wait")) {
        printf("%lu\n", (unsigned long)(ULONG_PTR)dialog);
        return 0;
    }
    if (!strcmp(command, "box"))
        return CommandBox(dialog, timeout, argc > 4 && !strcmp(argv[4], "ok"));
    if (!strcmp(command, "close")) {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return 0;
    }
    if (!strcmp(command, "rect")) {
        RECT r;
        GetWindowRect(dialog, &r);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (argc < 4)
        return Usage();
    int id = atoi(argv[3]);
    if (!strcmp(command, "settext") && argc >= 5) {
        DecodeEscapes(argv[4]);
        return SetDlgItemTextA(dialog, id, argv[4]) ? 0 : Missing("control in", caption);
    }
    if (!strcmp(command, "gettext")) {
        char text[1024] = "";
        GetDlgItemTextA(dialog, id, text, sizeof text);
        PrintEscaped("TEXT", text);
        return 0;
    }
    if (!strcmp(command, "click")) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     (LPARAM)GetDlgItem(dialog, id));
        return 0;
    }
    if (!strcmp(command, "key"))
        return CommandKey(dialog, (UINT)id);
    return Usage();
}
