// The saver-running state through SystemParametersInfoA.
#include "saver_running.h"

#include <windows.h>

int SaverRunningHeld;

void SaverRunningSet(int running)
{
    running = running != 0;
    if (running == SaverRunningHeld)
        return;
    BOOL previous;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, (UINT)running, &previous, 0);
    SaverRunningHeld = running;
}
