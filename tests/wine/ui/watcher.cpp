// A second thread that finds, reads and closes the main thread's modal dialogs.
#include "watcher.h"

struct Search {
    const char *title;
    HWND found;
};

static BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter)
{
    Search *search = (Search *)parameter;
    char name[64];
    if (!IsWindowVisible(window) || !GetClassNameA(window, name, sizeof name) ||
        lstrcmpA(name, "#32770") != 0)
        return TRUE;
    if (search->title) {
        char caption[256];
        GetWindowTextA(window, caption, sizeof caption);
        if (lstrcmpA(caption, search->title) != 0)
            return TRUE;
    }
    search->found = window;
    return FALSE;
}

static DWORD WINAPI WatchThread(void *parameter)
{
    Watch *watch = (Watch *)parameter;
    // Ten seconds at most; the modal call returning sets stop much sooner.
    for (int i = 0; i < 1000 && !watch->stop; ++i) {
        Search search = {watch->title, nullptr};
        EnumThreadWindows(watch->threadId, MatchDialog, (LPARAM)&search);
        if (search.found) {
            watch->found = 1;
            watch->action(search.found, watch->context);
            return 0;
        }
        Sleep(10);
    }
    return 0;
}

void WatchStart(Watch *watch, const char *title, WatchAction action, void *context)
{
    watch->threadId = GetCurrentThreadId();
    watch->title = title;
    watch->action = action;
    watch->context = context;
    watch->stop = 0;
    watch->found = 0;
    watch->thread = CreateThread(nullptr, 0, WatchThread, watch, 0, nullptr);
}

int WatchFinish(Watch *watch)
{
    InterlockedExchange(&watch->stop, 1);
    WaitForSingleObject(watch->thread, INFINITE);
    CloseHandle(watch->thread);
    return watch->found != 0;
}
