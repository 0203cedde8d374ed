// What glimmer-pack tells its user on stderr: errors, warnings and notes, each line starting
// with the program's name so that it stands out among other programs' output.
#pragma once

#include <stdarg.h>
#include "pack_issues.h"

// "glimmer-pack: TEXT". Returns 0, so that a failing step can end with return PackError(...).
int PackError(const char *format, ...) __attribute__((format(printf, 1, 2)));
// PackError with its arguments in a list.
int PackErrorList(const char *format, va_list arguments);
// "glimmer-pack: warning: TEXT". Warnings never change the exit status.
void PackWarning(const char *format, ...) __attribute__((format(printf, 1, 2)));
// "glimmer-pack: TEXT" for something done on the user's behalf, such as a skipped file.
void PackNote(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Says every issue in the list in its order, as an error, a warning or a note, and empties the
// list. Returns the number of problems among them.
int PackIssuesShow(PackIssues *issues);
