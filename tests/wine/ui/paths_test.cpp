// The running program's own file: settings key path, module directory, full paths, help.
#include "text.h"
#include "ui.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

static std::string ModuleFile()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length);
}

TEST(RunningProgram, SettingsKeyPathFromItsFileName)
{
    char path[PATH_CAPACITY];
    EXPECT_EQ(GetSettingsKeyPath(path, nullptr), path);
    EXPECT_STREQ(path, "Software\\Halvorne\\Vistamo\\common_ui_test");
}

TEST(RunningProgram, ModuleDirectoryAndFullPaths)
{
    std::string file = ModuleFile();
    std::string directory = file.substr(0, file.rfind('\\') + 1);
    ASSERT_GT(directory.size(), 3u);

    char buffer[PATH_CAPACITY];
    GetModuleDirectory(buffer);
    EXPECT_EQ(std::string(buffer), directory);

    strcpy(buffer, "  SUN ");
    EXPECT_EQ(MakeFullPath(buffer, "BMP"), 1);
    EXPECT_EQ(std::string(buffer), directory + "SUN.BMP");

    strcpy(buffer, "\\PICS\\SUN");
    EXPECT_EQ(MakeFullPath(buffer, "BMP"), 1);
    EXPECT_EQ(std::string(buffer),
              directory.substr(0, directory.find(':') + 1) + "\\PICS\\SUN.BMP");

    std::string tooLong(PATH_CAPACITY - directory.size(), 'a');
    strcpy(buffer, tooLong.c_str());
    EXPECT_EQ(MakeFullPath(buffer, nullptr), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(RunningProgram, OverlongHelpFileIsNotOpened)
{
    std::string name(PATH_CAPACITY, 'h');
    EXPECT_EQ(ShowHelpContext(1, name.c_str()), 0);
    EXPECT_EQ(HelpOpen, 0);
    CloseHelp(); // nothing was opened: nothing to close
    EXPECT_EQ(HelpOpen, 0);
}
