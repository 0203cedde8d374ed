// Where a saver file lives: the system directory, its name and ".scr".
#include "install.h"

#include <string.h>
#include "text.h"

static const char FALLBACK_SYSTEM_DIRECTORY[] = "C:\\WINDOWS\\SYSTEM";

// Appends text to the path of length *length; 0 when it does not fit, after appending as much
// as fits.
static int PathAppend(char *path, size_t *length, const char *text)
{
    size_t room = PATH_CAPACITY - 1 - *length;
    size_t count = strlen(text);
    int fits = count <= room;
    if (!fits)
        count = room;
    memcpy(path + *length, text, count);
    *length += count;
    path[*length] = '\0';
    return fits;
}

int SaverPathFromDirectory(char *destination, const char *directory, const char *name)
{
    if (!directory || !directory[0])
        directory = FALLBACK_SYSTEM_DIRECTORY;
    size_t length = 0;
    destination[0] = '\0';
    // The printf family is not used here: MinGW's version would pull in locale functions that
    // Windows 95 lacks.
    int fits = PathAppend(destination, &length, directory);
    if (fits && directory[strlen(directory) - 1] != '\\')
        fits = PathAppend(destination, &length, "\\");
    return fits && PathAppend(destination, &length, name) &&
           PathAppend(destination, &length, ".scr");
}
