// BMP files of every flavour, built byte by byte here, become Dibs that Windows 95 draws with
// the pixels each file means; broken ones are refused with the specific problem.
#include "photo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include "dib.h"

namespace
{

using Bytes = std::vector<unsigned char>;

void Put16(Bytes *b, unsigned v)
{
    b->push_back((unsigned char)v);
    b->push_back((unsigned char)(v >> 8));
}

void Put32(Bytes *b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// Colours named by one letter; the expected pictures below are spelled with them.
struct Colour {
    char name;
    unsigned char r, g, b;
};

const Colour COLOURS[] = {
    {'K', 0, 0, 0},       {'R', 255, 0, 0},     {'G', 0, 255, 0},   {'B', 0, 0, 255},
    {'W', 255, 255, 255}, {'Y', 255, 255, 0},   {'P', 255, 0, 255}, {'M', 132, 132, 132},
    {'N', 132, 130, 132}, {'h', 128, 128, 128}, {'g', 0, 136, 0},
};

const Colour &Named(char name)
{
    for (const Colour &c : COLOURS)
        if (c.name == name)
            return c;
    ADD_FAILURE() << "no colour " << name;
    return COLOURS[0];
}

// A colour table as stored: blue, green, red and (unless core) a reserved byte per entry.
Bytes Table(const char *names, int entryBytes = 4)
{
    Bytes table;
    for (const char *p = names; *p; p++) {
        const Colour &c = Named(*p);
        table.insert(table.end(), {c.b, c.g, c.r});
        if (entryBytes == 4)
            table.push_back(0);
    }
    return table;
}

// Rows given top-down as unit values (indices, 16 or 32-bit words, or 0xRRGGBB for 24 bits),
// packed as a BMP stores them: 4-byte rows, the bottom row first unless topDown.
Bytes Rows(const std::vector<std::vector<uint32_t>> &rows, int bits, int topDown = 0)
{
    Bytes out;
    for (size_t i = 0; i < rows.size(); i++) {
        const std::vector<uint32_t> &row = rows[topDown ? i : rows.size() - 1 - i];
        Bytes packed;
        if (bits <= 8) {
            packed.assign((row.size() * bits + 7) / 8, 0);
            for (size_t x = 0; x < row.size(); x++)
                packed[x * bits / 8] |= (unsigned char)(row[x] << (8 - bits - x * bits % 8));
        }
        for (uint32_t v : row) {
            if (bits == 16)
                Put16(&packed, v);
            if (bits == 24)
                packed.insert(packed.end(), {(unsigned char)v, (unsigned char)(v >> 8),
                                             (unsigned char)(v >> 16)});
            if (bits == 32)
                Put32(&packed, v);
        }
        packed.resize((packed.size() + 3) & ~(size_t)3, 0);
        out.insert(out.end(), packed.begin(), packed.end());
    }
    return out;
}

struct BmpSpec {
    uint32_t headerSize;
    int width;
    int height; // negative: top-down
    int bits;
    uint32_t compression;
    uint32_t clrUsed;
    std::vector<uint32_t> masks; // at 40 in a header of 52 bytes or more, else behind it
    Bytes table;
    Bytes pixels;
    size_t gap; // bytes between the table and the pixels
};

Bytes MakeBmp(const BmpSpec &s)
{
    Bytes info;
    if (s.headerSize == 12) {
        Put32(&info, 12);
        Put16(&info, (unsigned)s.width);
        Put16(&info, (unsigned)s.height);
        Put16(&info, 1);
        Put16(&info, (unsigned)s.bits);
    } else {
        Put32(&info, s.headerSize);
        Put32(&info, (uint32_t)s.width);
        Put32(&info, (uint32_t)s.height);
        Put16(&info, 1);
        Put16(&info, (unsigned)s.bits);
        Put32(&info, s.compression);
        Put32(&info, (uint32_t)s.pixels.size());
        Put32(&info, 2835);
        Put32(&info, 2835);
        Put32(&info, s.clrUsed);
        Put32(&info, 0);
        if (s.headerSize >= 52)
            for (uint32_t m : s.masks)
                Put32(&info, m);
        info.resize(s.headerSize, 0);
        if (s.headerSize == 40)
            for (uint32_t m : s.masks)
                Put32(&info, m);
    }
    size_t offset = 14 + info.size() + s.table.size() + s.gap;
    Bytes file = {'B', 'M'};
    Put32(&file, (uint32_t)(offset + s.pixels.size()));
    Put32(&file, 0);
    Put32(&file, (uint32_t)offset);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), s.table.begin(), s.table.end());
    file.resize(offset, 0);
    file.insert(file.end(), s.pixels.begin(), s.pixels.end());
    return file;
}

