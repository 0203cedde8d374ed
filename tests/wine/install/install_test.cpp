// InstallSaver and UninstallSaver against the prefix's real system directory and registry: the
// file they write or delete, the settings key they delete or leave, and the one message.
#include <windows.h>
#include <gtest/gtest.h>
#include <set>
#include <string>

#include "blob.h"
#include "child_test.h"
#include "install.h"
#include "allocation.h"
#include "message.h"
#include "payload.h"
#include "test_payload.h"
#include "text.h"

// This program's own allocation path in place of the library's: a child run can make one
// allocation fail, which ends the process the way a real shortage of memory does.
static int allocationsBeforeFailure = -1; // -1: none fails

void *MemoryAllocate(size_t size)
{
    if (allocationsBeforeFailure == 0)
        MemoryExhausted();
    if (allocationsBeforeFailure > 0)
        --allocationsBeforeFailure;
    void *block = malloc(size != 0 ? size : 1);
    if (block == nullptr)
        MemoryExhausted();
    return block;
}

void MemoryFree(void *block)
{
    free(block);
}

namespace
{

const char SAVER_NAME[] = "Glimmer Wine Test";

std::string TempPath(const char *file)
{
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    return std::string(directory) + file;
}

std::string SettingsKey()
{
    char key[PATH_CAPACITY];
    return GetSettingsKeyPath(key, SAVER_NAME);
}

void SettingsKeyCreate()
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const BYTE configuration[12] = {0, 1, 0, 0, 100, 0, 0, 0, 0x10, 0x27, 0, 0};
    RegSetValueExA(key, "Configuration", 0, REG_BINARY, configuration, sizeof configuration);
    RegCloseKey(key);
}

bool SettingsKeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void ExpectMessage(int severity, const char *caption, const std::string &text)
{
    EXPECT_EQ(AppMessage.severity, severity);
    EXPECT_STREQ(AppMessage.caption, caption);
    ASSERT_NE(AppMessage.text, nullptr);
    EXPECT_EQ(std::string(AppMessage.text), text);
}

class Install : public ::testing::Test
{
  protected:
    std::string saverPath, payloadPath;

    void SetUp() override
    {
        char path[PATH_CAPACITY];
        ASSERT_EQ(GetSaverPath(path, SAVER_NAME), 1);
        saverPath = path;
        payloadPath = TempPath("glimmer-install-payload.exe");
        InstallPayloadPath = payloadPath.c_str();
        CleanUp();
        SetMessageOwner(&AppMessage, nullptr);
    }
    void TearDown() override
    {
        CleanUp();
        InstallPayloadPath = nullptr;
        ClearMessage(&AppMessage);
    }
    void CleanUp()
    {
        DeleteFileA(saverPath.c_str());
        DeleteFileA(TemporaryPath().c_str());
        DeleteFileA(payloadPath.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKey().c_str());
    }
    std::string TemporaryPath() { return saverPath.substr(0, saverPath.size() - 4) + ".gl$"; }
    void UsePayload(const std::vector<TestRecord> &records)
    {
        ASSERT_TRUE(WriteBytes(payloadPath, Container(records)));
    }
};

} // namespace

TEST_F(Install, SaverPathIsInTheSystemDirectory)
{
    char directory[MAX_PATH];
    UINT length = GetSystemDirectoryA(directory, sizeof directory);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(saverPath, std::string(directory) + "\\" + SAVER_NAME + ".scr");
}

