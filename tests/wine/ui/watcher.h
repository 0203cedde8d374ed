// Finds a dialog window of the test's main thread from a second thread while the main thread
// sits in a modal loop (message box, Open dialog), reads it and closes it.
#pragma once

#include <windows.h>

// Called on the watcher thread with the dialog found.
typedef void (*WatchAction)(HWND dialog, void *context);

struct Watch {
    DWORD threadId;     // thread whose top-level windows are searched
    const char *title;  // the dialog's caption, nullptr for any
    WatchAction action; // runs once on the dialog found
    void *context;
    volatile LONG stop; // set when the modal call has returned
    volatile LONG found;
    HANDLE thread;
};

// Starts watching the calling thread for a visible "#32770" window with the title.
void WatchStart(Watch *watch, const char *title, WatchAction action, void *context);
// Stops the watcher and waits for it; whether a window was found.
int WatchFinish(Watch *watch);
