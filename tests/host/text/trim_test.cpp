// Blanks, trimming and the saver-name rule.
#include "message.h"
#include "text.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

TEST(IsBlank, ControlsSpaceAndHighBytesButNotNul)
{
    EXPECT_FALSE(IsBlank('\0'));
    for (int code = 1; code <= 32; ++code)
        EXPECT_TRUE(IsBlank((char)code)) << code;
    for (int code = 33; code <= 127; ++code)
        EXPECT_FALSE(IsBlank((char)code)) << code;
    for (int code = 0x80; code <= 0xFF; ++code)
        EXPECT_TRUE(IsBlank((char)code)) << code;
}

struct TrimRow {
    const char *name;
    const char *input;
    const char *trailingOnly; // after TrimTrailingBlanks
    const char *both;         // after TrimBlanks
    int bothResult;
};

static const TrimRow TRIM_ROWS[] = {
    {"empty", "", "", "", -1},
    {"blanks-only", " \t\r\n \x1f\x01", "", "", -1},
    {"delete-is-not-blank", " \x7f ", " \x7f", "\x7f", 0},
    {"no-blanks", "abc", "abc", "abc", 2},
    {"tab-ab-space-de-space", "\tab de ", "\tab de", "ab de", 4},
    {"inner-blanks-stay", "  a \t b  ", "  a \t b", "a \t b", 4},
    {"high-byte-trailing", "caf\xe9", "caf", "caf", 2},
    {"high-byte-leading", "\xe9t\xe9 x", "\xe9t\xe9 x", "t\xe9 x", 3},
    {"high-bytes-only", "\x80\xff\xa0", "", "", -1},
    {"single-char", "  x  ", "  x", "x", 0},
};

TEST(Trim, Table)
{
    for (const TrimRow &row : TRIM_ROWS) {
        SCOPED_TRACE(row.name);
        std::string trailing = row.input;
        int trailingResult = TrimTrailingBlanks(&trailing[0]);
        EXPECT_STREQ(trailing.c_str(), row.trailingOnly);
        EXPECT_EQ(trailingResult, (int)strlen(row.trailingOnly) - 1);

        // Exactly sized heap copy, so the sanitizer sees any access past the NUL.
        char *both = strdup(row.input);
        EXPECT_EQ(TrimBlanks(both), row.bothResult);
        EXPECT_STREQ(both, row.both);
        free(both);
    }
}

// A dialog field loses only the control characters and the space: a letter of the code page
// from 0x80 up stays where it is, so the name rule sees the name as typed.
TEST(TrimFieldBlanks, Table)
{
    EXPECT_FALSE(IsFieldBlank('\0'));
    for (int code = 1; code <= 255; ++code)
        EXPECT_EQ(IsFieldBlank((char)code), code <= 32) << code;
    static const struct {
        const char *name;
        const char *input;
        const char *trimmed;
        int result;
    } rows[] = {
        {"cafe", "Caf\xe9", "Caf\xe9", 3},
        {"elan", "\xc9lan", "\xc9lan", 3},
        {"blanks-around-accents", " \t\xe9t\xe9\r\n", "\xe9t\xe9", 2},
        {"high-bytes-only", "\x80\xff\xa0", "\x80\xff\xa0", 2},
        {"controls-only", "\x01\x1f ", "", -1},
        {"empty", "", "", -1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        char *text = strdup(row.input);
        EXPECT_EQ(TrimFieldBlanks(text), row.result);
        EXPECT_STREQ(text, row.trimmed);
        free(text);
    }
}

struct NameRow {
    const char *name;
    const char *saverName;
    const char *message; // nullptr when the name is accepted
};

static const char NO_NAME[] = "No Screen Saver's Name";
static const char BAD_CHARACTER[] = "The screen saver's name can only contain\n"
                                    "letters, digits, underscores, and spaces.";

static const NameRow NAME_ROWS[] = {
    {"letters-digits-underscore-space", "My Saver_2", nullptr},
    {"all-classes", "AZaz09_ ", nullptr},
    {"single-letter", "x", nullptr},
    {"empty", "", NO_NAME},
    {"hyphen", "My-Saver", BAD_CHARACTER},
    {"dot", "My.Saver", BAD_CHARACTER},
    {"backslash", "My\\Saver", BAD_CHARACTER},
    {"accented-letter", "Caf\xe9 Saver", BAD_CHARACTER},
    {"tab", "My\tSaver", BAD_CHARACTER},
    {"bracket-after-Z", "Saver[", BAD_CHARACTER},
    {"at-before-A", "@Saver", BAD_CHARACTER},
    {"backquote-before-a", "Saver`", BAD_CHARACTER},
    // Names of devices: "NUL.scr" is no file.
    {"device-nul", "NUL", BAD_CHARACTER},
    {"device-con-mixed-case", "cOn", BAD_CHARACTER},
    {"device-prn", "prn", BAD_CHARACTER},
    {"device-aux-trailing-blanks", "AUX  ", BAD_CHARACTER},
    {"device-com1", "COM1", BAD_CHARACTER},
    {"device-lpt9-lower-case", "lpt9", BAD_CHARACTER},
    {"device-com9-trailing-blank", "Com9 ", BAD_CHARACTER},
    {"com0-is-a-name", "COM0", nullptr},
    {"com10-is-a-name", "COM10", nullptr},
    {"nul-longer-is-a-name", "NULL", nullptr},
    {"nul-in-a-longer-name", "NUL Saver", nullptr},
    {"device-con-leading-blank", " CON", BAD_CHARACTER},
};

TEST(ValidateSaverName, Table)
{
    for (const NameRow &row : NAME_ROWS) {
        SCOPED_TRACE(row.name);
        // A message already pending must survive an accepted name.
        SetMessage(&AppMessage, nullptr, "earlier", SeverityWarning);
        int faulty = ValidateSaverName(row.saverName);
        if (row.message == nullptr) {
            EXPECT_EQ(faulty, 0);
            EXPECT_STREQ(AppMessage.text, "earlier");
            EXPECT_EQ(AppMessage.severity, SeverityWarning);
        } else {
            EXPECT_NE(faulty, 0);
            EXPECT_STREQ(AppMessage.text, row.message);
            EXPECT_EQ(AppMessage.severity, SeverityError);
            EXPECT_STREQ(AppMessage.caption, "Error");
        }
    }
    ClearMessage(&AppMessage);
}
