// The end of a Windows program that ran out of memory.
#include "allocation.h"

#include <windows.h>
#include "saver_running.h"

int MemoryExhaustedBox;
const char MEMORY_EXHAUSTED_TEXT[] = "There is not enough memory to go on.";

void MemoryExhausted()
{
    // The saver-running state outlives the process: left set, Windows 95 would keep
    // Ctrl+Alt+Del and Alt+Tab turned off after the saver is gone.
    SaverRunningSet(0);
    // A system-modal box with the stop icon is the one Windows still shows when memory is short.
    if (MemoryExhaustedBox)
        MessageBoxA(nullptr, MEMORY_EXHAUSTED_TEXT, "Error", MB_OK | MB_ICONHAND | MB_SYSTEMMODAL);
    ExitProcess(MEMORY_EXHAUSTED_EXIT);
}
