// Stands in for the online client and the web browser: appends how it was started to a record
// file, one line per start: its command line, a tab, and 1 or 0 for whether a slideshow window
// ("MainClass") existed at that moment. The file is named by GLIMMER_LAUNCH_RECORD, else it is
// the program's own path with ".log" in place of its extension.
#include <windows.h>

#include <stdio.h>
#include <string.h>

static int RecordPath(char *path, DWORD capacity)
{
    DWORD length = GetEnvironmentVariableA("GLIMMER_LAUNCH_RECORD", path, capacity);
    if (length > 0 && length < capacity)
        return 1;
    length = GetModuleFileNameA(nullptr, path, capacity);
    if (length == 0 || length >= capacity - 4)
        return 0;
    char *dot = strrchr(path, '.');
    char *slash = strrchr(path, '\\');
    if (dot && (!slash || dot > slash))
        *dot = '\0';
    strcat(path, ".log");
    return 1;
}

int main()
{
    char path[MAX_PATH + 8];
    if (!RecordPath(path, sizeof path))
        return 2;
    int saverWindow = FindWindowA("MainClass", nullptr) != nullptr;
    FILE *record = fopen(path, "ab");
    if (!record)
        return 3;
    fprintf(record, "%s\t%d\n", GetCommandLineA(), saverWindow);
    fclose(record);
    return 0;
}
