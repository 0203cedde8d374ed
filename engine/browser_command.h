// Paths and command lines of the visit-online launcher, each built within a fixed buffer.
//
// Every builder refuses, rather than cuts, what would not fit: a cut-off path or command line
// could start some other program, or hand the browser part of the address.
#pragma once

#include <stdint.h>

const int LAUNCH_BUFFER_CAPACITY = 260; // bytes of client path, registry value and command line

// "C:\<directory>\AOL.EXE" into path. 0 when it, or the command line that quotes it, would not
// fit in capacity bytes; path then holds "".
int ClientPathFormat(char *path, int capacity, const char *directory);

// The client path in double quotes, no arguments. 0 when it would not fit; commandLine then
// holds "".
int ClientCommandFormat(char *commandLine, int capacity, const char *clientPath);

// Makes a registry value read into a buffer of capacity bytes, of which the read reported size
// bytes, a NUL-terminated text within the buffer. A value whose text does not end within the
// buffer (no NUL in it and no room for one) is refused with 0 and value is emptied.
int RegistryTextTerminate(char *value, int capacity, uint32_t size);

// The registered command cut before its first " %1" (a space, '%', '1'), then a space and the
// address in double quotes. 0 when the result would not fit, when nothing but blanks is left of
// the command, or when the address holds a double quote (which would end the quoted argument
// early); commandLine then holds "".
int BrowserCommandFormat(char *commandLine, int capacity, const char *command, const char *address);
