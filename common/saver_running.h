// The system-wide "a screen saver runs" state (SPI_SCREENSAVERRUNNING). On Windows 95 it turns
// off Ctrl+Alt+Del and Alt+Tab, and it outlives the process that set it, so that process clears
// it on every way out, the end after running out of memory included.
#pragma once

// 1 while this process holds the state set; written only by SaverRunningSet.
extern int SaverRunningHeld;

// Sets the state (running 1) or clears it (running 0). Only what this process set is cleared:
// clearing while it holds nothing does nothing.
void SaverRunningSet(int running);
