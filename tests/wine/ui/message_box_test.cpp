// DisplayMessage shows a real message box with the slot's caption, text, icon and owner.
#include "message.h"
#include "text.h"
#include "watcher.h"

#include <gtest/gtest.h>
#include <windows.h>

struct SeenBox {
    char caption[256];
    char text[512];
    HICON icon;
    HWND owner;
};

static BOOL CALLBACK FindIcon(HWND child, LPARAM parameter)
{
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
        return TRUE;
    *(HICON *)parameter = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
    return FALSE;
}

// Reads the box (the text is the static control 0xFFFF) and presses OK.
static void ReadAndClose(HWND box, void *context)
{
    SeenBox *seen = (SeenBox *)context;
    GetWindowTextA(box, seen->caption, sizeof seen->caption);
    GetDlgItemTextA(box, 0xFFFF, seen->text, sizeof seen->text);
    EnumChildWindows(box, FindIcon, (LPARAM)&seen->icon);
    seen->owner = GetWindow(box, GW_OWNER);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

struct MessageBoxTest : ::testing::Test {
    MessageSlot slot = {};
    HWND owner = nullptr;
    SeenBox seen = {};

    void SetUp() override
    {
        owner = CreateWindowExA(0, "STATIC", "Owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override
    {
        ClearMessage(&slot);
        DestroyWindow(owner);
    }
    // DisplayMessage with a watcher; whether a box appeared.
    int Display(MessageSlot *shown, int *result)
    {
        Watch watch;
        seen = SeenBox();
        WatchStart(&watch, nullptr, ReadAndClose, &seen);
        *result = DisplayMessage(shown);
        return WatchFinish(&watch);
    }
};

struct BoxRow {
    const char *name;
    int severity;
    const char *format;
    const char *argument;
    const char *captionAfter; // passed to SetMessageCaption afterwards, nullptr: not called
    const char *caption;      // expected title
    const char *text;         // expected text
    LPCSTR icon;              // expected system icon
};

static const BoxRow BOX_ROWS[] = {
    {"information-then-success", 1, "Installed %s.", "Sunset Tour", "Success", "Success",
     "Installed Sunset Tour.", IDI_ASTERISK},
    {"warning", 2, nullptr, "Careful", nullptr, "Warning", "Careful", IDI_EXCLAMATION},
    {"error", 3, "Cannot open %s", "C:\\X.SCR", nullptr, "Error", "Cannot open C:\\X.SCR",
     IDI_HAND},
    {"bug", 4, nullptr, "Damaged", nullptr, "Bug", "Damaged", IDI_HAND},
    {"unknown-severity-empty-title", 7, nullptr, "Odd", nullptr, "", "Odd", IDI_QUESTION},
    {"two-lines", 3, nullptr, "first\nsecond", "Cannot Install", "Cannot Install", "first\nsecond",
     IDI_HAND},
};

TEST_F(MessageBoxTest, CaptionTextIconAndOwner)
{
    for (const BoxRow &row : BOX_ROWS) {
        SCOPED_TRACE(row.name);
        SetMessageOwner(&slot, owner);
        SetMessage(&slot, row.format, row.argument, row.severity);
        if (row.captionAfter)
            SetMessageCaption(&slot, row.captionAfter);
        int result = 0;
        ASSERT_TRUE(Display(&slot, &result));
        EXPECT_EQ(result, IDOK);
        EXPECT_STREQ(seen.caption, row.caption);
        EXPECT_STREQ(seen.text, row.text);
        EXPECT_EQ(seen.icon, LoadIconA(nullptr, row.icon));
        EXPECT_EQ(seen.owner, owner);
        // The dialog reads the slot after the box has closed.
        EXPECT_EQ(slot.severity, row.severity);
        EXPECT_STREQ(slot.text, row.text);
    }
}

TEST_F(MessageBoxTest, NameRuleMessageWithoutOwner)
{
    ASSERT_NE(ValidateSaverName("My-Saver"), 0);
    int result = 0;
    ASSERT_TRUE(Display(&AppMessage, &result));
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(seen.caption, "Error");
    EXPECT_STREQ(seen.text,
                 "The screen saver's name can only contain\nletters, digits, underscores, and "
                 "spaces.");
    EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_HAND));
    EXPECT_EQ(seen.owner, nullptr);
    ClearMessage(&AppMessage);
}

TEST_F(MessageBoxTest, NothingShownOnceCleared)
{
    SetMessage(&slot, nullptr, "pending", SeverityError);
    SetMessageOwner(&slot, owner);
    int result = -1;
    EXPECT_FALSE(Display(&slot, &result));
    EXPECT_EQ(result, 0);

    SetMessage(&slot, nullptr, "pending", SeverityWarning);
    ClearMessage(&slot);
    EXPECT_FALSE(Display(&slot, &result));
    EXPECT_EQ(result, 0);
}
