// Host versions of the file operations only the installer uses: deleting, looking for and
// renaming a file.
#include "platform.h"

#include <sys/stat.h>
#include <unistd.h>

int PlatformFileDelete(const char *path)
{
    return unlink(path) == 0;
}

int PlatformFileExists(const char *path)
{
    struct stat info;
    return lstat(path, &info) == 0;
}

// link and unlink rather than rename, which would replace a file that exists: the Win32 version
// never does.
int PlatformFileRename(const char *from, const char *to)
{
    if (link(from, to) != 0)
        return 0;
    unlink(from);
    return 1;
}
