// Bounded building of the launcher's client path and command lines.
#include "browser_command.h"

#include <string.h>
#include "text.h"

static const char CLIENT_ROOT[] = "C:\\";
static const char CLIENT_PROGRAM[] = "\\AOL.EXE";
static const char PLACEHOLDER[] = " %1";

// 1 when the first count characters of text hold something other than blanks.
static int HasNonBlank(const char *text, size_t count)
{
    for (size_t i = 0; i < count; i++)
        if (!IsBlank(text[i]))
            return 1;
    return 0;
}

static int Refuse(char *buffer, int capacity)
{
    if (capacity > 0)
        buffer[0] = '\0';
    return 0;
}

int ClientPathFormat(char *path, int capacity, const char *directory)
{
    size_t length = 0;
    if (capacity <= 0)
        return 0;
    path[0] = '\0';
    // Room is kept for the two quotes of the client's command line, so a found client can
    // always be started.
    if (capacity <= 2)
        return Refuse(path, capacity);
    size_t room = (size_t)capacity - 2;
    if (!TextAppend(path, room, &length, CLIENT_ROOT, strlen(CLIENT_ROOT)) ||
        !TextAppend(path, room, &length, directory, strlen(directory)) ||
        !TextAppend(path, room, &length, CLIENT_PROGRAM, strlen(CLIENT_PROGRAM)))
        return Refuse(path, capacity);
    return 1;
}

int ClientCommandFormat(char *commandLine, int capacity, const char *clientPath)
{
    size_t length = 0;
    if (capacity <= 0)
        return 0;
    commandLine[0] = '\0';
    if (!TextAppend(commandLine, (size_t)capacity, &length, "\"", 1) ||
        !TextAppend(commandLine, (size_t)capacity, &length, clientPath, strlen(clientPath)) ||
        !TextAppend(commandLine, (size_t)capacity, &length, "\"", 1))
        return Refuse(commandLine, capacity);
    return 1;
}

int RegistryTextTerminate(char *value, int capacity, uint32_t size)
{
    if (capacity <= 0)
        return 0;
    uint32_t filled = size < (uint32_t)capacity ? size : (uint32_t)capacity;
    if (memchr(value, '\0', filled))
        return 1;
    if (filled < (uint32_t)capacity) {
        value[filled] = '\0';
        return 1;
    }
    return Refuse(value, capacity);
}

int BrowserCommandFormat(char *commandLine, int capacity, const char *command, const char *address)
{
    size_t length = 0;
    if (capacity <= 0)
        return 0;
    commandLine[0] = '\0';
    if (strchr(address, '"'))
        return 0;
    const char *placeholder = strstr(command, PLACEHOLDER);
    size_t commandLength = placeholder ? (size_t)(placeholder - command) : strlen(command);
    // With no program left the address itself would be started as one.
    if (!HasNonBlank(command, commandLength))
        return 0;
    if (!TextAppend(commandLine, (size_t)capacity, &length, command, commandLength) ||
        !TextAppend(commandLine, (size_t)capacity, &length, " \"", 2) ||
        !TextAppend(commandLine, (size_t)capacity, &length, address, strlen(address)) ||
        !TextAppend(commandLine, (size_t)capacity, &length, "\"", 1))
        return Refuse(commandLine, capacity);
    return 1;
}
