// Win32 versions of the file operations only the installer uses: deleting, looking for and
// renaming a file. They live apart from the other platform calls so that a program that never
// calls them does not import them either: the linker drops unused functions, not the imports
// their files bring in.
#include "platform.h"

#include <windows.h>

int PlatformFileDelete(const char *path)
{
    return DeleteFileA(path) != 0;
}

int PlatformFileExists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

int PlatformFileRename(const char *from, const char *to)
{
    return MoveFileA(from, to) != 0;
}
