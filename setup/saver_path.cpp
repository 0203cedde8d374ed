// Where a saver file lives: the system directory, its name and ".scr".
#include "install.h"

#include <stdio.h>
#include <string.h>
#include "text.h"

static const char FALLBACK_SYSTEM_DIRECTORY[] = "C:\\WINDOWS\\SYSTEM";

int SaverPathFromDirectory(char *destination, const char *directory, const char *name)
{
    if (!directory || !directory[0])
        directory = FALLBACK_SYSTEM_DIRECTORY;
    size_t length = strlen(directory);
    const char *separator = directory[length - 1] == '\\' ? "" : "\\";
    int needed = snprintf(destination, PATH_CAPACITY, "%s%s%s.scr", directory, separator, name);
    return needed >= 0 && needed < PATH_CAPACITY;
}
