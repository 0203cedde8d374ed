// Damaged, truncated, oversized, unknown and unreadable inputs are refused with a reason.
#include "photo_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace
{

void FillPhotoLike(int x, int y, unsigned char *rgb)
{
    rgb[0] = (unsigned char)(128 + 100 * std::sin(x * 0.1) * std::cos(y * 0.07));
    rgb[1] = (unsigned char)((x * 3 + y * 2) % 256);
    rgb[2] = (unsigned char)(x * y % 256);
}

using Bytes = std::vector<unsigned char>;

void PutBig16(Bytes *b, size_t at, unsigned v)
{
    (*b)[at] = (unsigned char)(v >> 8);
    (*b)[at + 1] = (unsigned char)v;
}

void PutBig32(Bytes *b, size_t at, unsigned v)
{
    PutBig16(b, at, v >> 16);
    PutBig16(b, at + 2, v & 0xFFFF);
}

unsigned Crc32(const unsigned char *p, size_t n)
{
    unsigned crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; i++) {
        crc ^= p[i];
        for (int k = 0; k < 8; k++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

size_t Find(const Bytes &b, const char *what, size_t length)
{
    for (size_t i = 0; i + length <= b.size(); i++)
        if (memcmp(&b[i], what, length) == 0)
            return i;
    ADD_FAILURE() << "fixture lacks the expected structure";
    return 0;
}

// Each "huge" edit claims a size far above the pixel limit while the file stays small.
Bytes HugeJpeg(Bytes b)
{
    size_t sof = Find(b, "\xFF\xC0", 2);
    PutBig16(&b, sof + 5, 60000);
    PutBig16(&b, sof + 7, 60000);
    return b;
}

Bytes HugePng(Bytes b)
{
    PutBig32(&b, 16, 20000);
    PutBig32(&b, 20, 20000);
    PutBig32(&b, 29, Crc32(&b[12], 17)); // IHDR type and data
    return b;
}

Bytes HugeGif(Bytes b)
{
    b[6] = b[7] = b[8] = b[9] = 0xFF; // logical screen 65535 x 65535
    return b;
}

Bytes HugeWebp(Bytes b)
{
    size_t vp8 = Find(b, "VP8 ", 4);
    // Frame header: 3-byte tag, start code, then 14-bit width and height.
    b[vp8 + 14] = 0xFF;
    b[vp8 + 15] = 0x3F;
    b[vp8 + 16] = 0xFF;
    b[vp8 + 17] = 0x3F;
    return b;
}

Bytes HugeHeif(Bytes b)
{
    // Every size property: the grid's and its tiles'.
    for (size_t ispe = Find(b, "ispe", 4); ispe + 16 <= b.size(); ispe++) {
        if (memcmp(&b[ispe], "ispe", 4) == 0) {
            PutBig32(&b, ispe + 8, 20000);
            PutBig32(&b, ispe + 12, 20000);
        }
    }
    return b;
}

Bytes BadPngCrc(Bytes b)
{
    size_t idat = Find(b, "IDAT", 4);
    b[idat + 10] ^= 0x55;
    return b;
}

// The IDAT chunk's checksum changed, its data left whole.
Bytes BadPngChecksum(Bytes b)
{
    size_t idat = Find(b, "IDAT", 4);
    size_t length = (size_t)b[idat - 4] << 24 | b[idat - 3] << 16 | b[idat - 2] << 8 | b[idat - 1];
    b[idat + 4 + length] ^= 0x55;
    return b;
}

Bytes Truncate(const Bytes &b, size_t keep)
{
    return Bytes(b.begin(), b.begin() + keep);
}

// A PNG whose header byte at (0-based) field offset 'at' (8 bit depth, 9 colour type) or
// 32-bit field (0 width) is set, with the checksum made right again.
Bytes PngHeaderByte(Bytes b, size_t at, unsigned char value)
{
    b[16 + at] = value;
    PutBig32(&b, 29, Crc32(&b[12], 17));
    return b;
}

Bytes PngHeaderWidth(Bytes b, unsigned width)
{
    PutBig32(&b, 16, width);
    PutBig32(&b, 29, Crc32(&b[12], 17));
    return b;
}

// The signature and header, then straight to the end chunk: a PNG without picture data.
Bytes PngWithoutPixels(const Bytes &b)
{
    Bytes out(b.begin(), b.begin() + 33);
    static const unsigned char end[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    out.insert(out.end(), end, end + 12);
    return out;
}

Bytes SetByte(Bytes b, size_t at, unsigned char value)
{
    b[at] = value;
    return b;
}

TEST(PhotoCorrupt, BadInputsAreRefusedWithAReason)
{
    PhotoImage picture = MakeImage(64, 48, FillPhotoLike);
    Bytes jpeg = ReadBytes(MakePicture("base.jpg", picture, "-quality 90"));
    Bytes png = ReadBytes(MakePicture("base.png", picture));
    Bytes gif = ReadBytes(MakePicture("base.gif", picture));
    Bytes webp = ReadBytes(MakePicture("base.webp", picture, "-quality 80"));
    Bytes heif = ReadBytes(MakePicture("base.heic", picture, "-quality 80"));
    Bytes bmp = ReadBytes(MakePicture("BMP3:base.bmp", picture));
    struct Row {
        const char *name;
        Bytes bytes;
        const char *reason; // a fragment the error must hold
    };
    // Plain words first, the decoding library's own after them.
    const Row rows[] = {
        {"jpeg-half", Truncate(jpeg, jpeg.size() / 2),
         "cannot decode JPEG: the file is cut short: the picture data ends before the picture is "
         "complete (libjpeg: Premature end of JPEG file)"},
        {"jpeg-header-only", Truncate(jpeg, 20), "JPEG: the file is cut short"},
        {"jpeg-signature", SetByte(jpeg, 2, 0), "looks like a JPEG picture, but its first bytes"},
        {"jpeg-huge", HugeJpeg(jpeg), "megapixels"},
        {"png-half", Truncate(png, png.size() / 2),
         "PNG: the file is cut short (libpng: the file ends in the middle of a chunk)"},
        {"png-header-only", Truncate(png, 20), "PNG: the file is cut short"},
        {"png-bad-data", BadPngCrc(png),
         "PNG: the compressed picture data is damaged (libpng: "
         "IDAT: "},
        {"png-bad-crc", BadPngChecksum(png),
         "PNG: the file is damaged: a block's checksum does "
         "not match its contents (libpng: IDAT: CRC error)"},
        {"png-signature", SetByte(png, 0, 0x88),
         "looks like a PNG picture, but its first bytes, which say what kind of file it is, "
         "are damaged"},
        {"png-text-mode-signature", SetByte(png, 4, 0x0A), "looks like a PNG picture"},
        {"png-colour-type", PngHeaderByte(png, 9, 5),
         "PNG: its header gives a colour type that no PNG has (libpng: Invalid color type in "
         "IHDR; Invalid IHDR data)"},
        {"png-bit-depth", PngHeaderByte(png, 8, 3), "its header gives a bit depth that no PNG has"},
        {"png-depth-for-type", PngHeaderByte(png, 8, 4),
         "its header gives a bit depth that its colour type cannot have"},
        {"png-zero-width", PngHeaderWidth(png, 0), "its header says the picture is 0 pixels wide"},
        {"png-no-pixels", PngWithoutPixels(png),
         "PNG: the picture data is missing: the file ends before any pixels (libpng: IEND: out "
         "of place)"},
        {"png-huge", HugePng(png), "megapixels"},
        {"gif-half", Truncate(gif, gif.size() / 2), "GIF: the file is cut short"},
        {"gif-header-only", Truncate(gif, 13),
         "GIF: its header is cut short or damaged (giflib: No screen descriptor detected)"},
        {"gif-signature", SetByte(gif, 4, '0'), "looks like a GIF picture"},
        {"gif-huge", HugeGif(gif), "megapixels"},
        {"webp-half", Truncate(webp, webp.size() / 2), "WebP"},
        {"webp-header-only", Truncate(webp, 16), "WebP"},
        {"webp-huge", HugeWebp(webp), "megapixels"},
        {"heif-half", Truncate(heif, heif.size() / 2), "HEIF"},
        {"heif-header-only", Truncate(heif, 24), "HEIF"},
        {"heif-huge", HugeHeif(heif), "megapixels"},
        {"heif-other-brand", Bytes{0, 0, 0, 16, 'f', 't', 'y', 'p', 'i', 's', 'o', 'm', 0, 0, 0, 0},
         "HEIF"},
        {"bmp-half", Truncate(bmp, bmp.size() / 2), "its pixel rows run past the end"},
        {"bmp-header-only", Truncate(bmp, 30), "header runs past the end"},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}, "not a picture format"},
        {"one-byte", Bytes{0xFF}, "not a picture format"},
        {"empty", Bytes{}, "empty"},
    };
    PhotoOptions options;
    PhotoOptionsInit(&options);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string path = FixturePath(std::string("corrupt-") + row.name);
        WriteBytes(path, row.bytes);
        std::vector<unsigned char> dib = {1, 2, 3};
        std::string error;
        EXPECT_EQ(0, PhotoMakeDib(path.c_str(), &options, &dib, nullptr, &error));
        EXPECT_TRUE(dib.empty());
        EXPECT_NE(std::string::npos, error.find(row.reason)) << error;
    }
}

TEST(PhotoCorrupt, RandomDamageGivesAPictureOrAReason)
{
    PhotoImage picture = MakeImage(64, 48, FillPhotoLike);
    struct Row {
        const char *name;
        const char *options;
    };
    static const Row rows[] = {
        {"sweep.jpg", "-quality 90"},
        {"sweep-progressive.jpg", "-quality 90 -interlace JPEG"},
        {"sweep.png", ""},
        {"sweep.gif", "-interlace GIF"},
        {"sweep.webp", "-quality 80"},
        {"sweep-lossless.webp", "-define webp:lossless=true"},
        {"sweep.heic", "-quality 80"},
        {"BMP3:sweep.bmp", "-type Palette"},
        {"BMP3:sweep-rle.bmp", "-type Palette -compress RLE"},
        {"BMP:sweep-32.bmp", "-alpha on"},
    };
    std::mt19937 random(1);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Bytes base = ReadBytes(MakePicture(row.name, picture, row.options));
        ASSERT_GT(base.size(), 16u);
        for (int round = 0; round < 150; round++) {
            Bytes bytes = base;
            // Keep the first bytes so that the damage reaches the format's own reader.
            int flips = 1 + (int)(random() % 8);
            for (int i = 0; i < flips; i++)
                bytes[8 + random() % (bytes.size() - 8)] = (unsigned char)random();
            if (round % 3 == 0)
                bytes.resize(8 + random() % (bytes.size() - 8));
            PhotoImage image;
            PhotoInfo info;
            std::string error;
            if (PhotoDecode(bytes.data(), bytes.size(), nullptr, &image, &info, &error)) {
                ASSERT_EQ((size_t)image.width * image.height * 3, image.rgb.size()) << round;
            } else {
                ASSERT_FALSE(error.empty()) << round;
                ASSERT_TRUE(image.rgb.empty()) << round;
            }
        }
    }
}

TEST(PhotoCorrupt, UnreadableFilesAreRefused)
{
    struct Row {
        const char *name;
        std::string path;
        const char *reason;
    };
    const Row rows[] = {
        {"missing", FixturePath("no-such-file.jpg"), "No such file"},
        {"directory", FixtureDir(), "read"},
    };
    PhotoOptions options;
    PhotoOptionsInit(&options);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<unsigned char> dib;
        PhotoReport report;
        std::string error;
        EXPECT_EQ(0, PhotoMakeDib(row.path.c_str(), &options, &dib, &report, &error));
        EXPECT_NE(std::string::npos, error.find(row.reason)) << error;
        EXPECT_EQ(0, report.width);
    }
}

} // namespace
