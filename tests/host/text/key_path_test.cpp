// The settings key path, from a given name and from a module file name.
#include "text.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

static const std::string PREFIX = "Software\\Halvorne\\Vistamo\\";

struct ModuleRow {
    const char *name;
    const char *modulePath;
    std::string expected;
};

static const ModuleRow MODULE_ROWS[] = {
    {"scr-in-system-dir", "C:\\WINDOWS\\SYSTEM\\Sunset Tour.scr", PREFIX + "Sunset Tour"},
    {"upper-case", "C:\\WINDOWS\\SYSTEM\\MYSAVER.SCR", PREFIX + "MYSAVER"},
    {"cut-at-first-dot", "C:\\SAVERS\\A.B.SCR", PREFIX + "A"},
    {"dot-in-directory-only", "C:\\MY.DIR\\NODOT", PREFIX + "NODOT"},
    {"no-backslash", "Plain.exe", PREFIX + "Plain"},
    {"unknown-module", nullptr, PREFIX + "Vistamo 1"},
    {"empty-module", "", PREFIX + "Vistamo 1"},
    // An empty name would make the path name the key above every saver's key.
    {"name-starts-with-dot", "C:\\SAVERS\\.scr", PREFIX + "Vistamo 1"},
    {"trailing-backslash", "C:\\SAVERS\\", PREFIX + "Vistamo 1"},
};

TEST(SettingsKeyPathFromModule, Table)
{
    for (const ModuleRow &row : MODULE_ROWS) {
        SCOPED_TRACE(row.name);
        char path[PATH_CAPACITY];
        EXPECT_EQ(SettingsKeyPathFromModule(path, row.modulePath), path);
        EXPECT_EQ(std::string(path), row.expected);
    }
}

TEST(GetSettingsKeyPath, GivenNameMatchesTheInstalledFile)
{
    char given[PATH_CAPACITY];
    char fromFile[PATH_CAPACITY];
    EXPECT_EQ(GetSettingsKeyPath(given, "Sunset Tour"), given);
    SettingsKeyPathFromModule(fromFile, "C:\\WINDOWS\\SYSTEM\\Sunset Tour.scr");
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
        SettingsKeyPathFromModule(fromModule, modulePath.c_str());
        EXPECT_EQ(std::string(given), expected);
        EXPECT_EQ(std::string(fromModule), expected);
        EXPECT_LE(strlen(given), (size_t)PATH_CAPACITY - 1);
        delete[] given;
        delete[] fromModule;
    }
}
