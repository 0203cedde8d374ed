// The saver file an install writes from a payload, and the one message it leaves, for good,
// damaged and cut-off payloads and for a disk that refuses the bytes.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "install.h"
#include "message.h"
#include "payload.h"
#include "test_payload.h"
#include "text.h"

namespace
{

class InstallCopy : public ::testing::Test
{
  protected:
    std::string dir, payloadPath, saverPath, temporaryPath;

    void SetUp() override
    {
        char pattern[] = "/tmp/glimmer-install-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        payloadPath = dir + "/setup.exe";
        saverPath = dir + "/Demo Saver.scr";
        temporaryPath = dir + "/Demo Saver.gl$";
        InstallPayloadPath = payloadPath.c_str();
        SetMessageOwner(&AppMessage, nullptr);
    }
    void TearDown() override
    {
        InstallPayloadPath = nullptr;
        ClearMessage(&AppMessage);
        unlink(payloadPath.c_str());
        unlink(saverPath.c_str());
        unlink(temporaryPath.c_str());
        rmdir(dir.c_str());
    }
};

void ExpectMessage(int severity, const char *caption, const std::string &text)
{
    EXPECT_EQ(AppMessage.severity, severity);
    EXPECT_STREQ(AppMessage.caption, caption);
    ASSERT_NE(AppMessage.text, nullptr);
    EXPECT_EQ(std::string(AppMessage.text), text);
}

} // namespace

