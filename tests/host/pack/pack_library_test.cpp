// The packing library's in-memory interface: pictures from bytes with their problems, and an
// installer written into memory, read back and checked, without any file.
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>

#include "blob.h"
#include "dib.h"
#include "pack_check.h"
#include "pack_container.h"
#include "pack_contents.h"
#include "pack_pictures.h"
#include "pack_write.h"
#include "variant_tag.h"

// An unstamped executable image with a PE signature and no sections; the engine carries the
// variant tag of the carried engine and subsystem version 3.10.
static std::vector<unsigned char> TestImage(int engine)
{
    std::vector<unsigned char> image(1024, 0);
    image[0] = 'M';
    image[1] = 'Z';
    WriteLe32(&image[60], 256);
    memcpy(&image[256], "PE\0\0", 4);
    memcpy(&image[STUB_MESSAGE_OFFSET], LONG_STUB_MESSAGE, LONG_STUB_LENGTH);
    if (engine) {
        static const char tag[] = VARIANT_TAG_PREFIX "15000/700";
        memcpy(&image[600], tag, sizeof tag);
        WriteLe16(&image[SUBSYSTEM_VERSION_FIELD], 3);
        WriteLe16(&image[SUBSYSTEM_VERSION_FIELD + 2], 10);
    }
    return image;
}

// A BMP file of a width x height 24-bit picture in one colour.
static std::vector<unsigned char> TestBmp(int width, int height, unsigned char value)
{
    uint32_t rowBytes = (uint32_t)(width * 3 + 3) & ~3u;
    std::vector<unsigned char> file(14 + 40 + rowBytes * height, value);
    file[0] = 'B';
    file[1] = 'M';
    WriteLe32(&file[2], (uint32_t)file.size());
    WriteLe32(&file[6], 0);
    WriteLe32(&file[10], 54);
    unsigned char *header = &file[14];
    memset(header, 0, 40);
    WriteLe32(header, 40);
    WriteLe32(header + 4, (uint32_t)width);
    WriteLe32(header + 8, (uint32_t)height);
    WriteLe16(header + 12, 1);
    WriteLe16(header + 14, 24);
    return file;
}

TEST(PackPicture, BadBytesGiveOneLabelledProblemAndNoDib)
{
    static const unsigned char garbage[] = "not a picture at all";
    static const unsigned char pngStart[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0};
    std::vector<unsigned char> wide = TestBmp(1, 1, 0);
    WriteLe32(&wide[18], 40000); // a BMP header claiming 40000 x 1 over one pixel of rows
    struct Row {
        const char *name;
        const unsigned char *data;
        size_t size;
    } rows[] = {
        {"unknown format", garbage, sizeof garbage},
        {"cut-off PNG", pngStart, sizeof pngStart},
        {"BMP rows missing", wide.data(), wide.size()},
    };
    PictureOptions options;
    SetDefaultPictureOptions(&options);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Blob dib;
        BlobInit(&dib);
        PictureFacts facts;
        PackIssues issues;
        EXPECT_EQ(PackPictureMake(row.data, row.size, PICTURE_SLIDE, &options, "holiday.jpg",
                                  &dib, &facts, &issues),
                  0);
        EXPECT_EQ(dib.size, 0u);
        EXPECT_EQ(dib.data, nullptr);
        EXPECT_EQ(facts.converted, 0);
        ASSERT_EQ(issues.size(), 1u);
        EXPECT_EQ(issues[0].severity, PACK_PROBLEM);
        EXPECT_EQ(issues[0].label, "holiday.jpg");
        EXPECT_FALSE(issues[0].text.empty());
    }
}

TEST(PackPicture, RolesGiveTheirOwnDepthsAndBoxes)
{
    std::vector<unsigned char> bmp = TestBmp(1000, 500, 0x40);
    PictureOptions options;
    SetDefaultPictureOptions(&options);
    struct Row {
        PictureRole role;
        int width, height, bits;
    } rows[] = {
        {PICTURE_SLIDE, 800, 400, 8},
        {PICTURE_PREVIEW, 800, 400, 8},
        {PICTURE_LOGO, 320, 160, 24},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(PictureRoleName(row.role));
        Blob dib;
        BlobInit(&dib);
        PictureFacts facts;
        PackIssues issues;
        ASSERT_EQ(PackPictureMake(bmp.data(), bmp.size(), row.role, &options, "wide.bmp", &dib,
                                  &facts, &issues),
                  1);
        EXPECT_TRUE(issues.empty());
        DibLayout layout;
        ASSERT_TRUE(DibParseBlob(&dib, &layout));
        EXPECT_EQ(layout.width, row.width);
        EXPECT_EQ(layout.height, row.height);
        EXPECT_EQ(layout.bitCount, row.bits);
        EXPECT_EQ(facts.converted, 1);
        EXPECT_EQ(facts.format, PHOTO_FORMAT_BMP);
        EXPECT_EQ(facts.sourceWidth, 1000);
        EXPECT_EQ(facts.width, row.width);
        BlobFree(&dib);
    }
}

