// Colour reduction and Dib output: few colours stay exact, photos stay close, the bytes are a
// well-formed Dib, and the same input always gives the same bytes.
#include "photo_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{

// 100 distinct colours in 12 x 9 blocks.
void FillHundredColours(int x, int y, unsigned char *rgb)
{
    int index = (y / 9) * 10 + x / 12;
    rgb[0] = (unsigned char)(index * 37 % 256);
    rgb[1] = (unsigned char)(index * 91 % 256);
    rgb[2] = (unsigned char)(255 - index * 2);
}

// Smooth colours everywhere: thousands of distinct values, the case dithering exists for.
void FillPhotoLike(int x, int y, unsigned char *rgb)
{
    rgb[0] = (unsigned char)(128 + 100 * std::sin(x * 0.031) * std::cos(y * 0.017));
    rgb[1] = (unsigned char)((x * 3 + y * 2) % 256);
    rgb[2] = (unsigned char)(128 + 120 * std::sin((x + y) * 0.013));
}

PhotoOptions Options(int bits)
{
    PhotoOptions options;
    PhotoOptionsInit(&options);
    options.bits = bits;
    return options;
}

TEST(PhotoQuantise, HundredColoursSurviveExactly)
{
    PhotoImage expected = MakeImage(120, 90, FillHundredColours);
    ASSERT_EQ(100, PhotoCountColours(&expected));
    std::string path = MakePicture("hundred.png", expected);
    PhotoOptions options = Options(8);
    std::vector<unsigned char> dib;
    PhotoReport report;
    std::string error;
    ASSERT_TRUE(PhotoMakeDib(path.c_str(), &options, &dib, &report, &error)) << error;
    PhotoImage image;
    int bits = 0;
    ASSERT_TRUE(DibToImage(dib, &image, &bits));
    EXPECT_EQ(8, bits);
    EXPECT_EQ(0, MaxDifference(expected, image));
    EXPECT_EQ(100, report.colours);
}

TEST(PhotoQuantise, PhotoStaysCloseInBothDepths)
{
    PhotoImage expected = MakeImage(400, 300, FillPhotoLike);
    std::string path = MakePicture("photo-like.png", expected);
    for (int bits : {8, 24}) {
        SCOPED_TRACE(bits);
        PhotoOptions options = Options(bits);
        std::vector<unsigned char> dib;
        PhotoReport report;
        std::string error;
        ASSERT_TRUE(PhotoMakeDib(path.c_str(), &options, &dib, &report, &error)) << error;
        PhotoImage image;
        int dibBits = 0;
        ASSERT_TRUE(DibToImage(dib, &image, &dibBits));
        EXPECT_EQ(bits, dibBits);
        if (bits == 24) {
            EXPECT_EQ(0, MaxDifference(expected, image));
            EXPECT_EQ(PhotoCountColours(&expected), report.colours);
        } else {
            // Three unrelated channels make this hard: ImageMagick's 256 colours reach 26.1 dB.
            EXPECT_GE(Psnr(expected, image), 27);
            EXPECT_GT(report.colours, 200);
            EXPECT_LE(report.colours, 256);
        }
    }
}

// Smooth pictures come out at least as close as a plain median cut without dithering (Pillow's
// quantize) gets them: error diffusion over them would only scatter a dot pattern.
TEST(PhotoQuantise, SmoothPicturesAreAsCloseAsMedianCut)
{
    struct Case {
        const char *file;
        int width, height;
        void (*fill)(int x, int y, unsigned char *rgb);
        int colours;         // distinct colours of the picture, 0: not checked
        double medianCutPsnr;
    };
    static const Case cases[] = {
        // Red across, green down, blue falling along the diagonal: 256 colours follow it
        // within a few steps (33.4 dB when dithered).
        {"gradient.png", 256, 256,
         [](int x, int y, unsigned char *rgb) {
             rgb[0] = (unsigned char)x;
             rgb[1] = (unsigned char)y;
             rgb[2] = (unsigned char)(255 - (x + y) / 2);
         },
         0, 35.2},
        // A sky, one colour per row rising from deep blue to pale: 256 entries cover it with an
        // error that is all placement (60.15 dB with the palette as libimagequant places it).
        {"sky.png", 400, 600,
         [](int, int y, unsigned char *rgb) {
             double t = y / 599.0;
             rgb[0] = (unsigned char)lround(20 + 180 * t);
             rgb[1] = (unsigned char)lround(60 + 150 * t);
             rgb[2] = (unsigned char)lround(160 + 90 * t);
         },
         351, 60.23},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        PhotoImage expected = MakeImage(c.width, c.height, c.fill);
        if (c.colours) {
            ASSERT_EQ(c.colours, PhotoCountColours(&expected));
        }
        std::string path = MakePicture(c.file, expected);
        PhotoOptions options = Options(8);
        std::vector<unsigned char> dib;
        std::string error;
        ASSERT_TRUE(PhotoMakeDib(path.c_str(), &options, &dib, nullptr, &error)) << error;
        PhotoImage image;
        ASSERT_TRUE(DibToImage(dib, &image));
        EXPECT_GE(Psnr(expected, image), c.medianCutPsnr);
    }
}

