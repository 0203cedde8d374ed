// The post-link stub rewrite on synthetic PE images: what moves, what stays, what is refused.
#include <gtest/gtest.h>
#include "pestub_core.h"
#include "test_files.h"

// A PE image as ld lays it out: 64-byte DOS header, e_lfanew 0x80, PE32+ optional header of
// 240 bytes, sections whose data start at sizeOfHeaders.
static Bytes LinkedImage(int sections, uint32_t sizeOfHeaders)
{
    Bytes image(sizeOfHeaders + 512 * sections, 0);
    image[0] = 'M';
    image[1] = 'Z';
    WriteLe16(&image[8], 4);
    WriteLe32(&image[60], 0x80);
    memcpy(&image[0x80], "PE\0\0", 4);
    WriteLe16(&image[0x80 + 4], 0x8664);
    WriteLe16(&image[0x80 + 6], (uint16_t)sections);
    WriteLe16(&image[0x80 + 20], 240);
    unsigned char *optional = &image[0x80 + 24];
    WriteLe16(optional, 0x20B);
    WriteLe16(optional + 48, 3); // subsystem version 3.10
    WriteLe16(optional + 50, 10);
    WriteLe32(optional + 60, sizeOfHeaders);
    for (int i = 0; i < sections; i++) {
        unsigned char *section = &image[0x80 + 24 + 240 + 40 * i];
        memcpy(section, ".text", 5);
        WriteLe32(section + 16, 512);
        WriteLe32(section + 20, sizeOfHeaders + 512 * i);
        image[sizeOfHeaders + 512 * i] = (unsigned char)(i + 1);
    }
    return image;
}

TEST(PeStub, MovesTheHeadersTo256AndWritesTheStub)
{
    Bytes before = LinkedImage(5, 0x400);
    Bytes image = before;
    std::string error;
    ASSERT_EQ(PeRewriteStub(&image, &error), 1) << error;
    EXPECT_EQ(image.size(), before.size());
    EXPECT_EQ(ReadLe32(&image[60]), 256u);
    EXPECT_EQ(memcmp(&image[80], "This program must be run under Win32\r\n$", 39), 0);
    const unsigned char code[] = {0x0E, 0x1F, 0xBA, 0x10, 0x00, 0xB4, 0x09, 0xCD, 0x21};
    EXPECT_EQ(memcmp(&image[64], code, sizeof code), 0);
    size_t block = 4 + 20 + 240 + 40 * 5;
    // The block moved unchanged but for the checksum at 256 + 88.
    for (size_t i = 0; i < block; i++) {
        if (i >= 88 && i < 92)
            continue;
        ASSERT_EQ(image[256 + i], before[0x80 + i]) << i;
    }
    EXPECT_EQ(ReadLe16(&image[328]), 3); // subsystem version now at 328 and 330
    EXPECT_EQ(ReadLe16(&image[330]), 10);
    EXPECT_EQ(Bytes(image.begin() + 0x400, image.end()), Bytes(before.begin() + 0x400, before.end()));
    Bytes zero = image;
    WriteLe32(&zero[256 + 88], 0);
    EXPECT_EQ(ReadLe32(&image[256 + 88]), PeChecksum(zero, 256 + 88));
    // Running it again changes nothing.
    Bytes again = image;
    ASSERT_EQ(PeRewriteStub(&again, &error), 1);
    EXPECT_EQ(again, image);
}

TEST(PeStub, RefusesWhatItCannotRewrite)
{
    Bytes noPe = LinkedImage(1, 0x400);
    noPe[0x80] = 'X';
    Bytes crowded = LinkedImage(16, 0x400); // 256 + 904 bytes > 0x400
    Bytes cut = LinkedImage(1, 0x400);
    cut.resize(0x90);
    struct Row {
        const char *name;
        Bytes image;
    } rows[] = {
        {"no MZ", Bytes(600, 0)},
        {"no PE signature", noPe},
        {"headers would not fit", crowded},
        {"cut inside the headers", cut},
        {"tiny", Bytes(10, 'M')},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Bytes image = row.image;
        std::string error;
        EXPECT_EQ(PeRewriteStub(&image, &error), 0);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(image, row.image);
    }
}
