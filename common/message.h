// The one pending user message of a program: owner window, caption, text and severity.
#pragma once

#include <stdint.h>

enum Severity {
    SEVERITY_NONE = 0,
    SEVERITY_INFORMATION = 1,
    SEVERITY_WARNING = 2,
    SEVERITY_ERROR = 3,
    SEVERITY_BUG = 4 // the program's own data are damaged
};

struct MessageSlot {
    void *owner;      // HWND of the message box's owner, or nullptr
    char *caption;    // heap text or nullptr
    char *text;       // heap text or nullptr
    int16_t severity; // a Severity
};

// The program's slot; zero at start. The programs clear it before they return.
extern MessageSlot AppMessage;

// Prints format (nullptr means "%s", at most one %s conversion) with argument into a new
// text, stores the severity and the caption the severity names.
void SetMessage(MessageSlot *slot, const char *format, const char *argument, int severity);
void SetMessageCaption(MessageSlot *slot, const char *caption);
void ClearMessage(MessageSlot *slot);
void SetMessageOwner(MessageSlot *slot, void *owner);
// Shows the message in a message box (nothing at severity 0); the slot keeps its content.
int DisplayMessage(MessageSlot *slot);
