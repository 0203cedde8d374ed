// The engine's command-line scan, kept free of the platform so it can be tested natively.
#include "cmdline.h"

// Blanks here are every non-NUL byte that is at most 32 as a signed char, which takes in the
// bytes 128 to 255 as well.
static int ScanBlank(char c)
{
    return c != '\0' && (signed char)c <= 32;
}

void CommandLineScan(const char *tail, CommandLine *line)
{
    line->letter = '\0';
    line->hasHandle = 0;
    line->handle = 0;
    if (tail == nullptr)
        return;

    const char *p = tail;
    while (ScanBlank(*p))
        p++;
    if (*p != '/' && *p != '-')
        return;
    p++;
    if (*p == '\0')
        return;

    char letter = *p++;
    if (letter >= 'a' && letter <= 'z')
        letter = (char)(letter - 32);
    line->letter = letter;

    while (ScanBlank(*p) || *p == ':')
        p++;
    if (*p < '0' || *p > '9')
        return;
    uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; p++)
        value = value * 10u + (uint32_t)(*p - '0'); // wraps silently, as handles are 32-bit
    line->hasHandle = 1;
    line->handle = value;
}

EngineMode CommandLineMode(char letter)
{
    switch (letter) {
    case '\0':
    case 'C':
        return ENGINE_MODE_SETTINGS;
    case 'A':
        return ENGINE_MODE_PASSWORD;
    case 'P':
    case 'L':
        return ENGINE_MODE_PREVIEW;
    case 'S':
        return ENGINE_MODE_SAVER;
    default:
        return ENGINE_MODE_NONE;
    }
}
