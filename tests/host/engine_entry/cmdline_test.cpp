// The command-line scan and the mode each switch selects.
#include <gtest/gtest.h>

#include "cmdline.h"

namespace
{

struct ScanCase {
    const char *name;
    const char *tail;
    EngineMode mode;
    char letter;
    int hasHandle;
    uint32_t handle;
};

const ScanCase SCAN_CASES[] = {
    {"empty", "", ENGINE_MODE_SETTINGS, '\0', 0, 0},
    {"null-tail", nullptr, ENGINE_MODE_SETTINGS, '\0', 0, 0},
    {"slash-s", "/s", ENGINE_MODE_SAVER, 'S', 0, 0},
    {"slash-upper-s", "/S", ENGINE_MODE_SAVER, 'S', 0, 0},
    {"dash-s", "-s", ENGINE_MODE_SAVER, 'S', 0, 0},
    {"blanks-then-slash-s", "   /s", ENGINE_MODE_SAVER, 'S', 0, 0},
    {"tab-and-high-bytes-are-blanks", "\t\xA0\xFF/s", ENGINE_MODE_SAVER, 'S', 0, 0},
    {"word-save", "/save", ENGINE_MODE_SAVER, 'S', 0, 0},
    {"saver-reads-a-handle-it-ignores", "/s 1234", ENGINE_MODE_SAVER, 'S', 1, 1234},
    {"slash-p-blank-handle", "/p 1234", ENGINE_MODE_PREVIEW, 'P', 1, 1234},
    {"slash-p-colon-handle", "/p:1234", ENGINE_MODE_PREVIEW, 'P', 1, 1234},
    {"upper-p-glued-handle", "/P1234", ENGINE_MODE_PREVIEW, 'P', 1, 1234},
    {"dash-l-handle", "-l 1234", ENGINE_MODE_PREVIEW, 'L', 1, 1234},
    {"mixed-colons-and-blanks", "/p : :\t 77 9", ENGINE_MODE_PREVIEW, 'P', 1, 77},
    {"word-preview-stops-before-number", "/preview 1234", ENGINE_MODE_PREVIEW, 'P', 0, 0},
    {"negative-is-no-handle", "/p -5", ENGINE_MODE_PREVIEW, 'P', 0, 0},
    {"zero-handle", "/p 0", ENGINE_MODE_PREVIEW, 'P', 1, 0},
    {"handle-wraps-at-2-to-32", "/p 4294967297", ENGINE_MODE_PREVIEW, 'P', 1, 1},
    {"long-number-wraps", "/p 99999999999", ENGINE_MODE_PREVIEW, 'P', 1, 1215752191u},
    {"settings-colon-handle", "/c:1234", ENGINE_MODE_SETTINGS, 'C', 1, 1234},
    {"password-handle", "/a 1234", ENGINE_MODE_PASSWORD, 'A', 1, 1234},
    {"upper-a", "/A", ENGINE_MODE_PASSWORD, 'A', 0, 0},
    {"lone-slash", "/", ENGINE_MODE_SETTINGS, '\0', 0, 0},
    {"lone-dash-after-blanks", "  -", ENGINE_MODE_SETTINGS, '\0', 0, 0},
    {"bare-s-is-no-switch", "s", ENGINE_MODE_SETTINGS, '\0', 0, 0},
    {"bare-number-is-no-switch", "1234", ENGINE_MODE_SETTINGS, '\0', 0, 0},
    {"unknown-letter", "/x", ENGINE_MODE_NONE, 'X', 0, 0},
    {"blank-after-slash-is-the-letter", "/ s", ENGINE_MODE_NONE, ' ', 0, 0},
    {"digit-as-letter", "/1234", ENGINE_MODE_NONE, '1', 1, 234},
    {"second-slash-as-letter", "//s", ENGINE_MODE_NONE, '/', 0, 0},
    {"high-byte-letter-unchanged", "/\xE9", ENGINE_MODE_NONE, '\xE9', 0, 0},
};

TEST(CommandLine, ScanTable)
{
    for (const ScanCase &row : SCAN_CASES) {
        SCOPED_TRACE(row.name);
        CommandLine line = {'?', 7, 7};
        CommandLineScan(row.tail, &line);
        EXPECT_EQ(row.letter, line.letter);
        EXPECT_EQ(row.hasHandle, line.hasHandle);
        EXPECT_EQ(row.handle, line.handle);
        EXPECT_EQ(row.mode, CommandLineMode(line.letter));
    }
}

// Only letters are folded; the bytes next to 'a' and 'z' must stay themselves.
TEST(CommandLine, FoldsOnlyLowerCaseLetters)
{
    const char tails[][3] = {"/`", "/{", "/@", "/["};
    for (const char *tail : tails) {
        SCOPED_TRACE(tail);
        CommandLine line;
        CommandLineScan(tail, &line);
        EXPECT_EQ(tail[1], line.letter);
        EXPECT_EQ(ENGINE_MODE_NONE, CommandLineMode(line.letter));
    }
}

} // namespace
