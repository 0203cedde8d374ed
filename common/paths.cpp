// Module directory, full paths with a default extension, and help-file paths.
#include "paths.h"

#include "text.h"

#include <string.h>

void ModuleDirectoryFromPath(char *directory, const char *modulePath)
{
    if (modulePath == nullptr || modulePath[0] == '\0') {
        strcpy(directory, "C:\\");
        return;
    }
    const char *backslash = strrchr(modulePath, '\\');
    size_t length = backslash ? (size_t)(backslash - modulePath) + 1 : 0;
    if (length > (size_t)PATH_CAPACITY - 1)
        length = 0; // no directory at all rather than a cut one
    memcpy(directory, modulePath, length);
    directory[length] = '\0';
}

// Searched back from its end, the text meets a backslash before any dot: its last part has
// no extension. A text with neither (a bare drive-relative name like D:SUN) gets none.
static int NeedsExtension(const char *text, size_t length)
{
    while (length > 0) {
        char c = text[--length];
        if (c == '.')
            return 0;
        if (c == '\\')
            return 1;
    }
    return 0;
}

int MakeFullPathIn(char *path, const char *defaultExtension, const char *moduleDirectory)
{
    if (TrimBlanks(path) < 0)
        return 1;
    char full[PATH_CAPACITY];
    size_t length = 0;
    full[0] = '\0';
    int fits = 1;
    if (path[0] == '\\') {
        const char *colon = strchr(moduleDirectory, ':');
        if (colon)
            fits = TextAppend(full, PATH_CAPACITY, &length, moduleDirectory,
                              (size_t)(colon - moduleDirectory) + 1);
    } else if (strchr(path, ':') == nullptr) {
        fits = TextAppend(full, PATH_CAPACITY, &length, moduleDirectory, strlen(moduleDirectory));
    }
    fits = fits && TextAppend(full, PATH_CAPACITY, &length, path, strlen(path));
    if (fits && defaultExtension && NeedsExtension(full, length))
        fits = TextAppend(full, PATH_CAPACITY, &length, ".", 1) &&
               TextAppend(full, PATH_CAPACITY, &length, defaultExtension, strlen(defaultExtension));
    if (!fits) {
        path[0] = '\0';
        return 0;
    }
    memcpy(path, full, length + 1);
    return 1;
}

int HelpFilePath(char *path, const char *moduleDirectory, const char *helpFile)
{
    size_t length = 0;
    path[0] = '\0';
    if (!TextAppend(path, PATH_CAPACITY, &length, moduleDirectory, strlen(moduleDirectory)) ||
        !TextAppend(path, PATH_CAPACITY, &length, helpFile ? helpFile : "",
                    helpFile ? strlen(helpFile) : 0)) {
        path[0] = '\0';
        return 0;
    }
    return 1;
}
