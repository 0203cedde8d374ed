// The Settings and Change Password dialogs, from the engine's own templates, driven with
// scroll and command messages inside their real modal loops.
#include <gtest/gtest.h>

#include <string.h>

#include "engine.h"
#include "resource.h"
#include "settings_fixture.h"
#include "ui.h"

namespace
{

// Runs a dialog modally; once its loop runs, drive() gets the dialog and must end it.
typedef void (*DialogDriver)(HWND dialog);
DialogDriver pendingDriver;
const char *pendingCaption;

void CALLBACK DriveTimer(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowA("#32770", pendingCaption);
    if (dialog == nullptr)
        return; // not open yet: try on the next tick
    KillTimer(nullptr, timer);
    pendingDriver(dialog);
}

INT_PTR RunDialog(const char *templateName, DLGPROC procedure, const char *caption,
                  DialogDriver drive)
{
    pendingDriver = drive;
    pendingCaption = caption;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, DriveTimer);
    INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), templateName, nullptr, procedure, 0);
    KillTimer(nullptr, timer);
    return result;
}

HWND Bar(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}
int Position(HWND dialog, int id)
{
    return GetScrollPos(Bar(dialog, id), SB_CTL);
}

void Scroll(HWND dialog, int id, unsigned code, unsigned thumb = 0)
{
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(code, thumb), (LPARAM)Bar(dialog, id));
}

void Command(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void ExpectStored(int32_t intensity, int32_t fadeTime, int32_t sustainTime)
{
    DWORD type = REG_NONE;
    std::vector<uint8_t> bytes;
    ASSERT_EQ(1, ConfigurationRead(&type, &bytes));
    EXPECT_EQ((DWORD)REG_BINARY, type);
    EXPECT_EQ(Image(intensity, fadeTime, sustainTime), bytes);
}

class SettingsDialog : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (DialogBrush == nullptr)
            DialogBrush = CreateDialogBrush();
        SettingsKeyDelete();
        SetDefaultSettings(&Settings);
    }
    void TearDown() override { SettingsKeyDelete(); }
};

