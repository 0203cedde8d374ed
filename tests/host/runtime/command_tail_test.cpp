// The command-line tail WinMain receives, for the command lines Windows hands a program.
#include <gtest/gtest.h>

#include "command_tail.h"

namespace
{

struct TailCase {
    const char *name;
    const char *commandLine;
    const char *tail;
};

const TailCase TAIL_CASES[] = {
    {"bare-name-only", "GLIMMER.SCR", ""},
    {"empty-line", "", ""},
    {"bare-name-and-switch", "C:\\WINDOWS\\SYSTEM\\GLIMME~1.SCR /s", "/s"},
    {"quoted-name-and-switch", "\"C:\\Program Files\\Sunset Tour.scr\" /p 1234", "/p 1234"},
    {"quoted-name-glued-to-switch", "\"saver.scr\"/s", "/s"},
    {"quoted-name-without-closing-quote", "\"C:\\a b\\saver.scr /s", ""},
    {"empty-quoted-name", "\"\" /c", "/c"},
    {"tabs-and-blanks-after-name", "saver.scr \t  \t/a", "/a"},
    {"tab-ends-a-bare-name", "saver.scr\t/s", "/s"},
    {"blanks-only-after-name", "saver.scr   \t ", ""},
    {"high-bytes-belong-to-a-bare-name", "C:\\Caf\xE9\\\xC9t\xE9.scr /s", "/s"},
    {"high-bytes-inside-quotes", "\"C:\\\xC9t\xE9 \xE0 la mer.scr\" /s", "/s"},
    {"high-bytes-after-the-name-are-blanks", "saver.scr \xA0\xE9/s", "/s"},
    {"later-quotes-are-kept", "saver.scr \"a b\" c", "\"a b\" c"},
    {"inner-blanks-are-kept", "saver.scr /p   99", "/p   99"},
};

TEST(CommandTail, SkipsTheProgramNameAndTheBlanksBehindIt)
{
    for (const TailCase &row : TAIL_CASES) {
        SCOPED_TRACE(row.name);
        EXPECT_STREQ(CommandTail(row.commandLine), row.tail);
    }
}

TEST(CommandTail, PointsIntoTheCommandLineItself)
{
    const char line[] = "\"x.scr\" /s";
    EXPECT_EQ(CommandTail(line), line + 8);
    EXPECT_STREQ(CommandTail(nullptr), "");
}

} // namespace
