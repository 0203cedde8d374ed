// The few operating-system calls the platform-free code needs, with a Win32 and a POSIX version.
#pragma once

#include <stdint.h>

// The running program's own file name into buffer; its length, or 0 when it cannot be had.
int PlatformModuleFileName(char *buffer, int capacity);
// The long name of the file a path names (the last part only, as a directory listing shows it)
// into buffer; its length, or 0 when it cannot be had. Windows starts a saver by its short
// 8.3 path, and only this lookup gives back the name it was installed under.
int PlatformLongFileName(const char *path, char *buffer, int capacity);

// A file opened for sequential reading, shared for reading only.
typedef void *PlatformFile;
const uint32_t PLATFORM_FILE_SIZE_ERROR = 0xFFFFFFFFu;

PlatformFile PlatformFileOpenRead(const char *path); // nullptr on failure
uint32_t PlatformFileSize(PlatformFile file);        // PLATFORM_FILE_SIZE_ERROR on failure
uint32_t PlatformFileRead(PlatformFile file, void *buffer, uint32_t count); // bytes read
void PlatformFileClose(PlatformFile file);

// The installer's file operations (platform_files_*.cpp).
// Deletes a file; 1 when it was deleted.
int PlatformFileDelete(const char *path);
// 1 when something of that name exists (a file, a folder, one that cannot be read), else 0.
int PlatformFileExists(const char *path);
// Gives a file a new name in the same directory; the new name must not exist yet. 1 when
// renamed.
int PlatformFileRename(const char *from, const char *to);
