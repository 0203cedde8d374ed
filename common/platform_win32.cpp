// Win32 versions of the operating-system calls used by the platform-free code.
#include "platform.h"

#include <string.h>
#include <windows.h>

int PlatformModuleFileName(char *buffer, int capacity)
{
    DWORD length = GetModuleFileNameA(nullptr, buffer, (DWORD)capacity);
    // A full buffer means the name was cut; a cut name would open the wrong file.
    if (length == 0 || length >= (DWORD)capacity)
        return 0;
    return (int)length;
}

// FindFirstFileA rather than GetLongPathNameA, which Windows 95 does not have.
int PlatformLongFileName(const char *path, char *buffer, int capacity)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    size_t length = strlen(found.cFileName);
    if (length == 0 || length >= (size_t)capacity)
        return 0;
    memcpy(buffer, found.cFileName, length + 1);
    return (int)length;
}

PlatformFile PlatformFileOpenRead(const char *path)
{
    SECURITY_ATTRIBUTES attributes = {};
    attributes.nLength = sizeof attributes; // 12 on i686
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, &attributes, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : (PlatformFile)file;
}

uint32_t PlatformFileSize(PlatformFile file)
{
    return (uint32_t)GetFileSize((HANDLE)file, nullptr);
}

uint32_t PlatformFileRead(PlatformFile file, void *buffer, uint32_t count)
{
    DWORD got = 0;
    if (!ReadFile((HANDLE)file, buffer, count, &got, nullptr))
        return 0;
    return (uint32_t)got;
}

void PlatformFileClose(PlatformFile file)
{
    CloseHandle((HANDLE)file);
}
