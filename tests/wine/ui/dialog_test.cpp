// Dialog services on real windows: trimmed control text, the dialog colour, centring.
#include "ui.h"
#include "ui_test_ids.h"

#include <gtest/gtest.h>
#include <string.h>

static INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return (INT_PTR)DialogCtlColor((HDC)wParam);
    default:
        return FALSE;
    }
}

struct DialogTest : ::testing::Test {
    HWND dialog = nullptr;
    void SetUp() override
    {
        dialog = CreateDialogA(GetModuleHandleA(nullptr), "UiTest", nullptr, TestDialogProc);
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override { DestroyWindow(dialog); }
};

struct TrimmedRow {
    const char *name;
    const char *controlText;
    int capacity;
    const char *expected;
};

static const TrimmedRow TRIMMED_ROWS[] = {
    {"blanks-both-sides", " \t Sunset Tour \x1f ", 80, "Sunset Tour"},
    // Bytes from 0x80 up are letters of the code page, never blanks.
    {"cafe-keeps-its-accent", "Caf\xe9 ", 80, "Caf\xe9"},
    {"elan-keeps-its-capital", " \xc9lan", 80, "\xc9lan"},
    {"no-break-space-stays", "\xa0Tour\xa0", 80, "\xa0Tour\xa0"},
    {"inner-blanks-stay", "a  b", 80, "a  b"},
    {"empty-control", "", 80, ""},
    {"blanks-only", "    ", 80, ""},
    {"cut-to-capacity", "abcdefgh", 6, "abcde"},
    {"cut-then-trimmed", "  abcdefgh", 6, "abc"},
    {"cut-at-a-blank", "abcd efgh", 6, "abcd"},
    {"capacity-one", "abc", 1, ""},
};

// The buffer has room beyond the capacity filled with a mark that must stay untouched.
TEST_F(DialogTest, TrimmedTextWithinCapacity)
{
    for (const TrimmedRow &row : TRIMMED_ROWS) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(SetDlgItemTextA(dialog, IDC_NAME, row.controlText));
        char buffer[96];
        memset(buffer, '#', sizeof buffer);
        GetDlgItemTextTrimmed(dialog, IDC_NAME, buffer, row.capacity);
        EXPECT_STREQ(buffer, row.expected);
        for (int i = row.capacity; i < (int)sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], '#') << "written at " << i;
    }
}

TEST_F(DialogTest, UnreadableControlGivesEmptyText)
{
    char buffer[16];
    memset(buffer, '#', sizeof buffer);
    GetDlgItemTextTrimmed(dialog, 999, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "");

    memset(buffer, '#', sizeof buffer);
    GetDlgItemTextTrimmed(dialog, IDC_NAME, buffer, 0);
    EXPECT_EQ(buffer[0], '#') << "no capacity, nothing written";
}

TEST_F(DialogTest, ColourMessagesAnswerWithTheDialogBrush)
{
    if (!DialogBrush)
        CreateDialogBrush();
    ASSERT_NE(DialogBrush, nullptr);
    LOGBRUSH brush;
    ASSERT_EQ(GetObjectA(DialogBrush, sizeof brush, &brush), (int)sizeof brush);
    EXPECT_EQ(brush.lbStyle, (UINT)BS_SOLID);
    EXPECT_EQ(brush.lbColor, GetSysColor(COLOR_ACTIVEBORDER));

    static const UINT MESSAGES[] = {WM_CTLCOLORDLG, WM_CTLCOLORBTN, WM_CTLCOLORSTATIC};
    HWND label = GetDlgItem(dialog, IDC_LABEL);
    for (UINT message : MESSAGES) {
        SCOPED_TRACE(message);
        HDC dc = GetDC(dialog);
        SetBkColor(dc, RGB(1, 2, 3));
        SetTextColor(dc, RGB(4, 5, 6));
        LRESULT answer = SendMessageA(dialog, message, (WPARAM)dc, (LPARAM)label);
        EXPECT_EQ((HBRUSH)answer, DialogBrush);
        EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_ACTIVEBORDER));
        EXPECT_EQ(GetTextColor(dc), RGB(4, 5, 6)) << "the text colour is left alone";
        ReleaseDC(dialog, dc);
    }
}

TEST_F(DialogTest, CentresTheDialog)
{
    RECT before;
    GetWindowRect(dialog, &before);
    CenterWindow(dialog);
    RECT after;
    GetWindowRect(dialog, &after);
    int width = before.right - before.left;
    int height = before.bottom - before.top;
    EXPECT_EQ(after.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(after.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    EXPECT_EQ(after.right - after.left, width);
    EXPECT_EQ(after.bottom - after.top, height);
}

struct CenterRow {
    const char *name;
    int width, height;
    int fromScreen; // width and height are added to the screen's size
};

// Windows smaller than, as large as and larger than the screen, with odd and even excess.
static const CenterRow CENTER_ROWS[] = {
    {"200-by-100", 200, 100, 0}, {"screen-sized", 0, 0, 1},    {"one-wider-than-screen", 1, 0, 1},
    {"three-taller", 0, 3, 1},   {"much-larger", 301, 200, 1},
};

// (screen - size) halved toward minus infinity: one pixel too wide gives -1, not 0.
static int Halved(int excess)
{
    return excess >= 0 ? excess / 2 : -((1 - excess) / 2);
}

TEST(CenterWindow, PopupWindows)
{
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    for (const CenterRow &row : CENTER_ROWS) {
        SCOPED_TRACE(row.name);
        int width = row.fromScreen ? screenWidth + row.width : row.width;
        int height = row.fromScreen ? screenHeight + row.height : row.height;
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 7, 9, width, height, nullptr,
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        CenterWindow(window);
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.left, Halved(screenWidth - width));
        EXPECT_EQ(rect.top, Halved(screenHeight - height));
        EXPECT_EQ(rect.right - rect.left, width);
        EXPECT_EQ(rect.bottom - rect.top, height);
        DestroyWindow(window);
    }
}

TEST(CenterWindow, OneTooWideGoesToMinusOne)
{
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, screenWidth + 1, 50, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    CenterWindow(window);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, -1);
    DestroyWindow(window);
}
