// LoadSettings and SaveSettings on the real registry, with damaged and hostile stored values.
#include <gtest/gtest.h>

#include "settings_fixture.h"

namespace
{

class SettingsRegistry : public ::testing::Test
{
  protected:
    void SetUp() override { SettingsKeyDelete(); }
    void TearDown() override { SettingsKeyDelete(); }
};

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct LoadCase {
    const char *name;
    DWORD type;
    std::vector<uint8_t> bytes;
    int accepted;
};

TEST_F(SettingsRegistry, LoadAcceptsOnlyAWholeValidRecord)
{
    const std::vector<uint8_t> bounds = Image(256, 500, 1000);
    const LoadCase cases[] = {
        {"bounds-accepted", REG_BINARY, bounds, 1},
        {"lower-bounds-accepted", REG_BINARY, Image(50, 50, 1000), 1},
        {"sixteen-bytes", REG_BINARY, Concat(bounds, {0, 0, 0, 0}), 0},
        {"eleven-bytes", REG_BINARY, std::vector<uint8_t>(bounds.begin(), bounds.end() - 1), 0},
        {"empty-value", REG_BINARY, {}, 0},
        {"reg-none", REG_NONE, bounds, 0},
        {"reg-dword", REG_DWORD, {0, 1, 0, 0}, 0},
        {"reg-sz-of-twelve-bytes",
         REG_SZ,
         {'2', '5', '6', ' ', '5', '0', '0', ' ', '1', '0', '0', 0},
         0},
        {"intensity-49-drops-all", REG_BINARY, Image(49, 200, 6000), 0},
        {"fade-501", REG_BINARY, Image(256, 501, 6000), 0},
        {"sustain-999", REG_BINARY, Image(256, 200, 999), 0},
        {"negative-intensity", REG_BINARY, Image(-1, 200, 6000), 0},
        {"sustain-20000", REG_BINARY, Image(100, 100, 20000), SUSTAIN_MAXIMUM >= 20000},
        {"sustain-at-maximum", REG_BINARY, Image(100, 100, SUSTAIN_MAXIMUM), 1},
        {"sustain-above-maximum", REG_BINARY, Image(100, 100, SUSTAIN_MAXIMUM + 1), 0},
    };
    for (const LoadCase &row : cases) {
        SCOPED_TRACE(row.name);
        SettingsKeyDelete();
        ConfigurationWrite(row.type, row.bytes);
        SaverSettings settings = {7, 7, 7};
        LoadSettings(&settings);
        SaverSettings expected;
        if (row.accepted)
            ASSERT_EQ(1, SettingsFromImage(&expected, row.bytes.data(), SUSTAIN_MAXIMUM));
        else
            SetDefaultSettings(&expected);
        EXPECT_EQ(expected.intensity, settings.intensity);
        EXPECT_EQ(expected.fadeTime, settings.fadeTime);
        EXPECT_EQ(expected.sustainTime, settings.sustainTime);
    }
}

TEST_F(SettingsRegistry, LoadWithoutKeyOrValueGivesDefaults)
{
    SaverSettings settings = {7, 7, 7};
    LoadSettings(&settings);
    EXPECT_EQ(256, settings.intensity);
    EXPECT_EQ(200, settings.fadeTime);
    EXPECT_EQ(6000, settings.sustainTime);

    HKEY key; // the key alone, with no value in it
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, SettingsKeyPath().c_str(), &key));
    RegCloseKey(key);
    settings = {7, 7, 7};
    LoadSettings(&settings);
    EXPECT_EQ(256, settings.intensity);
    EXPECT_EQ(200, settings.fadeTime);
    EXPECT_EQ(6000, settings.sustainTime);
}

TEST_F(SettingsRegistry, SaveCreatesKeyAndWritesTwelveBytes)
{
    const SaverSettings saved = {77, 88, 1999};
    SaveSettings(&saved);
    DWORD type = REG_NONE;
    std::vector<uint8_t> bytes;
    ASSERT_EQ(1, ConfigurationRead(&type, &bytes));
    EXPECT_EQ((DWORD)REG_BINARY, type);
    EXPECT_EQ(Image(77, 88, 1999), bytes);

    // A damaged longer value is replaced whole, and the record reads back.
    ConfigurationWrite(REG_BINARY, Concat(Image(1, 2, 3), {9, 9, 9, 9}));
    SaveSettings(&saved);
    ASSERT_EQ(1, ConfigurationRead(&type, &bytes));
    EXPECT_EQ(Image(77, 88, 1999), bytes);
    SaverSettings loaded;
    LoadSettings(&loaded);
    EXPECT_EQ(77, loaded.intensity);
    EXPECT_EQ(88, loaded.fadeTime);
    EXPECT_EQ(1999, loaded.sustainTime);
}

} // namespace
