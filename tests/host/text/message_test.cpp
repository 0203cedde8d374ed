// The message slot: formatting, captions by severity, icons, clearing and ownership.
#include "message.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

struct Slot : ::testing::Test {
    MessageSlot slot = {};
    void TearDown() override { ClearMessage(&slot); }
};

struct FormatRow {
    const char *name;
    const char *format;
    const char *argument;
    const char *expected;
};

static const FormatRow FORMAT_ROWS[] = {
    {"no-format-is-percent-s", nullptr, "Disk full", "Disk full"},
    {"argument-inside", "Cannot open %s.", "C:\\X.SCR", "Cannot open C:\\X.SCR."},
    {"argument-at-start", "%s is missing", "MAINICON", "MAINICON is missing"},
    {"no-conversion", "Installed.", "ignored", "Installed."},
    {"empty-argument", "[%s]", "", "[]"},
    {"percent-percent", "100%% of %s", "it", "100% of it"},
    {"argument-holding-percent", "%s", "50%s %d", "50%s %d"},
    // Conversions that would read a missing argument are kept as written.
    {"second-percent-s-kept", "%s and %s", "one", "one and %s"},
    {"other-conversions-kept", "%d %x %n %s", "a", "%d %x %n a"},
    {"lone-percent-at-end", "%s 5%", "x", "x 5%"},
    {"missing-argument", "[%s]", nullptr, "[]"},
};

TEST_F(Slot, FormatTable)
{
    for (const FormatRow &row : FORMAT_ROWS) {
        SCOPED_TRACE(row.name);
        SetMessage(&slot, row.format, row.argument, SeverityError);
        EXPECT_STREQ(slot.text, row.expected);
    }
}

struct SeverityRow {
    int severity;
    const char *caption; // nullptr: none
    unsigned icon;
};

static const SeverityRow SEVERITY_ROWS[] = {
    {0, nullptr, 0x20}, {1, "Information", 0x40}, {2, "Warning", 0x30}, {3, "Error", 0x10},
    {4, "Bug", 0x10},   {5, nullptr, 0x20},       {7, nullptr, 0x20},   {-1, nullptr, 0x20},
};

TEST_F(Slot, CaptionAndIconBySeverity)
{
    for (const SeverityRow &row : SEVERITY_ROWS) {
        SCOPED_TRACE(row.severity);
        SetMessageCaption(&slot, "stale");
        SetMessage(&slot, nullptr, "x", row.severity);
        EXPECT_EQ(slot.severity, row.severity);
        if (row.caption)
            EXPECT_STREQ(slot.caption, row.caption);
        else
            EXPECT_EQ(slot.caption, nullptr);
        EXPECT_EQ(MessageIconStyle(row.severity), row.icon);
    }
}

TEST_F(Slot, CaptionCanBeReplacedAfterwards)
{
    SetMessage(&slot, nullptr, "Installed.", SeverityInformation);
    SetMessageCaption(&slot, "Success");
    EXPECT_STREQ(slot.caption, "Success");
    EXPECT_STREQ(slot.text, "Installed.");
    SetMessageCaption(&slot, nullptr);
    EXPECT_EQ(slot.caption, nullptr);
}

// The slot's own texts may be handed back in; they must be read before they are freed.
TEST_F(Slot, OwnTextAsArgumentAndCaption)
{
    SetMessage(&slot, nullptr, "inner", SeverityWarning);
    SetMessage(&slot, "outer(%s)", slot.text, SeverityWarning);
    EXPECT_STREQ(slot.text, "outer(inner)");
    SetMessage(&slot, slot.text, "ignored", SeverityWarning);
    EXPECT_STREQ(slot.text, "outer(inner)");
    SetMessageCaption(&slot, slot.caption);
    EXPECT_STREQ(slot.caption, "Warning");
}

TEST_F(Slot, TextIsAllocatedToFit)
{
    SetMessage(&slot, "<%s>", "abc", SeverityError);
    // Writing the whole of the text is within its allocation (the sanitizer checks).
    memset(slot.text, 'z', strlen(slot.text));
    EXPECT_EQ(strlen(slot.text), 5u);
}

TEST_F(Slot, ClearAndOwner)
{
    int window;
    slot.owner = &window;
    SetMessage(&slot, nullptr, "x", SeverityBug);
    ClearMessage(&slot);
    EXPECT_EQ(slot.severity, SeverityNone);
    EXPECT_EQ(slot.text, nullptr);
    EXPECT_EQ(slot.caption, nullptr);
    EXPECT_EQ(slot.owner, &window) << "clearing keeps the owner";

    int other;
    SetMessage(&slot, nullptr, "y", SeverityError);
    SetMessageOwner(&slot, &other);
    EXPECT_EQ(slot.owner, &other);
    EXPECT_EQ(slot.severity, SeverityNone);
    EXPECT_EQ(slot.text, nullptr);
    EXPECT_EQ(slot.caption, nullptr);
}
