// The non-picture inputs of a saver: the name and the options text, checked against what the
// installer and the engine accept, and the order pictures are shown in.
#pragma once

#include <string>
#include <vector>

// Longest saver name the installer keeps, and longest web address the engine keeps.
extern const int SAVER_NAME_MAXIMUM;
extern const int OPTIONS_ADDRESS_MAXIMUM;

// 1 when the installer would accept the name as it stands (untrimmed, at most
// SAVER_NAME_MAXIMUM characters, passing its name rule); else 0 and the reason in plain words
// (the character that breaks the rule, a space at an end, the length, a device name).
int CheckSaverName(const char *name, std::string *reason);
// 1 when the engine keeps the whole options text: a banner character, a launch key and an
// address of at most OPTIONS_ADDRESS_MAXIMUM characters (a shorter text has no address, or no
// launch key); else 0 and the reason.
int CheckOptionsText(const char *options, std::string *reason);

// Name order as a file manager shows it: letters without regard to case, runs of digits by
// their value ("2" before "10"); names equal under that rule fall back to byte order.
bool NameOrderLess(const std::string &a, const std::string &b);
// The picture format a file name's extension says the file holds, with its article ("a PNG",
// "an AVIF"), in any case of letters; nullptr for a name that is no picture's. A file so named
// whose bytes are no picture is a damaged or renamed picture, not a file to pass over.
const char *PictureFormatNamed(const std::string &name);
