// Module directory, full paths, help-file paths and window centring arithmetic.
#include "center.h"
#include "paths.h"
#include "text.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <string.h>

#include <string>

struct DirectoryRow {
    const char *name;
    const char *modulePath;
    const char *expected;
};

static const DirectoryRow DIRECTORY_ROWS[] = {
    {"program-in-folder", "C:\\SAVER\\SETUP.EXE", "C:\\SAVER\\"},
    {"program-at-root", "C:\\SETUP.EXE", "C:\\"},
    {"unknown-module", nullptr, "C:\\"},
    {"empty-module", "", "C:\\"},
    {"no-backslash", "SETUP.EXE", ""},
};

TEST(ModuleDirectoryFromPath, Table)
{
    for (const DirectoryRow &row : DIRECTORY_ROWS) {
        SCOPED_TRACE(row.name);
        char directory[PATH_CAPACITY];
        ModuleDirectoryFromPath(directory, row.modulePath);
        EXPECT_STREQ(directory, row.expected);
    }
}

struct FullPathRow {
    const char *name;
    const char *path;
    const char *extension;
    const char *directory;
    const char *expected;
};

static const FullPathRow FULL_PATH_ROWS[] = {
    {"rooted-gets-drive", "\\PICS\\SUN", "BMP", "C:\\SAVER\\", "C:\\PICS\\SUN.BMP"},
    {"drive-relative-stays", "D:SUN", "BMP", "C:\\SAVER\\", "D:SUN"},
    {"relative-behind-directory", "SUN", "BMP", "C:\\SAVER\\", "C:\\SAVER\\SUN.BMP"},
    {"extension-kept", "PICS\\SUN.GIF", "BMP", "C:\\SAVER\\", "C:\\SAVER\\PICS\\SUN.GIF"},
    {"dot-only-in-directory", "\\A.B\\SUN", "BMP", "C:\\SAVER\\", "C:\\A.B\\SUN.BMP"},
    {"full-path-stays", "E:\\X\\Y", "HLP", "C:\\SAVER\\", "E:\\X\\Y.HLP"},
    {"trimmed-first", " \t SUN \xe9", "BMP", "C:\\SAVER\\", "C:\\SAVER\\SUN.BMP"},
    {"empty-stays-empty", "", "BMP", "C:\\SAVER\\", ""},
    {"blanks-become-empty", "  \t", "BMP", "C:\\SAVER\\", ""},
    {"no-colon-in-directory", "\\PICS\\SUN", "BMP", "\\\\server\\share\\", "\\PICS\\SUN.BMP"},
    {"no-extension-given", "SUN", nullptr, "C:\\SAVER\\", "C:\\SAVER\\SUN"},
    {"trailing-backslash", "PICS\\", "BMP", "C:\\", "C:\\PICS\\.BMP"},
};

TEST(MakeFullPathIn, Table)
{
    for (const FullPathRow &row : FULL_PATH_ROWS) {
        SCOPED_TRACE(row.name);
        char path[PATH_CAPACITY];
        strcpy(path, row.path);
        EXPECT_EQ(MakeFullPathIn(path, row.extension, row.directory), 1);
        EXPECT_STREQ(path, row.expected);
    }
}

// Results that would pass 259 characters leave an empty path and 0, never a cut one; the
// buffer is exactly PATH_CAPACITY on the heap so the sanitizer sees any overrun.
TEST(MakeFullPathIn, OverlongResultsAreRefused)
{
    const std::string directory = "C:\\SAVER\\"; // 9 characters
    struct Row {
        const char *name;
        std::string path;
        std::string extension;
        int fits;
    };
    const Row rows[] = {
        {"exactly-259-with-extension", "\\" + std::string(252, 'a'), "BMP", 1},
        {"260-with-extension", "\\" + std::string(253, 'a'), "BMP", 0},
        {"relative-exactly-259", std::string(246, 'a'), "BMP", 1},
        {"relative-260", std::string(247, 'a'), "BMP", 0},
        {"extension-alone-too-long", "\\a", std::string(300, 'e'), 0},
        {"long-path-with-colon", "D:" + std::string(257, 'a'), "BMP", 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        char *path = new char[PATH_CAPACITY];
        strcpy(path, row.path.c_str());
        int result = MakeFullPathIn(path, row.extension.c_str(), directory.c_str());
        EXPECT_EQ(result, row.fits);
        if (row.fits)
            EXPECT_EQ(strlen(path), 259u);
        else
            EXPECT_STREQ(path, "");
        delete[] path;
    }
}

TEST(HelpFilePath, FitsOrIsRefused)
{
    char *path = new char[PATH_CAPACITY];
    EXPECT_EQ(HelpFilePath(path, "C:\\SAVER\\", "GLIMMER.HLP"), 1);
    EXPECT_STREQ(path, "C:\\SAVER\\GLIMMER.HLP");

    std::string exact(250, 'h'); // 9 + 250 = 259
    EXPECT_EQ(HelpFilePath(path, "C:\\SAVER\\", exact.c_str()), 1);
    EXPECT_EQ(strlen(path), 259u);

    std::string over(251, 'h');
    EXPECT_EQ(HelpFilePath(path, "C:\\SAVER\\", over.c_str()), 0);
    EXPECT_STREQ(path, "");
    delete[] path;
}

struct CenterRow {
    const char *name;
    int screenWidth, screenHeight;
    int left, top, right, bottom;
    WindowPlacement expected;
};

static const CenterRow CENTER_ROWS[] = {
    {"200-on-640", 640, 480, 0, 0, 200, 100, {220, 190, 200, 100}},
    {"641-on-640-goes-to-minus-1", 640, 480, 0, 0, 641, 480, {-1, 0, 641, 480}},
    {"odd-excess-rounds-down", 640, 480, 0, 0, 201, 101, {219, 189, 201, 101}},
    {"far-larger", 640, 480, 0, 0, 1000, 700, {-180, -110, 1000, 700}},
    {"position-does-not-matter", 640, 480, -50, 900, 150, 1000, {220, 190, 200, 100}},
    {"extreme-rect-clamped",
     640,
     480,
     INT_MIN,
     INT_MIN,
     INT_MAX,
     INT_MAX,
     {-INT_MAX + 320 - 1, -INT_MAX + 240 - 1, INT_MAX, INT_MAX}},
};

TEST(CenterPlacement, Table)
{
    for (const CenterRow &row : CENTER_ROWS) {
        SCOPED_TRACE(row.name);
        WindowPlacement p = CenterPlacement(row.screenWidth, row.screenHeight, row.left, row.top,
                                            row.right, row.bottom);
        EXPECT_EQ(p.x, row.expected.x);
        EXPECT_EQ(p.y, row.expected.y);
        EXPECT_EQ(p.width, row.expected.width);
        EXPECT_EQ(p.height, row.expected.height);
    }
}
