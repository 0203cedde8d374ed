// Dib validation: every picture whose header, colour table or rows are not all inside the data is
// refused; colour scaling and the colour cube.
#include <gtest/gtest.h>
#include <limits.h>
#include "dib.h"
#include "test_files.h"

// A Dib of the given header values with dataSize bytes in all (header included).
static Bytes MakeDib(int32_t width, int32_t height, uint16_t bits, uint32_t clrUsed,
                     size_t dataSize, uint32_t biSize = 40, uint32_t compression = 0)
{
    Bytes dib(dataSize < 40 ? 40 : dataSize, 0);
    WriteLe32(&dib[0], biSize);
    WriteLe32(&dib[4], (uint32_t)width);
    WriteLe32(&dib[8], (uint32_t)height);
    WriteLe16(&dib[12], 1);
    WriteLe16(&dib[14], bits);
    WriteLe32(&dib[16], compression);
    WriteLe32(&dib[32], clrUsed);
    dib.resize(dataSize);
    return dib;
}

TEST(Dib, LayoutOfValidPictures)
{
    struct Row {
        const char *name;
        Bytes dib;
        int32_t width, height;
        uint32_t colours, rowsOffset, stride;
        int topDown;
    } rows[] = {
        {"8-bit, biClrUsed 0 means 256", MakeDib(800, 600, 8, 0, 40 + 1024 + 480000), 800, 600,
         256, 1064, 800, 0},
        {"8-bit, 256 colours", MakeDib(3, 2, 8, 256, 40 + 1024 + 8), 3, 2, 256, 1064, 4, 0},
        {"8-bit, 16 colours", MakeDib(4, 1, 8, 16, 40 + 64 + 4), 4, 1, 16, 104, 4, 0},
        {"1-bit, two-entry table", MakeDib(33, 2, 1, 0, 40 + 8 + 16), 33, 2, 2, 48, 8, 0},
        {"4-bit", MakeDib(3, 1, 4, 0, 40 + 64 + 4), 3, 1, 16, 104, 4, 0},
        {"24-bit logo", MakeDib(320, 200, 24, 0, 40 + 192000), 320, 200, 0, 40, 960, 0},
        {"24-bit rows padded", MakeDib(5, 2, 24, 99, 40 + 32), 5, 2, 0, 40, 16, 0},
        {"top-down", MakeDib(4, -3, 24, 0, 40 + 48), 4, 3, 0, 40, 12, 1},
        {"bigger header", MakeDib(4, 1, 24, 0, 124 + 12, 124), 4, 1, 0, 124, 12, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DibLayout layout;
        ASSERT_EQ(DibParse(row.dib.data(), (uint32_t)row.dib.size(), &layout), 1);
        EXPECT_EQ(layout.width, row.width);
        EXPECT_EQ(layout.height, row.height);
        EXPECT_EQ(layout.colours, row.colours);
        EXPECT_EQ(layout.rowsOffset, row.rowsOffset);
        EXPECT_EQ(layout.stride, row.stride);
        EXPECT_EQ(layout.topDown, row.topDown);
    }
}

TEST(Dib, MalformedPicturesAreRefused)
{
    struct Row {
        const char *name;
        Bytes dib;
    } rows[] = {
        {"shorter than the header", MakeDib(1, 1, 24, 0, 39)},
        {"rows cut short by one byte", MakeDib(800, 600, 8, 0, 40 + 1024 + 480000 - 1)},
        {"colour table cut short", MakeDib(1, 1, 8, 0, 40 + 1000)},
        {"biClrUsed larger than the table present", MakeDib(1, 1, 8, 300, 40 + 1024 + 4)},
        {"biClrUsed huge", MakeDib(1, 1, 8, 0xFFFFFFFFu, 40 + 1024 + 4)},
        {"biSize below 40", MakeDib(1, 1, 24, 0, 60, 12)},
        {"biSize beyond the data", MakeDib(1, 1, 24, 0, 60, 0x7FFFFFFF)},
        {"16 bits", MakeDib(1, 1, 16, 0, 60)},
        {"32 bits", MakeDib(1, 1, 32, 0, 60)},
        {"0 bits", MakeDib(1, 1, 0, 0, 60)},
        {"RLE8 compressed", MakeDib(4, 4, 8, 0, 40 + 1024 + 16, 40, 1)},
        {"zero width", MakeDib(0, 1, 24, 0, 60)},
        {"negative width", MakeDib(-4, 1, 24, 0, 60)},
        {"zero height", MakeDib(4, 0, 24, 0, 60)},
        {"height INT_MIN", MakeDib(4, INT_MIN, 24, 0, 60)},
        {"rows that overflow 32 bits", MakeDib(0x7FFFFFFF, 0x7FFFFFFF, 24, 0, 100)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DibLayout layout;
        // A copy of exactly the right size, so that ASan sees any read beyond it.
        unsigned char *data = (unsigned char *)malloc(row.dib.size() ? row.dib.size() : 1);
        memcpy(data, row.dib.data(), row.dib.size());
        EXPECT_EQ(DibParse(data, (uint32_t)row.dib.size(), &layout), 0);
        free(data);
    }
    Blob text;
    BlobInit(&text);
    BlobSetText(&text, "not a picture");
    EXPECT_EQ(DibWidth(&text), 0);
    EXPECT_EQ(DibHeight(&text), 0);
    BlobFree(&text);
}

TEST(Dib, ScalingDropsTheRemainderAndSkipsTheReservedByte)
{
    unsigned char table[] = {1, 200, 255, 77, 255, 255, 255, 9};
    ScaleColorTriplets(table, 4, 2, 128);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[1], 100);
    EXPECT_EQ(table[2], 127);
    EXPECT_EQ(table[3], 77);
    ScaleColorTriplets(table + 4, 4, 1, 255);
    EXPECT_EQ(table[4], 127 * 255 >> 8);
    unsigned char pixel[] = {255, 255, 255};
    ScaleColorTriplets(pixel, 3, 1, 255);
    EXPECT_EQ(pixel[0], 254);
    ScaleColorTriplets(pixel, 3, 0, 0); // a count of 0 does nothing
    EXPECT_EQ(pixel[0], 254);
}

TEST(Dib, ColourCubeRedVariesFastest)
{
    struct Row {
        int index;
        int r, g, b;
    } rows[] = {{0, 0, 0, 0}, {1, 51, 0, 0}, {5, 255, 0, 0}, {6, 0, 51, 0},
                {36, 0, 0, 51}, {215, 255, 255, 255}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.index);
        unsigned char r, g, b;
        ColorCubeEntry(row.index, &r, &g, &b);
        EXPECT_EQ(r, row.r);
        EXPECT_EQ(g, row.g);
        EXPECT_EQ(b, row.b);
    }
}
