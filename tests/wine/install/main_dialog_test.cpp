// The "Main" dialog procedure and its picture control, run in this process from the
// installer's own template: a missing payload, the colour messages, the palette answer and
// the preview painted into the control.
#include <windows.h>
#include <gtest/gtest.h>
#include <string.h>
#include <vector>

#include "blob.h"
#include "message.h"
#include "render.h"
#include "setup.h"
#include "setup_ids.h"
#include "ui.h"

namespace
{

// A 24-bit Dib of one colour, rows bottom-up.
void SolidDib(Blob *blob, int width, int height, BYTE red, BYTE green, BYTE blue)
{
    uint32_t stride = ((uint32_t)width * 3 + 3) & ~3u;
    std::vector<BYTE> data(40 + stride * height, 0);
    BITMAPINFOHEADER header = {};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    memcpy(data.data(), &header, sizeof header);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            BYTE *p = &data[40 + y * stride + x * 3];
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    BlobFree(blob);
    BlobAllocate(blob, BlobKind::Dib, (uint32_t)data.size());
    memcpy(blob->data, data.data(), data.size());
}

class MainDialog : public ::testing::Test
{
  protected:
    HWND dialog = nullptr;

    static void SetUpTestSuite()
    {
        CreateDialogBrush();
        MainGraphicRegister(GetModuleHandleA(nullptr));
    }
    void SetUp() override
    {
        // This test program carries no payload, so the dialog posts its "missing" message.
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), "Main", nullptr, MainDlg, 0);
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(dialog);
        BlobFree(&PreviewPicture);
        ClearMessage(&AppMessage);
    }
    HWND Picture() { return FindWindowExA(dialog, nullptr, "MainGraphic", nullptr); }
};

} // namespace

TEST_F(MainDialog, MissingPayloadPostsItsMessageAndLeavesTheNameEmpty)
{
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, dialog, WM_PAYLOAD_MISSING, WM_PAYLOAD_MISSING, PM_REMOVE));
    char name[80] = "x";
    GetDlgItemTextA(dialog, IDC_NAME, name, sizeof name);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(PreviewPicture.kind, BlobKind::End);

    // Centred on the screen, halves rounded down.
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) >> 1);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) >> 1);
}

TEST_F(MainDialog, ColourMessagesAndTheEditControl)
{
    HDC dc = GetDC(dialog);
    const UINT dialogColours[] = {WM_CTLCOLORBTN, WM_CTLCOLORDLG, WM_CTLCOLORSTATIC};
    for (UINT message : dialogColours) {
        SCOPED_TRACE(message);
        SetBkColor(dc, RGB(1, 2, 3));
        EXPECT_EQ(MainDlg(dialog, message, (WPARAM)dc, 0), (INT_PTR)DialogBrush);
        EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_ACTIVEBORDER));
    }
    const UINT systemColours[] = {WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX, WM_CTLCOLORSCROLLBAR};
    for (UINT message : systemColours) {
        SCOPED_TRACE(message);
        EXPECT_EQ(MainDlg(dialog, message, (WPARAM)dc, 0), FALSE);
    }
    ReleaseDC(dialog, dc);
    EXPECT_EQ(MainDlg(dialog, WM_COMMAND, MAKEWPARAM(999, BN_CLICKED), 0), FALSE);
}

TEST_F(MainDialog, QueryNewPaletteAnswersThroughTheMessageResult)
{
    PaletteReplace(nullptr);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 77);
    EXPECT_EQ(MainDlg(dialog, WM_QUERYNEWPALETTE, 0, 0), TRUE);
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_MSGRESULT), 0);
    EXPECT_EQ(SendMessageA(dialog, WM_QUERYNEWPALETTE, 0, 0), 0);

    PaletteReplace(CreateColorCubePalette());
    EXPECT_EQ(MainDlg(dialog, WM_QUERYNEWPALETTE, 0, 0), TRUE);
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_MSGRESULT), 1);
    EXPECT_EQ(SendMessageA(dialog, WM_QUERYNEWPALETTE, 0, 0), 1);
    PaletteReplace(nullptr);
}

// The control stretches the preview over its whole client area, corner to corner; with no
// preview it shows its class background.
TEST_F(MainDialog, PictureControlPaintsThePreview)
{
    HWND picture = Picture();
    ASSERT_NE(picture, nullptr);
    RECT client;
    GetClientRect(picture, &client);
    ASSERT_GT(client.right, 10);
    ASSERT_GT(client.bottom, 10);
    MSG message;
    PeekMessageA(&message, dialog, WM_PAYLOAD_MISSING, WM_PAYLOAD_MISSING, PM_REMOVE);
    ShowWindow(dialog, SW_SHOW);

    SolidDib(&PreviewPicture, 40, 30, 255, 0, 0);
    InvalidateRect(picture, nullptr, TRUE);
    UpdateWindow(picture);
    HDC dc = GetDC(picture);
    const POINT corners[] = {{0, 0},
                             {client.right - 1, 0},
                             {0, client.bottom - 1},
                             {client.right - 1, client.bottom - 1},
                             {client.right / 2, client.bottom / 2}};
    for (const POINT &p : corners) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        EXPECT_EQ(GetPixel(dc, p.x, p.y), RGB(255, 0, 0));
    }

    BlobFree(&PreviewPicture);
    InvalidateRect(picture, nullptr, TRUE);
    UpdateWindow(picture);
    EXPECT_EQ(GetPixel(dc, client.right / 2, client.bottom / 2), GetSysColor(COLOR_ACTIVEBORDER));
    ReleaseDC(picture, dc);
}
