// Paths and command lines of the visit-online launcher, and the bounds they keep.
#include <gtest/gtest.h>

#include <string.h>
#include <string>

#include "browser_command.h"

namespace
{

const char ADDRESS[] = "http://example.test/";
const int GUARD = 40;
const char GUARD_BYTE = 'Z';

// A LAUNCH_BUFFER_CAPACITY buffer followed by guard bytes that no builder may touch.
struct GuardedBuffer {
    char bytes[LAUNCH_BUFFER_CAPACITY + GUARD];
    GuardedBuffer() { memset(bytes, GUARD_BYTE, sizeof bytes); }
    bool GuardIntact() const
    {
        for (int i = LAUNCH_BUFFER_CAPACITY; i < LAUNCH_BUFFER_CAPACITY + GUARD; i++)
            if (bytes[i] != GUARD_BYTE)
                return false;
        return true;
    }
};

TEST(BrowserCommand, CutAtFirstSpacePercentOneAndQuoteAddress)
{
    struct Row {
        const char *name;
        const char *command;
        const char *expected;
    };
    static const Row rows[] = {
        {"placeholder-at-end", "C:\\B\\browse.exe %1",
         "C:\\B\\browse.exe \"http://example.test/\""},
        {"arguments-after-placeholder", "C:\\B\\browse.exe %1 -nohome -new",
         "C:\\B\\browse.exe \"http://example.test/\""},
        {"arguments-before-placeholder", "browse.exe -new %1 -x",
         "browse.exe -new \"http://example.test/\""},
        {"first-of-two-placeholders", "browse.exe %1 -y %1", "browse.exe \"http://example.test/\""},
        {"placeholder-prefix-of-longer-number", "browse.exe %12",
         "browse.exe \"http://example.test/\""},
        {"quoted-program-path", "\"C:\\Program Files\\B\\browse.exe\" %1",
         "\"C:\\Program Files\\B\\browse.exe\" \"http://example.test/\""},
        {"no-placeholder", "C:\\B\\browse.exe", "C:\\B\\browse.exe \"http://example.test/\""},
        {"quoted-placeholder-kept", "browse.exe \"%1\"",
         "browse.exe \"%1\" \"http://example.test/\""},
        {"placeholder-without-space-kept", "browse.exe -url=%1",
         "browse.exe -url=%1 \"http://example.test/\""},
        {"tab-before-placeholder-kept", "browse.exe\t%1",
         "browse.exe\t%1 \"http://example.test/\""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        GuardedBuffer line;
        ASSERT_EQ(1,
                  BrowserCommandFormat(line.bytes, LAUNCH_BUFFER_CAPACITY, row.command, ADDRESS));
        EXPECT_STREQ(row.expected, line.bytes);
        EXPECT_TRUE(line.GuardIntact());
    }
}

TEST(BrowserCommand, RefusedRatherThanCut)
{
    // " \"" + address + "\"" adds 23 characters to the command.
    const size_t extra = strlen(ADDRESS) + 3;
    const size_t longest = LAUNCH_BUFFER_CAPACITY - 1 - extra;
    const std::string fits(longest, 'c');
    const std::string tooLong(longest + 1, 'c');
    const std::string cutToFit = fits + " %1" + std::string(300, 'x');
    struct Row {
        const char *name;
        std::string command;
        std::string address;
        int expected;
    };
    const Row rows[] = {
        {"exactly-259-characters", fits, ADDRESS, 1},
        {"one-character-too-long", tooLong, ADDRESS, 0},
        {"long-tail-after-placeholder-dropped", cutToFit, ADDRESS, 1},
        {"long-address", "browse.exe", std::string(300, 'a'), 0},
        {"address-with-quote", "browse.exe %1", "http://a/\" -evil", 0},
        {"empty-command", "", ADDRESS, 0},
        {"blank-command", "  \t ", ADDRESS, 0},
        {"nothing-before-placeholder", " %1 browse.exe", ADDRESS, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        GuardedBuffer line;
        EXPECT_EQ(row.expected, BrowserCommandFormat(line.bytes, LAUNCH_BUFFER_CAPACITY,
                                                     row.command.c_str(), row.address.c_str()));
        if (row.expected) {
            EXPECT_EQ(LAUNCH_BUFFER_CAPACITY - 1, (int)strlen(line.bytes));
        } else {
            EXPECT_STREQ("", line.bytes);
        }
        EXPECT_TRUE(line.GuardIntact());
    }
}

TEST(RegistryText, EndsWithinBufferOrIsRefused)
{
    struct Row {
        const char *name;
        const char *content; // written into the buffer, the rest stays 'v'
        size_t contentSize;
        uint32_t reportedSize;
        int expected;
        const char *text; // after the call, when accepted
    };
    static const Row rows[] = {
        {"terminated", "abc", 4, 4, 1, "abc"},
        {"size-without-terminator", "abc", 3, 3, 1, "abc"},
        {"empty-read", "", 0, 0, 1, ""},
        {"embedded-terminator", "ab\0cd", 5, LAUNCH_BUFFER_CAPACITY, 1, "ab"},
        {"full-buffer-unterminated", "", 0, LAUNCH_BUFFER_CAPACITY, 0, ""},
        {"size-beyond-buffer", "", 0, 1000, 0, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        GuardedBuffer value;
        memset(value.bytes, 'v', LAUNCH_BUFFER_CAPACITY);
        memcpy(value.bytes, row.content, row.contentSize);
        EXPECT_EQ(row.expected,
                  RegistryTextTerminate(value.bytes, LAUNCH_BUFFER_CAPACITY, row.reportedSize));
        EXPECT_STREQ(row.text, value.bytes);
        EXPECT_TRUE(value.GuardIntact());
    }

    // A value that fills the buffer and ends in its last byte is whole.
    GuardedBuffer value;
    memset(value.bytes, 'v', LAUNCH_BUFFER_CAPACITY - 1);
    value.bytes[LAUNCH_BUFFER_CAPACITY - 1] = '\0';
    EXPECT_EQ(1,
              RegistryTextTerminate(value.bytes, LAUNCH_BUFFER_CAPACITY, LAUNCH_BUFFER_CAPACITY));
    EXPECT_EQ(LAUNCH_BUFFER_CAPACITY - 1, (int)strlen(value.bytes));
}

TEST(ClientCommand, PathAndQuotedCommandWithinBuffer)
{
    GuardedBuffer path;
    GuardedBuffer line;
    ASSERT_EQ(1, ClientPathFormat(path.bytes, LAUNCH_BUFFER_CAPACITY, "AOL30"));
    EXPECT_STREQ("C:\\AOL30\\AOL.EXE", path.bytes);
    ASSERT_EQ(1, ClientCommandFormat(line.bytes, LAUNCH_BUFFER_CAPACITY, path.bytes));
    EXPECT_STREQ("\"C:\\AOL30\\AOL.EXE\"", line.bytes);

    // "C:\" and "\AOL.EXE" take 11 characters and the quotes 2 more: a directory name of
    // 246 characters gives a 259-character command line, one more does not fit.
    const std::string longest = "AOL" + std::string(243, 'd');
    ASSERT_EQ(1, ClientPathFormat(path.bytes, LAUNCH_BUFFER_CAPACITY, longest.c_str()));
    ASSERT_EQ(1, ClientCommandFormat(line.bytes, LAUNCH_BUFFER_CAPACITY, path.bytes));
    EXPECT_EQ(LAUNCH_BUFFER_CAPACITY - 1, (int)strlen(line.bytes));
    EXPECT_EQ(0, ClientPathFormat(path.bytes, LAUNCH_BUFFER_CAPACITY, (longest + "d").c_str()));
    EXPECT_STREQ("", path.bytes);
    EXPECT_EQ(0,
              ClientPathFormat(path.bytes, LAUNCH_BUFFER_CAPACITY, std::string(400, 'd').c_str()));
    EXPECT_STREQ("", path.bytes);

    // A path longer than the launcher ever makes is refused, not cut.
    const std::string longPath(LAUNCH_BUFFER_CAPACITY - 2, 'p');
    EXPECT_EQ(0, ClientCommandFormat(line.bytes, LAUNCH_BUFFER_CAPACITY, longPath.c_str()));
    EXPECT_STREQ("", line.bytes);
    EXPECT_TRUE(path.GuardIntact());
    EXPECT_TRUE(line.GuardIntact());

    // Tiny buffers: nothing is written past them.
    char tiny[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(0, ClientPathFormat(tiny, 2, "A"));
    EXPECT_EQ('\0', tiny[0]);
    EXPECT_EQ('x', tiny[2]);
    EXPECT_EQ(0, ClientCommandFormat(tiny, 1, ""));
    EXPECT_EQ('x', tiny[2]);
}

} // namespace
