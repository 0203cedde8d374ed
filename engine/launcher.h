// The visit-online launcher's own operations beside VisitOnline and GoAOLDlg (engine.h).
#pragma once

// Searches the directories at the root of drive C: whose names begin with AOL for AOL.EXE.
// 1 with the client's full path in path (LAUNCH_BUFFER_CAPACITY bytes), else 0. A candidate
// whose path, or quoted command line, would not fit in the buffer is skipped.
int FindAOLClient(char *path);
