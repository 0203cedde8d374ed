// The name and options rules, and name order.
#include "pack_inputs.h"

#include <algorithm>
#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "message.h"
#include "slideshow_logic.h"
#include "text.h"

const int SAVER_NAME_MAXIMUM = SAVER_NAME_CAPACITY - 1;
const int OPTIONS_ADDRESS_MAXIMUM = OPTIONS_ADDRESS_CAPACITY - 1;

// Characters of the options text before the address: the banner flag and the launch key.
static const size_t OPTIONS_KEYS = 2;

static int IsSaverNameCharacter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ' ';
}

// Bytes of the UTF-8 sequence that starts at text, 0 when none does.
static size_t Utf8SequenceLength(const unsigned char *text)
{
    size_t length = text[0] >= 0xC2 && text[0] <= 0xDF   ? 2
                    : text[0] >= 0xE0 && text[0] <= 0xEF ? 3
                    : text[0] >= 0xF0 && text[0] <= 0xF4 ? 4
                                                         : 0;
    for (size_t i = 1; i < length; i++) {
        if ((text[i] & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// The character at text as the person typed it: quoted when it prints (a UTF-8 letter whole),
// else named.
static std::string CharacterText(const char *text)
{
    unsigned char c = (unsigned char)text[0];
    char named[40];
    if (c == '\t')
        return "a tab";
    if (c < 32 || c == 127) {
        snprintf(named, sizeof named, "the control character %u", c);
        return named;
    }
    size_t length = c < 128 ? 1 : Utf8SequenceLength((const unsigned char *)text);
    if (length)
        return "\"" + std::string(text, length) + "\"";
    snprintf(named, sizeof named, "the byte 0x%02X (not UTF-8 text)", c);
    return named;
}

int CheckSaverName(const char *name, std::string *reason)
{
    size_t length = strlen(name);
    if (length == 0) {
        *reason = "it is empty";
        return 0;
    }
    for (const char *c = name; *c; c++) {
        if (!IsSaverNameCharacter((unsigned char)*c)) {
            *reason = "the installer takes only the letters A to Z, digits, underscores and "
                      "spaces, and " +
                      CharacterText(c) + " is none of them";
            return 0;
        }
    }
    // The installer trims the name it reads; one that changes on trimming would install under
    // another name than the one shown.
    if (name[0] == ' ' || name[length - 1] == ' ') {
        *reason = std::string("it ") + (name[0] == ' ' ? "starts" : "ends") +
                  " with a space, which the installer would cut off";
        return 0;
    }
    if (length > (size_t)SAVER_NAME_MAXIMUM) {
        *reason = "it is " + std::to_string(length) + " characters long; the installer takes " +
                  std::to_string(SAVER_NAME_MAXIMUM) + " at most";
        return 0;
    }
    // Only a device name is left for the installer's rule to refuse.
    if (ValidateSaverName(name)) {
        ClearMessage(&AppMessage);
        *reason = "Windows keeps it for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to "
                  "LPT9), so no saver file can have it";
        return 0;
    }
    return 1;
}

int CheckOptionsText(const char *options, std::string *reason)
{
    size_t length = strlen(options);
    if (length > OPTIONS_KEYS + OPTIONS_ADDRESS_MAXIMUM) {
        *reason = "holds an address longer than " + std::to_string(OPTIONS_ADDRESS_MAXIMUM) +
                  " characters";
        return 0;
    }
    return 1;
}

// Compares a run of digits at a with one at b by value; advances both past their runs.
static int CompareDigitRuns(const char **a, const char **b)
{
    while (**a == '0' && isdigit((unsigned char)(*a)[1]))
        (*a)++;
    while (**b == '0' && isdigit((unsigned char)(*b)[1]))
        (*b)++;
    const char *startA = *a, *startB = *b;
    while (isdigit((unsigned char)**a))
        (*a)++;
    while (isdigit((unsigned char)**b))
        (*b)++;
    size_t lengthA = (size_t)(*a - startA), lengthB = (size_t)(*b - startB);
    if (lengthA != lengthB)
        return lengthA < lengthB ? -1 : 1;
    return memcmp(startA, startB, lengthA);
}

bool NameOrderLess(const std::string &first, const std::string &second)
{
    const char *a = first.c_str(), *b = second.c_str();
    while (*a && *b) {
        if (isdigit((unsigned char)*a) && isdigit((unsigned char)*b)) {
            int order = CompareDigitRuns(&a, &b);
            if (order != 0)
                return order < 0;
            continue;
        }
        int ca = tolower((unsigned char)*a), cb = tolower((unsigned char)*b);
        if (ca != cb)
            return ca < cb;
        a++;
        b++;
    }
    if (*a || *b)
        return *b != 0;
    return first < second;
}

const char *PictureFormatNamed(const std::string &name)
{
    static const char *const NAMES[][2] = {
        {".jpg", "a JPEG"}, {".jpeg", "a JPEG"}, {".png", "a PNG"},   {".webp", "a WebP"},
        {".gif", "a GIF"},  {".bmp", "a BMP"},   {".dib", "a BMP"},   {".heic", "a HEIF"},
        {".heif", "a HEIF"}, {".avif", "an AVIF"},
    };
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find('/', dot) != std::string::npos)
        return nullptr;
    std::string extension = name.substr(dot);
    for (char &c : extension)
        c = (char)tolower((unsigned char)c);
    for (const auto &entry : NAMES) {
        if (extension == entry[0])
            return entry[1];
    }
    return nullptr;
}
