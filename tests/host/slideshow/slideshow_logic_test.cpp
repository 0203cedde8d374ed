// Native tests of the slideshow's random generator, placement, fade schedule, options and
// banner text.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

#include "slideshow_logic.h"

namespace
{

const SaverSettings DEFAULTS = {256, 200, 6000};

TEST(RandomNumber, SequenceFromProgramStart)
{
    // Values worked out by hand from the two accumulators and their moduli.
    RandomState state = RANDOM_START;
    static const int expected[] = {969, 411, 529, 399, 838, 989};
    for (int value : expected)
        EXPECT_EQ(value, RandomNumber(&state, 1000, 0));
    EXPECT_EQ(31274889, state.a);
    EXPECT_EQ(385513756, state.b);
}

TEST(RandomNumber, SeedingAddsLowTickBitsAndReturnsBelowThousand)
{
    RandomState state = RANDOM_START;
    EXPECT_EQ(617, RandomNumber(&state, 0, 0xFFFFFFFFu)); // only the low 29 bits count
    EXPECT_EQ(502695639, state.a);
    EXPECT_EQ(451962102, state.b);
    EXPECT_EQ(913, RandomNumber(&state, -5, 0x12345678u));
    EXPECT_EQ(808115535, state.a);
    EXPECT_EQ(757381998, state.b);
}

TEST(RandomNumber, MatchesWideArithmeticModel)
{
    // The generator adds in 32 bits; a 64-bit model shows no sum wraps and results stay in
    // range, including after seeding with the largest tick values.
    RandomState state = RANDOM_START;
    int64_t a = state.a;
    int64_t b = state.b;
    for (int i = 0; i < 200000; i++) {
        int n = i % 7 == 0 ? 0 : 1 + (i * 7919) % 5000;
        uint32_t ticks = 0xFFFFFFFFu - (uint32_t)i * 2654435761u;
        int64_t increment = n > 0 ? 214358881 : (int64_t)(ticks & 0x1FFFFFFF);
        a = (a + increment) % 1220703125;
        b = (b + increment) % 815730721;
        int got = RandomNumber(&state, n, ticks);
        ASSERT_EQ((a ^ b) % (n > 0 ? n : 1000), got) << "draw " << i;
    }
}

struct PlacementCase {
    const char *name;
    int screenW, screenH, w, h, logoX, logoY, logoVisible;
    int32_t x, y;
    int draws; // random numbers consumed
};

// Positions from the generator's program-start state, worked out by hand.
static const PlacementCase PLACEMENTS[] = {
    {"slide-larger-than-640x480", 640, 480, 800, 600, 320, 280, 1, 0, 0, 0},
    {"800x600-all-tries-fail-at-origin", 800, 600, 800, 600, 480, 400, 1, 0, 0, 20},
    {"1024x768-tenth-try-stands", 1024, 768, 800, 600, 704, 568, 1, 60, 54, 20},
    {"1024x768-logo-gone-first-try", 1024, 768, 800, 600, 704, 568, 0, 19, 155, 2},
    {"1024x768-small-slide-clear-of-logo", 1024, 768, 200, 150, 704, 568, 1, 244, 306, 2},
    {"slide-one-pixel-too-tall", 1024, 768, 100, 769, 704, 568, 1, 0, 0, 0},
};

TEST(PlaceSlide, Table)
{
    for (const PlacementCase &row : PLACEMENTS) {
        SCOPED_TRACE(row.name);
        RandomState state = RANDOM_START;
        int32_t x = -1, y = -1;
        PlaceSlide(&state, row.screenW, row.screenH, row.w, row.h, row.logoX, row.logoY,
                   row.logoVisible, &x, &y);
        EXPECT_EQ(row.x, x);
        EXPECT_EQ(row.y, y);
        RandomState replay = RANDOM_START;
        for (int i = 0; i < row.draws; i++)
            RandomNumber(&replay, 1, 0);
        EXPECT_EQ(replay.a, state.a);
        EXPECT_EQ(replay.b, state.b);
    }
}

TEST(PlaceSlide, StaysOnScreenAndKeepsClearOfLogoWhenATryAllows)
{
    // Over many generator states: the slide always lies on the screen; while the logo shows,
    // a position that touches the logo's corner area stands only after all ten tries.
    RandomState state = RANDOM_START;
    const int screenW = 1024, screenH = 768, logoX = 704, logoY = 568;
    for (int i = 0; i < 5000; i++) {
        int w = 50 + (i * 37) % 900;
        int h = 40 + (i * 53) % 700;
        RandomState before = state;
        int32_t x, y;
        PlaceSlide(&state, screenW, screenH, w, h, logoX, logoY, 1, &x, &y);
        ASSERT_GE(x, 0);
        ASSERT_GE(y, 0);
        ASSERT_LE(x + w, screenW);
        ASSERT_LE(y + h, screenH);
        int clear = logoX > x + w + LOGO_GAP || logoY > y + h + LOGO_GAP;
        if (!clear) {
            RandomState tenTries = before;
            for (int d = 0; d < 2 * PLACEMENT_TRIES; d++)
                RandomNumber(&tenTries, 1, 0);
            ASSERT_EQ(tenTries.a, state.a) << "slide " << w << "x" << h;
        }
    }
}

TEST(FadeAdvance, StepIntensities)
{
    struct Row {
        const char *name;
        int32_t intensity;
        int expected[FADE_STEPS];
    };
    static const Row rows[] = {
        {"full", 256, {32, 64, 96, 128, 160, 192, 224, 256}},
        {"dimmest", 50, {6, 12, 18, 25, 31, 37, 43, 50}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SaverSettings settings = {row.intensity, 200, 6000};
        FadeState state;
        FadeStart(&state);
        state.slideCount = 3;
        FadeTick tick;
        FadeAdvance(&state, &settings, &tick); // the change to the first slide
        std::vector<int> up, down;
        for (int i = 0; i < FADE_STEPS; i++) {
            FadeAdvance(&state, &settings, &tick);
            up.push_back(tick.intensity);
        }
        for (int i = 0; i < FADE_STEPS - 1; i++) {
            FadeAdvance(&state, &settings, &tick);
            down.insert(down.begin(), tick.intensity);
        }
        EXPECT_EQ(std::vector<int>(row.expected, row.expected + FADE_STEPS), up);
        EXPECT_EQ(std::vector<int>(row.expected, row.expected + FADE_STEPS - 1), down);
        EXPECT_EQ(0, state.step);
    }
}

TEST(FadeAdvance, ScheduleOfTwoRoundsWithDefaults)
{
    // Slides in payload order and round again; 15 fade delays and one sustain per slide.
    FadeState state;
    FadeStart(&state);
    state.slideCount = 2;
    int expectedSlide[] = {0, 1, 0, 1};
    int expectedPrevious[] = {-1, 0, 1, 0};
    for (int round = 0; round < 4; round++) {
        SCOPED_TRACE(round);
        FadeTick tick;
        FadeAdvance(&state, &DEFAULTS, &tick);
        EXPECT_EQ(1, tick.changeSlide);
        EXPECT_EQ(expectedPrevious[round], tick.previousSlide);
        EXPECT_EQ(expectedSlide[round], state.currentSlide);
        int total = tick.delay;
        int steps[2 * FADE_STEPS - 1];
        int delays[2 * FADE_STEPS - 1];
        for (int i = 0; i < 2 * FADE_STEPS - 1; i++) {
            steps[i] = state.step;
            FadeAdvance(&state, &DEFAULTS, &tick);
            EXPECT_EQ(0, tick.changeSlide);
            delays[i] = tick.delay;
            total += tick.delay;
        }
        static const int wantSteps[] = {1, 2, 3, 4, 5, 6, 7, 8, 7, 6, 5, 4, 3, 2, 1};
        for (int i = 0; i < 2 * FADE_STEPS - 1; i++) {
            EXPECT_EQ(wantSteps[i], steps[i]) << "tick " << i;
            EXPECT_EQ(wantSteps[i] == FADE_STEPS ? 6000 : 200, delays[i]) << "tick " << i;
        }
        EXPECT_EQ(9000, total);
        EXPECT_EQ(0, state.step);
    }
}

TEST(FadeAdvance, SingleSlideComesBackEachRound)
{
    FadeState state;
    FadeStart(&state);
    state.slideCount = 1;
    FadeTick tick;
    for (int i = 0; i < 3 * 2 * FADE_STEPS; i++) {
        FadeAdvance(&state, &DEFAULTS, &tick);
        ASSERT_EQ(0, state.currentSlide);
    }
    EXPECT_EQ(0, tick.previousSlide);
}

struct OptionsCase {
    const char *name;
    const char *text; // nullptr stands for a missing text
    int bannerOn;
    char launchKey;
    std::string address;
};

TEST(OptionsParse, Table)
{
    const std::string longest(127, 'a');
    const std::string tooLong(128, 'b');
    const std::string farTooLong(5000, 'c');
    const std::string fits = "DV" + longest;
    const std::string cut = "DV" + tooLong;
    const std::string farCut = "DV" + farTooLong;
    const OptionsCase rows[] = {
        {"shipped", "DV", 1, 'V', ""},
        {"lower-case-d-banner-off", "dV", 0, 'V', ""},
        {"other-first-character", "XV", 0, 'V', ""},
        {"address-follows-key", "DVwww.example.com/", 1, 'V', "www.example.com/"},
        {"lower-case-key-kept", "Dvhttp://x", 1, 'v', "http://x"},
        {"empty-text", "", 0, 0, ""},
        {"one-character", "D", 1, 0, ""},
        {"missing-text", nullptr, 0, 0, ""},
        {"127-character-address-kept", fits.c_str(), 1, 'V', longest},
        {"128-character-address-dropped", cut.c_str(), 1, 'V', ""},
        {"5000-character-address-dropped", farCut.c_str(), 1, 'V', ""},
    };
    for (const OptionsCase &row : rows) {
        SCOPED_TRACE(row.name);
        // An exact-size heap copy, so that a read past the text's NUL is caught.
        char *text = nullptr;
        if (row.text) {
            size_t size = strlen(row.text) + 1;
            text = (char *)malloc(size);
            memcpy(text, row.text, size);
        }
        SaverOptions options;
        memset(&options, 0x55, sizeof options);
        OptionsParse(text, &options);
        EXPECT_EQ(row.bannerOn, options.bannerOn);
        EXPECT_EQ(row.launchKey, options.launchKey);
        EXPECT_EQ(row.address, std::string(options.address));
        free(text);
    }
}

TEST(PointerLeftTolerance, ClosedSquareOf100)
{
    struct Row {
        const char *name;
        int dx, dy, left;
    };
    static const Row rows[] = {
        {"still", 0, 0, 0},       {"right-100", 100, 0, 0},    {"right-101", 101, 0, 1},
        {"left-100", -100, 0, 0}, {"left-101", -101, 0, 1},    {"down-100", 0, 100, 0},
        {"down-101", 0, 101, 1},  {"up-100", 0, -100, 0},      {"up-101", 0, -101, 1},
        {"corner", 100, -100, 0}, {"far-corner", 300, 300, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.left, PointerLeftTolerance(512, 384, 512 + row.dx, 384 + row.dy));
    }
}

TEST(BannerUnscramble, TextAndBufferLimit)
{
    char text[BANNER_CAPACITY];
    EXPECT_EQ(36, BannerUnscramble(BANNER_SCRAMBLED, text, sizeof text));
    EXPECT_STREQ("Glimmer slideshow screen saver demo!", text);
    // The stored form does not hold the text in the clear.
    EXPECT_EQ(nullptr, strstr(BANNER_SCRAMBLED, "slideshow"));

    char small[8];
    memset(small, 'x', sizeof small);
    EXPECT_EQ(7, BannerUnscramble(BANNER_SCRAMBLED, small, sizeof small));
    EXPECT_STREQ("Glimmer", small);
}

} // namespace
