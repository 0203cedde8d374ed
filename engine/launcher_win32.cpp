// The visit-online launcher: offers the web address through the online-service client when one
// is installed, else starts the registered web browser with it.
#include "engine.h"

#include "browser_command.h"
#include "goaol_ids.h"
#include "launcher.h"
#include "ui.h"

static const char CLIENT_PATTERN[] = "C:\\AOL*";
static const char BROWSER_COMMAND_KEY[] = "HTTP\\shell\\open\\command";

// WinExec's results up to this one are failures (file not found, out of memory and the like).
static const UINT WINEXEC_LAST_FAILURE = 31;

int FindAOLClient(char *path)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(CLIENT_PATTERN, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int found = 0;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (!ClientPathFormat(path, LAUNCH_BUFFER_CAPACITY, entry.cFileName))
            continue;
        found = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    } while (!found && FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

// Starts a command line; 1 when WinExec reports success.
static int LaunchCommand(const char *commandLine)
{
    return WinExec(commandLine, SW_SHOWNORMAL) > WINEXEC_LAST_FAILURE;
}

static int LaunchClient(const char *clientPath, const char *text)
{
    char commandLine[LAUNCH_BUFFER_CAPACITY];
    // Only a cancel ends here: a dialog that could not be created (-1) still starts the client.
    if (DialogBoxParamA(AppInstance, "GoAOL", nullptr, GoAOLDlg, (LPARAM)text) == 0)
        return 0;
    if (!ClientCommandFormat(commandLine, sizeof commandLine, clientPath))
        return 0;
    return LaunchCommand(commandLine);
}

static int LaunchBrowser(const char *text)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, BROWSER_COMMAND_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    char command[LAUNCH_BUFFER_CAPACITY];
    char commandLine[LAUNCH_BUFFER_CAPACITY];
    DWORD type = REG_NONE;
    DWORD size = sizeof command;
    int result = 0;
    if (RegQueryValueExA(key, "", nullptr, &type, (BYTE *)command, &size) == ERROR_SUCCESS &&
        type == REG_SZ && RegistryTextTerminate(command, sizeof command, size) &&
        BrowserCommandFormat(commandLine, sizeof commandLine, command, text))
        result = LaunchCommand(commandLine);
    RegCloseKey(key);
    return result;
}

int VisitOnline(const char *text)
{
    char clientPath[LAUNCH_BUFFER_CAPACITY];
    if (FindAOLClient(clientPath))
        return LaunchClient(clientPath, text);
    return LaunchBrowser(text);
}

static INT_PTR GoAOLOnInitDialog(HWND dialog, const char *text)
{
    SetDlgItemTextA(dialog, IDC_GOAOL_ADDRESS, text);
    CenterWindow(dialog);
    return TRUE;
}

static INT_PTR GoAOLOnCommand(HWND dialog, WORD id)
{
    switch (id) {
    case IDOK:
        EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK GoAOLDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return GoAOLOnInitDialog(dialog, (const char *)lParam);
    case WM_COMMAND:
        return GoAOLOnCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return (INT_PTR)DialogCtlColor((HDC)wParam);
    }
    return FALSE;
}
