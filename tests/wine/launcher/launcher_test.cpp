// The visit-online launcher against real files on drive C:, the real registry and real dialogs.
//
// A copy of launch_recorder.exe stands in for the online client and for the web browser; it
// appends its command line to the file named by GLIMMER_LAUNCH_RECORD, which WinExec's children
// inherit. Every directory, file and registry value a test makes is removed again, and the
// browser command found at the start is put back.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>
#include <string>
#include <vector>

#include "browser_command.h"
#include "engine.h"
#include "goaol_ids.h"
#include "launcher.h"
#include "ui.h"

HINSTANCE AppInstance;

namespace
{

const char ADDRESS[] = "http://example.test/";
const char COMMAND_KEY[] = "HTTP\\shell\\open\\command";
const char DIALOG_TITLE[] = "Visit Us Online";

std::string ModuleDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string directory(path, length);
    return directory.substr(0, directory.rfind('\\') + 1);
}

std::string RecorderPath()
{
    return ModuleDirectory() + "launch_recorder.exe";
}

std::vector<std::string> ReadLines(const std::string &path)
{
    std::vector<std::string> lines;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return lines;
    char line[1024];
    while (fgets(line, sizeof line, file)) {
        line[strcspn(line, "\r\n")] = '\0';
        lines.push_back(line);
    }
    fclose(file);
    return lines;
}

// The registry value as it was, to be put back.
struct SavedValue {
    int keyExisted = 0;
    int valueExisted = 0;
    DWORD type = 0;
    std::vector<BYTE> data;
};

SavedValue SaveBrowserCommand()
{
    SavedValue saved;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, COMMAND_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return saved;
    saved.keyExisted = 1;
    DWORD size = 0;
    if (RegQueryValueExA(key, "", nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
        saved.data.resize(size);
        saved.valueExisted = RegQueryValueExA(key, "", nullptr, &saved.type, saved.data.data(),
                                              &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return saved;
}

void DeleteBrowserKey()
{
    RegDeleteKeyA(HKEY_CLASSES_ROOT, COMMAND_KEY);
}

void SetBrowserValue(DWORD type, const void *data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, COMMAND_KEY, 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "", 0, type, (const BYTE *)data, size));
    RegCloseKey(key);
}

void DeleteBrowserValue()
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, COMMAND_KEY, 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    RegDeleteValueA(key, "");
    RegCloseKey(key);
}

void RestoreBrowserCommand(const SavedValue &saved)
{
    if (!saved.keyExisted) {
        DeleteBrowserKey();
        return;
    }
    if (saved.valueExisted)
        SetBrowserValue(saved.type, saved.data.data(), (DWORD)saved.data.size());
    else
        DeleteBrowserValue();
}

// Answers the "Visit Us Online" dialog from a thread timer inside its modal loop.
struct DialogDriver {
    UINT message; // posted to the dialog (or its focus control for keys)
    WPARAM wParam;
    int seen;
    int ticksAfter; // ticks since the answer, to end a dialog that ignored it
    char addressText[256];
    RECT rect;
    HBRUSH colors[3];
};
DialogDriver driver;

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowA("#32770", DIALOG_TITLE);
    if (!dialog)
        return;
    if (driver.seen) {
        if (++driver.ticksAfter > 100) {
            KillTimer(nullptr, timer);
            EndDialog(dialog, 77);
        }
        return;
    }
    driver.seen = 1;
    GetDlgItemTextA(dialog, IDC_GOAOL_ADDRESS, driver.addressText, sizeof driver.addressText);
    GetWindowRect(dialog, &driver.rect);
    HDC dc = GetDC(dialog);
    driver.colors[0] = (HBRUSH)SendMessageA(dialog, WM_CTLCOLORDLG, (WPARAM)dc, (LPARAM)dialog);
    driver.colors[1] =
        (HBRUSH)SendMessageA(dialog, WM_CTLCOLORBTN, (WPARAM)dc, (LPARAM)GetDlgItem(dialog, IDOK));
    driver.colors[2] = (HBRUSH)SendMessageA(dialog, WM_CTLCOLORSTATIC, (WPARAM)dc,
                                            (LPARAM)GetDlgItem(dialog, IDC_GOAOL_ADDRESS));
    ReleaseDC(dialog, dc);
    HWND target = driver.message == WM_KEYDOWN ? GetFocus() : dialog;
    PostMessageA(target ? target : dialog, driver.message, driver.wParam, 0);
}

