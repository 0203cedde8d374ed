// The end of a Windows program that ran out of memory.
#include "memory.h"

#include <windows.h>
#include "saver_running.h"

void MemoryExhausted()
{
    // The saver-running state outlives the process: left set, Windows 95 would keep
    // Ctrl+Alt+Del and Alt+Tab turned off after the saver is gone.
    SaverRunningSet(0);
    ExitProcess(MEMORY_EXHAUSTED_EXIT);
}
