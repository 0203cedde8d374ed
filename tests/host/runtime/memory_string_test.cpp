// The runtime's memory and string functions against the C library's, over generated inputs:
// every length from 0 up across word boundaries, every alignment, overlapping moves both ways.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>
#include <vector>

#include "runtime.h"

namespace
{

// A deterministic byte pattern that differs at every offset.
std::vector<unsigned char> Pattern(size_t size, unsigned seed)
{
    std::vector<unsigned char> bytes(size);
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; i++) {
        state = state * 1103515245u + 12345u;
        bytes[i] = (unsigned char)(state >> 16);
    }
    return bytes;
}

const size_t AREA = 96; // bytes worked on: lengths and offsets up to well past a word

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(RuntimeMemory, CopyAndSetMatchTheCLibraryAtEveryAlignmentAndLength)
{
    for (size_t from = 0; from < 9; from++)
        for (size_t to = 0; to < 9; to++)
            for (size_t length = 0; length + 9 < AREA; length++) {
                std::vector<unsigned char> source = Pattern(AREA, (unsigned)(from + length));
                std::vector<unsigned char> mine = Pattern(AREA, 7), theirs = mine;
                EXPECT_EQ(Runtime_memcpy(mine.data() + to, source.data() + from, length),
                          mine.data() + to);
                memcpy(theirs.data() + to, source.data() + from, length);
                ASSERT_EQ(mine, theirs) << "memcpy from " << from << " to " << to << " length "
                                        << length;

                EXPECT_EQ(Runtime_memset(mine.data() + to, (int)(0x100 + from), length),
                          mine.data() + to);
                memset(theirs.data() + to, (int)(0x100 + from), length);
                ASSERT_EQ(mine, theirs) << "memset at " << to << " length " << length;
            }
}

TEST(RuntimeMemory, MoveHandlesOverlapInBothDirections)
{
    for (size_t from = 0; from < 40; from++)
        for (size_t to = 0; to < 40; to++)
            for (size_t length = 0; length + 40 <= AREA; length += 3) {
                std::vector<unsigned char> mine = Pattern(AREA, (unsigned)length), theirs = mine;
                EXPECT_EQ(Runtime_memmove(mine.data() + to, mine.data() + from, length),
                          mine.data() + to);
                memmove(theirs.data() + to, theirs.data() + from, length);
                ASSERT_EQ(mine, theirs) << "memmove from " << from << " to " << to << " length "
                                        << length;
            }
}

TEST(RuntimeMemory, CompareAndSearchMatchTheCLibrary)
{
    std::vector<unsigned char> a = Pattern(AREA, 3);
    for (size_t length = 0; length < AREA; length++)
        for (size_t change = 0; change < AREA; change += 5) {
            std::vector<unsigned char> b = a;
            b[change] = (unsigned char)(b[change] + 0x80); // bytes above 127 compare unsigned
            EXPECT_EQ(Sign(Runtime_memcmp(a.data(), b.data(), length)),
                      Sign(memcmp(a.data(), b.data(), length)))
                << "length " << length << " change at " << change;
            EXPECT_EQ(Runtime_memchr(a.data(), b[change], length),
                      memchr(a.data(), b[change], length));
            EXPECT_EQ(Runtime_memchr(a.data(), a[change] + 0x100, length),
                      memchr(a.data(), a[change] + 0x100, length));
        }
}

struct StringCase {
    const char *text;
    const char *other;
};

const StringCase STRING_CASES[] = {
    {"", ""},
    {"", "a"},
    {"a", ""},
    {"Software\\Halvorne", "\\"},
    {"A.B.SCR", "."},
    {"abcabc", "ca"},
    {"abc", "abcd"},
    {"abcd", "abc"},
    {"\xE9t\xE9", "\xE9"},
    {"\xE9", "e"},
    {"path with no match", "xyz"},
    {"http://example/ %1 x", " %1"},
};

TEST(RuntimeString, FunctionsMatchTheCLibrary)
{
    for (const StringCase &row : STRING_CASES) {
        SCOPED_TRACE(row.text);
        const char *t = row.text;
        const char *o = row.other;
        EXPECT_EQ(Runtime_strlen(t), strlen(t));
        EXPECT_EQ(Runtime_strcspn(t, o), strcspn(t, o));
        EXPECT_EQ(Runtime_strstr(t, o), strstr(t, o));
        const int characters[] = {0, (int)(unsigned char)o[0], 'x', 0x1E9};
        for (int c : characters) {
            EXPECT_EQ(Runtime_strchr(t, c), strchr(t, c)) << c;
            EXPECT_EQ(Runtime_strrchr(t, c), strrchr(t, c)) << c;
        }
        char mine[64] = "start:", theirs[64] = "start:";
        EXPECT_EQ(Runtime_strcat(mine, t), mine);
        strcat(theirs, t);
        EXPECT_STREQ(mine, theirs);
        EXPECT_EQ(Runtime_strcpy(mine, o), mine);
        EXPECT_STREQ(mine, o);
    }
}

} // namespace