// A Dib as the engine reads it: its parse must succeed; pixels come out top-down as letters
// of the colours above ('?' for any other), and the colour table as letters.
struct ReadDib {
    DibLayout layout;
    std::string pixels;
    std::string table;
};

char Letter(const unsigned char *bgr)
{
    for (const Colour &c : COLOURS)
        if (c.r == bgr[2] && c.g == bgr[1] && c.b == bgr[0])
            return c.name;
    return '?';
}

bool ReadBack(const Bytes &dib, ReadDib *out)
{
    if (!DibParse(dib.data(), (uint32_t)dib.size(), &out->layout))
        return false;
    const DibLayout &l = out->layout;
    const unsigned char *table = dib.data() + l.headerSize;
    for (uint32_t i = 0; i < l.colours; i++)
        out->table += Letter(table + 4 * i);
    for (int y = 0; y < l.height; y++) {
        int stored = l.topDown ? y : l.height - 1 - y;
        const unsigned char *row = dib.data() + l.rowsOffset + (size_t)stored * l.stride;
        for (int x = 0; x < l.width; x++) {
            if (l.bitCount == 24) {
                out->pixels += Letter(row + 3 * x);
                continue;
            }
            int bits = l.bitCount;
            unsigned index = row[x * bits / 8] >> (8 - bits - x * bits % 8) & ((1u << bits) - 1);
            out->pixels += index < l.colours ? Letter(table + 4 * index) : '!';
        }
        if (y + 1 < l.height)
            out->pixels += ' ';
    }
    return true;
}

