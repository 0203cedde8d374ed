// Text services: blanks and trimming, the saver-name rule, the settings key path.
#pragma once

const int PATH_CAPACITY = 260;      // characters, terminator included
const int SAVER_NAME_CAPACITY = 80; // at most 79 characters and the NUL

// A character other than NUL whose code, read as a signed 8-bit number, is at most 32.
int IsBlank(char c);
// Overwrites trailing blanks with NUL; the index of the last remaining character, -1 if none.
int TrimTrailingBlanks(char *text);
// Removes leading and trailing blanks in place; returns as TrimTrailingBlanks.
int TrimBlanks(char *text);
// Non-zero when the name is faulty, after setting an Error message in AppMessage.
int ValidateSaverName(const char *name);

// HKEY_CURRENT_USER subkey of a saver's settings, into a buffer of PATH_CAPACITY characters.
// With name nullptr the name comes from the running program's file name.
char *GetSettingsKeyPath(char *destination, const char *name);
// The same from a given module file name (nullptr or "" for an unknown one).
char *SettingsKeyPathFromModule(char *destination, const char *modulePath);
