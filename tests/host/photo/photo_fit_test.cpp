// Fitting: sizes keep the aspect ratio and never grow by default; the resampler matches a
// floating-point model of its filters; JPEGs are decoded at the smallest DCT scale that still
// covers the fit.
#include "photo_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace
{

TEST(PhotoFit, SizeKeepsAspectAndDoesNotGrowUnlessAsked)
{
    struct Row {
        const char *name;
        int width, height, boxWidth, boxHeight, upscale;
        int fitWidth, fitHeight;
    };
    static const Row rows[] = {
        {"landscape-exact", 4000, 3000, 800, 600, 0, 800, 600},
        {"portrait", 3000, 4000, 800, 600, 0, 450, 600},
        {"wide", 1000, 100, 800, 600, 0, 800, 80},
        {"rounds-to-nearest", 1000, 333, 800, 600, 0, 800, 266},
        {"smaller-stays", 640, 480, 800, 600, 0, 640, 480},
        {"one-side-over", 900, 100, 800, 600, 0, 800, 89},
        {"smaller-upscaled", 640, 480, 800, 600, 1, 800, 600},
        {"upscaled-by-height", 100, 400, 800, 600, 1, 150, 600},
        {"thin-line-keeps-a-pixel", 10000, 1, 800, 600, 0, 800, 1},
        {"thin-column-keeps-a-pixel", 1, 10000, 800, 600, 0, 1, 600},
        {"box-0x0-keeps-size", 5000, 4000, 0, 0, 0, 5000, 4000},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        int w = 0, h = 0;
        PhotoFitSize(row.width, row.height, row.boxWidth, row.boxHeight, row.upscale, &w, &h);
        EXPECT_EQ(row.fitWidth, w);
        EXPECT_EQ(row.fitHeight, h);
    }
}

// The resampler's filters done the slow way in doubles: weights[i][j] of source pixel j in
// output pixel i, edges clamped, each row normalised.
std::vector<std::vector<double>> ModelWeights(int size, int out, bool area)
{
    std::vector<std::vector<double>> weights(out, std::vector<double>(size, 0.0));
    double scale = (double)size / out;
    for (int i = 0; i < out; i++) {
        double total = 0;
        for (int j = -4 * size; j < 5 * size; j++) {
            double w;
            if (area) {
                double begin = i * scale, end = (i + 1) * scale;
                w = std::max(0.0, std::min(end, j + 1.0) - std::max(begin, (double)j));
            } else if (out < size) {
                double x = std::fabs((j - ((i + 0.5) * scale - 0.5)) / scale);
                w = x < 1e-9 ? 1
                    : x >= 3
                        ? 0
                        : 3 * std::sin(M_PI * x) * std::sin(M_PI * x / 3) / (M_PI * M_PI * x * x);
            } else {
                double position = std::min(std::max((i + 0.5) * scale - 0.5, 0.0), size - 1.0);
                w = std::max(0.0, 1 - std::fabs(position - j));
            }
            weights[i][std::min(std::max(j, 0), size - 1)] += w;
            total += w;
        }
        for (double &w : weights[i])
            w /= total;
    }
    return weights;
}

// One separable pass, the intermediate held to 0..255 as the resampler holds it.
PhotoImage ModelPass(const PhotoImage &in, int width, int height, bool area)
{
    auto across = ModelWeights(in.width, width, area), down = ModelWeights(in.height, height, area);
    std::vector<double> middle((size_t)width * in.height * 3, 0.0);
    for (int y = 0; y < in.height; y++)
        for (int x = 0; x < width; x++)
            for (int c = 0; c < 3; c++) {
                double sum = 0;
                for (int j = 0; j < in.width; j++)
                    sum += across[x][j] * in.rgb[(y * in.width + j) * 3 + c];
                middle[(y * width + x) * 3 + c] = std::min(255.0, std::max(0.0, sum));
            }
    PhotoImage out = MakeImage(width, height, [](int, int, unsigned char *) {});
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            for (int c = 0; c < 3; c++) {
                double sum = 0;
                for (int j = 0; j < in.height; j++)
                    sum += down[y][j] * middle[(j * width + x) * 3 + c];
                out.rgb[(y * width + x) * 3 + c] =
                    (unsigned char)std::lround(std::min(255.0, std::max(0.0, sum)));
            }
    return out;
}

// Lanczos to shrink, linear to grow; a side shrinking more than threefold is first
// area-averaged to twice its final size.
PhotoImage ModelResample(const PhotoImage &in, int width, int height)
{
    int middleWidth = in.width > 3 * width ? 2 * width : in.width;
    int middleHeight = in.height > 3 * height ? 2 * height : in.height;
    if (middleWidth == in.width && middleHeight == in.height)
        return ModelPass(in, width, height, false);
    return ModelPass(ModelPass(in, middleWidth, middleHeight, true), width, height, false);
}

TEST(PhotoFit, ResampleMatchesModelAndKeepsFlatAreasExact)
{
    struct Row {
        const char *name;
        int width, height, outWidth, outHeight;
    };
    static const Row rows[] = {
        {"halve", 40, 30, 20, 15},
        {"slight-shrink", 50, 40, 47, 38},
        {"threefold", 36, 27, 12, 9},
        {"area-first", 37, 23, 10, 7},
        {"to-one-pixel", 9, 5, 1, 1},
        {"grow", 5, 4, 13, 11},
        {"shrink-across-grow-down", 30, 4, 7, 9},
    };
    std::mt19937 random(7);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PhotoImage noise = MakeImage(row.width, row.height, [](int, int, unsigned char *) {});
        for (unsigned char &v : noise.rgb)
            v = (unsigned char)(random() & 255);
        PhotoImage result;
        ASSERT_TRUE(PhotoResample(&noise, row.outWidth, row.outHeight, &result));
        ASSERT_EQ(row.outWidth, result.width);
        ASSERT_EQ(row.outHeight, result.height);
        // One step of rounding per pass; the area-first rows have two passes.
        EXPECT_LE(MaxDifference(ModelResample(noise, row.outWidth, row.outHeight), result), 2);

        // A flat picture stays exactly flat, edges included.
        PhotoImage flat = MakeImage(row.width, row.height, [](int, int, unsigned char *p) {
            p[0] = 255;
            p[1] = 1;
            p[2] = 137;
        });
        ASSERT_TRUE(PhotoResample(&flat, row.outWidth, row.outHeight, &result));
        PhotoImage expected =
            MakeImage(row.outWidth, row.outHeight, [](int, int, unsigned char *p) {
                p[0] = 255;
                p[1] = 1;
                p[2] = 137;
            });
        EXPECT_EQ(0, MaxDifference(expected, result));
    }
}

