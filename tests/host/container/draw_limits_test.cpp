// The Windows 95 drawing limits: device-bitmap sizes at each display depth and the deepest
// display that still draws a picture, at the edges of the 16 MB and 16-bit coordinate limits.
#include <gtest/gtest.h>
#include "draw_limits.h"

TEST(DrawLimits, DeviceBitmapRowsArePaddedToWords)
{
    EXPECT_EQ(DeviceBitmapBytes(800, 600, 8), 480000u);
    EXPECT_EQ(DeviceBitmapBytes(3, 2, 8), 8u);   // 3 bytes padded to 4
    EXPECT_EQ(DeviceBitmapBytes(3, 2, 24), 20u); // 9 bytes padded to 10
    EXPECT_EQ(DeviceBitmapBytes(5, 1, 4), 4u);   // 2.5 bytes padded to 4
    EXPECT_EQ(DeviceBitmapBytes(32766, 32766, 32), 32766ull * 4 * 32766);
    EXPECT_EQ(DeviceBitmapBytes(0, 10, 8), 0u);
}

TEST(DrawLimits, DeepestDrawableDisplay)
{
    struct Row {
        const char *name;
        int32_t width, height;
        int deepest;
    } rows[] = {
        {"slide", 800, 600, 32},
        {"16 MB exactly at 32 bits", 2048, 2048, 32},
        {"just over 16 MB at 32 bits", 2048, 2049, 24},
        {"16 MB exactly at 24 bits", 2048, 2730, 24},
        {"over 16 MB at 24 bits", 2048, 2731, 16},
        {"16 MB exactly at 8 bits", 4096, 4096, 8},
        {"over 16 MB on every display", 4096, 4097, 0},
        {"widest a draw can cover", 32766, 1, 32},
        {"one pixel wider", 32767, 1, 0},
        {"tallest a draw can cover", 1, 32766, 32},
        {"one pixel taller", 1, 32767, 0},
        {"no pixels", 0, 600, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DeepestDrawableDisplay(row.width, row.height), row.deepest);
    }
}