TEST_F(InstallCopy, PayloadsGoodDamagedAndCutOff)
{
    const Bytes engine = EngineImage(2048);
    std::vector<TestRecord> usual = InstallerRecords(engine, 3);
    std::vector<TestRecord> textAfterLogo = InstallerRecords(engine, 3);
    textAfterLogo.insert(textAfterLogo.begin() + 6, {1, TextBytes("stray")});
    std::vector<TestRecord> executableAfterLogo = InstallerRecords(engine, 0);
    executableAfterLogo.insert(executableAfterLogo.begin() + 5, {3, EngineImage(400)});
    std::vector<TestRecord> noEnd = InstallerRecords(engine, 2);
    noEnd.pop_back();
    std::vector<TestRecord> noEngine = {usual[0], usual[1], {0, {}}};
    std::vector<TestRecord> previewIsText = usual;
    previewIsText[1] = {1, TextBytes("not a picture")};
    std::vector<TestRecord> logoMissing = {usual[0], usual[1], usual[2], usual[3], {0, {}}};
    std::vector<TestRecord> noOptions = usual;
    noOptions.erase(noOptions.begin() + 3);
    std::vector<TestRecord> engineWithoutStub = usual;
    memset(&engineWithoutStub[2].data[80], 'x', 39);
    std::vector<TestRecord> engineTooSmall = usual;
    engineTooSmall[2].data.resize(127);
    std::vector<TestRecord> engineEmpty = usual;
    engineEmpty[2].data.clear();
    std::vector<TestRecord> noSlides = InstallerRecords(engine, 0);
    std::vector<TestRecord> engineAlready40 = InstallerRecords(EngineImage(2048, 4, 0), 1);
    Bytes stamped = EngineImage(2048);
    memcpy(&stamped[80], "Must be run under Win32\r\n$", 26);
    PutLe32(&stamped[106], 999); // not its size: stamped again with its size
    std::vector<TestRecord> engineStamped = InstallerRecords(stamped, 1);

    struct Row {
        const char *name;
        const std::vector<TestRecord> *records;
        size_t cutBytes; // bytes cut off the end of the container
        bool success;
    };
    const Row rows[] = {
        {"three-slides", &usual, 0, true},
        {"no-slides", &noSlides, 0, true},
        {"engine-already-4.0", &engineAlready40, 0, true},
        {"engine-already-stamped", &engineStamped, 0, true},
        {"text-after-first-slide", &textAfterLogo, 0, false},
        {"executable-after-logo", &executableAfterLogo, 0, false},
        {"no-end-record", &noEnd, 0, false},
        {"last-slide-cut-short", &usual, 500, false},
        {"end-record-cut-short", &usual, 3, false},
        {"no-engine", &noEngine, 0, false},
        {"preview-is-text", &previewIsText, 0, false},
        {"engine-without-stub-message", &engineWithoutStub, 0, false},
        {"engine-of-127-bytes", &engineTooSmall, 0, false},
        {"engine-record-empty", &engineEmpty, 0, false},
        {"options-missing", &noOptions, 0, false},
        {"logo-missing", &logoMissing, 0, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        unlink(saverPath.c_str()); // the install never replaces a saver
        Bytes container = Container(*row.records);
        container.resize(container.size() - row.cutBytes);
        ASSERT_TRUE(WriteBytes(payloadPath, container));
        SetMessageOwner(&AppMessage, nullptr);

        int result = InstallWriteSaver(saverPath.c_str(), "Demo Saver");

        EXPECT_EQ(result, row.success ? 1 : 0);
        EXPECT_FALSE(PayloadIsOpen());
        EXPECT_FALSE(FileExists(temporaryPath));
        if (row.success) {
            Bytes written = ReadBytes(saverPath);
            EXPECT_EQ(written.size(), ExpectedSaver(*row.records).size());
            EXPECT_TRUE(written == ExpectedSaver(*row.records));
            ExpectMessage(1, "Success", std::string("Demo Saver") + INSTALLED_TEXT_TAIL);
        } else {
            // A saver cut short would be listed, run blank and block the next install.
            EXPECT_FALSE(FileExists(saverPath));
            ExpectMessage(4, "Bug", MISSING_DATA_TEXT);
        }
    }
}

// The arithmetic of a full-size payload: the saver is the engine image plus everything from
// the options record to the end of the installer, no more and no less.
TEST_F(InstallCopy, SaverSizeFollowsFromThePayload)
{
    std::vector<TestRecord> records = InstallerRecords(EngineImage(49152), 0);
    records.insert(records.end() - 1, 11, {2, PatternBytes(481064, 3)});
    records[4].data = PatternBytes(192040, 4);
    Bytes container = Container(records);
    ASSERT_TRUE(WriteBytes(payloadPath, container));

    ASSERT_EQ(InstallWriteSaver(saverPath.c_str(), "Demo Saver"), 1);

    size_t engineEnd = 512 + 6 + 11 + 6 + 300 + 6 + 49152; // installer image, name, preview
    Bytes written = ReadBytes(saverPath);
    EXPECT_EQ(written.size(), 49152 + container.size() - engineEnd);
    EXPECT_EQ(written.size(), 49152u + 9 + 192046 + 11 * 481070 + 6);
    EXPECT_TRUE(written == ExpectedSaver(records));
}

// An installer whose engine record carries another payload offset (found by fuzzing): the saver
// it installs opens at its own records, as the reader of the installed saver finds them.
TEST_F(InstallCopy, EngineStampedWithAnotherOffsetStillMakesASaverThatOpens)
{
    const char *source = getenv("GLIMMER_SOURCE");
    ASSERT_NE(source, nullptr);
    Bytes installer =
        ReadBytes(std::string(source) + "/tests/host/setup/fixtures/installer-foreign-stamp.bin");
    ASSERT_EQ(installer.size(), 279u);
    ASSERT_TRUE(WriteBytes(payloadPath, installer));

    ASSERT_EQ(InstallWriteSaver(saverPath.c_str(), "Demo Saver"), 1);

    Bytes written = ReadBytes(saverPath);
    ASSERT_GE(written.size(), 110u);
    EXPECT_EQ(ReadLe32(&written[106]), 128u); // the engine image's own size
    ASSERT_EQ(PayloadOpen(saverPath.c_str()), 1);
    Blob blob;
    BlobInit(&blob);
    EXPECT_EQ(PayloadReadKind(&blob, BlobKind::Text), 1);
    EXPECT_STREQ(BlobText(&blob), "DV");
    EXPECT_EQ(PayloadReadKind(&blob, BlobKind::Dib), 1);
    EXPECT_EQ(PayloadReadNext(&blob), 1);
    EXPECT_EQ(blob.kind, BlobKind::End);
    PayloadClose();
    BlobFree(&blob);
}

TEST(SaverTemporaryPath, TheSaverPathWithItsOwnExtension)
{
    static const struct {
        const char *saverPath;
        const char *temporary; // "" when refused
    } rows[] = {
        {"C:\\WINDOWS\\SYSTEM\\Glimmer Scenic Tour.scr",
         "C:\\WINDOWS\\SYSTEM\\Glimmer Scenic Tour.gl$"},
        {"C:\\WINDOWS\\SYSTEM\\TOUR.scr", "C:\\WINDOWS\\SYSTEM\\TOUR.gl$"},
        {".scr", ".gl$"},
        {"C:\\WINDOWS\\SYSTEM\\Tour.exe", ""},
        {"scr", ""},
        {"", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.saverPath);
        char temporary[PATH_CAPACITY];
        EXPECT_EQ(SaverTemporaryPath(temporary, row.saverPath), row.temporary[0] != '\0');
        EXPECT_STREQ(temporary, row.temporary);
    }
}

// A file under the temporary name goes before the install only when this Setup wrote it: an
// empty one, or one that starts with the stamped engine. Any other stays as it was, and the
// install stops and names it.
TEST_F(InstallCopy, LeftoverUnderTheTemporaryName)
{
    std::vector<TestRecord> records = InstallerRecords(EngineImage(2048), 2);
    ASSERT_TRUE(WriteBytes(payloadPath, Container(records)));
    Bytes engineOnly = ExpectedSaver(records);
    engineOnly.resize(2048);
    Bytes complete = ExpectedSaver(records);
    Bytes unstamped = EngineImage(2048);
    Bytes shortStamp = Bytes(complete.begin(), complete.begin() + 105);
    struct Row {
        const char *name;
        const Bytes *left; // nullptr: a folder of that name
        bool removed;
    } rows[] = {
        {"empty", nullptr, true},
        {"stamped-engine-alone", &engineOnly, true},
        {"complete-but-not-renamed", &complete, true},
        {"unstamped-engine", &unstamped, false},
        {"cut-inside-the-stub-message", &shortStamp, false},
        {"a-folder", nullptr, false},
    };
    const Bytes empty;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        bool folder = row.left == nullptr && !row.removed;
        if (folder)
            ASSERT_EQ(mkdir(temporaryPath.c_str(), 0700), 0);
        else
            ASSERT_TRUE(WriteBytes(temporaryPath, row.left ? *row.left : empty));
        SetMessageOwner(&AppMessage, nullptr);

        int result = InstallWriteSaver(saverPath.c_str(), "Demo Saver");

        EXPECT_EQ(result, row.removed ? 1 : 0);
        if (row.removed) {
            EXPECT_TRUE(ReadBytes(saverPath) == complete);
            EXPECT_FALSE(FileExists(temporaryPath));
        } else {
            ExpectMessage(3, "Error", "Can't Create " + temporaryPath);
            EXPECT_FALSE(FileExists(saverPath));
            if (folder)
                EXPECT_EQ(rmdir(temporaryPath.c_str()), 0);
            else
                EXPECT_TRUE(ReadBytes(temporaryPath) == *row.left);
        }
        unlink(saverPath.c_str());
        unlink(temporaryPath.c_str());
    }
}

