// The "Config" and "ChangePwd" dialogs made from this program's resources and looked at as their
// user sees them: the captions and texts, each scroll bar on its row between the words for its
// two ends, the buttons below, the default button and the order Tab visits.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "dialog_view.h"
#include "resource.h"

namespace
{

TEST(SettingsTemplates, Config)
{
    HWND dialog = DialogViewCreate("Config");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), "Settings");
    RECT client;
    GetClientRect(dialog, &client);

    // Each row: its name, the low end, the bar, the high end, left to right.
    struct Row {
        const char *name, *low, *high;
        int nth; // which of the controls with that end's text
        int bar;
    } rows[] = {
        {"Intensity", "Dark", "Bright", 0, IDC_INTENSITY},
        {"Fade Time", "Short", "Long", 0, IDC_FADE_TIME},
        {"Sustain Time", "Short", "Long", 1, IDC_SUSTAIN},
    };
    RECT previous = {0, 0, 0, 0};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        HWND name = ControlByText(dialog, row.name);
        HWND low = ControlByText(dialog, row.low, row.nth);
        HWND bar = GetDlgItem(dialog, row.bar);
        HWND high = ControlByText(dialog, row.high, row.nth);
        ASSERT_TRUE(name && low && bar && high);
        const RECT n = ControlRect(name), l = ControlRect(low), b = ControlRect(bar),
                   h = ControlRect(high);
        EXPECT_TRUE(LeftOf(n, l) && LeftOf(l, b) && LeftOf(b, h));
        EXPECT_TRUE(RowsOverlap(n, b) && RowsOverlap(l, b) && RowsOverlap(h, b));
        EXPECT_TRUE(Inside(n, client) && Inside(h, client));
        EXPECT_FALSE(GetWindowLongA(bar, GWL_STYLE) & SBS_VERT) << "a horizontal bar";
        EXPECT_TRUE(Above(previous, b)) << "rows run top to bottom in this order";
        previous = b;
    }

    const int buttons[] = {IDOK, IDCANCEL, IDC_RESET};
    const char *texts[] = {"OK", "Cancel", "Reset"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(texts[i]);
        HWND button = GetDlgItem(dialog, buttons[i]);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(WindowText(button), texts[i]);
        EXPECT_TRUE(Above(previous, ControlRect(button))) << "below the bars";
        EXPECT_TRUE(Inside(ControlRect(button), client));
        if (i > 0) {
            RECT left = ControlRect(GetDlgItem(dialog, buttons[i - 1]));
            EXPECT_TRUE(LeftOf(left, ControlRect(button)));
            EXPECT_EQ(left.top, ControlRect(button).top);
        }
    }
    EXPECT_EQ(DefaultButton(dialog), IDOK);
    EXPECT_EQ(TabOrder(dialog), (std::vector<int>{IDOK, IDCANCEL, IDC_RESET}));
    DestroyWindow(dialog);
}

TEST(SettingsTemplates, ChangePwd)
{
    HWND dialog = DialogViewCreate("ChangePwd");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), "Change Password");
    HWND text = ControlByText(dialog, "This screen saver does\nnot support passwords.");
    HWND ok = GetDlgItem(dialog, IDOK);
    ASSERT_TRUE(text && ok);
    EXPECT_EQ(WindowText(ok), "OK");
    EXPECT_TRUE(Above(ControlRect(text), ControlRect(ok)));
    EXPECT_EQ(DefaultButton(dialog), IDOK);
    EXPECT_EQ(TabOrder(dialog), (std::vector<int>{IDOK}));
    DestroyWindow(dialog);
}

// The file icon is there for the shell; the code never loads it.
TEST(SettingsTemplates, IconGroup)
{
    EXPECT_NE(nullptr, FindResourceA(nullptr, "MAINICON", (LPCSTR)RT_GROUP_ICON));
}

} // namespace
