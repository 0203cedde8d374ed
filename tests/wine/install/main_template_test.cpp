// The installer's "Main" dialog as linked into the program, made from its template and looked at
// as its user sees it, and the file icon.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "dialog_view.h"
#include "setup_ids.h"

// The "Main" dialog as a user meets it: the preview on top, the name field beside its label
// under it, the three buttons in a row at the bottom, Install the default, and Tab going
// through the buttons and then the name field.
TEST(MainTemplate, AsTheUserSeesIt)
{
    WNDCLASSA picture = {};
    picture.lpfnWndProc = DefWindowProcA;
    picture.hInstance = GetModuleHandleA(nullptr);
    picture.lpszClassName = "MainGraphic";
    RegisterClassA(&picture);
    HWND dialog = DialogViewCreate("Main");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), "Setup");
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU) << "the close box";
    EXPECT_FALSE(style & WS_THICKFRAME) << "a fixed size";

    HWND install = ControlByText(dialog, "Install");
    HWND uninstall = ControlByText(dialog, "Uninstall");
    HWND cancel = ControlByText(dialog, "Cancel");
    HWND label = ControlByText(dialog, "Screen Saver's Name:");
    HWND name = GetDlgItem(dialog, IDC_NAME);
    HWND preview = FindWindowExA(dialog, nullptr, "MainGraphic", nullptr);
    ASSERT_TRUE(install && uninstall && cancel && label && name && preview);
    EXPECT_EQ(GetDlgCtrlID(install), IDC_INSTALL);
    EXPECT_EQ(GetDlgCtrlID(uninstall), IDC_UNINSTALL);
    EXPECT_EQ(GetDlgCtrlID(cancel), IDCANCEL);
    EXPECT_EQ(WindowText(name), "");

    RECT client;
    GetClientRect(dialog, &client);
    const RECT buttons[3] = {ControlRect(install), ControlRect(uninstall), ControlRect(cancel)};
    const RECT labelRect = ControlRect(label), nameRect = ControlRect(name);
    const RECT previewRect = ControlRect(preview);
    for (const RECT &r : {buttons[0], buttons[1], buttons[2], labelRect, nameRect, previewRect})
        EXPECT_TRUE(Inside(r, client));
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(buttons[i].top, buttons[i + 1].top) << "one row";
        EXPECT_TRUE(LeftOf(buttons[i], buttons[i + 1]));
        EXPECT_EQ(buttons[i].right - buttons[i].left, buttons[i + 1].right - buttons[i + 1].left);
    }
    EXPECT_TRUE(Above(nameRect, buttons[0]));
    EXPECT_TRUE(LeftOf(labelRect, nameRect));
    EXPECT_TRUE(RowsOverlap(labelRect, nameRect)) << "the label names the field beside it";
    EXPECT_TRUE(Above(previewRect, labelRect));
    EXPECT_TRUE(Above(previewRect, nameRect));
    EXPECT_GT(previewRect.right - previewRect.left, previewRect.bottom - previewRect.top)
        << "a landscape preview";

    EXPECT_EQ(DefaultButton(dialog), IDC_INSTALL);
    EXPECT_EQ(TabOrder(dialog), (std::vector<int>{IDC_INSTALL, IDC_UNINSTALL, IDCANCEL, IDC_NAME}));
    DestroyWindow(dialog);
}

TEST(MainTemplate, CarriesOneSixteenColourIcon)
{
    HRSRC group = FindResourceA(nullptr, "MAINICON", (LPCSTR)RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const BYTE *directory = (const BYTE *)LockResource(LoadResource(nullptr, group));
    EXPECT_EQ(directory[4] | directory[5] << 8, 1); // one image
    const BYTE *entry = directory + 6;
    EXPECT_EQ(entry[0], 32);                // width
    EXPECT_EQ(entry[1], 32);                // height
    EXPECT_EQ(entry[2], 16);                // colours
    EXPECT_EQ(entry[6] | entry[7] << 8, 4); // bits per pixel
}
