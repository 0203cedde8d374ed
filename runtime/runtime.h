// The small C runtime the Windows programs carry instead of a C runtime DLL: the entry, the heap,
// the memory and string functions, and buffered file streams.
//
// The programs call these by their standard names through the usual headers. The runtime's own
// tests link a C library as well, so they build the same sources with RUNTIME_TEST_NAMES, which
// gives every function a Runtime_ prefix and keeps the two apart.
#pragma once

#include <stddef.h>

#ifdef RUNTIME_TEST_NAMES
#define RUNTIME_NAME(name) Runtime_##name
#else
#define RUNTIME_NAME(name) name
#endif

extern "C" {

// A buffered stream over a file handle; what the programs know as FILE.
struct RuntimeStream;

void *RUNTIME_NAME(malloc)(size_t size);
void RUNTIME_NAME(free)(void *block);

void *RUNTIME_NAME(memcpy)(void *destination, const void *source, size_t count);
void *RUNTIME_NAME(memmove)(void *destination, const void *source, size_t count);
void *RUNTIME_NAME(memset)(void *destination, int value, size_t count);
int RUNTIME_NAME(memcmp)(const void *first, const void *second, size_t count);
void *RUNTIME_NAME(memchr)(const void *block, int value, size_t count);

size_t RUNTIME_NAME(strlen)(const char *text);
char *RUNTIME_NAME(strcpy)(char *destination, const char *source);
char *RUNTIME_NAME(strcat)(char *destination, const char *source);
char *RUNTIME_NAME(strchr)(const char *text, int character);
char *RUNTIME_NAME(strrchr)(const char *text, int character);
size_t RUNTIME_NAME(strcspn)(const char *text, const char *reject);
char *RUNTIME_NAME(strstr)(const char *text, const char *pattern);

// Modes "r", "rb", "w" and "wb"; there is no text mode, so "r" and "w" are binary as well.
RuntimeStream *RUNTIME_NAME(fopen)(const char *path, const char *mode);
size_t RUNTIME_NAME(fread)(void *buffer, size_t size, size_t count, RuntimeStream *stream);
size_t RUNTIME_NAME(fwrite)(const void *buffer, size_t size, size_t count, RuntimeStream *stream);
int RUNTIME_NAME(fseek)(RuntimeStream *stream, long offset, int origin);
long RUNTIME_NAME(ftell)(RuntimeStream *stream);
int RUNTIME_NAME(fflush)(RuntimeStream *stream);
int RUNTIME_NAME(ferror)(RuntimeStream *stream);
int RUNTIME_NAME(feof)(RuntimeStream *stream);
int RUNTIME_NAME(fclose)(RuntimeStream *stream);
}
