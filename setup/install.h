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

// The name a saver is written under until it is complete: its path with ".gl$" in place of
// ".scr", in the same directory. No other program makes that name for a saver, the Display
// control panel does not list it (it lists *.scr, and the short 8.3 name of "Name.gl$" ends in
// .GL$ as well), and it is as long as the saver path, so it fits wherever that fits.
const char SAVER_TEMPORARY_EXTENSION[] = ".gl$";
// The temporary path of saverPath into a buffer of PATH_CAPACITY characters: 1, or 0 with an
// empty destination when saverPath does not end in ".scr".
int SaverTemporaryPath(char *destination, const char *saverPath);
// Removes what an interrupted install left under a temporary path, but only a file this Setup
// wrote: an empty one (the process ended before its first write) or one that starts with a
// stamped engine image (the first thing an install writes). 1 when no file of that name is
// left, 0 when one stays: another program's, or one that cannot be read or deleted.
int SaverTemporaryRemove(const char *temporaryPath);

// Writes the saver file at saverPath from the payload of InstallPayloadPath: the engine image
// with its subsystem version raised and stamped with its own size, then the options, logo and
// slide records up to and including the end record. The file is written under its temporary
// name and renamed to saverPath only when it is complete and closed, so a process that ends
// during the copy never leaves a saver cut short. A leftover temporary file of an earlier run
// is removed first; another program's file under that name stops the install. The file is
// closed in every case, and a failure to close it counts as a failed write. Every failure
// after the file was created deletes it again. An engine record that is no executable image
// counts as damaged data, like a record that is missing. Sets the success message or the
// failure's message; returns 1 on success, 0 on failure.
int InstallWriteSaver(const char *saverPath, const char *name);

// What the file at a saver path is, as far as Uninstall is concerned.
enum SaverFileKind {
    SAVER_FILE_UNREADABLE, // it cannot be opened for reading: missing, in use or protected
    SAVER_FILE_FOREIGN,    // it opens, but this product did not write it
    SAVER_FILE_OURS        // a stamped container opening with the options and the logo
};
// Looks at the file through the payload reader (which it leaves closed), reading the headers of
// its first two records and none of their data. Only a file an install wrote starts its payload
// with a Text and a Dib record; one of Windows' own savers, or any other program, has no
// payload at all.
SaverFileKind SaverFileInspect(const char *path);

// SaverPathFromDirectory with the Windows system directory. Returns as that does; a system
// directory too long for a path buffer gives 0 and an empty destination.
int GetSaverPath(char *destination, const char *name);
// 1 when the file can be opened for reading without sharing, else 0.
int SaverFileExists(const char *path);
// Installs the saver of the given (trimmed, validated) name; the outcome is in AppMessage.
void InstallSaver(const char *name);
// Deletes the saver file and, when that worked, the saver's settings key. A file this product
// did not write is left alone, with a message that says so. A temporary file an interrupted
// install left behind goes as well (SaverTemporaryRemove).
void UninstallSaver(const char *name);