// The finished file is renamed, never copied over a file of the saver's name: one that appeared
// meanwhile stays, and the temporary file goes.
TEST_F(InstallCopy, RenameNeverReplacesAFile)
{
    ASSERT_TRUE(WriteBytes(payloadPath, Container(InstallerRecords(EngineImage(1024), 1))));
    const Bytes other = PatternBytes(700, 2);
    ASSERT_TRUE(WriteBytes(saverPath, other));

    EXPECT_EQ(InstallWriteSaver(saverPath.c_str(), "Demo Saver"), 0);

    ExpectMessage(3, "Error", "Can't Create " + saverPath);
    EXPECT_TRUE(ReadBytes(saverPath) == other);
    EXPECT_FALSE(FileExists(temporaryPath));
}

TEST_F(InstallCopy, PayloadThatIsNoContainer)
{
    ASSERT_TRUE(WriteBytes(payloadPath, EngineImage(4096)));
    EXPECT_EQ(InstallWriteSaver(saverPath.c_str(), "Demo Saver"), 0);
    ExpectMessage(4, "Bug", MISSING_DATA_TEXT);
    EXPECT_FALSE(FileExists(saverPath)); // created, then removed again
}

TEST_F(InstallCopy, FileThatCannotBeCreated)
{
    ASSERT_TRUE(WriteBytes(payloadPath, Container(InstallerRecords(EngineImage(1024), 1))));
    std::string inMissingFolder = dir + "/no such folder/Demo Saver.scr";
    EXPECT_EQ(InstallWriteSaver(inMissingFolder.c_str(), "Demo Saver"), 0);
    ExpectMessage(3, "Error", "Can't Create " + inMissingFolder);
    EXPECT_FALSE(PayloadIsOpen());
}

// A limit on the size of files makes the disk refuse what lies beyond it: a small saver fails
// only when its buffered bytes are written at close, a large one already while it is written.
// Either way the message is the write error and no file is left.
TEST_F(InstallCopy, DiskFullIsAWriteErrorNeverSuccess)
{
    struct Row {
        const char *name;
        size_t slideSize;
    };
    const Row rows[] = {{"fails-at-close", 16}, {"fails-while-writing", 300000}};
    struct rlimit kept;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &kept), 0);
    signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of ending the test
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<TestRecord> records = InstallerRecords(EngineImage(1024), 1);
        records[5].data = PatternBytes(row.slideSize, 5);
        ASSERT_TRUE(WriteBytes(payloadPath, Container(records)));
        SetMessageOwner(&AppMessage, nullptr);

        struct rlimit limit = kept;
        limit.rlim_cur = 1000; // bytes, less than any of these savers
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        int result = InstallWriteSaver(saverPath.c_str(), "Demo Saver");
        setrlimit(RLIMIT_FSIZE, &kept);

        EXPECT_EQ(result, 0);
        ExpectMessage(3, "Error", "Can't Write to " + saverPath);
        EXPECT_FALSE(PayloadIsOpen());
        EXPECT_FALSE(FileExists(saverPath));
        EXPECT_FALSE(FileExists(temporaryPath));
    }
    signal(SIGXFSZ, SIG_DFL);
}

