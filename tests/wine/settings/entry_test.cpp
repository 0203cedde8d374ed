// The engine's entry inside a test program: process-wide values, the settings loaded before
// anything else, "MainClass" as registered, and the early returns that show nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "engine.h"
#include "settings.h"
#include "text.h"
#include "ui.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show);

namespace
{

std::string KeyPath()
{
    char path[PATH_CAPACITY];
    return GetSettingsKeyPath(path, nullptr);
}

void Store(const SaverSettings &settings)
{
    uint8_t image[SETTINGS_IMAGE_SIZE];
    SettingsToImage(&settings, image);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, KeyPath().c_str(), &key));
    RegSetValueExA(key, "Configuration", 0, REG_BINARY, image, sizeof image);
    RegCloseKey(key);
}

// One process can register the class once, so the steps run in this order in one test.
TEST(EngineEntry, UnknownSwitchAfterSetUpThenFailedRegistration)
{
    // The record holds the defaults before the entry runs.
    EXPECT_EQ(256, Settings.intensity);
    EXPECT_EQ(200, Settings.fadeTime);
    EXPECT_EQ(6000, Settings.sustainTime);
    Store({100, 250, 3000});

    HINSTANCE instance = GetModuleHandleA(nullptr);
    char tail[] = "/x";
    EXPECT_EQ(0, WinMain(instance, nullptr, tail, SW_SHOWNORMAL));
    EXPECT_EQ(instance, AppInstance);
    EXPECT_NE(nullptr, DialogBrush);
    EXPECT_EQ(100, Settings.intensity);
    EXPECT_EQ(250, Settings.fadeTime);
    EXPECT_EQ(3000, Settings.sustainTime);
    EXPECT_EQ(0, engineFullScreen);
    EXPECT_EQ(nullptr, FindWindowA("MainClass", nullptr));

    WNDCLASSA registered = {};
    ASSERT_TRUE(GetClassInfoA(instance, "MainClass", &registered));
    EXPECT_EQ((UINT)(CS_HREDRAW | CS_VREDRAW), registered.style);
    EXPECT_EQ((WNDPROC)SlideshowWndProc, registered.lpfnWndProc);
    EXPECT_EQ(0, registered.cbClsExtra);
    EXPECT_EQ(0, registered.cbWndExtra);
    EXPECT_EQ(LoadIconA(nullptr, IDI_APPLICATION), registered.hIcon);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), registered.hCursor);
    EXPECT_EQ((HBRUSH)GetStockObject(BLACK_BRUSH), registered.hbrBackground);
    EXPECT_EQ(nullptr, registered.lpszMenuName);

    // The class exists now, so registering fails: the entry ends before reading the switch,
    // and not even the saver starts.
    char saver[] = "/s";
    EXPECT_EQ(0, WinMain(instance, nullptr, saver, SW_SHOWNORMAL));
    EXPECT_EQ(0, engineFullScreen);
    EXPECT_EQ(nullptr, FindWindowA("MainClass", nullptr));

    RegDeleteKeyA(HKEY_CURRENT_USER, KeyPath().c_str());
}

} // namespace
