// EXIF orientation: every value turns a JPEG upright, and bad EXIF data means "as stored".
#include "photo_test_util.h"

#include <gtest/gtest.h>

namespace
{

// Four quadrants of a 48 x 32 picture: any mirror or turn puts a wrong colour in a corner.
void FillUpright(int x, int y, unsigned char *rgb)
{
    static const unsigned char colours[4][3] = {
        {230, 30, 30}, {30, 200, 40}, {40, 50, 220}, {240, 240, 240}};
    const unsigned char *c = colours[(y >= 16) * 2 + (x >= 24)];
    rgb[0] = c[0];
    rgb[1] = c[1];
    rgb[2] = c[2];
}

void Put16(std::vector<unsigned char> *b, unsigned value, bool motorola)
{
    b->push_back((unsigned char)(motorola ? value >> 8 : value));
    b->push_back((unsigned char)(motorola ? value : value >> 8));
}

void Put32(std::vector<unsigned char> *b, unsigned value, bool motorola)
{
    for (int i = 0; i < 4; i++)
        b->push_back((unsigned char)(value >> (motorola ? 24 - 8 * i : 8 * i)));
}

// An APP1 payload "Exif\0\0" + TIFF header + IFD0 with one entry (tag, type, value), and when
// thumbnailTag is set an IFD1 carrying that tag too.
std::vector<unsigned char> MakeExif(bool motorola, unsigned tag, unsigned type, unsigned value,
                                    unsigned thumbnailTag = 0)
{
    std::vector<unsigned char> b = {'E', 'x', 'i', 'f', 0, 0};
    b.push_back(motorola ? 'M' : 'I');
    b.push_back(motorola ? 'M' : 'I');
    Put16(&b, 42, motorola);
    Put32(&b, 8, motorola); // IFD0 right after the header
    Put16(&b, 1, motorola);
    Put16(&b, tag, motorola);
    Put16(&b, type, motorola);
    Put32(&b, 1, motorola);
    if (type == 3) { // SHORT: value in the first two bytes of the field
        Put16(&b, value, motorola);
        Put16(&b, 0, motorola);
    } else {
        Put32(&b, value, motorola);
    }
    Put32(&b, thumbnailTag ? 26 : 0, motorola); // next IFD
    if (thumbnailTag) {
        Put16(&b, 1, motorola);
        Put16(&b, thumbnailTag, motorola);
        Put16(&b, 3, motorola);
        Put32(&b, 1, motorola);
        Put16(&b, 6, motorola);
        Put16(&b, 0, motorola);
        Put32(&b, 0, motorola);
    }
    return b;
}

// Puts an APP1 segment holding payload right after the JPEG's start-of-image marker.
std::vector<unsigned char> InsertApp1(const std::vector<unsigned char> &jpeg,
                                      const std::vector<unsigned char> &payload)
{
    std::vector<unsigned char> out(jpeg.begin(), jpeg.begin() + 2);
    size_t length = payload.size() + 2;
    out.push_back(0xFF);
    out.push_back(0xE1);
    out.push_back((unsigned char)(length >> 8));
    out.push_back((unsigned char)length);
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

// The convert options that store an upright picture so that orientation N shows it upright.
std::string StoredAs(int orientation)
{
    static const char *const storedAs[9] = {nullptr,     "",           "-flop",       "-rotate 180",
                                            "-flip",     "-transpose", "-rotate 270", "-transverse",
                                            "-rotate 90"};
    return storedAs[orientation];
}

TEST(PhotoOrientation, EveryExifValueComesOutUpright)
{
    PhotoImage upright = MakeImage(48, 32, FillUpright);
    for (int orientation = 1; orientation <= 8; orientation++) {
        for (bool motorola : {false, true}) {
            std::string name = "orient" + std::to_string(orientation) + (motorola ? "mm" : "ii");
            SCOPED_TRACE(name);
            std::string stored =
                MakePicture(name + ".jpg", upright, "-quality 95 " + StoredAs(orientation));
            std::vector<unsigned char> jpeg =
                InsertApp1(ReadBytes(stored), MakeExif(motorola, 0x0112, 3, orientation));
            PhotoImage image;
            PhotoInfo info;
            std::string error;
            ASSERT_TRUE(PhotoDecode(jpeg.data(), jpeg.size(), nullptr, &image, &info, &error))
                << error;
            EXPECT_EQ(orientation, info.orientation);
            EXPECT_EQ(48, info.sourceWidth);
            EXPECT_EQ(32, info.sourceHeight);
            ASSERT_EQ(48, image.width);
            ASSERT_EQ(32, image.height);
            EXPECT_GE(Psnr(upright, image), 30);
        }
    }
}

TEST(PhotoOrientation, HeifRotationAndMirrorAreApplied)
{
    PhotoImage upright = MakeImage(48, 32, FillUpright);
    for (int orientation = 1; orientation <= 8; orientation++) {
        std::string name = "heif-orient" + std::to_string(orientation);
        SCOPED_TRACE(name);
        // The stored pixels, made lossless with convert and read back from PNG.
        std::string png = MakePicture(name + ".png", upright, StoredAs(orientation));
        std::vector<unsigned char> bytes = ReadBytes(png);
        PhotoImage stored;
        PhotoInfo info;
        std::string error;
        ASSERT_TRUE(PhotoDecode(bytes.data(), bytes.size(), nullptr, &stored, &info, &error));
        bytes = ReadBytes(MakeHeif(name + ".heic", stored, nullptr, orientation));
        PhotoImage image;
        ASSERT_TRUE(PhotoDecode(bytes.data(), bytes.size(), nullptr, &image, &info, &error))
            << error;
        EXPECT_EQ(48, info.sourceWidth);
        EXPECT_EQ(32, info.sourceHeight);
        ASSERT_EQ(48, image.width);
        ASSERT_EQ(32, image.height);
        EXPECT_GE(Psnr(upright, image), 28);
    }
}

TEST(PhotoOrientation, BadExifMeansAsStored)
{
    struct Row {
        const char *name;
        std::vector<unsigned char> exif;
        int expected;
    };
    std::vector<unsigned char> good = MakeExif(true, 0x0112, 3, 6);
    const Row rows[] = {
        {"valid", good, 6},
        {"value-0", MakeExif(true, 0x0112, 3, 0), 1},
        {"value-9", MakeExif(false, 0x0112, 3, 9), 1},
        {"long-instead-of-short", MakeExif(false, 0x0112, 4, 6), 1},
        {"other-tag", MakeExif(false, 0x0110, 3, 6), 1},
        {"only-in-thumbnail-directory", MakeExif(false, 0x0110, 3, 6, 0x0112), 1},
        {"truncated-entry", std::vector<unsigned char>(good.begin(), good.begin() + 20), 1},
        {"header-only", std::vector<unsigned char>(good.begin(), good.begin() + 6), 1},
        {"no-exif-header", std::vector<unsigned char>(good.begin() + 6, good.end()), 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, PhotoExifOrientation(row.exif.data(), row.exif.size()));
    }
}

} // namespace