// Uninstall removes only what an install wrote: a stamped container whose payload opens with the
// options text and the logo picture.
TEST_F(InstallCopy, SaverFileInspectTellsOursFromOthers)
{
    ASSERT_TRUE(WriteBytes(payloadPath, Container(InstallerRecords(EngineImage(1024), 2))));
    ASSERT_EQ(InstallWriteSaver(saverPath.c_str(), "Demo Saver"), 1);
    const Bytes installed = ReadBytes(saverPath);
    const Bytes stampedImage = InstalledEngineImage(EngineImage(1024));
    auto saver = [&](const std::vector<TestRecord> &records) {
        Bytes file = stampedImage;
        for (const TestRecord &r : records) {
            Bytes b = RecordBytes(r);
            file.insert(file.end(), b.begin(), b.end());
        }
        return file;
    };
    const TestRecord options = {1, TextBytes("DV")}, logo = {2, PatternBytes(64, 1)}, end = {0, {}};
    Bytes offsetPastEnd = saver({options, logo, end});
    PutLe32(&offsetPastEnd[106], (uint32_t)offsetPastEnd.size() + 1);

    struct Row {
        const char *name;
        const Bytes *file; // nullptr: no file
        SaverFileKind expected;
    };
    const Bytes program = EngineImage(4096), empty;
    const Bytes noRecords = saver({}), noLogo = saver({options, end}),
                logoFirst = saver({logo, options, end}), bare = saver({options, logo});
    const Row rows[] = {
        {"installed-saver", &installed, SAVER_FILE_OURS},
        {"options-and-logo-then-cut-off", &bare, SAVER_FILE_OURS},
        {"missing", nullptr, SAVER_FILE_UNREADABLE},
        {"a-program-without-payload", &program, SAVER_FILE_FOREIGN},
        {"empty-file", &empty, SAVER_FILE_FOREIGN},
        {"stamped-without-records", &noRecords, SAVER_FILE_FOREIGN},
        {"options-without-logo", &noLogo, SAVER_FILE_FOREIGN},
        {"logo-before-options", &logoFirst, SAVER_FILE_FOREIGN},
        {"offset-past-the-end", &offsetPastEnd, SAVER_FILE_FOREIGN},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        unlink(saverPath.c_str());
        if (row.file) {
            ASSERT_TRUE(WriteBytes(saverPath, *row.file));
        }
        EXPECT_EQ(SaverFileInspect(saverPath.c_str()), row.expected);
        EXPECT_FALSE(PayloadIsOpen());
    }
}

TEST(SaverPath, DirectoryNameAndExtension)
{
    struct Row {
        const char *name;
        const char *directory;
        const char *saver;
        const char *expected;
        int fits;
    };
    const std::string longName(79, 'n');
    const std::string deepFolder = "C:\\" + std::string(172, 'd');
    const std::string deepest = "C:\\" + std::string(173, 'd');
    const std::string fits259 = deepFolder + "\\" + longName + ".scr";
    const Row rows[] = {
        {"system-directory", "C:\\WINDOWS\\SYSTEM", "Sunset Tour",
         "C:\\WINDOWS\\SYSTEM\\Sunset Tour.scr", 1},
        {"trailing-backslash-kept-single", "C:\\", "My Saver_2", "C:\\My Saver_2.scr", 1},
        {"no-directory-falls-back", nullptr, "A", "C:\\WINDOWS\\SYSTEM\\A.scr", 1},
        {"empty-directory-falls-back", "", "A", "C:\\WINDOWS\\SYSTEM\\A.scr", 1},
        {"longest-that-fits", deepFolder.c_str(), longName.c_str(), fits259.c_str(), 1},
        {"one-too-long", deepest.c_str(), longName.c_str(), nullptr, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        char path[260];
        memset(path, 'z', sizeof path);
        EXPECT_EQ(SaverPathFromDirectory(path, row.directory, row.saver), row.fits);
        EXPECT_LT(strlen(path), sizeof path);
        if (row.expected) {
            EXPECT_STREQ(path, row.expected);
        }
    }
}