TEST(PackImage, EachRoleRefusesTheOtherProgram)
{
    std::vector<unsigned char> setup = TestImage(0), engine = TestImage(1);
    std::vector<unsigned char> stamped = setup;
    memcpy(&stamped[STUB_MESSAGE_OFFSET], SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH);
    struct Row {
        const char *name;
        const std::vector<unsigned char> *image;
        int engine;
        int ok;
    } rows[] = {
        {"setup as setup", &setup, 0, 1},  {"engine as engine", &engine, 1, 1},
        {"engine as setup", &engine, 0, 0}, {"setup as engine", &setup, 1, 0},
        {"stamped setup", &stamped, 0, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Blob blob;
        BlobInit(&blob);
        PackIssues issues;
        EXPECT_EQ(PackImageTake(row.image->data(), row.image->size(), row.engine, "x.exe", &blob,
                                &issues),
                  row.ok);
        EXPECT_EQ(PackIssueCount(&issues, PACK_PROBLEM), row.ok ? 0 : 1);
        BlobFree(&blob);
    }
}

// An installer assembled from bytes, written into memory, walked and checked: every record in
// its place and nothing wrong.
TEST(PackWrite, InstallerInMemoryReadsBackAndChecksClean)
{
    PackContents contents;
    PackContentsInit(&contents, 1);
    PackIssues issues;
    std::vector<unsigned char> setup = TestImage(0), engine = TestImage(1);
    ASSERT_TRUE(PackImageTake(setup.data(), setup.size(), 0, "setup.exe", &contents.image,
                              &issues));
    ASSERT_TRUE(PackImageTake(engine.data(), engine.size(), 1, "engine.exe", &contents.engine,
                              &issues));
    ASSERT_TRUE(PackNameTake("Sea Views", &contents.name, &issues));
    ASSERT_TRUE(PackOptionsTake(nullptr, &contents.options, &issues));
    PackLogoDefault(&contents.logo);
    PictureOptions options;
    SetDefaultPictureOptions(&options);
    for (int i = 0; i < 3; i++) {
        std::vector<unsigned char> bmp = TestBmp(64 + i, 48, (unsigned char)(40 * i));
        Blob slide;
        BlobInit(&slide);
        PictureFacts facts;
        ASSERT_TRUE(PackPictureMake(bmp.data(), bmp.size(), PICTURE_SLIDE, &options, "s.bmp",
                                    &slide, &facts, &issues));
        contents.slides.push_back(slide);
    }
    ASSERT_TRUE(PackPreviewMake(&contents, &options, &issues));
    EXPECT_TRUE(PackMemoryCheck(PackContentsMemory(&contents), &issues));
    EXPECT_TRUE(issues.empty());

    std::vector<unsigned char> bytes;
    PackWriter writer;
    PackWriterInit(&writer, PackSinkBytes, &bytes);
    ASSERT_TRUE(PackWriteContents(&writer, &contents));
    EXPECT_EQ(writer.written, bytes.size());

    std::vector<std::string> kinds;
    uint64_t payload = 0;
    ASSERT_TRUE(PackContainerWalk(
        bytes.data(), bytes.size(), "out.exe",
        [&](uint64_t offset, const Blob *blob) {
            if (!blob)
                payload = offset;
            else
                kinds.push_back(KindName((uint16_t)blob->kind));
            return 1;
        },
        &issues));
    EXPECT_EQ(payload, setup.size());
    EXPECT_EQ(kinds, (std::vector<std::string>{"Text", "Dib", "Executable", "Text", "Dib", "Dib",
                                               "Dib", "Dib", "End"}));

    PackCheckReport report;
    ASSERT_TRUE(PackCheckBytes(bytes.data(), bytes.size(), "out.exe", &report, &issues));
    EXPECT_EQ(report.installer, 1);
    EXPECT_EQ(report.problems, 0);
    EXPECT_EQ(report.warnings, 0);
    EXPECT_EQ(report.lines.size(), 1u + 9u + 1u); // image, records, memory
    EXPECT_TRUE(issues.empty());

    // A cut file names where it ends, and a sink that fails stops the writer.
    PackIssues cut;
    EXPECT_FALSE(PackCheckBytes(bytes.data(), bytes.size() - 3, "cut.exe", &report, &cut));
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].label, "cut.exe");
    EXPECT_NE(cut[0].text.find("the file ends inside the record header"), std::string::npos);
    PackWriterInit(&writer, [](void *, const unsigned char *, size_t) { return 0; }, nullptr);
    EXPECT_FALSE(PackWriteContents(&writer, &contents));
    EXPECT_EQ(writer.failed, 1);
    PackContentsFree(&contents);
}