TEST_F(SettingsDialog, OpensOnTheRecordAndCancelKeepsEverything)
{
    Settings = {123, 345, 7000};
    INT_PTR result = RunDialog("Config", ConfigDlg, "Settings", [](HWND dialog) {
        const struct {
            int id;
            int minimum, maximum, position;
        } bars[] = {{IDC_INTENSITY, 50, 256, 123},
                    {IDC_FADE_TIME, 50, 500, 345},
                    {IDC_SUSTAIN, 1000, SUSTAIN_MAXIMUM, 7000}};
        for (const auto &bar : bars) {
            SCOPED_TRACE(bar.id);
            int minimum = -1, maximum = -1;
            GetScrollRange(Bar(dialog, bar.id), SB_CTL, &minimum, &maximum);
            EXPECT_EQ(bar.minimum, minimum);
            EXPECT_EQ(bar.maximum, maximum);
            EXPECT_EQ(bar.position, Position(dialog, bar.id));
        }
        // Opens where the template puts it (the client area at 25, 35), not centred.
        RECT expected = {25, 35, 0, 0};
        MapDialogRect(dialog, &expected);
        POINT origin = {0, 0};
        ClientToScreen(dialog, &origin);
        EXPECT_EQ(expected.left, origin.x);
        EXPECT_EQ(expected.top, origin.y);

        Scroll(dialog, IDC_INTENSITY, SB_LINELEFT);
        Command(dialog, IDCANCEL);
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(123, Settings.intensity);
    EXPECT_EQ(345, Settings.fadeTime);
    EXPECT_EQ(7000, Settings.sustainTime);
    DWORD type;
    std::vector<uint8_t> bytes;
    EXPECT_EQ(0, ConfigurationRead(&type, &bytes)); // nothing written
}

TEST_F(SettingsDialog, ScrollThenOkSavesTheWorkingValues)
{
    INT_PTR result = RunDialog("Config", ConfigDlg, "Settings", [](HWND dialog) {
        for (int i = 0; i < 22; i++)
            Scroll(dialog, IDC_INTENSITY, SB_LINELEFT);
        EXPECT_EQ(50, Position(dialog, IDC_INTENSITY));
        Scroll(dialog, IDC_INTENSITY, SB_PAGERIGHT);
        EXPECT_EQ(60, Position(dialog, IDC_INTENSITY));

        Scroll(dialog, IDC_FADE_TIME, SB_THUMBTRACK, 400); // dragging changes nothing
        EXPECT_EQ(200, Position(dialog, IDC_FADE_TIME));
        Scroll(dialog, IDC_FADE_TIME, SB_THUMBPOSITION, 123);
        Scroll(dialog, IDC_FADE_TIME, SB_LINERIGHT);
        EXPECT_EQ(145, Position(dialog, IDC_FADE_TIME));
        Scroll(dialog, IDC_FADE_TIME, SB_RIGHT); // End on a focused bar does nothing
        Scroll(dialog, IDC_FADE_TIME, SB_LEFT);
        EXPECT_EQ(145, Position(dialog, IDC_FADE_TIME));

        Scroll(dialog, IDC_SUSTAIN, SB_PAGELEFT);
        EXPECT_EQ(6000 - SUSTAIN_STEP, Position(dialog, IDC_SUSTAIN));
        // A scroll message from a window that is none of the bars changes nothing.
        SendMessageA(dialog, WM_HSCROLL, SB_LINELEFT, (LPARAM)GetDlgItem(dialog, IDOK));
        SendMessageA(dialog, WM_HSCROLL, SB_LINELEFT, 0);
        EXPECT_EQ(60, Position(dialog, IDC_INTENSITY));
        EXPECT_EQ(6000 - SUSTAIN_STEP, Position(dialog, IDC_SUSTAIN));

        DWORD type;
        std::vector<uint8_t> bytes;
        EXPECT_EQ(0, ConfigurationRead(&type, &bytes)); // nothing stored before OK
        Command(dialog, IDOK);
    });
    EXPECT_EQ(0, result);
    ExpectStored(60, 145, 6000 - SUSTAIN_STEP);
    EXPECT_EQ(60, Settings.intensity);
    EXPECT_EQ(145, Settings.fadeTime);
    EXPECT_EQ(6000 - SUSTAIN_STEP, Settings.sustainTime);
}

TEST_F(SettingsDialog, SustainClampsAtTheBuildMaximum)
{
    Settings.sustainTime = SUSTAIN_MAXIMUM - 100;
    RunDialog("Config", ConfigDlg, "Settings", [](HWND dialog) {
        Scroll(dialog, IDC_SUSTAIN, SB_LINERIGHT);
        EXPECT_EQ(SUSTAIN_MAXIMUM, Position(dialog, IDC_SUSTAIN));
        Scroll(dialog, IDC_SUSTAIN, SB_THUMBPOSITION, 0xFFFF);
        EXPECT_EQ(SUSTAIN_MAXIMUM, Position(dialog, IDC_SUSTAIN));
        Command(dialog, IDOK);
    });
    ExpectStored(256, 200, SUSTAIN_MAXIMUM);
}

TEST_F(SettingsDialog, ResetStoresDefaultsAtOnceAndCancelKeepsThem)
{
    ConfigurationWrite(REG_BINARY, Image(100, 100, 2000));
    LoadSettings(&Settings);
    ASSERT_EQ(100, Settings.intensity);
    RunDialog("Config", ConfigDlg, "Settings", [](HWND dialog) {
        EXPECT_EQ(100, Position(dialog, IDC_INTENSITY));
        Scroll(dialog, IDC_FADE_TIME, SB_LINERIGHT);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_RESET, BN_CLICKED), 0);
        EXPECT_TRUE(IsWindowVisible(dialog)); // Reset keeps the dialog open
        EXPECT_EQ(256, Position(dialog, IDC_INTENSITY));
        EXPECT_EQ(200, Position(dialog, IDC_FADE_TIME));
        EXPECT_EQ(6000, Position(dialog, IDC_SUSTAIN));
        ExpectStored(256, 200, 6000);
        Command(dialog, IDCANCEL);
    });
    ExpectStored(256, 200, 6000);
    EXPECT_EQ(256, Settings.intensity);
    EXPECT_EQ(200, Settings.fadeTime);
    EXPECT_EQ(6000, Settings.sustainTime);
}