UINT_PTR StartDriver(UINT message, WPARAM wParam)
{
    memset(&driver, 0, sizeof driver);
    driver.message = message;
    driver.wParam = wParam;
    return SetTimer(nullptr, 0, 50, DriveDialog);
}

class Launcher : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        AppInstance = GetModuleHandleA(nullptr);
        if (!DialogBrush)
            DialogBrush = CreateDialogBrush();
        saved = SaveBrowserCommand();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        record = std::string(temp) + "glimmer-launch-record.txt";
        DeleteFileA(record.c_str());
        SetEnvironmentVariableA("GLIMMER_LAUNCH_RECORD", record.c_str());
        // Nothing of an earlier run may stand in the way: the search looks at all of C:\AOL*.
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA("C:\\AOL*", &entry);
        ASSERT_EQ(INVALID_HANDLE_VALUE, search) << "C:\\" << entry.cFileName << " exists";
    }

    void TearDown() override
    {
        // A stand-in that is still running keeps its file, so removal is retried a while.
        for (auto it = created.rbegin(); it != created.rend(); ++it)
            for (int tries = 0; tries < 100; tries++) {
                if (DeleteFileA(it->c_str()) || RemoveDirectoryA(it->c_str()) ||
                    GetFileAttributesA(it->c_str()) == INVALID_FILE_ATTRIBUTES)
                    break;
                Sleep(50);
            }
        DeleteFileA(record.c_str());
        RestoreBrowserCommand(saved);
    }

    void MakeDirectory(const std::string &path)
    {
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
        created.push_back(path);
    }

    void MakeFile(const std::string &path)
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
        CloseHandle(file);
        created.push_back(path);
    }

    void MakeClient(const std::string &directory)
    {
        MakeDirectory(directory);
        std::string client = directory + "\\AOL.EXE";
        ASSERT_TRUE(CopyFileA(RecorderPath().c_str(), client.c_str(), TRUE)) << client;
        created.push_back(client);
    }

    void SetBrowserCommand(const std::string &command)
    {
        SetBrowserValue(REG_SZ, command.c_str(), (DWORD)command.size() + 1);
    }

    // The command lines the stand-in was started with. WinExec returns before the started
    // program has run, so this waits until count lines are there (a few seconds at most), or
    // a moment for a start that should not have happened.
    std::vector<std::string> Started(size_t count = 0)
    {
        std::vector<std::string> lines;
        for (int waited = 0; waited < (count ? 10000 : 500); waited += 50) {
            lines = ReadLines(record);
            if (count && lines.size() >= count)
                break;
            Sleep(50);
        }
        for (std::string &line : lines)
            line = line.substr(0, line.find('\t'));
        return lines;
    }

    SavedValue saved;
    std::string record;
    std::vector<std::string> created;
};