void FillGradient(int x, int y, unsigned char *rgb)
{
    rgb[0] = (unsigned char)(x * 255 / 1599);
    rgb[1] = (unsigned char)(y * 255 / 599);
    rgb[2] = (unsigned char)((x + y) % 256);
}

TEST(PhotoFit, JpegDecodesAtSmallestCoveringDctScale)
{
    // 1600 x 600 stored; orientation 6 shows it as 600 x 1600. Fitted into 800 x 600 that is
    // 225 x 600, i.e. 600 x 225 stored: 3/8 scale (600 x 225) covers it, 2/8 does not.
    PhotoImage stored = MakeImage(1600, 600, FillGradient);
    std::string path = MakePicture("wide.jpg", stored, "-quality 90");
    std::vector<unsigned char> plain = ReadBytes(path);
    std::vector<unsigned char> turned = plain;
    // APP1 with orientation 6, big-endian, right after the start-of-image marker.
    static const unsigned char app1[] = {
        0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
        0,    1,    0x01, 0x12, 0,   3,   0,   0,   0, 1, 0,   6,   0, 0,  0, 0, 0, 0};
    turned.insert(turned.begin() + 2, app1, app1 + sizeof app1);
    struct Row {
        const char *name;
        const std::vector<unsigned char> *bytes;
        int boxWidth, boxHeight, upscale;
        int decodedWidth, decodedHeight, fitWidth, fitHeight;
    };
    const Row rows[] = {
        {"half", &plain, 800, 600, 0, 800, 300, 800, 300},
        {"just-over-quarter", &plain, 401, 600, 0, 600, 225, 401, 150},
        {"turned", &turned, 800, 600, 0, 225, 600, 225, 600},
        {"no-shrink", &plain, 2000, 2000, 0, 1600, 600, 1600, 600},
        {"upscale-from-full", &plain, 3200, 3200, 1, 1600, 600, 3200, 1200},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PhotoOptions options;
        PhotoOptionsInit(&options);
        options.boxWidth = row.boxWidth;
        options.boxHeight = row.boxHeight;
        options.upscale = row.upscale;
        options.bits = 24;
        PhotoImage image;
        PhotoInfo info;
        std::string error;
        ASSERT_TRUE(
            PhotoDecode(row.bytes->data(), row.bytes->size(), &options, &image, &info, &error))
            << error;
        EXPECT_EQ(row.decodedWidth, image.width);
        EXPECT_EQ(row.decodedHeight, image.height);

        std::vector<unsigned char> dib;
        PhotoReport report;
        ASSERT_TRUE(PhotoMakeDibFromMemory(row.bytes->data(), row.bytes->size(), &options, &dib,
                                           &report, &error))
            << error;
        PhotoImage result;
        ASSERT_TRUE(DibToImage(dib, &result));
        EXPECT_EQ(row.fitWidth, result.width);
        EXPECT_EQ(row.fitHeight, result.height);
        EXPECT_EQ(row.fitWidth, report.width);
        EXPECT_EQ(row.fitHeight, report.height);
        EXPECT_EQ(info.sourceWidth, report.sourceWidth);
        EXPECT_EQ(info.sourceHeight, report.sourceHeight);
        // Scaled decoding plus the filter still matches a full decode fitted by the filter.
        PhotoImage full, fitted;
        ASSERT_TRUE(
            PhotoDecode(row.bytes->data(), row.bytes->size(), nullptr, &full, &info, &error));
        ASSERT_TRUE(PhotoResample(&full, row.fitWidth, row.fitHeight, &fitted));
        EXPECT_GE(Psnr(fitted, result), 35);
    }
}

} // namespace
