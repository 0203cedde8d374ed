// Text services: blanks and trimming, the saver-name rule, the settings key path.
#pragma once

#include <stddef.h>

const int PATH_CAPACITY = 260;      // characters, terminator included
const int SAVER_NAME_CAPACITY = 80; // at most 79 characters and the NUL

// The registry key under HKEY_CURRENT_USER that holds every saver's settings key.
extern const char SETTINGS_KEY_PREFIX[]; // "Software\Halvorne\Vistamo"
// The saver name that stands in when the program's own file name cannot be had.
extern const char FALLBACK_SAVER_NAME[]; // "Vistamo 1"

// A character other than NUL whose code, read as a signed 8-bit number, is at most 32: the
// control characters, the space and every byte from 0x80 up. The rule of the command line and
// the options text; dialog fields use IsFieldBlank.
int IsBlank(char c);
// Overwrites trailing blanks with NUL; the index of the last remaining character, -1 if none.
int TrimTrailingBlanks(char *text);
// Removes leading and trailing blanks in place; returns as TrimTrailingBlanks.
int TrimBlanks(char *text);
// A blank of text the user typed into a dialog field: the control characters and the space
// (codes 1 to 32). A byte from 0x80 up is a letter of the code page there, never a blank.
int IsFieldBlank(char c);
// Removes leading and trailing field blanks in place; returns as TrimTrailingBlanks.
int TrimFieldBlanks(char *text);
// Appends count characters of text to buffer, whose text is *length characters long, when they
// and the terminating NUL fit in capacity characters: 1 and *length moved on, or 0 with the
// buffer unchanged. A cut path or command line could name something else, so nothing is
// appended in part.
int TextAppend(char *buffer, size_t capacity, size_t *length, const char *text, size_t count);
// Non-zero when the name is faulty (empty, a character other than A-Z, a-z, 0-9, '_' and space,
// or a name Windows keeps for a device: CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, in any
// case and with blanks around it), after setting an Error message in AppMessage; 0 with
// AppMessage untouched.
int ValidateSaverName(const char *name);

// HKEY_CURRENT_USER subkey of a saver's settings, the prefix, a backslash and the name, into a
// buffer of PATH_CAPACITY characters; returns destination. With name nullptr the name comes
// from the running program's file name (see SettingsKeyPathFromModule). A name too long for
// the buffer is cut so that the path fits; the installer and the installed saver cut the
// same name the same way and so still meet.
char *GetSettingsKeyPath(char *destination, const char *name);
// The same from a module file name: the part after its last backslash, cut at its first dot.
// longName, when given, is the long form of that part (the module may have been started by its
// short 8.3 path, GLIMME~1.SCR for "Glimmer Scenic Tour.scr") and is used in its place, so the
// saver meets the key the installer and the Settings dialog use. An unknown module (nullptr or
// "") or one whose name comes out empty uses FALLBACK_SAVER_NAME, so the path never names the
// prefix key itself.
char *SettingsKeyPathFromModule(char *destination, const char *modulePath, const char *longName);
