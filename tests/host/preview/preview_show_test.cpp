// The preview's show: each slide drawn at its place with its own pixels at full intensity, for
// every depth, row order and screen, a slide larger than the screen or a logo larger than the
// screen clipped without a write outside the frame; and the settings clamped to the bars.
#include <gtest/gtest.h>
#include <string.h>
#include <vector>
#include "dib.h"
#include "preview_show.h"
#include "variant_tag.h"

namespace {

// The colour of picture pixel (x, y), y from the top, as an index into a 16-entry table.
int PixelIndex(int x, int y, int colours)
{
    return (x * 3 + y * 5) % colours;
}

void TableColour(int index, uint8_t *rgb)
{
    rgb[0] = (uint8_t)(20 + index * 13);
    rgb[1] = (uint8_t)(250 - index * 11);
    rgb[2] = (uint8_t)(90 + index * 7);
}

// A packed Dib of w x h at bits (1, 4, 8 or 24), top-down when asked.
std::vector<uint8_t> MakeDib(int w, int h, int bits, bool topDown)
{
    int colours = bits == 24 ? 0 : (bits == 1 ? 2 : 16);
    uint32_t stride = ((uint32_t)w * bits + 31) / 32 * 4;
    std::vector<uint8_t> dib(40 + 4 * colours + stride * h, 0);
    WriteLe32(&dib[0], 40);
    WriteLe32(&dib[4], (uint32_t)w);
    WriteLe32(&dib[8], (uint32_t)(topDown ? -h : h));
    WriteLe16(&dib[12], 1);
    WriteLe16(&dib[14], (uint16_t)bits);
    WriteLe32(&dib[32], (uint32_t)colours);
    for (int i = 0; i < colours; i++) {
        uint8_t rgb[3];
        TableColour(i, rgb);
        dib[40 + 4 * i] = rgb[2];
        dib[41 + 4 * i] = rgb[1];
        dib[42 + 4 * i] = rgb[0];
    }
    uint8_t *rows = &dib[40 + 4 * colours];
    for (int y = 0; y < h; y++) {
        uint8_t *row = rows + (size_t)(topDown ? y : h - 1 - y) * stride;
        for (int x = 0; x < w; x++) {
            int index = PixelIndex(x, y, bits == 24 ? 16 : colours);
            if (bits == 24) {
                uint8_t rgb[3];
                TableColour(index, rgb);
                row[3 * x] = rgb[2];
                row[3 * x + 1] = rgb[1];
                row[3 * x + 2] = rgb[0];
            } else {
                int perByte = 8 / bits;
                row[x / perByte] |= (uint8_t)(index << (8 - bits * (1 + x % perByte)));
            }
        }
    }
    return dib;
}

struct Case {
    const char *name;
    int screenW, screenH;
    int slideW, slideH, bits;
    bool topDown;
    int logoW, logoH; // 0: no logo
};

const Case CASES[] = {
    {"eight-bit-bottom-up", 640, 480, 200, 150, 8, false, 0, 0},
    {"true-colour-top-down", 800, 600, 333, 211, 24, true, 120, 40},
    {"four-bit-odd-width", 640, 480, 101, 77, 4, false, 0, 0},
    {"one-bit", 800, 600, 67, 33, 1, true, 0, 0},
    {"slide-wider-than-screen", 640, 480, 900, 300, 24, false, 0, 0},
    {"slide-larger-than-screen", 640, 480, 1024, 768, 8, true, 0, 0},
    {"logo-larger-than-screen", 640, 480, 100, 100, 24, false, 700, 500},
};

TEST(PreviewShow, SlidesAtTheirPlaceWithTheirPixelsOnEveryScreen)
{
    for (const Case &row : CASES) {
        SCOPED_TRACE(row.name);
        PreviewShow show;
        PreviewInit(&show);
        ASSERT_EQ(PreviewSetScreen(&show, row.screenW, row.screenH), 1);
        std::vector<uint8_t> slide = MakeDib(row.slideW, row.slideH, row.bits, row.topDown);
        ASSERT_EQ(PreviewAddSlide(&show, slide.data(), (uint32_t)slide.size()), 1);
        if (row.logoW > 0) {
            std::vector<uint8_t> logo = MakeDib(row.logoW, row.logoH, 24, false);
            ASSERT_EQ(PreviewSetLogo(&show, logo.data(), (uint32_t)logo.size()), 1);
        }
        PreviewSetSettings(&show, INTENSITY_MAXIMUM, FADE_TIME_MINIMUM, SUSTAIN_MINIMUM);
        ASSERT_EQ(PreviewStart(&show, 1234), FIRST_FADE_DELAY);
        // The change of slide, then eight steps up to full intensity; then on through a few
        // slides to run the black-outs and placements with the clipping they need.
        for (int i = 0; i < 1 + FADE_STEPS; i++)
            ASSERT_GT(PreviewStep(&show), 0);
        EXPECT_EQ(show.tick.intensity, FULL_INTENSITY);
        int colours = row.bits == 24 ? 16 : (row.bits == 1 ? 2 : 16);
        for (int y = 0; y < row.slideH; y++) {
            for (int x = 0; x < row.slideW; x++) {
                int sx = show.slideX + x, sy = show.slideY + y;
                if (sx >= row.screenW || sy >= row.screenH)
                    continue;
                uint8_t want[3];
                TableColour(PixelIndex(x, y, colours), want);
                const uint8_t *got = show.frame + ((size_t)sy * row.screenW + sx) * 4;
                ASSERT_EQ(memcmp(got, want, 3), 0) << "pixel " << x << "," << y;
            }
        }
        for (int i = 0; i < 30; i++)
            ASSERT_GT(PreviewStep(&show), 0);
        PreviewFree(&show);
    }
}

TEST(PreviewShow, NothingRunsWithoutAScreenOrASlide)
{
    PreviewShow show;
    PreviewInit(&show);
    EXPECT_EQ(PreviewStart(&show, 1), 0);
    EXPECT_EQ(PreviewStep(&show), 0);
    ASSERT_EQ(PreviewSetScreen(&show, 640, 480), 1);
    EXPECT_EQ(PreviewStart(&show, 1), 0);
    const uint8_t notADib[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(PreviewAddSlide(&show, notADib, sizeof notADib), 0);
    EXPECT_EQ(PreviewSetScreen(&show, 0, 480), 0);
    EXPECT_EQ(PreviewSetScreen(&show, 640, PREVIEW_SCREEN_MAXIMUM + 1), 0);
    PreviewFree(&show);
}

TEST(PreviewShow, SettingsClampedToTheSettingsDialogsBars)
{
    static const struct {
        const char *name;
        int in[3];
        int32_t out[3];
    } ROWS[] = {
        {"in-range", {128, 300, 9000}, {128, 300, 9000}},
        {"below", {0, -5, 10}, {INTENSITY_MINIMUM, FADE_TIME_MINIMUM, SUSTAIN_MINIMUM}},
        {"above", {999, 9999, 99999}, {INTENSITY_MAXIMUM, FADE_TIME_MAXIMUM, VARIANT_CARRIED.sustainMaximum}},
    };
    for (const auto &row : ROWS) {
        SCOPED_TRACE(row.name);
        PreviewShow show;
        PreviewInit(&show);
        PreviewSetSettings(&show, row.in[0], row.in[1], row.in[2]);
        EXPECT_EQ(show.settings.intensity, row.out[0]);
        EXPECT_EQ(show.settings.fadeTime, row.out[1]);
        EXPECT_EQ(show.settings.sustainTime, row.out[2]);
    }
}

} // namespace
