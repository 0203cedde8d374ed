// BrowseForBitmap against the real Open dialog, driven from a second thread.
#include "text.h"
#include "ui.h"
#include "ui_test_ids.h"
#include "watcher.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

static const char TITLE[] = "Choose Test Bitmap";
static const int FILE_NAME_COMBO = 0x47C; // cmb13, the file name field of the Open dialog
static const int FILE_NAME_EDIT = 0x480;  // edt1, the same in older templates

struct Chooser {
    const char *answer; // path typed in, nullptr to cancel
    char initial[PATH_CAPACITY];
};

static HWND FileNameField(HWND dialog)
{
    HWND field = GetDlgItem(dialog, FILE_NAME_COMBO);
    return field ? field : GetDlgItem(dialog, FILE_NAME_EDIT);
}

// Notes the name the dialog opened with, then types the answer and presses OK (or Cancel).
static void Choose(HWND dialog, void *context)
{
    Chooser *chooser = (Chooser *)context;
    HWND field = FileNameField(dialog);
    GetWindowTextA(field, chooser->initial, sizeof chooser->initial);
    if (chooser->answer == nullptr) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    SetWindowTextA(field, chooser->answer);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, IDOK));
}

static INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

struct BrowseTest : ::testing::Test {
    HWND dialog = nullptr;
    char picture[MAX_PATH];

    void SetUp() override
    {
        dialog = CreateDialogA(GetModuleHandleA(nullptr), "UiTest", nullptr, PlainDialogProc);
        ASSERT_NE(dialog, nullptr);
        char folder[MAX_PATH];
        ASSERT_NE(GetTempPathA(sizeof folder, folder), 0u);
        lstrcpyA(picture, folder);
        lstrcatA(picture, "browse_test.bmp");
        HANDLE file = CreateFileA(picture, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    void TearDown() override
    {
        DestroyWindow(dialog);
        DeleteFileA(picture);
    }

    BOOL Browse(int editId, int singleField, Chooser *chooser)
    {
        Watch watch;
        WatchStart(&watch, TITLE, Choose, chooser);
        BOOL chosen = BrowseForBitmap(dialog, editId, singleField, TITLE);
        EXPECT_TRUE(WatchFinish(&watch)) << "the Open dialog did not appear";
        return chosen;
    }
    std::string Text(int id)
    {
        char text[BROWSE_LIST_CAPACITY + 100];
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }
    int Modified(int id) { return (int)SendDlgItemMessageA(dialog, id, EM_GETMODIFY, 0, 0); }
};

TEST_F(BrowseTest, SingleFieldStartsFromTrimmedTextAndTakesTheChoice)
{
    SetDlgItemTextA(dialog, IDC_NAME, "  old.bmp \t");
    SendDlgItemMessageA(dialog, IDC_NAME, EM_SETMODIFY, FALSE, 0);
    Chooser chooser = {picture, ""};
    EXPECT_TRUE(Browse(IDC_NAME, 1, &chooser));
    EXPECT_STREQ(chooser.initial, "old.bmp");
    EXPECT_EQ(Text(IDC_NAME), picture);
    EXPECT_TRUE(Modified(IDC_NAME));
}

TEST_F(BrowseTest, CancelLeavesTheControlAlone)
{
    SetDlgItemTextA(dialog, IDC_NAME, "keep.bmp");
    SendDlgItemMessageA(dialog, IDC_NAME, EM_SETMODIFY, FALSE, 0);
    Chooser chooser = {nullptr, ""};
    EXPECT_FALSE(Browse(IDC_NAME, 1, &chooser));
    EXPECT_EQ(Text(IDC_NAME), "keep.bmp");
    EXPECT_FALSE(Modified(IDC_NAME));
}

// The list is then scrolled down by its line count less 4, so the last lines stay in view.
TEST_F(BrowseTest, ListAppendsALineAndScrolls)
{
    struct Row {
        const char *name;
        const char *before;
        std::string after;
        int firstVisibleLine;
    };
    const Row rows[] = {
        {"empty-list", "", picture, 0},
        {"after-two-lines", "first\r\nsecond", std::string("first\r\nsecond\r\n") + picture, 0},
        {"after-eight-lines", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8",
         std::string("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n") + picture, 5},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SetDlgItemTextA(dialog, IDC_LIST, row.before);
        SendDlgItemMessageA(dialog, IDC_LIST, EM_SETMODIFY, FALSE, 0);
        Chooser chooser = {picture, "x"};
        EXPECT_TRUE(Browse(IDC_LIST, 0, &chooser));
        EXPECT_STREQ(chooser.initial, "") << "a list starts the dialog without a name";
        EXPECT_EQ(Text(IDC_LIST), row.after);
        EXPECT_TRUE(Modified(IDC_LIST));
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_LIST, EM_GETFIRSTVISIBLELINE, 0, 0),
                  row.firstVisibleLine);
    }
}

// The old text, the new path and CR, LF and NUL must fit in the list's 8000 characters;
// otherwise the old text stays whole and only the modified mark is set.
TEST_F(BrowseTest, ListKeepsWithinItsCapacity)
{
    const size_t pathLength = strlen(picture);
    const size_t fits = BROWSE_LIST_CAPACITY - 3 - pathLength;
    struct Row {
        const char *name;
        size_t oldLength;
        int appended;
    };
    const Row rows[] = {
        {"exactly-fits", fits, 1},
        {"one-too-many", fits + 1, 0},
        {"old-text-beyond-capacity", BROWSE_LIST_CAPACITY + 50, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string old(row.oldLength, 'o');
        SetDlgItemTextA(dialog, IDC_LIST, old.c_str());
        ASSERT_EQ((size_t)GetWindowTextLengthA(GetDlgItem(dialog, IDC_LIST)), row.oldLength);
        SendDlgItemMessageA(dialog, IDC_LIST, EM_SETMODIFY, FALSE, 0);
        Chooser chooser = {picture, ""};
        EXPECT_TRUE(Browse(IDC_LIST, 0, &chooser));
        // Compared whole but reported by length: the texts run to thousands of characters.
        std::string expected = row.appended ? old + "\r\n" + picture : old;
        std::string text = Text(IDC_LIST);
        EXPECT_TRUE(text == expected)
            << "length " << text.size() << ", expected " << expected.size();
        EXPECT_TRUE(Modified(IDC_LIST));
    }
}
