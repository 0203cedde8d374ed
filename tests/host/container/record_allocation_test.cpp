// What reading a container may allocate: a damaged record's claimed size is refused before any
// block is asked for, and telling a saver this Setup wrote from another file allocates nothing
// for its records, however large they are. This program counts every block through its own
// allocation path, which takes the place of the library's.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "install.h"
#include "allocation.h"
#include "payload.h"
#include "test_files.h"

static size_t largestAllocation; // bytes of the largest block asked for since the last reset

void *MemoryAllocate(size_t size)
{
    if (size > largestAllocation)
        largestAllocation = size;
    void *block = malloc(size != 0 ? size : 1);
    if (block == nullptr)
        MemoryExhausted();
    return block;
}

void MemoryFree(void *block)
{
    free(block);
}

class RecordAllocation : public ::testing::Test
{
  protected:
    std::string dir, path;
    void SetUp() override
    {
        dir = TempDir();
        path = dir + "/container.exe";
        largestAllocation = 0;
    }
    void TearDown() override
    {
        PayloadClose();
        remove(path.c_str());
        rmdir(dir.c_str());
    }
};

// A claim beyond the file's end never reaches the allocator: a 4 GB claim would otherwise take
// seconds and end a Windows program that cannot have the block.
TEST_F(RecordAllocation, ClaimedSizeBeyondTheFileIsRefusedBeforeAllocation)
{
    const Bytes text = {'h', 'i', 0};
    static const struct {
        const char *name;
        uint32_t size;
    } rows[] = {
        {"4-gigabytes", 0xFFFFFFFEu},
        {"2-gigabytes", 0x80000000u},
        {"one-byte-beyond", 4},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Bytes file = StampedImage(128);
        AppendRecord(&file, 2, row.size, text);
        WriteFile(path, file);
        largestAllocation = 0;
        Blob blob;
        BlobInit(&blob);
        ASSERT_EQ(PayloadOpen(path.c_str()), 1);
        EXPECT_EQ(PayloadReadNext(&blob), 0);
        EXPECT_EQ(largestAllocation, 0u);
        BlobFree(&blob);
    }
}

// Uninstall's check reads the record headers only: a saver with a logo of 4 MB is told apart
// without a block of that size, and a logo that runs past the end is still foreign.
TEST_F(RecordAllocation, SaverInspectionReadsHeadersOnly)
{
    const Bytes options = {'D', 'V', 0};
    Bytes logo(4 << 20, 7);
    Bytes saver = StampedImage(128);
    AppendRecord(&saver, 1, 3, options);
    AppendRecord(&saver, 2, (uint32_t)logo.size(), logo);
    AppendRecord(&saver, 0, 0, {});
    WriteFile(path, saver);
    EXPECT_EQ(SaverFileInspect(path.c_str()), SAVER_FILE_OURS);
    EXPECT_LT(largestAllocation, 64u * 1024);
    EXPECT_FALSE(PayloadIsOpen());

    saver.resize(saver.size() - 10); // the logo now runs past the end
    WriteFile(path, saver);
    EXPECT_EQ(SaverFileInspect(path.c_str()), SAVER_FILE_FOREIGN);
    EXPECT_LT(largestAllocation, 64u * 1024);
}