TEST(PhotoBmp, EveryFlavourBecomesADrawableDibWithItsPixels)
{
    const std::vector<uint32_t> none;
    // 16-bit words: 5-5-5 red, green, blue, white, mid grey (16 of 31), black.
    const std::vector<std::vector<uint32_t>> rgb555 = {{0x7C00, 0x03E0, 0x001F},
                                                       {0x7FFF, 0x4210, 0x0000}};
    const std::vector<std::vector<uint32_t>> rgb565 = {{0xF800, 0x07E0, 0x001F},
                                                       {0xFFFF, 0x8410, 0x0000}};
    const std::vector<uint32_t> masks565 = {0xF800, 0x07E0, 0x001F};
    const std::vector<uint32_t> masks8888 = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    const std::vector<std::vector<uint32_t>> rgb24 = {{0xFF0000, 0x00FF00, 0x0000FF},
                                                      {0xFFFFFF, 0x000000, 0xFFFF00}};
    struct Row {
        const char *name;
        Bytes file;
        int bits;           // of the Dib written
        const char *pixels; // top-down rows
        const char *table;  // the Dib's colour table, or "" for 24 bits
        int sameBytes;      // the Dib is the file after its 14-byte header
    };
    const Row rows[] = {
        {"core-1-bit",
         MakeBmp({12, 3, 2, 1, 0, 0, none, Table("WB", 3), Rows({{1, 0, 1}, {0, 1, 1}}, 1), 0}), 1,
         "BWB WBB", "WB", 0},
        {"core-24-bit", MakeBmp({12, 3, 2, 24, 0, 0, none, {}, Rows(rgb24, 24), 0}), 24, "RGB WKY",
         "", 0},
        {"core-8-bit-short-table",
         MakeBmp({12, 3, 2, 8, 0, 0, none, Table("GW", 3), Rows({{1, 0, 1}, {0, 0, 1}}, 8), 0}), 8,
         "WGW GGW", "GW", 0},
        {"info-1-bit-as-is",
         MakeBmp({40, 3, 2, 1, 0, 0, none, Table("RY"), Rows({{1, 0, 1}, {0, 1, 1}}, 1), 0}), 1,
         "YRY RYY", "RY", 1},
        {"info-2-bit-becomes-4",
         MakeBmp({40, 3, 2, 2, 0, 0, none, Table("KRGB"), Rows({{3, 2, 1}, {0, 1, 2}}, 2), 0}), 4,
         "BGR KRG", "KRGB", 0},
        {"info-4-bit-short-table-as-is",
         MakeBmp({40, 3, 2, 4, 0, 3, none, Table("KYW"), Rows({{2, 1, 0}, {1, 1, 2}}, 4), 0}), 4,
         "WYK YYW", "KYW", 1},
        {"info-8-bit-top-down-as-is",
         MakeBmp({40, 3, -2, 8, 0, 3, none, Table("RGB"), Rows({{0, 1, 2}, {2, 2, 0}}, 8, 1), 0}),
         8, "RGB BBR", "RGB", 1},
        {"info-8-bit-gap-before-rows",
         MakeBmp({40, 3, 2, 8, 0, 2, none, Table("RB"), Rows({{0, 1, 0}, {1, 1, 1}}, 8), 6}), 8,
         "RBR BBB", "RB", 0},
        {"info-8-bit-index-beyond-table",
         MakeBmp({40, 3, 2, 8, 0, 2, none, Table("RG"), Rows({{0, 1, 3}, {3, 0, 1}}, 8), 0}), 8,
         "RGK KRG", "RGKK", 0},
        {"v4-8-bit",
         MakeBmp({108, 3, 2, 8, 0, 2, none, Table("KW"), Rows({{1, 1, 0}, {0, 1, 0}}, 8), 0}), 8,
         "WWK KWK", "KW", 0},
        {"os2-2x-8-bit",
         MakeBmp({64, 3, 2, 8, 0, 2, none, Table("GW"), Rows({{1, 0, 1}, {0, 0, 1}}, 8), 0}), 8,
         "WGW GGW", "GW", 0},
        // Bottom row: a run of two 3s, then a line end that leaves the last pixel at 0. Top
        // row: three literal indices padded to a 16-bit word, then the end of the picture.
        {"rle8",
         MakeBmp({40, 3, 2, 8, 1, 4, none, Table("KRGB"), {2, 3, 0, 0, 0, 3, 1, 2, 2, 0, 0, 1}, 0}),
         8, "RGG BBK", "KRGB", 0},
        // One row: three literal indices, the pad byte (9) that keeps the next pair on a 16-bit
        // word, then a run of two 1s: a reader that skipped no pad would take 9, 2 for a run.
        {"rle8-odd-literal-then-a-run",
         MakeBmp({40, 5, 1, 8, 1, 4, none, Table("KRGB"), {0, 3, 1, 2, 3, 9, 2, 1, 0, 1}, 0}), 8,
         "RGBRR", "KRGB", 0},
        // Bottom row: a run of five alternating 3 and 1, a line end. Top row: a delta of two
        // pixels to the right, three literal indices 1 2 3, the end of the picture.
        {"rle4",
         MakeBmp({40,
                  5,
                  2,
                  4,
                  2,
                  4,
                  none,
                  Table("KRGB"),
                  {5, 0x31, 0, 0, 0, 2, 2, 0, 0, 3, 0x12, 0x30, 0, 1},
                  0}),
         4, "KKRGB BRBRB", "KRGB", 0},
        {"info-16-bit-555", MakeBmp({40, 3, 2, 16, 0, 0, none, {}, Rows(rgb555, 16), 0}), 24,
         "RGB WMK", "", 0},
        {"info-16-bit-565-masks-behind-header",
         MakeBmp({40, 3, 2, 16, 3, 0, masks565, {}, Rows(rgb565, 16), 0}), 24, "RGB WNK", "", 0},
        {"v2-16-bit-565-masks-in-header",
         MakeBmp({52, 3, 2, 16, 3, 0, masks565, {}, Rows(rgb565, 16), 0}), 24, "RGB WNK", "", 0},
        // 4-4-4-4 with alpha: opaque red, green at alpha 8/15, blue at alpha 0; opaque white,
        // black and magenta.
        {"info-16-bit-4444-alpha-bit-fields",
         MakeBmp({40,
                  3,
                  2,
                  16,
                  6,
                  0,
                  {0x0F00, 0x00F0, 0x000F, 0xF000},
                  {},
                  Rows({{0xFF00, 0x80F0, 0x000F}, {0xFFFF, 0xF000, 0xFF0F}}, 16),
                  0}),
         24, "RgK WKP", "", 0},
        {"info-24-bit-as-is", MakeBmp({40, 3, 2, 24, 0, 0, none, {}, Rows(rgb24, 24), 0}), 24,
         "RGB WKY", "", 1},
        {"info-24-bit-with-table",
         MakeBmp({40, 3, 2, 24, 0, 2, none, Table("PM"), Rows(rgb24, 24), 0}), 24, "RGB WKY", "",
         0},
        // The fourth byte of an uncompressed 32-bit pixel is unused, whatever it holds.
        {"info-32-bit-with-table",
         MakeBmp({40, 3, 2, 32, 0, 1, none, Table("P"),
                  Rows({{0x12FF0000, 0x3400FF00, 0x560000FF}, {0x78FFFFFF, 0x9A000000, 0xBCFFFF00}},
                       32),
                  0}),
         24, "RGB WKY", "", 0},
        {"v4-32-bit-unused-byte",
         MakeBmp({108,
                  3,
                  2,
                  32,
                  0,
                  0,
                  none,
                  {},
                  Rows({{0x12FF0000, 0x3400FF00, 0x560000FF}, {0x78FFFFFF, 0x9A000000, 0xBCFFFF00}},
                       32),
                  0}),
         24, "RGB WKY", "", 0},
        // Red, white at alpha 128, blue at alpha 0; opaque green, black and white.
        {"v3-32-bit-alpha",
         MakeBmp({56,
                  3,
                  2,
                  32,
                  3,
                  0,
                  masks8888,
                  {},
                  Rows({{0xFFFF0000, 0x80FFFFFF, 0x000000FF}, {0xFF00FF00, 0xFF000000, 0xFFFFFFFF}},
                       32),
                  0}),
         24, "RhK GKW", "", 0},
        // Alpha 0 throughout is alpha left unset: the picture is opaque.
        {"v5-32-bit-alpha-unset",
         MakeBmp({124,
                  3,
                  2,
                  32,
                  3,
                  0,
                  masks8888,
                  {},
                  Rows({{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0xFFFF00}}, 32),
                  0}),
         24, "RGB WKY", "", 0},
        {"v5-32-bit-top-down",
         MakeBmp({124,
                  3,
                  -2,
                  32,
                  3,
                  0,
                  masks8888,
                  {},
                  Rows({{0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, {0xFFFFFFFF, 0xFF000000, 0xFFFFFF00}},
                       32, 1),
                  0}),
         24, "RGB WKY", "", 0},
    };
    PhotoOptions options;
    PhotoOptionsInit(&options);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Bytes dib;
        PhotoReport report;
        std::string error;
        ASSERT_EQ(1, PhotoMakeDibFromMemory(row.file.data(), row.file.size(), &options, &dib,
                                            &report, &error))
            << error;
        ReadDib read;
        ASSERT_TRUE(ReadBack(dib, &read));
        // What Windows 95 draws: a 40-byte header, one plane, uncompressed.
        EXPECT_EQ(40u, read.layout.headerSize);
        EXPECT_EQ(1, dib[12] | dib[13] << 8);
        EXPECT_EQ(0, dib[16] | dib[17] | dib[18] | dib[19]);
        EXPECT_EQ(row.bits, read.layout.bitCount);
        EXPECT_EQ(row.pixels, read.pixels);
        EXPECT_EQ(row.table, read.table);
        EXPECT_EQ(row.sameBytes, dib == Bytes(row.file.begin() + 14, row.file.end()));
        // The rows end where the data ends: nothing lies behind them to confuse a reader.
        EXPECT_EQ(dib.size(), (size_t)read.layout.rowsOffset + read.layout.rowsSize);
        EXPECT_EQ(report.sourceWidth, read.layout.width);
    }
}

