// The settings key path, from a given name and from a module file name.
#include "text.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

static const std::string PREFIX = "Software\\Halvorne\\Vistamo\\";

struct ModuleRow {
    const char *name;
    const char *modulePath;
    const char *longName; // the module file's long name, as a directory search gives it
    std::string expected;
};

static const ModuleRow MODULE_ROWS[] = {
    {"scr-in-system-dir", "C:\\WINDOWS\\SYSTEM\\Sunset Tour.scr", nullptr, PREFIX + "Sunset Tour"},
    {"upper-case", "C:\\WINDOWS\\SYSTEM\\MYSAVER.SCR", nullptr, PREFIX + "MYSAVER"},
    {"cut-at-first-dot", "C:\\SAVERS\\A.B.SCR", nullptr, PREFIX + "A"},
    {"dot-in-directory-only", "C:\\MY.DIR\\NODOT", nullptr, PREFIX + "NODOT"},
    {"no-backslash", "Plain.exe", nullptr, PREFIX + "Plain"},
    {"unknown-module", nullptr, nullptr, PREFIX + "Vistamo 1"},
    {"empty-module", "", nullptr, PREFIX + "Vistamo 1"},
    // An empty name would make the path name the key above every saver's key.
    {"name-starts-with-dot", "C:\\SAVERS\\.scr", nullptr, PREFIX + "Vistamo 1"},
    {"trailing-backslash", "C:\\SAVERS\\", nullptr, PREFIX + "Vistamo 1"},
    // Started by its short 8.3 path, as Windows 95 starts a saver, the key still comes from the
    // name the saver was installed under.
    {"short-path-long-name", "C:\\WINDOWS\\SYSTEM\\GLIMME~1.SCR", "Glimmer Scenic Tour.scr",
     PREFIX + "Glimmer Scenic Tour"},
    {"long-name-cut-at-first-dot", "C:\\SAVERS\\AB~1.SCR", "A.B.scr", PREFIX + "A"},
    {"empty-long-name-ignored", "C:\\SAVERS\\MYSAVER.SCR", "", PREFIX + "MYSAVER"},
    {"unknown-module-with-long-name", nullptr, "Other.scr", PREFIX + "Vistamo 1"},
};

TEST(SettingsKeyPathFromModule, Table)
{
    for (const ModuleRow &row : MODULE_ROWS) {
        SCOPED_TRACE(row.name);
        char path[PATH_CAPACITY];
        EXPECT_EQ(SettingsKeyPathFromModule(path, row.modulePath, row.longName), path);
        EXPECT_EQ(std::string(path), row.expected);
    }
}

TEST(GetSettingsKeyPath, GivenNameMatchesTheInstalledFile)
{
    char given[PATH_CAPACITY];
    char fromFile[PATH_CAPACITY];
    EXPECT_EQ(GetSettingsKeyPath(given, "Sunset Tour"), given);
    SettingsKeyPathFromModule(fromFile, "C:\\WINDOWS\\SYSTEM\\Sunset Tour.scr", nullptr);
    EXPECT_EQ(std::string(given), PREFIX + "Sunset Tour");
    EXPECT_STREQ(given, fromFile);
}

TEST(GetSettingsKeyPath, GivenNameIsUsedUnchanged)
{
    char path[PATH_CAPACITY];
    GetSettingsKeyPath(path, "A.B");
    EXPECT_EQ(std::string(path), PREFIX + "A.B");
}

TEST(GetSettingsKeyPath, LongestInstallerNameFits)
{
    std::string name(SAVER_NAME_CAPACITY - 1, 'n');
    char path[PATH_CAPACITY];
    GetSettingsKeyPath(path, name.c_str());
    EXPECT_EQ(std::string(path), PREFIX + name);
}

// Names too long for the buffer are cut to fill exactly 259 characters, the same way from a
// given name and from a module file, so installer and saver still meet. The buffers are
// exactly PATH_CAPACITY on the heap so the sanitizer catches a write past them.
TEST(GetSettingsKeyPath, OverlongNamesAreCutToFit)
{
    const size_t room = PATH_CAPACITY - 1 - PREFIX.size();
    static const size_t LENGTHS[] = {room - 1, room, room + 1, 259, 400};
    for (size_t length : LENGTHS) {
        SCOPED_TRACE(length);
        std::string name(length, 'x');
        name[0] = 'A';
        std::string modulePath = "C:\\" + name + ".SCR";
        std::string expected = PREFIX + name.substr(0, room);

        char *given = new char[PATH_CAPACITY];
        char *fromModule = new char[PATH_CAPACITY];
        GetSettingsKeyPath(given, name.c_str());
        SettingsKeyPathFromModule(fromModule, modulePath.c_str(), nullptr);
        EXPECT_EQ(std::string(given), expected);
        EXPECT_EQ(std::string(fromModule), expected);
        EXPECT_LE(strlen(given), (size_t)PATH_CAPACITY - 1);
        delete[] given;
        delete[] fromModule;
    }
}
