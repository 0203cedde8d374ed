// Blob life cycle, the subsystem patch and the two loaders from disk.
#include <gtest/gtest.h>
#include "test_files.h"

TEST(Blob, CopiesAreDeepAndSelfAssignmentIsHarmless)
{
    Blob a, b;
    BlobInit(&a);
    BlobSetText(&a, "sunset");
    BlobCopy(&b, &a);
    ASSERT_NE(a.data, b.data);
    EXPECT_EQ(b.kind, BlobKind::Text);
    EXPECT_EQ(b.size, 7u);
    EXPECT_STREQ(BlobText(&b), "sunset");
    BlobAssign(&a, &a);
    EXPECT_STREQ(BlobText(&a), "sunset");
    BlobSetText(&b, "");
    EXPECT_EQ(b.size, 1u);
    EXPECT_EQ(b.data[0], 0);
    BlobFree(&a);
    BlobFree(&b);
    EXPECT_EQ(a.kind, BlobKind::End);
    EXPECT_EQ(a.size, 0u);
    EXPECT_EQ(a.data, nullptr);
    BlobFree(&a); // freeing an empty blob is harmless
}

TEST(Blob, SubsystemPatchOnlyTurnsThreeTenIntoFourZero)
{
    struct Row {
        const char *name;
        size_t size;
        uint16_t major, minor;
        int expected;
    } rows[] = {
        {"3.10 becomes 4.0", 400, 3, 10, 1},
        {"already 4.0", 400, 4, 0, 0},
        {"3.11 stays", 400, 3, 11, 0},
        {"331 bytes is too short", 331, 3, 10, 0},
        {"332 bytes is enough", 332, 3, 10, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Bytes image = UnstampedImage(row.size);
        if (row.size >= 332) {
            WriteLe16(&image[328], row.major);
            WriteLe16(&image[330], row.minor);
        } else {
            image[328] = 3;
            image[330] = 10;
        }
        Blob blob;
        BlobInit(&blob);
        BlobAllocate(&blob, BlobKind::Executable, (uint32_t)image.size());
        memcpy(blob.data, image.data(), image.size());
        EXPECT_EQ(BlobPatchSubsystemVersion(&blob), row.expected);
        if (row.expected) {
            EXPECT_EQ(ReadLe16(blob.data + 328), 4);
            EXPECT_EQ(ReadLe16(blob.data + 330), 0);
        } else {
            EXPECT_EQ(memcmp(blob.data, image.data(), image.size()), 0);
        }
        BlobFree(&blob);
    }
}

TEST(Blob, ExecutableLoaderRefusesWhatIsNotAnUnstampedImage)
{
    std::string dir = TempDir();
    Bytes bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 8, 9};
    struct Row {
        const char *name;
        Bytes bytes;
        int executable;
    } rows[] = {
        {"bitmap", bmp, 0},
        {"empty file", Bytes(), 0},
        {"unstamped image", UnstampedImage(400), 1},
        {"127 bytes", UnstampedImage(127), 0},
        {"stamped image", StampedImage(400), 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string path = dir + "/file";
        WriteFile(path, row.bytes);
        Blob blob;
        BlobInit(&blob);
        BlobSetText(&blob, "old contents are freed");
        EXPECT_EQ(BlobLoadExecutableFile(&blob, path.c_str()), row.executable);
        EXPECT_EQ(blob.kind, row.executable ? BlobKind::Executable : BlobKind::End);
        EXPECT_EQ(blob.size, row.executable ? row.bytes.size() : 0u);
        if (!row.executable) {
            EXPECT_EQ(blob.data, nullptr);
        }
        BlobFree(&blob);
        remove(path.c_str());
    }
    Blob blob;
    BlobInit(&blob);
    EXPECT_EQ(BlobLoadExecutableFile(&blob, ""), 0);
    EXPECT_EQ(BlobLoadExecutableFile(&blob, (dir + "/missing").c_str()), 0);
    EXPECT_EQ(BlobLoadExecutableFile(&blob, dir.c_str()), 0); // a folder
    rmdir(dir.c_str());
}
