// Shows the pending message of a slot in a message box.
#include "message.h"

#include <windows.h>

int DisplayMessage(MessageSlot *slot)
{
    if (slot->severity == SeverityNone)
        return 0;
    return MessageBoxA((HWND)slot->owner, slot->text ? slot->text : "",
                       slot->caption ? slot->caption : "",
                       MB_OK | MessageIconStyle(slot->severity));
}