TEST_F(SettingsDialog, OkUntouchedWritesTheLoadedValuesBack)
{
    RunDialog("Config", ConfigDlg, "Settings", [](HWND dialog) { Command(dialog, IDOK); });
    ExpectStored(256, 200, 6000);
}

// Enter presses the default button (OK, which saves); Escape and the close box end without
// saving. Keys go through the dialog's own loop, as a user's would.
TEST_F(SettingsDialog, KeysAndCloseBox)
{
    const struct {
        const char *name;
        DialogDriver drive;
        int saves;
    } cases[] = {
        {"enter",
         [](HWND dialog) {
             Scroll(dialog, IDC_INTENSITY, SB_LINELEFT);
             PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
         },
         1},
        {"escape",
         [](HWND dialog) {
             Scroll(dialog, IDC_INTENSITY, SB_LINELEFT);
             PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
         },
         0},
        {"close-box",
         [](HWND dialog) {
             Scroll(dialog, IDC_INTENSITY, SB_LINELEFT);
             PostMessageA(dialog, WM_CLOSE, 0, 0);
         },
         0},
        {"other-command-ignored",
         [](HWND dialog) {
             SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(999, BN_CLICKED), 0);
             EXPECT_TRUE(IsWindowVisible(dialog));
             PostMessageA(dialog, WM_CLOSE, 0, 0);
         },
         0},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        SettingsKeyDelete();
        SetDefaultSettings(&Settings);
        EXPECT_EQ(0, RunDialog("Config", ConfigDlg, "Settings", row.drive));
        DWORD type;
        std::vector<uint8_t> bytes;
        EXPECT_EQ(row.saves, ConfigurationRead(&type, &bytes));
        EXPECT_EQ(row.saves ? 246 : 256, Settings.intensity);
    }
}

// Buttons, background and static texts take the dialog brush; scroll bars keep the system's.
TEST_F(SettingsDialog, ColourMessages)
{
    const DLGPROC procedures[] = {ConfigDlg, ChangePwdDlg};
    for (DLGPROC procedure : procedures) {
        HDC dc = CreateCompatibleDC(nullptr);
        SetBkColor(dc, RGB(1, 2, 3));
        const UINT answered[] = {WM_CTLCOLORBTN, WM_CTLCOLORDLG, WM_CTLCOLORSTATIC};
        for (UINT message : answered) {
            SCOPED_TRACE(message);
            EXPECT_EQ((INT_PTR)DialogBrush, procedure(nullptr, message, (WPARAM)dc, 0));
        }
        EXPECT_EQ(GetSysColor(COLOR_ACTIVEBORDER), GetBkColor(dc));
        EXPECT_EQ(FALSE, procedure(nullptr, WM_CTLCOLORSCROLLBAR, (WPARAM)dc, 0));
        EXPECT_EQ(FALSE, procedure(nullptr, WM_CTLCOLOREDIT, (WPARAM)dc, 0));
        DeleteDC(dc);
    }
}

TEST_F(SettingsDialog, PasswordNoticeEndsOnAnyCommand)
{
    INT_PTR result = RunDialog("ChangePwd", ChangePwdDlg, "Change Password", [](HWND dialog) {
        char text[100] = "";
        GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
        EXPECT_STREQ("This screen saver does\nnot support passwords.", text);
        Command(dialog, 999);
    });
    EXPECT_EQ(0, result);
    result = RunDialog("ChangePwd", ChangePwdDlg, "Change Password",
                       [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
    EXPECT_EQ(0, result);
    DWORD type;
    std::vector<uint8_t> bytes;
    EXPECT_EQ(0, ConfigurationRead(&type, &bytes));
}

} // namespace
