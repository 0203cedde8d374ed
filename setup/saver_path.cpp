// Where a saver file lives: the system directory, its name and ".scr"; and the temporary name
// it is written under.
#include "install.h"

#include <string.h>
#include "text.h"

static const char FALLBACK_SYSTEM_DIRECTORY[] = "C:\\WINDOWS\\SYSTEM";

int SaverPathFromDirectory(char *destination, const char *directory, const char *name)
{
    if (!directory || !directory[0])
        directory = FALLBACK_SYSTEM_DIRECTORY;
    size_t length = 0;
    destination[0] = '\0';
    // The printf family is not used here: MinGW's version would pull in locale functions that
    // Windows 95 lacks.
    int fits = TextAppend(destination, PATH_CAPACITY, &length, directory, strlen(directory));
    if (fits && directory[strlen(directory) - 1] != '\\')
        fits = TextAppend(destination, PATH_CAPACITY, &length, "\\", 1);
    return fits && TextAppend(destination, PATH_CAPACITY, &length, name, strlen(name)) &&
           TextAppend(destination, PATH_CAPACITY, &length, ".scr", 4);
}

int SaverTemporaryPath(char *destination, const char *saverPath)
{
    size_t length = strlen(saverPath);
    destination[0] = '\0';
    if (length < 4 || length >= (size_t)PATH_CAPACITY || memcmp(saverPath + length - 4, ".scr", 4))
        return 0;
    memcpy(destination, saverPath, length - 4);
    memcpy(destination + length - 4, SAVER_TEMPORARY_EXTENSION, 5);
    return 1;
}
