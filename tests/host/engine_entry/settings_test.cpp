// Settings defaults, validation of a stored record in both sustain variants, and scroll-bar
// stepping with clamping.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "settings.h"

namespace
{

const int32_t STANDALONE_MAXIMUM = 30000;
const int32_t STANDALONE_STEP = 1450;
const int32_t CARRIED_MAXIMUM = 15000;
const int32_t CARRIED_STEP = 700;

void ExpectDefaults(const SaverSettings &settings)
{
    EXPECT_EQ(256, settings.intensity);
    EXPECT_EQ(200, settings.fadeTime);
    EXPECT_EQ(6000, settings.sustainTime);
}

TEST(Settings, DefaultsAndReturnedRecord)
{
    SaverSettings settings = {1, 2, 3};
    EXPECT_EQ(&settings, SetDefaultSettings(&settings));
    ExpectDefaults(settings);
}

struct StoredCase {
    const char *name;
    SaverSettings stored;
    int validStandalone; // sustain maximum 30000
    int validCarried;    // sustain maximum 15000
};

const StoredCase STORED_CASES[] = {
    {"all-at-lower-bounds", {50, 50, 1000}, 1, 1},
    {"all-at-upper-bounds-carried", {256, 500, 15000}, 1, 1},
    {"upper-bounds-standalone", {256, 500, 30000}, 1, 0},
    {"sustain-20000", {128, 100, 20000}, 1, 0},
    {"intensity-49-loses-valid-times", {49, 200, 6000}, 0, 0},
    {"intensity-257", {257, 200, 6000}, 0, 0},
    {"fade-49", {256, 49, 6000}, 0, 0},
    {"fade-501", {256, 501, 6000}, 0, 0},
    {"sustain-999", {256, 200, 999}, 0, 0},
    {"sustain-30001", {256, 200, 30001}, 0, 0},
    {"negative-fields", {-256, -200, -6000}, 0, 0},
    {"most-negative", {INT32_MIN, INT32_MIN, INT32_MIN}, 0, 0},
    {"largest", {INT32_MAX, INT32_MAX, INT32_MAX}, 0, 0},
    {"zeroed", {0, 0, 0}, 0, 0},
};

TEST(Settings, StoredRecordAcceptedWholeOrNotAtAll)
{
    const int32_t maximums[] = {STANDALONE_MAXIMUM, CARRIED_MAXIMUM};
    for (const StoredCase &row : STORED_CASES) {
        for (int32_t maximum : maximums) {
            SCOPED_TRACE(std::string(row.name) + " max " + std::to_string(maximum));
            int valid = maximum == STANDALONE_MAXIMUM ? row.validStandalone : row.validCarried;
            uint8_t image[SETTINGS_IMAGE_SIZE];
            SettingsToImage(&row.stored, image);
            SaverSettings loaded = {7, 7, 7};
            EXPECT_EQ(valid, SettingsFromImage(&loaded, image, maximum));
            EXPECT_EQ(valid, SettingsValid(&row.stored, maximum));
            if (valid) {
                EXPECT_EQ(row.stored.intensity, loaded.intensity);
                EXPECT_EQ(row.stored.fadeTime, loaded.fadeTime);
                EXPECT_EQ(row.stored.sustainTime, loaded.sustainTime);
            } else {
                ExpectDefaults(loaded);
            }
        }
    }
}

TEST(Settings, ImageIsThreeLittleEndianInt32)
{
    const SaverSettings settings = {0x01020304, -2, 0x7F00FF10};
    const uint8_t expected[SETTINGS_IMAGE_SIZE] = {0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF,
                                                   0xFF, 0xFF, 0x10, 0xFF, 0x00, 0x7F};
    uint8_t image[SETTINGS_IMAGE_SIZE];
    SettingsToImage(&settings, image);
    EXPECT_EQ(0, memcmp(expected, image, sizeof image));

    // 256, 500, 1000
    const uint8_t stored[SETTINGS_IMAGE_SIZE] = {0x00, 0x01, 0,    0,    0xF4, 0x01,
                                                 0,    0,    0xE8, 0x03, 0,    0};
    SaverSettings loaded;
    ASSERT_EQ(1, SettingsFromImage(&loaded, stored, CARRIED_MAXIMUM));
    EXPECT_EQ(256, loaded.intensity);
    EXPECT_EQ(500, loaded.fadeTime);
    EXPECT_EQ(1000, loaded.sustainTime);
}

// Presses one scroll code repeatedly and returns the values it passes through.
std::vector<int32_t> Press(const SettingsBar &bar, int32_t start, unsigned code, int times)
{
    std::vector<int32_t> values;
    int32_t value = start;
    for (int i = 0; i < times; i++) {
        EXPECT_EQ(1, SettingsBarScroll(&bar, &value, code, 0));
        values.push_back(value);
    }
    return values;
}

std::vector<int32_t> Range(int32_t first, int32_t last, int32_t step)
{
    std::vector<int32_t> values;
    for (int32_t v = first; step > 0 ? v <= last : v >= last; v += step)
        values.push_back(v);
    return values;
}

TEST(Settings, IntensityStepsDownToFiftyAndStays)
{
    std::vector<int32_t> expected = Range(246, 56, -10);
    expected.push_back(50);
    expected.push_back(50);
    EXPECT_EQ(expected, Press(INTENSITY_BAR, 256, SCROLL_LINE_LEFT, 22));
    EXPECT_EQ(std::vector<int32_t>({256, 256}), Press(INTENSITY_BAR, 250, SCROLL_LINE_RIGHT, 2));
}

TEST(Settings, FadeTimeStepsUpToFiveHundred)
{
    std::vector<int32_t> expected = Range(72, 490, 22);
    expected.push_back(500);
    expected.push_back(500);
    EXPECT_EQ(expected, Press(FADE_TIME_BAR, 50, SCROLL_LINE_RIGHT, 22));
}

TEST(Settings, SustainStepsInBothVariants)
{
    const SettingsBar carried = SustainBar(CARRIED_MAXIMUM, CARRIED_STEP);
    EXPECT_EQ(std::vector<int32_t>({5300, 4600, 3900, 3200, 2500, 1800, 1100, 1000, 1000}),
              Press(carried, 6000, SCROLL_LINE_LEFT, 9));
    const SettingsBar standalone = SustainBar(STANDALONE_MAXIMUM, STANDALONE_STEP);
    EXPECT_EQ(std::vector<int32_t>({4550, 3100, 1650, 1000, 1000}),
              Press(standalone, 6000, SCROLL_LINE_LEFT, 5));
    EXPECT_EQ(std::vector<int32_t>({14800, 15000}), Press(carried, 14100, SCROLL_LINE_RIGHT, 2));
    EXPECT_EQ(std::vector<int32_t>({29900, 30000}), Press(standalone, 28450, SCROLL_LINE_RIGHT, 2));
    // Both variants step by a twentieth of their range.
    EXPECT_EQ((CARRIED_MAXIMUM - 1000) / 20, carried.step);
    EXPECT_EQ((STANDALONE_MAXIMUM - 1000) / 20, standalone.step);
}

struct ScrollCase {
    const char *name;
    int32_t start;
    unsigned code;
    unsigned thumb;
    int applied;
    int32_t result;
};

// On the intensity bar, 50..256 in steps of 10.
const ScrollCase SCROLL_CASES[] = {
    {"page-left-is-a-line", 200, SCROLL_PAGE_LEFT, 0, 1, 190},
    {"page-right-is-a-line", 200, SCROLL_PAGE_RIGHT, 0, 1, 210},
    {"page-left-clamps", 55, SCROLL_PAGE_LEFT, 0, 1, 50},
    {"thumb-taken-exactly", 200, SCROLL_THUMB_POSITION, 123, 1, 123},
    {"thumb-below-range-clamps", 200, SCROLL_THUMB_POSITION, 3, 1, 50},
    {"thumb-high-word-unsigned", 200, SCROLL_THUMB_POSITION, 0xFFFF, 1, 256},
    {"thumb-track-ignored", 200, 5, 123, 0, 200},
    {"home-ignored", 200, 6, 0, 0, 200},
    {"end-ignored", 200, 7, 0, 0, 200},
    {"end-scroll-ignored", 200, 8, 0, 0, 200},
    {"unknown-code-ignored", 200, 9, 0, 0, 200},
};

TEST(Settings, ScrollCodes)
{
    for (const ScrollCase &row : SCROLL_CASES) {
        SCOPED_TRACE(row.name);
        int32_t value = row.start;
        EXPECT_EQ(row.applied, SettingsBarScroll(&INTENSITY_BAR, &value, row.code, row.thumb));
        EXPECT_EQ(row.result, value);
    }
}

// A dropped thumb is not rounded to the step: later arrows count from where it landed.
TEST(Settings, StepsCountFromDroppedThumb)
{
    int32_t value = 200;
    SettingsBarScroll(&INTENSITY_BAR, &value, SCROLL_THUMB_POSITION, 123);
    EXPECT_EQ(std::vector<int32_t>({113, 103}), Press(INTENSITY_BAR, value, SCROLL_LINE_LEFT, 2));
}

} // namespace
