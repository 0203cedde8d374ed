// The program entry: what a C runtime's start-up code does before WinMain, and no more.
#include <windows.h>

#include "command_tail.h"

typedef void (*Constructor)(void);
// The linker's list of static constructors: -1 (or a count), the entries, then 0.
extern "C" Constructor __CTOR_LIST__[];

// The programs have no static constructors today; running the list keeps one that appears
// from being skipped silently. They run last to first, as the compiler expects.
static void RunConstructors()
{
    size_t count = (size_t)__CTOR_LIST__[0];
    if (count == (size_t)-1)
        for (count = 0; __CTOR_LIST__[count + 1] != nullptr; count++) {
        }
    for (size_t i = count; i >= 1; i--)
        __CTOR_LIST__[i]();
}

static int StartupShowCommand()
{
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

// The linker's default entry for a GUI program. It never returns: the process ends with
// WinMain's result.
extern "C" void WinMainCRTStartup(void)
{
    RunConstructors();
    char *tail = (char *)CommandTail(GetCommandLineA());
    ExitProcess((UINT)WinMain(GetModuleHandleA(nullptr), nullptr, tail, StartupShowCommand()));
}
