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

// Appends the pieces to out; 0 when they do not fit in PATH_CAPACITY characters.
static int Append(char *out, size_t *length, const char *piece, size_t pieceLength)
{
    if (*length + pieceLength > (size_t)PATH_CAPACITY - 1)
        return 0;
    memcpy(out + *length, piece, pieceLength);
    *length += pieceLength;
    out[*length] = '\0';
    return 1;
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
            fits = Append(full, &length, moduleDirectory, (size_t)(colon - moduleDirectory) + 1);
    } else if (strchr(path, ':') == nullptr) {
        fits = Append(full, &length, moduleDirectory, strlen(moduleDirectory));
    }
    fits = fits && Append(full, &length, path, strlen(path));
    if (fits && defaultExtension && NeedsExtension(full, length))
        fits = Append(full, &length, ".", 1) &&
               Append(full, &length, defaultExtension, strlen(defaultExtension));
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
    if (!Append(path, &length, moduleDirectory, strlen(moduleDirectory)) ||
        !Append(path, &length, helpFile ? helpFile : "", helpFile ? strlen(helpFile) : 0)) {
        path[0] = '\0';
        return 0;
    }
    return 1;
}
