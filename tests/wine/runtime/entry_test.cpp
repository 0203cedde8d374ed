// The runtime's entry in a real process: the program is started with a command line of each
// kind and reports the tail its WinMain received.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

namespace
{

struct EntryCase {
    const char *name;
    const char *commandLine;
    const char *tail;
};

const EntryCase ENTRY_CASES[] = {
    {"bare-name", "probe.exe /s", "/s"},
    {"quoted-name", "\"C:\\Program Files\\probe.exe\" /p 1234", "/p 1234"},
    {"quoted-name-glued", "\"probe.exe\"/c:77", "/c:77"},
    {"tabs-after-name", "probe.exe\t \t/a", "/a"},
    {"high-bytes-in-bare-name", "C:\\Caf\xE9\\pr\xF6\\be.exe /s", "/s"},
    {"high-bytes-in-quoted-name", "\"C:\\\xC9t\xE9 d\xE9j\xE0\\probe.exe\" -l 5", "-l 5"},
    {"high-bytes-before-tail-are-blanks", "probe.exe \xA0\xE9/s", "/s"},
    {"name-only", "probe.exe", ""},
    {"name-and-blanks-only", "\"probe.exe\"   ", ""},
};

// Runs the probe with the command line; the tail it wrote, or "<exit N>" when it failed.
std::string TailOf(const char *commandLine)
{
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    std::string output = std::string(directory) + "glimmer-tail.txt";
    DeleteFileA(output.c_str());
    SetEnvironmentVariableA("TAIL_PROBE_OUTPUT", output.c_str());

    std::string program = std::string("Z:") + TAIL_PROBE;
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return "<not started>";
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (code != 0)
        return "<exit " + std::to_string(code) + ">";

    HANDLE file = CreateFileA(output.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<no output>";
    char text[512];
    DWORD got = 0;
    ReadFile(file, text, sizeof text, &got, nullptr);
    CloseHandle(file);
    return std::string(text, got);
}

TEST(RuntimeEntry, WinMainGetsTheTailBehindTheProgramName)
{
    for (const EntryCase &row : ENTRY_CASES) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(TailOf(row.commandLine), row.tail);
    }
}

} // namespace
