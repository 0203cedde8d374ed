// glimmer-pack's parts that need no files: name order, the collage's cells and pixels, reading
// drawable Dibs back as pixels, where the installed images are looked for, and the memory sum.
#include <gtest/gtest.h>

#include <algorithm>
#include <string.h>
#include <string>
#include <vector>

#include "dib.h"
#include "installed_images.h"
#include "pack_defaults.h"
#include "pack_inputs.h"
#include "pack_preview.h"
#include "saver_memory.h"
#include "slideshow_logic.h"

namespace
{

// The packer takes exactly the options texts whose address the engine keeps: every length
// around the limit, where an off-by-one on either side would refuse an address the engine
// launches or pass one it drops.
TEST(OptionsText, AcceptedExactlyWhenTheEngineKeepsTheAddress)
{
    for (int length = 0; length <= 130; ++length) {
        SCOPED_TRACE(length);
        std::string text = "DV" + std::string(length, 'a');
        SaverOptions options;
        OptionsParse(text.c_str(), &options);
        bool engineKeeps = strlen(options.address) == (size_t)length;
        std::string reason;
        EXPECT_EQ(CheckOptionsText(text.c_str(), &reason) == 1, engineKeeps);
        EXPECT_EQ(engineKeeps, length <= 127);
    }
}

TEST(NameOrder, AsAFileManagerShowsThem)
{
    struct Row {
        const char *name;
        std::vector<std::string> shuffled, sorted;
    } rows[] = {
        {"numbers by value",
         {"img10.jpg", "img9.jpg", "img100.jpg"},
         {"img9.jpg", "img10.jpg", "img100.jpg"}},
        {"letters without case", {"b.png", "C.png", "a.png"}, {"a.png", "b.png", "C.png"}},
        {"leading zeros", {"x010", "x9", "x08"}, {"x08", "x9", "x010"}},
        {"prefix first", {"holiday1", "holiday"}, {"holiday", "holiday1"}},
        {"same name but case", {"a.JPG", "a.jpg"}, {"a.JPG", "a.jpg"}},
        {"digits before letters", {"a_b", "a_1"}, {"a_1", "a_b"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> names = row.shuffled;
        std::sort(names.begin(), names.end(), NameOrderLess);
        EXPECT_EQ(names, row.sorted);
    }
}

// Each refused name gets the reason that applies to it, not the rule's general sentence; the
// letter that broke the rule is shown as typed.
TEST(SaverName, RefusalSaysTheRealReason)
{
    static const std::string LETTERS = "the installer takes only the letters A to Z, digits, "
                                       "underscores and spaces, and ";
    static const std::string DEVICE = "Windows keeps it for a device";
    struct Row {
        const char *name;
        std::string given, reason; // reason "": accepted
    } rows[] = {
        {"plain", "Holiday 2024_b", ""},
        {"longest", std::string(79, 'x'), ""},
        {"letter with accent at the end", "Caf\xc3\xa9", LETTERS + "\"\xc3\xa9\" is none of them"},
        {"letter with accent inside", "No\xc3\xabl \xc3\xa0 Paris",
         LETTERS + "\"\xc3\xab\" is none of them"},
        {"Latin-1 byte, not UTF-8", "Caf\xe9", LETTERS + "the byte 0xE9 (not UTF-8 text) is none of them"},
        {"hyphen", "My-Saver", LETTERS + "\"-\" is none of them"},
        {"tab", "My\tSaver", LETTERS + "a tab is none of them"},
        {"leading space", " Holiday", "it starts with a space, which the installer would cut off"},
        {"trailing space", "Holiday ", "it ends with a space, which the installer would cut off"},
        {"too long", std::string(80, 'x'),
         "it is 80 characters long; the installer takes 79 at most"},
        {"empty", "", "it is empty"},
        {"device", "NUL", DEVICE},
        {"device in lower case", "com1", DEVICE},
        {"no device: COM0", "COM0", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string reason;
        EXPECT_EQ(CheckSaverName(row.given.c_str(), &reason), row.reason.empty() ? 1 : 0);
        if (row.reason == DEVICE)
            EXPECT_EQ(reason.compare(0, DEVICE.size(), DEVICE), 0) << reason;
        else
            EXPECT_EQ(reason, row.reason);
    }
}

TEST(Collage, CellsFillThePreviewAreaWithGapsBetween)
{
    struct Cell {
        int x, y, w, h;
    };
    const std::vector<Cell> rows[] = {
        {{0, 0, 270, 208}},
        {{0, 0, 134, 208}, {136, 0, 134, 208}},
        {{0, 0, 134, 103}, {136, 0, 134, 103}, {0, 105, 270, 103}},
        {{0, 0, 134, 103}, {136, 0, 134, 103}, {0, 105, 134, 103}, {136, 105, 134, 103}},
    };
    for (const std::vector<Cell> &cells : rows) {
        int count = (int)cells.size();
        for (int i = 0; i < count; i++) {
            SCOPED_TRACE(std::to_string(count) + " cells, cell " + std::to_string(i));
            Cell got;
            CollageCell(i, count, PREVIEW_AREA_WIDTH, PREVIEW_AREA_HEIGHT, &got.x, &got.y, &got.w,
                        &got.h);
            EXPECT_EQ(std::vector<int>({got.x, got.y, got.w, got.h}),
                      std::vector<int>({cells[i].x, cells[i].y, cells[i].w, cells[i].h}));
        }
    }
}

// A 24-bit Dib whose left half is one colour and right half another.
Blob HalvesDib(int width, int height, const unsigned char left[3], const unsigned char right[3])
{
    int stride = (width * 3 + 3) & ~3;
    Blob blob;
    BlobInit(&blob);
    BlobAllocate(&blob, BlobKind::Dib, DIB_HEADER_SIZE + stride * height);
    WriteLe32(blob.data, DIB_HEADER_SIZE);
    WriteLe32(blob.data + 4, width);
    WriteLe32(blob.data + 8, height);
    WriteLe16(blob.data + 12, 1);
    WriteLe16(blob.data + 14, 24);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            const unsigned char *rgb = x < width / 2 ? left : right;
            unsigned char *p = blob.data + DIB_HEADER_SIZE + y * stride + 3 * x;
            p[0] = rgb[2];
            p[1] = rgb[1];
            p[2] = rgb[0];
        }
    return blob;
}

TEST(Collage, EachSlideCoversItsCellAroundItsCentre)
{
    const unsigned char red[3] = {255, 0, 0}, blue[3] = {0, 0, 255}, green[3] = {0, 255, 0};
    // A wide slide: the one-slide collage shows its middle, split red | blue down the centre.
    // A tall slide in the half-width cell of a two-slide collage fills it whole.
    Blob slides[2] = {HalvesDib(800, 200, red, blue), HalvesDib(100, 400, green, green)};
    struct Row {
        const char *name;
        int count;
        int x, y;
        const unsigned char *colour;
    } rows[] = {
        {"wide slide, left of centre", 1, 120, 104, red},
        {"wide slide, right of centre", 1, 150, 104, blue},
        {"wide slide, top edge", 1, 10, 0, red},
        {"two slides: the tall one's cell, top", 2, 200, 1, green},
        {"two slides: the tall one's cell, bottom", 2, 200, 206, green},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Blob preview;
        BlobInit(&preview);
        std::string error;
        ASSERT_EQ(MakePreviewCollage(slides, row.count, PREVIEW_AREA_WIDTH, PREVIEW_AREA_HEIGHT,
                                     100, 4, &preview, &error),
                  1)
            << error;
        PhotoImage image;
        ASSERT_EQ(DibToImage(&preview, &image), 1);
        EXPECT_EQ(image.width, PREVIEW_AREA_WIDTH);
        EXPECT_EQ(image.height, PREVIEW_AREA_HEIGHT);
        const unsigned char *pixel = &image.rgb[(row.y * image.width + row.x) * 3];
        EXPECT_EQ(std::vector<int>(pixel, pixel + 3), std::vector<int>(row.colour, row.colour + 3));
        BlobFree(&preview);
    }
    BlobFree(&slides[0]);
    BlobFree(&slides[1]);
}

// A Dib from its header fields, colour table and stored rows.
Blob MakeDib(int width, int height, int bits, const std::vector<unsigned char> &table,
             const std::vector<unsigned char> &rows)
{
    Blob blob;
    BlobInit(&blob);
    BlobAllocate(&blob, BlobKind::Dib, DIB_HEADER_SIZE + table.size() + rows.size());
    WriteLe32(blob.data, DIB_HEADER_SIZE);
    WriteLe32(blob.data + 4, width);
    WriteLe32(blob.data + 8, (uint32_t)height);
    WriteLe16(blob.data + 12, 1);
    WriteLe16(blob.data + 14, bits);
    WriteLe32(blob.data + 32, (uint32_t)(table.size() / 4));
    std::copy(table.begin(), table.end(), blob.data + DIB_HEADER_SIZE);
    std::copy(rows.begin(), rows.end(), blob.data + DIB_HEADER_SIZE + table.size());
    return blob;
}

TEST(DibToImage, EveryDrawableDepthTopRowFirst)
{
    // Table entries are blue, green, red, 0: entry 0 black, 1 red, 2 green, 3 white.
    const std::vector<unsigned char> table = {0, 0,   0, 0, 0,   0,   255, 0,
                                              0, 255, 0, 0, 255, 255, 255, 0};
    struct Row {
        const char *name;
        Blob dib;
        std::vector<unsigned char> rgb; // 3 x 2 pixels, top row first
    } rows[] = {
        {"1 bit, bottom-up",
         MakeDib(3, 2, 1, {0, 0, 0, 0, 0, 0, 255, 0}, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}),
         {0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 0, 0}},
        {"4 bits, bottom-up",
         MakeDib(3, 2, 4, table, {0x12, 0x30, 0, 0, 0x03, 0x21, 0, 0}),
         {0, 0, 0, 255, 255, 255, 0, 255, 0, 255, 0, 0, 0, 255, 0, 255, 255, 255}},
        {"8 bits, top-down",
         MakeDib(3, -2, 8, table, {1, 2, 3, 0, 3, 0, 9, 0}),
         {255, 0, 0, 0, 255, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0}},
        {"24 bits, bottom-up",
         MakeDib(3, 2, 24, {},
                 {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}),
         {3, 2, 1, 6, 5, 4, 9, 8, 7, 255, 0, 0, 0, 255, 0, 0, 0, 255}},
    };
    for (Row &row : rows) {
        SCOPED_TRACE(row.name);
        PhotoImage image;
        ASSERT_EQ(DibToImage(&row.dib, &image), 1);
        EXPECT_EQ(image.width, 3);
        EXPECT_EQ(image.height, 2);
        EXPECT_EQ(image.rgb, row.rgb);
        BlobFree(&row.dib);
    }
}

TEST(InstalledImages, LookedForInAPrefixAndBesideTheTool)
{
    EXPECT_EQ(InstalledImageFolders("/usr/bin/glimmer-pack"),
              (std::vector<std::string>{"/usr/share/glimmer", "/usr/bin/share/glimmer"}));
    EXPECT_EQ(InstalledImageFolders("/home/me/glimmer/dist/glimmer-pack"),
              (std::vector<std::string>{"/home/me/glimmer/share/glimmer",
                                        "/home/me/glimmer/dist/share/glimmer"}));
}

TEST(SaverMemory, OptionsLogoAndTheSlidesTheEngineReads)
{
    Blob options, logo;
    BlobInit(&options);
    BlobInit(&logo);
    BlobSetText(&options, "DV");
    BlobAllocate(&logo, BlobKind::Dib, 1000);
    std::vector<Blob> slides(SLIDE_SLOTS + 5);
    for (Blob &slide : slides) {
        BlobInit(&slide);
        slide.size = 481064; // sizes only: no data is read
    }
    EXPECT_EQ(SaverMemoryBytes(&options, &logo, slides.data(), 3), 3u + 1000 + 3 * 481064);
    EXPECT_EQ(SaverMemoryBytes(&options, &logo, slides.data(), (int)slides.size()),
              3u + 1000 + SLIDE_SLOTS * 481064ull);
    EXPECT_EQ(MemoryText(48106400 + 1003), "45.9 MB");
    EXPECT_EQ(MemoryText(90044), "88 KB");
    EXPECT_EQ(MemoryText(47), "47 bytes");
    BlobFree(&options);
    BlobFree(&logo);
}

} // namespace
