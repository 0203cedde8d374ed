// The one pending user message of a program: owner window, caption, text and severity.
#pragma once

#include <stdint.h>

enum Severity {
    SeverityNone = 0,
    SeverityInformation = 1,
    SeverityWarning = 2,
    SeverityError = 3,
    SeverityBug = 4 // the program's own data are damaged
};

struct MessageSlot {
    void *owner;      // HWND of the message box's owner, or nullptr
    char *caption;    // heap text or nullptr
    char *text;       // heap text or nullptr
    int16_t severity; // a Severity
};

// The program's slot; zero at start. The programs clear it before they return.
extern MessageSlot AppMessage;

// Prints format (nullptr means "%s") with argument into a new text, stores the severity and
// the caption the severity names (none outside 1 to 4). Only the first "%s" takes the
// argument and "%%" gives "%"; any other '%' is kept as written, so no format can read a
// missing argument. A nullptr argument counts as "". Format or argument may be the slot's
// own text or caption.
void SetMessage(MessageSlot *slot, const char *format, const char *argument, int severity);
// Replaces the caption with a heap copy of caption (nullptr: no caption).
void SetMessageCaption(MessageSlot *slot, const char *caption);
// Severity 0, no caption, no text; the owner stays.
void ClearMessage(MessageSlot *slot);
// Clears the slot and stores the owner for the next message box.
void SetMessageOwner(MessageSlot *slot, void *owner);
// Shows the message in a message box (nothing at severity 0); the slot keeps its content.
// The result of the message box, 0 when none was shown.
int DisplayMessage(MessageSlot *slot);

// The message box's icon style for a severity: MB_ICONINFORMATION, MB_ICONEXCLAMATION,
// MB_ICONHAND for 3 and 4, MB_ICONQUESTION for any other value.
unsigned MessageIconStyle(int severity);
