// Writes the command-line tail its WinMain received, byte for byte, to the file that the
// environment variable TAIL_PROBE_OUTPUT names, through the runtime's own streams.
#include <windows.h>
#include <stdio.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR tail, int)
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("TAIL_PROBE_OUTPUT", path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return 2;
    FILE *out = fopen(path, "wb");
    if (out == nullptr)
        return 3;
    size_t size = strlen(tail);
    int written = fwrite(tail, 1, size, out) == size;
    return fclose(out) == 0 && written ? 0 : 4;
}
