// The checked allocation path: an allocation the heap cannot give ends the program, and a Blob
// size whose extra terminating byte cannot be had is refused before anything is allocated.
#include <gtest/gtest.h>
#include <stdint.h>

#include "blob.h"
#include "allocation.h"

// A failed allocation has to reach MemoryAllocate as nullptr, as it does with the programs' own
// heap, rather than be reported by the sanitizer's allocator.
extern "C" const char *__asan_default_options()
{
    return "allocator_may_return_null=1";
}

TEST(MemoryAllocateDeathTest, AnAllocationTheHeapCannotGiveEndsTheProgram)
{
    EXPECT_DEATH(MemoryAllocate(SIZE_MAX - 4096), "out of memory");
}

TEST(MemoryAllocate, SmallAndEmptyBlocks)
{
    for (size_t size : {(size_t)0, (size_t)1, (size_t)4096}) {
        SCOPED_TRACE(size);
        unsigned char *block = (unsigned char *)MemoryAllocate(size);
        ASSERT_NE(block, nullptr);
        block[size ? size - 1 : 0] = 1;
        MemoryFree(block);
    }
    MemoryFree(nullptr);
}

TEST(BlobAllocate, TheLargestSizeIsRefusedAndLeavesTheBlobEmpty)
{
    Blob blob;
    BlobInit(&blob);
    BlobSetText(&blob, "earlier");
    BlobAllocate(&blob, BlobKind::Dib, 0xFFFFFFFFu);
    EXPECT_EQ(blob.data, nullptr);
    EXPECT_EQ(blob.kind, BlobKind::End);
    EXPECT_EQ(blob.size, 0u);
    BlobFree(&blob);

    EXPECT_EQ(BlobAllocate(&blob, BlobKind::Dib, 0xFFFFFFFFu), 0);
    EXPECT_EQ(BlobAllocate(&blob, BlobKind::Dib, 3), 1);
    EXPECT_EQ(blob.data[3], 0);
    BlobFree(&blob);
}
