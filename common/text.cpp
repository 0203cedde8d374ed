// Trimming blanks, the saver-name rule and the settings key path.
#include "text.h"

#include "message.h"
#include "platform.h"

#include <string.h>

const char SETTINGS_KEY_PREFIX[] = "Software\\Halvorne\\Vistamo";
const char FALLBACK_SAVER_NAME[] = "Vistamo 1";

int IsBlank(char c)
{
    return c != '\0' && (signed char)c <= 32;
}

int IsFieldBlank(char c)
{
    return c != '\0' && (unsigned char)c <= 32;
}

// Trims trailing characters for which blank() is non-zero; as TrimTrailingBlanks.
static int TrimTrailing(char *text, int (*blank)(char))
{
    int last = (int)strlen(text) - 1;
    while (last >= 0 && blank(text[last]))
        text[last--] = '\0';
    return last;
}

// Trims leading and trailing characters for which blank() is non-zero; as TrimBlanks.
static int TrimBoth(char *text, int (*blank)(char))
{
    if (blank(text[0])) {
        char *first = text;
        while (blank(*first))
            ++first;
        memmove(text, first, strlen(first) + 1);
    }
    return TrimTrailing(text, blank);
}

int TrimTrailingBlanks(char *text)
{
    return TrimTrailing(text, IsBlank);
}

int TrimBlanks(char *text)
{
    return TrimBoth(text, IsBlank);
}

int TrimFieldBlanks(char *text)
{
    return TrimBoth(text, IsFieldBlank);
}

int TextAppend(char *buffer, size_t capacity, size_t *length, const char *text, size_t count)
{
    if (*length >= capacity || count >= capacity - *length)
        return 0;
    memcpy(buffer + *length, text, count);
    *length += count;
    buffer[*length] = '\0';
    return 1;
}

static int IsSaverNameCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ' ';
}

// The names Windows takes for devices whatever follows them: "NUL.scr" is the null device, so a
// saver of that name could never be written or removed as a file. Letters compare in either
// case, and blanks around the name do not count: Windows drops trailing ones, and a leading one
// is not worth the doubt.
static int IsDeviceName(const char *name)
{
    static const char *const DEVICES[] = {"CON", "PRN", "AUX", "NUL", "COM?", "LPT?"};
    while (IsBlank(*name))
        ++name;
    size_t length = strlen(name);
    while (length > 0 && IsBlank(name[length - 1]))
        --length;
    for (const char *device : DEVICES) {
        if (strlen(device) != length)
            continue;
        size_t i = 0;
        for (; i < length; i++) {
            char c = name[i];
            if (c >= 'a' && c <= 'z')
                c = (char)(c - 'a' + 'A');
            if (device[i] == '?' ? !(c >= '1' && c <= '9') : c != device[i])
                break;
        }
        if (i == length)
            return 1;
    }
    return 0;
}

int ValidateSaverName(const char *name)
{
    if (name == nullptr || name[0] == '\0') {
        SetMessage(&AppMessage, nullptr, "No Screen Saver's Name", SeverityError);
        return 1;
    }
    int faulty = IsDeviceName(name);
    for (const char *c = name; *c && !faulty; ++c)
        faulty = !IsSaverNameCharacter(*c);
    if (faulty) {
        SetMessage(&AppMessage, nullptr,
                   "The screen saver's name can only contain\n"
                   "letters, digits, underscores, and spaces.",
                   SeverityError);
        return 1;
    }
    return 0;
}

// Prefix, backslash and the first length characters of name, cut to fit PATH_CAPACITY.
static char *ComposeKeyPath(char *destination, const char *name, size_t length)
{
    const size_t prefixLength = sizeof SETTINGS_KEY_PREFIX - 1;
    const size_t room = PATH_CAPACITY - 1 - prefixLength - 1;
    if (length > room)
        length = room;
    memcpy(destination, SETTINGS_KEY_PREFIX, prefixLength);
    destination[prefixLength] = '\\';
    memcpy(destination + prefixLength + 1, name, length);
    destination[prefixLength + 1 + length] = '\0';
    return destination;
}

char *SettingsKeyPathFromModule(char *destination, const char *modulePath, const char *longName)
{
    const char *name = modulePath ? modulePath : "";
    const char *backslash = strrchr(name, '\\');
    if (backslash)
        name = backslash + 1;
    if (name[0] != '\0' && longName && longName[0] != '\0')
        name = longName;
    size_t length = strcspn(name, ".");
    if (length == 0)
        return ComposeKeyPath(destination, FALLBACK_SAVER_NAME, strlen(FALLBACK_SAVER_NAME));
    return ComposeKeyPath(destination, name, length);
}

char *GetSettingsKeyPath(char *destination, const char *name)
{
    if (name)
        return ComposeKeyPath(destination, name, strlen(name));
    char modulePath[PATH_CAPACITY];
    char longName[PATH_CAPACITY];
    if (PlatformModuleFileName(modulePath, PATH_CAPACITY) == 0)
        modulePath[0] = '\0';
    modulePath[PATH_CAPACITY - 1] = '\0';
    if (modulePath[0] == '\0' || PlatformLongFileName(modulePath, longName, PATH_CAPACITY) == 0)
        longName[0] = '\0';
    return SettingsKeyPathFromModule(destination, modulePath, longName);
}