// Every install that gets as far as creating the file has deleted the settings key first. A
// good payload leaves the saver; any other leaves no file, so the next install is not blocked.
TEST_F(Install, PayloadsInThePrefix)
{
    const Bytes engine = EngineImage(4096);
    std::vector<TestRecord> slides = InstallerRecords(engine, 4);
    std::vector<TestRecord> noSlides = InstallerRecords(engine, 0);
    std::vector<TestRecord> textAfterLogo = InstallerRecords(engine, 2);
    textAfterLogo.insert(textAfterLogo.begin() + 5, {1, TextBytes("http://example.invalid")});
    std::vector<TestRecord> executableAfterLogo = InstallerRecords(engine, 2);
    executableAfterLogo.insert(executableAfterLogo.begin() + 6, {3, EngineImage(1024)});
    std::vector<TestRecord> cutShort = InstallerRecords(engine, 2);
    cutShort.pop_back(); // no end record

    struct Row {
        const char *name;
        const std::vector<TestRecord> *records;
        bool success;
    };
    const Row rows[] = {
        {"four-slides", &slides, true},
        {"no-slides", &noSlides, true},
        {"text-after-logo", &textAfterLogo, false},
        {"executable-after-first-slide", &executableAfterLogo, false},
        {"cut-short", &cutShort, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CleanUp();
        UsePayload(*row.records);
        SettingsKeyCreate();
        SetMessageOwner(&AppMessage, nullptr);

        InstallSaver(SAVER_NAME);

        EXPECT_FALSE(SettingsKeyExists());
        EXPECT_FALSE(PayloadIsOpen());
        if (row.success) {
            EXPECT_TRUE(ReadBytes(saverPath) == ExpectedSaver(*row.records));
            ExpectMessage(1, "Success", std::string(SAVER_NAME) + INSTALLED_TEXT_TAIL);
        } else {
            EXPECT_FALSE(FileExists(saverPath));
            ExpectMessage(4, "Bug", MISSING_DATA_TEXT);
        }
        // Installed, the saver blocks a second install; after a failure the next install
        // meets the same failure, not "already installed".
        SetMessageOwner(&AppMessage, nullptr);
        InstallSaver(SAVER_NAME);
        EXPECT_EQ(AppMessage.severity, row.success ? 2 : 4);
    }
}

TEST_F(Install, AlreadyInstalledTouchesNothing)
{
    UsePayload(InstallerRecords(EngineImage(1024), 1));
    const Bytes old = PatternBytes(777, 9);
    ASSERT_TRUE(WriteBytes(saverPath, old));
    SettingsKeyCreate();

    InstallSaver(SAVER_NAME);

    ExpectMessage(2, "Cannot Install",
                  std::string("A screen saver named \"") + SAVER_NAME + "\" is already installed.");
    EXPECT_TRUE(ReadBytes(saverPath) == old);
    EXPECT_TRUE(SettingsKeyExists());
}

// A file held open without sharing counts as absent, so the install goes on, forgets the
// settings and then cannot create the file.
TEST_F(Install, FileHeldOpenByAnotherProgram)
{
    UsePayload(InstallerRecords(EngineImage(1024), 1));
    const Bytes old = PatternBytes(500, 3);
    ASSERT_TRUE(WriteBytes(saverPath, old));
    SettingsKeyCreate();
    HANDLE held = CreateFileA(saverPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    InstallSaver(SAVER_NAME);
    CloseHandle(held);

    ExpectMessage(3, "Error", "Can't Create " + saverPath);
    EXPECT_FALSE(SettingsKeyExists());
    EXPECT_TRUE(ReadBytes(saverPath) == old);
}

TEST_F(Install, UninstallRemovesFileAndSettings)
{
    UsePayload(InstallerRecords(EngineImage(1024), 2));
    InstallSaver(SAVER_NAME);
    ASSERT_EQ(AppMessage.severity, 1);
    SettingsKeyCreate(); // as the installed saver would on its first Settings dialog
    SetMessageOwner(&AppMessage, nullptr);

    UninstallSaver(SAVER_NAME);

    ExpectMessage(1, "Success", "Screen saver removed.");
    EXPECT_FALSE(FileExists(saverPath));
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(Install, UninstallOfANameNeverInstalledLeavesTheRegistry)
{
    SettingsKeyCreate();

    UninstallSaver(SAVER_NAME);

    ExpectMessage(2, "Cannot Uninstall", std::string("\"") + SAVER_NAME + "\" was not found.");
    EXPECT_TRUE(SettingsKeyExists());
}

// A name the rule accepts may be that of a saver this setup never wrote, one of Windows' own for
// instance: Uninstall leaves such a file and its settings alone and says why.
TEST_F(Install, UninstallLeavesAFileItDidNotInstall)
{
    std::string engineFile = std::string("Z:") + GLIMMER_ENGINE_FILE;
    for (char &c : engineFile)
        if (c == '/')
            c = '\\';
    Bytes program = ReadBytes(engineFile); // a real program, with no payload behind it
    ASSERT_GT(program.size(), 1000u);
    std::vector<TestRecord> records = InstallerRecords(EngineImage(1024), 1);
    Bytes withoutLogo = ExpectedSaver(records, 3); // engine and options only
    const Bytes *rows[] = {&program, &withoutLogo};
    for (const Bytes *file : rows) {
        SCOPED_TRACE(file == &program ? "program" : "stamped-without-logo");
        ASSERT_TRUE(WriteBytes(saverPath, *file));
        SettingsKeyCreate();
        SetMessageOwner(&AppMessage, nullptr);

        UninstallSaver(SAVER_NAME);

        ExpectMessage(2, "Cannot Uninstall",
                      std::string("\"") + SAVER_NAME +
                          "\" was not installed by this Setup, so it was not removed.");
        EXPECT_TRUE(ReadBytes(saverPath) == *file);
        EXPECT_TRUE(SettingsKeyExists());
        EXPECT_FALSE(PayloadIsOpen());
    }
}

// The real engine the installer carries: raised to subsystem 4.0, stamped with its own size,
// and readable again as a container with the library's reader.
TEST_F(Install, RealEngineImageBecomesAStampedSaver)
{
    std::string engineFile = std::string("Z:") + GLIMMER_ENGINE_FILE;
    for (char &c : engineFile)
        if (c == '/')
            c = '\\';
    Bytes engine = ReadBytes(engineFile);
    ASSERT_GT(engine.size(), 332u);
    ASSERT_EQ(engine[328] | engine[329] << 8, 3);
    ASSERT_EQ(engine[330] | engine[331] << 8, 10);
    std::vector<TestRecord> records = InstallerRecords(engine, 3);
    UsePayload(records);

    InstallSaver(SAVER_NAME);
    ASSERT_EQ(AppMessage.severity, 1);

    Bytes written = ReadBytes(saverPath);
    ASSERT_TRUE(written == ExpectedSaver(records));
    EXPECT_EQ(written.size(), engine.size() + 9 + 206 + 1006 + 1043 + 1080 + 6);
    EXPECT_EQ(memcmp(&written[80], "Must be run under Win32\r\n$", 26), 0);
    EXPECT_EQ(ReadLe32(&written[106]), engine.size());
    EXPECT_EQ(ReadLe16(&written[328]), 4);
    EXPECT_EQ(ReadLe16(&written[330]), 0);

    ASSERT_EQ(PayloadOpen(saverPath.c_str()), 1);
    Blob blob;
    BlobInit(&blob);
    EXPECT_EQ(PayloadReadKind(&blob, BlobKind::Text), 1);
    EXPECT_STREQ(BlobText(&blob), "DV");
    EXPECT_EQ(PayloadReadKind(&blob, BlobKind::Dib), 1);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(PayloadReadKind(&blob, BlobKind::Dib), 1);
    EXPECT_EQ(PayloadReadNext(&blob), 1);
    EXPECT_EQ(blob.kind, BlobKind::End);
    PayloadClose();
    BlobFree(&blob);
}

// The platform test needs a process that Wine tells another Windows version: a copy of this
// program under another name, with that name's version set to Windows XP.
TEST_F(Install, RefusedWhenThePlatformIsNotWindows95)
{
    const std::string copy = ChildCopy("glimmer-nt-check.exe");
    ASSERT_FALSE(copy.empty());
    const char appKey[] = "Software\\Wine\\AppDefaults\\glimmer-nt-check.exe";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, appKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE *)"winxp", 6);
    RegCloseKey(key);

    ChildRun run = ChildRunFiltered(copy, "InstallOnNt.DISABLED_RefusedAndUninstallStillWorks");
    RegDeleteKeyA(HKEY_CURRENT_USER, appKey);
    DeleteFileA(copy.c_str());
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.testsRun, 1) << "the copy must run exactly the test it was started for";
}