TEST_F(Launcher, FindsOnlyDirectoriesAtTheRootThatHoldTheClient)
{
    // "C:\" and "\AOL.EXE" are 11 characters, the quotes of the command line 2 more.
    const std::string longest = "C:\\AOL" + std::string(243, 'n');
    const std::string longName = longest + "n";
    struct Row {
        const char *name;
        std::vector<std::string> files;       // empty files
        std::vector<std::string> directories; // empty directories
        std::vector<std::string> clients;     // directories holding AOL.EXE
        std::string expected;                 // "": not found
    };
    const Row rows[] = {
        {"nothing", {}, {}, {}, ""},
        {"client-in-aol30", {}, {}, {"C:\\AOL30"}, "C:\\AOL30\\AOL.EXE"},
        {"file-named-aol", {"C:\\AOL"}, {}, {}, ""},
        {"directories-without-client", {}, {"C:\\AOL", "C:\\AOLX"}, {}, ""},
        {"client-in-subfolder-not-searched", {}, {"C:\\AOLX"}, {"C:\\AOLX\\SUB"}, ""},
        {"decoys-beside-client", {"C:\\AOL"}, {"C:\\AOLX"}, {"C:\\AOL30"}, "C:\\AOL30\\AOL.EXE"},
        {"name-not-beginning-with-aol", {}, {}, {"C:\\XAOL"}, ""},
        {"longest-path", {}, {}, {longest}, longest + "\\AOL.EXE"},
        {"path-too-long-skipped", {}, {}, {longName}, ""},
        {"path-too-long-beside-client", {}, {}, {longName, "C:\\AOL30"}, "C:\\AOL30\\AOL.EXE"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        for (const std::string &file : row.files)
            MakeFile(file);
        for (const std::string &directory : row.directories)
            MakeDirectory(directory);
        for (const std::string &directory : row.clients)
            MakeClient(directory);
        char path[LAUNCH_BUFFER_CAPACITY + 16];
        memset(path, 'Z', sizeof path);
        int found = FindAOLClient(path);
        EXPECT_EQ(row.expected.empty() ? 0 : 1, found);
        if (found) {
            EXPECT_EQ(row.expected, path);
        }
        EXPECT_EQ('Z', path[LAUNCH_BUFFER_CAPACITY]);
        TearDown();
        created.clear();
    }
}

TEST_F(Launcher, FirstListedClientWins)
{
    MakeClient("C:\\AOL2");
    MakeClient("C:\\AOL1");
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("C:\\AOL*", &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    FindClose(search);
    char path[LAUNCH_BUFFER_CAPACITY];
    ASSERT_EQ(1, FindAOLClient(path));
    EXPECT_EQ("C:\\" + std::string(entry.cFileName) + "\\AOL.EXE", path);
}

TEST_F(Launcher, StartsTheRegisteredBrowserWithTheQuotedAddress)
{
    const std::string recorder = RecorderPath();
    const std::string quoted = " \"" + std::string(ADDRESS) + "\"";
    // A command line of exactly 259 characters, and one character more.
    const std::string longest =
        recorder + " " + std::string(258 - recorder.size() - quoted.size(), 'p');
    struct Row {
        const char *name;
        std::string command;
        std::string expected; // "" when nothing may start
    };
    const Row rows[] = {
        {"placeholder", recorder + " %1", recorder + quoted},
        {"placeholder-then-arguments", recorder + " -new %1 -nohome", recorder + " -new" + quoted},
        {"no-placeholder", recorder, recorder + quoted},
        {"quoted-placeholder", recorder + " \"%1\"", recorder + " \"%1\"" + quoted},
        {"command-line-of-259", longest, longest + quoted},
        {"command-line-of-260", longest + "p", ""},
        {"program-missing", "C:\\nowhere\\browse.exe %1", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DeleteFileA(record.c_str());
        SetBrowserCommand(row.command);
        EXPECT_EQ(row.expected.empty() ? 0 : 1, VisitOnline(ADDRESS));
        std::vector<std::string> started = Started(row.expected.empty() ? 0 : 1);
        if (row.expected.empty()) {
            EXPECT_TRUE(started.empty());
        } else {
            ASSERT_EQ(1u, started.size());
            EXPECT_EQ(row.expected, started[0]);
        }
    }
}

TEST_F(Launcher, UnusableBrowserValueStartsNothing)
{
    const std::string command = RecorderPath() + " %1";
    const std::string overLong = command + " " + std::string(300, 'x');
    const std::string filled = command + " " + std::string(LAUNCH_BUFFER_CAPACITY, 'x');
    struct Row {
        const char *name;
        int deleteKey;
        int deleteValue;
        DWORD type;
        const char *data;
        DWORD size;
    };
    const Row rows[] = {
        {"key-missing", 1, 0, REG_SZ, nullptr, 0},
        {"value-missing", 0, 1, REG_SZ, nullptr, 0},
        {"expand-string", 0, 0, REG_EXPAND_SZ, command.c_str(), (DWORD)command.size() + 1},
        {"binary", 0, 0, REG_BINARY, command.c_str(), (DWORD)command.size() + 1},
        {"longer-than-buffer", 0, 0, REG_SZ, overLong.c_str(), (DWORD)overLong.size() + 1},
        {"fills-buffer-unterminated", 0, 0, REG_SZ, filled.c_str(), LAUNCH_BUFFER_CAPACITY},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DeleteFileA(record.c_str());
        if (row.deleteKey)
            DeleteBrowserKey();
        else if (row.deleteValue)
            DeleteBrowserValue();
        else
            SetBrowserValue(row.type, row.data, row.size);
        EXPECT_EQ(0, VisitOnline(ADDRESS));
        EXPECT_TRUE(Started().empty());
    }

    // A string stored without its terminator is still read as the whole command.
    SetBrowserValue(REG_SZ, command.c_str(), (DWORD)command.size());
    EXPECT_EQ(1, VisitOnline(ADDRESS));
    std::vector<std::string> started = Started(1);
    ASSERT_EQ(1u, started.size());
    EXPECT_EQ(RecorderPath() + " \"" + ADDRESS + "\"", started[0]);
}

TEST_F(Launcher, ClientIsOfferedBeforeTheBrowser)
{
    MakeClient("C:\\AOL30");
    SetBrowserCommand(RecorderPath() + " %1");
    struct Row {
        const char *name;
        UINT message;
        WPARAM wParam;
        int expected;
    };
    static const Row rows[] = {
        {"start-button", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 1},
        {"enter-key", WM_KEYDOWN, VK_RETURN, 1},
        {"cancel-button", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0},
        {"escape-key", WM_KEYDOWN, VK_ESCAPE, 0},
        {"close-box", WM_SYSCOMMAND, SC_CLOSE, 0},
        {"close-message", WM_CLOSE, 0, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DeleteFileA(record.c_str());
        UINT_PTR timer = StartDriver(row.message, row.wParam);
        int result = VisitOnline(ADDRESS);
        KillTimer(nullptr, timer);
        ASSERT_TRUE(driver.seen);
        EXPECT_EQ(0, driver.ticksAfter > 100) << "the dialog ignored the answer";
        EXPECT_STREQ(ADDRESS, driver.addressText);
        EXPECT_EQ(row.expected, result);
        std::vector<std::string> started = Started(row.expected);
        if (row.expected) {
            ASSERT_EQ(1u, started.size());
            EXPECT_EQ("\"C:\\AOL30\\AOL.EXE\"", started[0]);
        } else {
            EXPECT_TRUE(started.empty()) << "neither the client nor the browser may start";
        }
    }
}

TEST_F(Launcher, ClientStartsWhenTheDialogCannotOpen)
{
    // Only a cancel holds the client back; a module without the template makes the dialog
    // fail with -1.
    MakeClient("C:\\AOL30");
    AppInstance = GetModuleHandleA("kernel32.dll");
    EXPECT_EQ(1, VisitOnline(ADDRESS));
    std::vector<std::string> started = Started(1);
    ASSERT_EQ(1u, started.size());
    EXPECT_EQ("\"C:\\AOL30\\AOL.EXE\"", started[0]);
}

TEST_F(Launcher, DialogIsCentredAndUsesTheDialogBrush)
{
    UINT_PTR timer = StartDriver(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    INT_PTR result = DialogBoxParamA(AppInstance, "GoAOL", nullptr, GoAOLDlg, (LPARAM)ADDRESS);
    KillTimer(nullptr, timer);
    EXPECT_EQ(0, result);
    ASSERT_TRUE(driver.seen);
    EXPECT_STREQ(ADDRESS, driver.addressText);
    int centreX = (driver.rect.left + driver.rect.right) / 2;
    int centreY = (driver.rect.top + driver.rect.bottom) / 2;
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, centreX, 1);
    EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN) / 2, centreY, 1);
    for (HBRUSH brush : driver.colors)
        EXPECT_EQ(DialogBrush, brush);
}

// Reads the template's resource words and strings in order.
struct TemplateReader {
    const BYTE *at;
    WORD Word()
    {
        WORD value;
        memcpy(&value, at, 2);
        at += 2;
        return value;
    }
    DWORD Dword()
    {
        DWORD value;
        memcpy(&value, at, 4);
        at += 4;
        return value;
    }
    std::string Text() // a string, or "#<n>" for an ordinal
    {
        WORD first = Word();
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::string text;
        for (WORD c = first; c; c = Word())
            text += (char)c;
        return text;
    }
    void Align() { at = (const BYTE *)(((ULONG_PTR)at + 3) & ~(ULONG_PTR)3); }
};

TEST(GoAOLTemplate, LaidOutAsDesigned)
{
    HRSRC found = FindResourceA(GetModuleHandleA(nullptr), "GoAOL", (LPCSTR)RT_DIALOG);
    ASSERT_NE(nullptr, found);
    TemplateReader reader = {(const BYTE *)LockResource(LoadResource(nullptr, found))};
    EXPECT_EQ((DWORD)(DS_MODALFRAME | DS_SETFONT | WS_CAPTION | WS_SYSMENU | WS_POPUP | WS_VISIBLE),
              reader.Dword());
    EXPECT_EQ(0u, reader.Dword());
    WORD count = reader.Word();
    EXPECT_EQ(21, (short)reader.Word());
    EXPECT_EQ(32, (short)reader.Word());
    EXPECT_EQ(230, (short)reader.Word());
    EXPECT_EQ(78, (short)reader.Word());
    EXPECT_EQ("", reader.Text()); // menu
    EXPECT_EQ("", reader.Text()); // class
    EXPECT_EQ(DIALOG_TITLE, reader.Text());
    EXPECT_EQ(8, reader.Word());
    EXPECT_EQ("MS Sans Serif", reader.Text());

    const DWORD control = WS_CHILD | WS_VISIBLE;
    struct Item {
        int id;
        const char *windowClass;
        DWORD style;
        short x, y, cx, cy;
        const char *text;
    };
    static const Item items[] = {
        {IDOK, "#128", control | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 56, 57, 50, 14,
         "Start AOL"},
        {IDCANCEL, "#128", control | BS_PUSHBUTTON | WS_TABSTOP, 123, 57, 50, 14, "Cancel"},
        {IDC_GOAOL_ADDRESS, "#130", control | SS_CENTER | WS_GROUP, 5, 22, 220, 8, ""},
        {-1, "#130", control | SS_LEFT | WS_GROUP, 10, 6, 210, 8, "Our World Wide Web address is:"},
        {-1, "#130", control | SS_LEFT | WS_GROUP, 10, 38, 210, 8,
         "Please write this address down before starting America Online."},
    };
    ASSERT_EQ(sizeof items / sizeof items[0], count);
    for (const Item &item : items) {
        SCOPED_TRACE(item.text);
        reader.Align();
        EXPECT_EQ(item.style, reader.Dword());
        EXPECT_EQ(0u, reader.Dword());
        EXPECT_EQ(item.x, (short)reader.Word());
        EXPECT_EQ(item.y, (short)reader.Word());
        EXPECT_EQ(item.cx, (short)reader.Word());
        EXPECT_EQ(item.cy, (short)reader.Word());
        EXPECT_EQ(item.id, (short)reader.Word());
        EXPECT_EQ(item.windowClass, reader.Text());
        EXPECT_EQ(item.text, reader.Text());
        EXPECT_EQ(0, reader.Word()); // no creation data
    }
}

} // namespace
