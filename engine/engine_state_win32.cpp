// The engine's process-wide values (engine.h, settings.h), apart from its entry so that the
// tests that link the engine's code without its WinMain have them too.
#include <windows.h>

#include "engine.h"
#include "settings.h"

HINSTANCE AppInstance;
int engineFullScreen;
int engineLaunchArmed;
char engineAddress[ADDRESS_CAPACITY];
// Constant-initialised, so the defaults hold before any code of the program runs.
SaverSettings Settings = {INTENSITY_DEFAULT, FADE_TIME_DEFAULT, SUSTAIN_DEFAULT};