// Runs only in the copy started above, where the system says it is not Windows 95.
TEST(InstallOnNt, DISABLED_RefusedAndUninstallStillWorks)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    ASSERT_EQ(version.dwPlatformId, (DWORD)VER_PLATFORM_WIN32_NT);
    char path[PATH_CAPACITY];
    ASSERT_EQ(GetSaverPath(path, SAVER_NAME), 1);
    DeleteFileA(path);
    SettingsKeyCreate();
    SetMessageOwner(&AppMessage, nullptr);

    InstallSaver(SAVER_NAME);

    ExpectMessage(3, "Cannot Install", "This screen saver works only with Windows '95.");
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(SettingsKeyExists());

    ASSERT_TRUE(WriteBytes(path, ExpectedSaver(InstallerRecords(EngineImage(1024), 1))));
    SetMessageOwner(&AppMessage, nullptr);
    UninstallSaver(SAVER_NAME);
    ExpectMessage(1, "Success", "Screen saver removed.");
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(SettingsKeyExists());
    ClearMessage(&AppMessage);
}

std::set<std::string> SystemDirectoryListing()
{
    char directory[MAX_PATH];
    GetSystemDirectoryA(directory, sizeof directory);
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(directory) + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.insert(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// A Setup that runs out of memory in the middle of the copy: it says so in a system-modal Error
// box and ends with exit code 3. What it left is no saver, only its temporary file, which the
// next Install removes before it installs the saver whole: the system directory then holds the
// saver and nothing else new.
TEST_F(Install, OutOfMemoryDuringTheCopyLeavesNothingTheNextInstallCannotClear)
{
    std::vector<TestRecord> records = InstallerRecords(EngineImage(65536), 6);
    UsePayload(records);
    const std::set<std::string> before = SystemDirectoryListing();
    const std::string copy = ChildCopy("glimmer-install-cut.exe");
    ASSERT_FALSE(copy.empty());

    PROCESS_INFORMATION process;
    ASSERT_TRUE(
        ChildStartFiltered(copy, "InstallCut.DISABLED_RunsOutOfMemoryAtTheThirdSlide", &process));
    ChildBox box = ChildWaitForBox(process.dwProcessId, 30000);
    if (box.window) {
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.text, MEMORY_EXHAUSTED_TEXT);
        EXPECT_TRUE(GetWindowLongA(box.window, GWL_EXSTYLE) & WS_EX_TOPMOST)
            << "a system-modal box stays above every window";
        PostMessageA(box.window, WM_COMMAND, IDOK, 0);
    }
    ChildRun run = ChildFinish(&process, 30000);
    DeleteFileA(copy.c_str());
    ASSERT_NE(box.window, nullptr) << "no box before the end";
    EXPECT_EQ(run.exitCode, (DWORD)MEMORY_EXHAUSTED_EXIT);
    EXPECT_FALSE(FileExists(saverPath)) << "a saver cut short must never carry its name";
    EXPECT_TRUE(FileExists(TemporaryPath()));

    SetMessageOwner(&AppMessage, nullptr);
    InstallSaver(SAVER_NAME);

    ExpectMessage(1, "Success", std::string(SAVER_NAME) + INSTALLED_TEXT_TAIL);
    EXPECT_TRUE(ReadBytes(saverPath) == ExpectedSaver(records));
    std::set<std::string> added = SystemDirectoryListing();
    for (const std::string &name : before)
        added.erase(name);
    EXPECT_EQ(added, std::set<std::string>{std::string(SAVER_NAME) + ".scr"});
}

// Runs only in the child started above: the install, its box shown as Setup shows it, and an
// allocation that fails once the engine, the options, the logo and two slides are copied.
TEST(InstallCut, DISABLED_RunsOutOfMemoryAtTheThirdSlide)
{
    std::string payload = TempPath("glimmer-install-payload.exe");
    InstallPayloadPath = payload.c_str();
    MemoryExhaustedBox = 1;
    // Name, preview, engine, options, logo, slide 1 and slide 2 are allocated before slide 3.
    allocationsBeforeFailure = 7;
    InstallSaver(SAVER_NAME);
    ADD_FAILURE() << "the install ran to its end: " << (AppMessage.text ? AppMessage.text : "");
}

// A file under the temporary name that this Setup did not write is never touched: Install stops
// before it and names it, Uninstall leaves it. One the Setup wrote goes with Uninstall.
TEST_F(Install, TemporaryNameOfAnotherProgramIsLeftAlone)
{
    UsePayload(InstallerRecords(EngineImage(1024), 1));
    const Bytes foreign = PatternBytes(300, 5);
    ASSERT_TRUE(WriteBytes(TemporaryPath(), foreign));

    InstallSaver(SAVER_NAME);
    ExpectMessage(3, "Error", "Can't Create " + TemporaryPath());
    EXPECT_FALSE(FileExists(saverPath));
    SetMessageOwner(&AppMessage, nullptr);
    UninstallSaver(SAVER_NAME);
    EXPECT_TRUE(ReadBytes(TemporaryPath()) == foreign);

    Bytes left = ExpectedSaver(InstallerRecords(EngineImage(1024), 1));
    left.resize(2000); // the engine and a part of what follows
    ASSERT_TRUE(WriteBytes(TemporaryPath(), left));
    SetMessageOwner(&AppMessage, nullptr);
    UninstallSaver(SAVER_NAME);
    ExpectMessage(2, "Cannot Uninstall", std::string("\"") + SAVER_NAME + "\" was not found.");
    EXPECT_FALSE(FileExists(TemporaryPath()));
}
