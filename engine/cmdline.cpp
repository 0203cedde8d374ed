// The engine's command-line scan, kept free of the platform so it can be tested natively.
#include "cmdline.h"

#include "text.h"

void CommandLineScan(const char *tail, CommandLine *line)
{
    line->letter = '\0';
    line->hasHandle = 0;
    line->handle = 0;
    if (tail == nullptr)
        return;

    const char *p = tail;
    while (IsBlank(*p))
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

    while (IsBlank(*p) || *p == ':')
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
