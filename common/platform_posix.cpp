// Host versions of the operating-system calls: the tools and native tests run on Linux.
#include "platform.h"

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

int PlatformModuleFileName(char *buffer, int capacity)
{
    ssize_t length = readlink("/proc/self/exe", buffer, capacity - 1);
    if (length <= 0 || length >= capacity - 1)
        return 0;
    buffer[length] = 0;
    return (int)length;
}

// Host file names have no short form: the name is the one in the path.
int PlatformLongFileName(const char *path, char *buffer, int capacity)
{
    return 0;
}

PlatformFile PlatformFileOpenRead(const char *path)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return nullptr;
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        fclose(file);
        return nullptr;
    }
    return file;
}

uint32_t PlatformFileSize(PlatformFile file)
{
    struct stat info;
    if (fstat(fileno((FILE *)file), &info) != 0 || info.st_size >= PLATFORM_FILE_SIZE_ERROR)
        return PLATFORM_FILE_SIZE_ERROR;
    return (uint32_t)info.st_size;
}

uint32_t PlatformFileRead(PlatformFile file, void *buffer, uint32_t count)
{
    return (uint32_t)fread(buffer, 1, count, (FILE *)file);
}

void PlatformFileClose(PlatformFile file)
{
    fclose((FILE *)file);
}
