// The command-line tail for WinMain, free of Windows so that it is tested natively.
#include "command_tail.h"

const char *CommandTail(const char *commandLine)
{
    const char *p = commandLine;
    if (p == nullptr)
        return "";
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        // A bare name runs to the first space or control character; bytes 0x80 and above are
        // letters of the code page, so they belong to the name.
        while ((unsigned char)*p > ' ')
            ++p;
    }
    while (*p != '\0' && (signed char)*p <= ' ')
        ++p;
    return p;
}