// A plain 8-bit file of 4 x 4 whose pixels are 2 x 2 blocks of red, green, blue and white.
Bytes Blocks8()
{
    return MakeBmp({40,
                    4,
                    4,
                    8,
                    0,
                    4,
                    {},
                    Table("RGBW"),
                    Rows({{0, 0, 1, 1}, {0, 0, 1, 1}, {2, 2, 3, 3}, {2, 2, 3, 3}}, 8),
                    0});
}

Bytes Blocks32()
{
    const uint32_t r = 0xFF0000, g = 0xFF00, b = 0xFF, w = 0xFFFFFF;
    return MakeBmp({40,
                    4,
                    4,
                    32,
                    0,
                    0,
                    {},
                    {},
                    Rows({{r, r, g, g}, {r, r, g, g}, {b, b, w, w}, {b, b, w, w}}, 32),
                    0});
}

TEST(PhotoBmp, SizeAndBitsFollowTheRules)
{
    struct Row {
        const char *name;
        Bytes file;
        int boxWidth, boxHeight, upscale, bits, bmpBits;
        int width, height, bitCount; // of the Dib written
        const char *pixels;          // "" where resampling decides them
        int sameBytes;
    };
    const Row rows[] = {
        {"fits: kept as it is, whatever --bits", Blocks8(), 800, 600, 0, 24, 24, 4, 4, 8,
         "RRGG RRGG BBWW BBWW", 1},
        {"fits: true colour stays true colour", Blocks32(), 800, 600, 0, 8, 24, 4, 4, 24,
         "RRGG RRGG BBWW BBWW", 0},
        {"fits, 8 bits asked: own colours", Blocks32(), 800, 600, 0, 8, 8, 4, 4, 8,
         "RRGG RRGG BBWW BBWW", 0},
        {"exactly the box: kept", Blocks8(), 4, 4, 0, 8, 24, 4, 4, 8, "RRGG RRGG BBWW BBWW", 1},
        {"larger than the box: fitted like a photo", Blocks8(), 2, 2, 0, 8, 24, 2, 2, 8, "", 0},
        {"larger, 24 bits: fitted in true colour", Blocks8(), 2, 2, 0, 24, 24, 2, 2, 24, "", 0},
        {"smaller with upscale: enlarged", Blocks8(), 8, 8, 1, 8, 24, 8, 8, 8, "", 0},
        {"no box: kept", Blocks32(), 0, 0, 0, 8, 24, 4, 4, 24, "RRGG RRGG BBWW BBWW", 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PhotoOptions options;
        PhotoOptionsInit(&options);
        options.boxWidth = row.boxWidth;
        options.boxHeight = row.boxHeight;
        options.upscale = row.upscale;
        options.bits = row.bits;
        options.bmpBits = row.bmpBits;
        Bytes dib;
        std::string error;
        ASSERT_EQ(1, PhotoMakeDibFromMemory(row.file.data(), row.file.size(), &options, &dib,
                                            nullptr, &error))
            << error;
        ReadDib read;
        ASSERT_TRUE(ReadBack(dib, &read));
        EXPECT_EQ(row.width, read.layout.width);
        EXPECT_EQ(row.height, read.layout.height);
        EXPECT_EQ(row.bitCount, read.layout.bitCount);
        if (*row.pixels) {
            EXPECT_EQ(row.pixels, read.pixels);
        }
        EXPECT_EQ(row.sameBytes, dib == Bytes(row.file.begin() + 14, row.file.end()));
    }
}

Bytes With32(Bytes b, size_t at, uint32_t v)
{
    b[at] = (unsigned char)v;
    b[at + 1] = (unsigned char)(v >> 8);
    b[at + 2] = (unsigned char)(v >> 16);
    b[at + 3] = (unsigned char)(v >> 24);
    return b;
}

Bytes With16(Bytes b, size_t at, unsigned v)
{
    b[at] = (unsigned char)v;
    b[at + 1] = (unsigned char)(v >> 8);
    return b;
}

Bytes Cut(const Bytes &b, size_t keep)
{
    return Bytes(b.begin(), b.begin() + keep);
}

TEST(PhotoBmp, BrokenFilesAreRefusedWithTheirProblem)
{
    const std::vector<uint32_t> none;
    Bytes plain8 = Blocks8();                                                 // 40 + 16
    Bytes plain16 = MakeBmp({40, 2, 1, 16, 0, 0, none, {}, {0, 0, 0, 0}, 0}); // no masks
    Bytes fields16 = MakeBmp({40, 2, 1, 16, 3, 0, {0xF800, 0x07E0, 0x001F}, {}, {0, 0, 0, 0}, 0});
    Bytes core = MakeBmp({12, 2, 1, 24, 0, 0, none, {}, Rows({{0, 0}}, 24), 0});
    Bytes os2 = MakeBmp({64, 4, 1, 8, 0, 2, none, Table("KW"), Rows({{0, 1, 0, 1}}, 8), 0});
    Bytes rle8 = MakeBmp({40, 2, 2, 8, 1, 2, none, Table("KW"), {2, 1, 0, 0, 2, 0, 0, 1}, 0});
    Bytes v5 = MakeBmp({124, 2, 1, 32, 0, 0, none, {}, Bytes(8, 0), 0});
    struct Row {
        const char *name;
        Bytes file;
        const char *reason;
    };
    const Row rows[] = {
        {"too short", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0}, "too short to be a BMP file"},
        {"header size 41", With32(plain8, 14, 41), "has a header of 41 bytes, which no BMP"},
        {"header cut short", Cut(v5, 14 + 100), "its 124-byte header runs past the end"},
        {"two planes", With16(plain8, 26, 2), "has 2 colour planes; a BMP has 1"},
        {"7 bits", With16(plain8, 28, 7), "has 7 bits per pixel, which its 40-byte header"},
        {"16 bits in a core header", With16(core, 24, 16), "its 12-byte header does not define"},
        {"unknown compression", With32(plain16, 30, 7),
         "uses 16-bit colour with an unknown compression 7"},
        {"RLE8 on 4 bits", With16(rle8, 28, 4), "is RLE8-compressed but has 4-bit pixels"},
        {"RLE4 on 8 bits", With32(plain8, 30, 2), "is RLE4-compressed but has 8-bit pixels"},
        {"bit fields on 8 bits", With32(plain8, 30, 3), "bit fields need 16 or 32"},
        {"embedded JPEG", With32(plain8, 30, 4), "embedded JPEG picture"},
        {"embedded PNG", With32(plain8, 30, 5), "embedded PNG picture"},
        {"OS/2 Huffman", With16(With32(os2, 30, 3), 28, 1), "OS/2 Huffman compression"},
        {"OS/2 RLE24", With16(With32(os2, 30, 4), 28, 24), "OS/2 RLE24 compression"},
        {"width 0", With32(plain8, 18, 0), "has a width of 0 pixels"},
        {"negative width", With32(plain8, 18, (uint32_t)-4), "has a width of -4 pixels"},
        {"height 0", With32(plain8, 22, 0), "has a height of 0 pixels"},
        {"top-down RLE", With32(rle8, 22, (uint32_t)-2), "stored top-down, which compressed"},
        {"three million by two million", With32(With32(plain8, 18, 3000000), 22, 2000000),
         "picture is 3000000 x 2000000, more than the limit of 100 megapixels"},
        {"masks cut off", Cut(fields16, 14 + 40 + 4), "its bit masks run past the end"},
        {"mask not one run", With32(fields16, 58, 0x05E0),
         "its green bit mask 0x5E0 is not one run of bits"},
        {"mask beyond 16 bits", With32(fields16, 54, 0x1F0000),
         "its red bit mask 0x1F0000 reaches beyond its 16-bit pixels"},
        {"masks all zero", With32(With32(With32(fields16, 54, 0), 58, 0), 62, 0),
         "its colour bit masks are all zero"},
        {"pixels inside the headers", With32(plain8, 10, 20),
         "its pixel data begins at byte 20, inside its headers"},
        {"pixels beyond the end", With32(plain8, 10, 100000),
         "its pixel data begins at byte 100000, beyond the end of the file"},
        {"table beyond the end", With32(With32(plain8, 10, 2000), 46, 0),
         "its colour table runs past the end of the file"},
        {"no table", With32(With32(plain8, 10, 54), 46, 0), "has 8-bit pixels but no colour table"},
        {"rows cut short", Cut(plain8, plain8.size() - 1),
         "its pixel rows run past the end of the file"},
        {"RLE without its last row", Cut(rle8, rle8.size() - 4),
         "its compressed pixel data ends before the last row"},
        {"RLE literal cut", Cut(With16(rle8, rle8.size() - 4, 0x0300), rle8.size() - 2),
         "its compressed pixel data ends before the last row"},
    };
    PhotoOptions options;
    PhotoOptionsInit(&options);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Bytes dib = {1};
        std::string error;
        EXPECT_EQ(0, PhotoMakeDibFromMemory(row.file.data(), row.file.size(), &options, &dib,
                                            nullptr, &error));
        EXPECT_TRUE(dib.empty());
        EXPECT_NE(std::string::npos, error.find(row.reason)) << error;
    }
}

} // namespace
