// Installing the saver file into the system directory and removing it again. Every operation
// leaves its one outcome for the user in AppMessage.
#pragma once

// The file whose payload an install reads: nullptr for the running program's own file. Tests
// point it at a container of their own.
extern const char *InstallPayloadPath;
// The message of a missing or damaged payload, shown by the dialog and by the install.
extern const char MISSING_DATA[];
// The message of a saver file that cannot be created; %s is its path.
extern const char CANT_CREATE[];

// The saver path: directory, a backslash unless it already ends in one, name and ".scr", into a
// buffer of PATH_CAPACITY characters. A nullptr or empty directory stands for
// "C:\WINDOWS\SYSTEM". Returns 1, or 0 when the path does not fit; the buffer then holds the
// pieces that fitted whole.
int SaverPathFromDirectory(char *destination, const char *directory, const char *name);

// Writes the saver file at saverPath from the payload of InstallPayloadPath: the engine image
// with its subsystem version raised and stamped with its own size, then the options, logo and
// slide records up to and including the end record. The file is closed in every case, and a
// failure to close it counts as a failed write. Every failure after the file was created
// deletes it again. An engine record that is no executable image
// counts as damaged data, like a record that is missing. Sets the success message or the
// failure's message; returns 1 on success, 0 on failure.
int InstallWriteSaver(const char *saverPath, const char *name);

// What the file at a saver path is, as far as Uninstall is concerned.
enum SaverFileKind {
    SAVER_FILE_UNREADABLE, // it cannot be opened for reading: missing, in use or protected
    SAVER_FILE_FOREIGN,    // it opens, but this product did not write it
    SAVER_FILE_OURS        // a stamped container opening with the options and the logo
};
// Looks at the file through the payload reader (which it leaves closed). Only a file an install
// wrote starts its payload with a Text and a Dib record; one of Windows' own savers, or any
// other program, has no payload at all.
SaverFileKind SaverFileInspect(const char *path);

// SaverPathFromDirectory with the Windows system directory. Returns as that does; a system
// directory too long for a path buffer gives 0 and an empty destination.
int GetSaverPath(char *destination, const char *name);
// 1 when the file can be opened for reading without sharing, else 0.
int SaverFileExists(const char *path);
// Installs the saver of the given (trimmed, validated) name; the outcome is in AppMessage.
void InstallSaver(const char *name);
// Deletes the saver file and, when that worked, the saver's settings key. A file this product
// did not write is left alone, with a message that says so.
void UninstallSaver(const char *name);
