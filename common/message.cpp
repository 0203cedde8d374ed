// The message slot: formatting the text, captions by severity and clearing.
#include "message.h"

#include <string.h>
#include "allocation.h"

MessageSlot AppMessage;

static const unsigned ICON_HAND = 0x10;        // MB_ICONHAND
static const unsigned ICON_QUESTION = 0x20;    // MB_ICONQUESTION
static const unsigned ICON_EXCLAMATION = 0x30; // MB_ICONEXCLAMATION
static const unsigned ICON_INFORMATION = 0x40; // MB_ICONINFORMATION

static const char *SeverityCaption(int severity)
{
    switch (severity) {
    case SeverityInformation:
        return "Information";
    case SeverityWarning:
        return "Warning";
    case SeverityError:
        return "Error";
    case SeverityBug:
        return "Bug";
    default:
        return nullptr;
    }
}

unsigned MessageIconStyle(int severity)
{
    switch (severity) {
    case SeverityInformation:
        return ICON_INFORMATION;
    case SeverityWarning:
        return ICON_EXCLAMATION;
    case SeverityError:
    case SeverityBug:
        return ICON_HAND;
    default:
        return ICON_QUESTION;
    }
}

static char *CopyText(const char *text)
{
    size_t size = strlen(text) + 1;
    char *copy = (char *)MemoryAllocate(size);
    memcpy(copy, text, size);
    return copy;
}

// The format with its first "%s" replaced by argument. Every step writes at most as many
// characters as it reads from the format or the argument, so format length + argument
// length + 1 bytes always hold the result.
static char *FormatText(const char *format, const char *argument)
{
    size_t argumentLength = strlen(argument);
    char *text = (char *)MemoryAllocate(strlen(format) + argumentLength + 1);
    char *out = text;
    int argumentUsed = 0;
    for (const char *in = format; *in; ++in) {
        if (in[0] == '%' && in[1] == '%') {
            *out++ = '%';
            ++in;
        } else if (in[0] == '%' && in[1] == 's' && !argumentUsed) {
            memcpy(out, argument, argumentLength);
            out += argumentLength;
            argumentUsed = 1;
            ++in;
        } else {
            *out++ = *in;
        }
    }
    *out = '\0';
    return text;
}

void SetMessage(MessageSlot *slot, const char *format, const char *argument, int severity)
{
    // The new text is made before the old one is freed: the argument may be that old text.
    char *text = FormatText(format ? format : "%s", argument ? argument : "");
    MemoryFree(slot->text);
    slot->text = text;
    slot->severity = (int16_t)severity;
    SetMessageCaption(slot, SeverityCaption(slot->severity));
}

void SetMessageCaption(MessageSlot *slot, const char *caption)
{
    char *copy = caption ? CopyText(caption) : nullptr;
    MemoryFree(slot->caption);
    slot->caption = copy;
}

void ClearMessage(MessageSlot *slot)
{
    slot->severity = SeverityNone;
    MemoryFree(slot->caption);
    slot->caption = nullptr;
    MemoryFree(slot->text);
    slot->text = nullptr;
}

void SetMessageOwner(MessageSlot *slot, void *owner)
{
    ClearMessage(slot);
    slot->owner = owner;
}