TEST(PhotoQuantise, SameInputGivesSameBytes)
{
    PhotoImage picture = MakeImage(500, 375, FillPhotoLike);
    std::string path = MakePicture("repeat.jpg", picture, "-quality 85");
    PhotoOptions options = Options(8);
    options.boxWidth = 320;
    options.boxHeight = 240;
    std::vector<unsigned char> first, second;
    std::string error;
    ASSERT_TRUE(PhotoMakeDib(path.c_str(), &options, &first, nullptr, &error)) << error;
    ASSERT_TRUE(PhotoMakeDib(path.c_str(), &options, &second, nullptr, &error)) << error;
    EXPECT_EQ(40u + 1024u + 320u * 240u, first.size());
    EXPECT_TRUE(first == second);
}

TEST(PhotoDib, LayoutIsBottomUpWithPaddedRows)
{
    // 3 x 2 true colour: rows of 9 bytes padded to 12, bottom row first, blue-green-red.
    PhotoImage image = MakeImage(3, 2, [](int x, int y, unsigned char *p) {
        p[0] = (unsigned char)(10 * x + 100 * y + 1);
        p[1] = (unsigned char)(10 * x + 100 * y + 2);
        p[2] = (unsigned char)(10 * x + 100 * y + 3);
    });
    std::vector<unsigned char> dib;
    ASSERT_TRUE(PhotoWriteDib24(&image, &dib));
    static const unsigned char header[40] = {40, 0, 0,  0, 3, 0, 0, 0, 2,  0, 0, 0,
                                             1,  0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0};
    static const unsigned char rows[24] = {103, 102, 101, 113, 112, 111, 123, 122, 121, 0, 0, 0,
                                           3,   2,   1,   13,  12,  11,  23,  22,  21,  0, 0, 0};
    ASSERT_EQ(64u, dib.size());
    EXPECT_TRUE(std::equal(header, header + 40, dib.begin()));
    EXPECT_TRUE(std::equal(rows, rows + 24, dib.begin() + 40));

    // 8 bits, 5 x 1: a 256-entry table (unused entries black), then one row padded to 8 bytes.
    static const unsigned char indices[5] = {0, 1, 1, 0, 1};
    static const unsigned char palette[6] = {255, 0, 0, 0, 0, 255};
    ASSERT_TRUE(PhotoWriteDib8(5, 1, indices, palette, 2, &dib));
    ASSERT_EQ(40u + 1024u + 8u, dib.size());
    EXPECT_EQ(8, dib[14]);
    EXPECT_EQ(0, dib[32]); // colours used: 256
    EXPECT_EQ(1, dib[33]);
    static const unsigned char table[8] = {0, 0, 255, 0, 255, 0, 0, 0};
    EXPECT_TRUE(std::equal(table, table + 8, dib.begin() + 40));
    EXPECT_EQ(std::vector<unsigned char>(1016, 0),
              std::vector<unsigned char>(dib.begin() + 48, dib.begin() + 1064));
    static const unsigned char row[8] = {0, 1, 1, 0, 1, 0, 0, 0};
    EXPECT_TRUE(std::equal(row, row + 8, dib.begin() + 1064));
    // An index beyond the palette is refused rather than written.
    static const unsigned char beyond[5] = {0, 1, 2, 0, 1};
    EXPECT_FALSE(PhotoWriteDib8(5, 1, beyond, palette, 2, &dib));
    EXPECT_TRUE(dib.empty());
}

TEST(PhotoOptions, OutOfRangeValuesAreRefused)
{
    struct Row {
        const char *name;
        int boxWidth, boxHeight, bits, quality, speed;
        bool valid;
    };
    static const Row rows[] = {
        {"defaults", 800, 600, 8, 100, 4, true},
        {"keep-size", 0, 0, 24, 0, 10, true},
        {"one-side-zero", 800, 0, 8, 100, 4, false},
        {"box-too-large", 16385, 600, 8, 100, 4, false},
        {"bits-16", 800, 600, 16, 100, 4, false},
        {"quality-101", 800, 600, 8, 101, 4, false},
        {"speed-0", 800, 600, 8, 100, 0, false},
        {"speed-11", 800, 600, 8, 100, 11, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PhotoOptions options = {row.boxWidth, row.boxHeight, 0, row.bits,
                                row.quality,  row.speed,     24};
        std::string error;
        EXPECT_EQ(row.valid, PhotoOptionsCheck(&options, &error) == 1);
        EXPECT_EQ(row.valid, error.empty());
    }
}

} // namespace
