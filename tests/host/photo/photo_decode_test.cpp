// Each format decodes to the pixels it was made from; alpha comes out composed over black.
#include "photo_test_util.h"

#include <gtest/gtest.h>

namespace
{

// At most 256 colours, odd size: survives GIF and checks row strides.
void FillPattern(int x, int y, unsigned char *rgb)
{
    rgb[0] = (unsigned char)((x % 8) * 36);
    rgb[1] = (unsigned char)((y % 8) * 36);
    rgb[2] = (unsigned char)(((x / 8 + y / 8) % 4) * 80);
}

// Four flat quadrants: easy on lossy coders, and wrong on any flip, turn or channel swap.
void FillQuadrants(int x, int y, unsigned char *rgb)
{
    static const unsigned char colours[4][3] = {
        {220, 40, 40}, {40, 200, 60}, {50, 60, 210}, {230, 230, 230}};
    const unsigned char *c = colours[(y >= 24) * 2 + (x >= 32)];
    rgb[0] = c[0];
    rgb[1] = c[1];
    rgb[2] = c[2];
}

void FillGrey(int x, int y, unsigned char *rgb)
{
    rgb[0] = rgb[1] = rgb[2] = (unsigned char)((x * 7 + y * 3) % 256);
}

int Decode(const std::string &path, PhotoImage *image, PhotoInfo *info, std::string *error)
{
    std::vector<unsigned char> bytes = ReadBytes(path);
    return PhotoDecode(bytes.data(), bytes.size(), nullptr, image, info, error);
}

TEST(PhotoDecode, EachFormatGivesItsPixels)
{
    struct Row {
        const char *name;
        const char *file;
        void (*fill)(int, int, unsigned char *);
        const char *options;
        PhotoFormat format;
        double minPsnr; // 0: must be exact
    };
    static const Row rows[] = {
        {"png", "pattern.png", FillPattern, "", PHOTO_FORMAT_PNG, 0},
        {"png-interlaced", "pattern-interlaced.png", FillPattern, "-interlace PNG",
         PHOTO_FORMAT_PNG, 0},
        {"png-16-bit", "pattern16.png", FillPattern, "-depth 16", PHOTO_FORMAT_PNG, 0},
        {"png-grey", "grey.png", FillGrey, "-type Grayscale", PHOTO_FORMAT_PNG, 0},
        {"gif", "pattern.gif", FillPattern, "", PHOTO_FORMAT_GIF, 0},
        {"gif-interlaced", "pattern-interlaced.gif", FillPattern, "-interlace GIF",
         PHOTO_FORMAT_GIF, 0},
        {"webp-lossless", "pattern-lossless.webp", FillPattern, "-define webp:lossless=true",
         PHOTO_FORMAT_WEBP, 0},
        {"webp-lossy", "quadrants.webp", FillQuadrants, "-quality 90", PHOTO_FORMAT_WEBP, 30},
        {"jpeg", "quadrants.jpg", FillQuadrants, "-quality 95", PHOTO_FORMAT_JPEG, 30},
        {"jpeg-progressive", "quadrants-progressive.jpg", FillQuadrants,
         "-quality 95 -interlace JPEG", PHOTO_FORMAT_JPEG, 30},
        {"jpeg-grey", "grey.jpg", FillGrey, "-quality 95 -type Grayscale", PHOTO_FORMAT_JPEG, 30},
        {"jpeg-cmyk", "quadrants-cmyk.jpg", FillQuadrants, "-quality 95 -colorspace CMYK",
         PHOTO_FORMAT_JPEG, 28},
        {"heic", "quadrants.heic", FillQuadrants, "-quality 90", PHOTO_FORMAT_HEIF, 28},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PhotoImage expected = MakeImage(row.fill == FillQuadrants ? 64 : 37,
                                        row.fill == FillQuadrants ? 48 : 23, row.fill);
        std::string path = MakePicture(row.file, expected, row.options);
        PhotoImage image;
        PhotoInfo info;
        std::string error;
        ASSERT_TRUE(Decode(path, &image, &info, &error)) << error;
        EXPECT_EQ(row.format, info.format);
        EXPECT_EQ(expected.width, info.sourceWidth);
        EXPECT_EQ(expected.height, info.sourceHeight);
        ASSERT_EQ(expected.width, image.width);
        ASSERT_EQ(expected.height, image.height);
        if (row.minPsnr == 0)
            EXPECT_EQ(0, MaxDifference(expected, image));
        else
            EXPECT_GE(Psnr(expected, image), row.minPsnr);
    }
}

TEST(PhotoDecode, FormatComesFromContentNotName)
{
    PhotoImage expected = MakeImage(37, 23, FillPattern);
    std::string png = MakePicture("content.png", expected);
    std::string misnamed = FixturePath("content-is-png.jpg");
    WriteBytes(misnamed, ReadBytes(png));
    PhotoImage image;
    PhotoInfo info;
    std::string error;
    ASSERT_TRUE(Decode(misnamed, &image, &info, &error)) << error;
    EXPECT_EQ(PHOTO_FORMAT_PNG, info.format);
    EXPECT_EQ(0, MaxDifference(expected, image));
}

// Columns: opaque, half transparent, fully transparent (white underneath), opaque.
void FillAlphaColours(int x, int, unsigned char *rgb)
{
    static const unsigned char colours[4][3] = {
        {200, 100, 50}, {200, 100, 50}, {255, 255, 255}, {10, 220, 90}};
    const unsigned char *c = colours[x / 10];
    rgb[0] = c[0];
    rgb[1] = c[1];
    rgb[2] = c[2];
}

TEST(PhotoDecode, AlphaIsComposedOverBlack)
{
    struct Row {
        const char *name;
        const char *file;
        const char *options; // null: written with libheif
        bool halfAlpha;      // false: formats with on/off transparency only
        double minPsnr;      // 0: must be exact
    };
    static const Row rows[] = {
        {"png", "alpha.png", "", true, 0},
        {"webp-lossless", "alpha.webp", "-define webp:lossless=true", true, 0},
        {"gif", "alpha.gif", "", false, 0},
        {"heic", "alpha.heic", nullptr, true, 28},
    };
    PhotoImage colours = MakeImage(40, 30, FillAlphaColours);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<unsigned char> alpha(40 * 30);
        PhotoImage expected = colours;
        for (int y = 0; y < 30; y++) {
            for (int x = 0; x < 40; x++) {
                int a = x / 10 == 1 ? (row.halfAlpha ? 128 : 255) : x / 10 == 2 ? 0 : 255;
                alpha[y * 40 + x] = (unsigned char)a;
                unsigned char *p = &expected.rgb[(y * 40 + x) * 3];
                for (int c = 0; c < 3; c++)
                    p[c] = (unsigned char)((p[c] * a + 127) / 255);
            }
        }
        std::string path = row.options ? MakePicture(row.file, colours, row.options, &alpha)
                                       : MakeHeif(row.file, colours, &alpha);
        PhotoImage image;
        PhotoInfo info;
        std::string error;
        ASSERT_TRUE(Decode(path, &image, &info, &error)) << error;
        ASSERT_EQ(40, image.width);
        if (row.minPsnr == 0)
            EXPECT_EQ(0, MaxDifference(expected, image));
        else
            EXPECT_GE(Psnr(expected, image), row.minPsnr);
        // The transparent column is black whatever lay under it.
        const unsigned char *hidden = &image.rgb[(15 * 40 + 25) * 3];
        EXPECT_LE(hidden[0] + hidden[1] + hidden[2], row.minPsnr == 0 ? 0 : 12);
    }
}

