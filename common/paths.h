// File-name arithmetic of the path services, with the module's file name passed in.
#pragma once

// The directory of a module file name, its trailing backslash kept, into a buffer of
// PATH_CAPACITY characters. nullptr or "" (the name cannot be had) gives "C:\"; a name
// without a backslash gives "".
void ModuleDirectoryFromPath(char *directory, const char *modulePath);

// Makes path (a buffer of PATH_CAPACITY characters) a full path: trimmed of blanks; a path
// that starts with a backslash gets the drive of moduleDirectory (up to its first colon) in
// front; a path holding a colon stays; any other path goes behind moduleDirectory. When the
// last part has no dot, "." and defaultExtension are appended (nothing for nullptr).
// An empty path stays empty. Returns 1, or 0 with path made empty when the result would not
// fit in PATH_CAPACITY characters.
int MakeFullPathIn(char *path, const char *defaultExtension, const char *moduleDirectory);

// moduleDirectory followed by helpFile into a buffer of PATH_CAPACITY characters; 1, or 0
// with path made empty when it would not fit.
int HelpFilePath(char *path, const char *moduleDirectory, const char *helpFile);
