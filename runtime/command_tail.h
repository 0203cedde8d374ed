// The command-line tail a program's WinMain receives.
#pragma once

// The part of a full command line after the program name: a name in double quotes ends at the
// closing quote (or the end of the line when there is none), a bare name at the first space or
// control character; then the blanks behind it are skipped, a blank being any character other
// than NUL that is at most 32 as a signed 8-bit number (bytes 0x80 and above included).
const char *CommandTail(const char *commandLine);