TEST(PhotoDecode, AnimationGivesItsFirstFrameOnItsCanvas)
{
    // Two frames; the first covers only part of a larger canvas, the rest is black.
    struct Row {
        const char *name;
        const char *file;
        const char *options;
    };
    static const Row rows[] = {
        {"gif", "animated.gif", ""},
        {"webp", "animated.webp", "-define webp:lossless=true"},
    };
    PhotoImage first = MakeImage(37, 23, FillPattern);
    PhotoImage second = MakeImage(37, 23, [](int, int, unsigned char *p) { p[0] = 255; });
    std::string a = WriteNetpbm("frame1.ppm", first);
    std::string b = WriteNetpbm("frame2.ppm", second);
    PhotoImage expected = MakeImage(50, 40, [](int, int, unsigned char *) {});
    for (int y = 0; y < 23; y++)
        for (int x = 0; x < 37; x++)
            FillPattern(x, y, &expected.rgb[((y + 7) * 50 + x + 5) * 3]);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string path = FixturePath(row.file);
        ASSERT_TRUE(Convert("-background none -dispose none -page 50x40+5+7 '" + a +
                            "' -page 50x40+0+0 '" + b + "' " + row.options + " '" + path + "'"));
        PhotoImage image;
        PhotoInfo info;
        std::string error;
        ASSERT_TRUE(Decode(path, &image, &info, &error)) << error;
        ASSERT_EQ(50, image.width);
        ASSERT_EQ(40, image.height);
        EXPECT_EQ(0, MaxDifference(expected, image));
    }
}

} // namespace
