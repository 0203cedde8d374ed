// Pictures with colour profiles or gamma come out in sRGB, against values worked out here from
// the colour spaces' primaries and transfer curves.
#include "photo_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

// Stored values of the fixtures' patches, 16 x 16 pixels each, left to right (see
// colour/make_colour_fixtures.cpp).
const unsigned char PATCHES[][3] = {{255, 0, 0},     {0, 255, 0},     {0, 0, 255},
                                    {128, 128, 128}, {200, 150, 100}, {50, 100, 200},
                                    {255, 255, 255}, {30, 30, 30}};
const int PATCH_COUNT = 8;
const int PATCH_SIDE = 16;

// White, red, green, blue as x, y.
const double SRGB[8] = {0.3127, 0.3290, 0.64, 0.33, 0.30, 0.60, 0.15, 0.06};
const double DISPLAY_P3[8] = {0.3127, 0.3290, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060};
const double ADOBE_RGB[8] = {0.3127, 0.3290, 0.64, 0.33, 0.21, 0.71, 0.15, 0.06};

typedef double Matrix[3][3];

void Invert(const Matrix m, Matrix out)
{
    double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                 m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                 m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++) {
            // Cofactor of (c, r), for the transpose.
            int r0 = (c + 1) % 3, r1 = (c + 2) % 3, c0 = (r + 1) % 3, c1 = (r + 2) % 3;
            out[r][c] = (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / det;
        }
}

// Linear RGB to XYZ for the given primaries and white: the primaries' XYZ as columns, each
// scaled so that RGB 1, 1, 1 gives the white at Y = 1.
void RgbToXyz(const double *xy, Matrix out)
{
    Matrix p, inverse;
    for (int i = 0; i < 3; i++) {
        double x = xy[2 + 2 * i], y = xy[3 + 2 * i];
        p[0][i] = x / y;
        p[1][i] = 1;
        p[2][i] = (1 - x - y) / y;
    }
    double white[3] = {xy[0] / xy[1], 1, (1 - xy[0] - xy[1]) / xy[1]};
    Invert(p, inverse);
    for (int i = 0; i < 3; i++) {
        double s = inverse[i][0] * white[0] + inverse[i][1] * white[1] + inverse[i][2] * white[2];
        for (int r = 0; r < 3; r++)
            out[r][i] = p[r][i] * s;
    }
}

double SrgbDecode(double v)
{
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double SrgbEncode(double v)
{
    v = std::fmin(std::fmax(v, 0.0), 1.0);
    return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
}

// The sRGB value of a stored value in a space of the given primaries whose transfer curve is
// sRGB's (exponent 0) or a plain power; out-of-gamut channels are clipped.
void ExpectedSrgb(const unsigned char *stored, const double *primaries, double exponent,
                  double *out)
{
    Matrix source, srgb, srgbInverse;
    RgbToXyz(primaries, source);
    RgbToXyz(SRGB, srgb);
    Invert(srgb, srgbInverse);
    double linear[3], xyz[3];
    for (int i = 0; i < 3; i++) {
        double v = stored[i] / 255.0;
        linear[i] = exponent > 0 ? std::pow(v, exponent) : SrgbDecode(v);
    }
    for (int r = 0; r < 3; r++)
        xyz[r] = source[r][0] * linear[0] + source[r][1] * linear[1] + source[r][2] * linear[2];
    for (int r = 0; r < 3; r++)
        out[r] = 255 * SrgbEncode(srgbInverse[r][0] * xyz[0] + srgbInverse[r][1] * xyz[1] +
                                  srgbInverse[r][2] * xyz[2]);
}

std::string ColourFixture(const char *name)
{
    return std::string(PHOTO_TEST_COLOUR_FIXTURES) + "/" + name;
}

int Decode(const std::vector<unsigned char> &bytes, PhotoImage *image, PhotoInfo *info)
{
    std::string error;
    int ok = PhotoDecode(bytes.data(), bytes.size(), nullptr, image, info, &error);
    EXPECT_TRUE(ok) << error;
    return ok && image->width == PATCH_COUNT * PATCH_SIDE && image->height == PATCH_SIDE;
}

const unsigned char *PatchCentre(const PhotoImage &image, int patch)
{
    return &image.rgb[((size_t)(PATCH_SIDE / 2) * image.width + patch * PATCH_SIDE + 8) * 3];
}

TEST(PhotoColour, ProfilesAndGammaComeOutInSrgb)
{
    struct Row {
        const char *file;
        const double *primaries;
        double exponent; // 0: sRGB's curve
        double tolerance;
    };
    // The JPEG's own rounding adds a step.
    static const Row rows[] = {
        {"display-p3.png", DISPLAY_P3, 0, 1.5},
        {"adobe-rgb.jpg", ADOBE_RGB, 563.0 / 256.0, 2.5},
        {"gamma-1.8.png", SRGB, 1.8, 1.5},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.file);
        PhotoImage image;
        PhotoInfo info;
        if (!Decode(ReadBytes(ColourFixture(row.file)), &image, &info))
            continue;
        EXPECT_EQ(info.warning, "");
        for (int patch = 0; patch < PATCH_COUNT; patch++) {
            double expected[3];
            ExpectedSrgb(PATCHES[patch], row.primaries, row.exponent, expected);
            const unsigned char *got = PatchCentre(image, patch);
            for (int c = 0; c < 3; c++)
                EXPECT_NEAR(got[c], expected[c], row.tolerance)
                    << "patch " << patch << " channel " << c;
        }
    }
}

// The same profile reaches the conversion from WebP's ICCP chunk and HEIF's colr box.
TEST(PhotoColour, WebpAndHeifProfilesAreApplied)
{
    std::vector<unsigned char> png = ReadBytes(ColourFixture("display-p3.png"));
    PhotoImage reference;
    PhotoInfo info;
    ASSERT_TRUE(Decode(png, &reference, &info));
    std::vector<unsigned char> profile = info.colour.profile;
    ASSERT_FALSE(profile.empty());
    PhotoImage stored =
        MakeImage(PATCH_COUNT * PATCH_SIDE, PATCH_SIDE,
                  [](int x, int, unsigned char *rgb) { memcpy(rgb, PATCHES[x / PATCH_SIDE], 3); });
    std::string webp = FixturePath("display-p3.webp");
    ASSERT_TRUE(Convert(ColourFixture("display-p3.png") + " -define webp:lossless=true " + webp));
    std::string heif = MakeHeif("display-p3.heic", stored, nullptr, 1, &profile);
    for (const std::string &path : {webp, heif}) {
        SCOPED_TRACE(path);
        PhotoImage image;
        if (!Decode(ReadBytes(path), &image, &info))
            continue;
        EXPECT_EQ(info.warning, "");
        EXPECT_EQ(info.colour.profile, profile);
        // HEIF is coded lossily, with its colours at half resolution.
        for (int patch = 0; patch < PATCH_COUNT; patch++)
            for (int c = 0; c < 3; c++)
                EXPECT_NEAR(PatchCentre(image, patch)[c], PatchCentre(reference, patch)[c], 4)
                    << "patch " << patch << " channel " << c;
    }
}

// A profile Little CMS refuses leaves the pixels as stored, with a warning that says so; a
// PNG labelled with sRGB's gamma stays as it is.
TEST(PhotoColour, UnusableProfileKeepsStoredValues)
{
    std::vector<unsigned char> jpeg = ReadBytes(ColourFixture("adobe-rgb.jpg"));
    std::vector<unsigned char> damaged = jpeg;
    // The profile's signature "acsp" at its offset 36.
    auto at = std::search(damaged.begin(), damaged.end(), "acsp", "acsp" + 4);
    ASSERT_NE(at, damaged.end());
    memcpy(&*at, "xxxx", 4);
    PhotoImage image;
    PhotoInfo info;
    ASSERT_TRUE(Decode(damaged, &image, &info));
    EXPECT_NE(info.warning.find("colour profile"), std::string::npos) << info.warning;
    EXPECT_NE(info.warning.find("as stored"), std::string::npos) << info.warning;
    for (int patch = 0; patch < PATCH_COUNT; patch++)
        for (int c = 0; c < 3; c++)
            EXPECT_NEAR(PatchCentre(image, patch)[c], PATCHES[patch][c], 1)
                << "patch " << patch << " channel " << c;

    PhotoImage srgb = MakeImage(16, 16, [](int x, int y, unsigned char *rgb) {
        rgb[0] = (unsigned char)(x * 16);
        rgb[1] = (unsigned char)(y * 16);
        rgb[2] = 7;
    });
    std::string path = MakePicture("gamma-srgb.png", srgb, "-define png:include-chunk=gAMA");
    ASSERT_TRUE(Decode(ReadBytes(path), &image, &info) || image.width == 16);
    EXPECT_EQ(MaxDifference(image, srgb), 0);
}

} // namespace
