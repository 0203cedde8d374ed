// The runtime's file streams over real files: reads of every size across the buffer's edges,
// seeks checked against a model of the position, writes that arrive byte for byte, and the
// failures C's streams report: a short read at the end, a failed write, and a write that fails
// only when the stream is closed (the disk here is Linux's /dev/full, which is always full).
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "runtime.h"

namespace
{

const size_t FILE_SIZE = 10000; // more than two stream buffers
const char FULL_DISK[] = "Z:\\dev\\full";

std::string TempFile(const char *name)
{
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    return std::string(directory) + name;
}

std::vector<unsigned char> Pattern(size_t size)
{
    std::vector<unsigned char> bytes(size);
    for (size_t i = 0; i < size; i++)
        bytes[i] = (unsigned char)(i * 7 + i / 251);
    return bytes;
}

void WriteWholeFile(const std::string &path, const std::vector<unsigned char> &bytes)
{
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

std::vector<unsigned char> ReadWholeFile(const std::string &path)
{
    std::vector<unsigned char> bytes(1 << 20);
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    DWORD got = 0;
    ReadFile(file, bytes.data(), (DWORD)bytes.size(), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

class RuntimeStreamTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = TempFile("glimmer-stream.bin");
        contents = Pattern(FILE_SIZE);
        WriteWholeFile(path, contents);
    }
    void TearDown() override { DeleteFileA(path.c_str()); }

    std::string path;
    std::vector<unsigned char> contents;
};

TEST_F(RuntimeStreamTest, ReadsInChunksOfEverySizeGiveTheFileAndAShortLastRead)
{
    const size_t chunks[] = {1, 3, 6, 4095, 4096, 4097, 8192, 9999, 10000, 20000};
    for (size_t chunk : chunks) {
        SCOPED_TRACE("chunk " + std::to_string(chunk));
        RuntimeStream *stream = Runtime_fopen(path.c_str(), "rb");
        ASSERT_NE(stream, nullptr);
        std::vector<unsigned char> read, buffer(chunk);
        size_t got;
        while ((got = Runtime_fread(buffer.data(), 1, chunk, stream)) == chunk)
            read.insert(read.end(), buffer.begin(), buffer.end());
        read.insert(read.end(), buffer.begin(), buffer.begin() + got);
        EXPECT_EQ(read, contents);
        EXPECT_TRUE(Runtime_feof(stream));
        EXPECT_FALSE(Runtime_ferror(stream));
        EXPECT_EQ(Runtime_ftell(stream), (long)FILE_SIZE);
        EXPECT_EQ(Runtime_fclose(stream), 0);
    }
}

TEST_F(RuntimeStreamTest, ItemsCountOnlyWhenWhole)
{
    RuntimeStream *stream = Runtime_fopen(path.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(Runtime_fseek(stream, (long)FILE_SIZE - 10, 0), 0);
    unsigned char buffer[32];
    EXPECT_EQ(Runtime_fread(buffer, 6, 3, stream), 1u); // 10 bytes: one whole item of 6
    EXPECT_EQ(Runtime_fread(buffer, 6, 1, stream), 0u);
    EXPECT_EQ(Runtime_fread(buffer, 0, 5, stream), 0u);
    EXPECT_EQ(Runtime_fclose(stream), 0);
}

TEST_F(RuntimeStreamTest, SeeksAndReadsFollowAModelOfThePosition)
{
    RuntimeStream *stream = Runtime_fopen(path.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    long model = 0;
    uint32_t random = 12345;
    for (int op = 0; op < 2000; op++) {
        random = random * 1103515245u + 12345u;
        long amount = (long)(random >> 8) % 9000 - 1000;
        int origin = (int)((random >> 4) % 3);
        SCOPED_TRACE("operation " + std::to_string(op));
        if (random % 2 == 0) {
            long base = origin == 0 ? 0 : origin == 1 ? model : (long)FILE_SIZE;
            long target = base + amount;
            int result = Runtime_fseek(stream, amount, origin);
            if (target < 0) {
                ASSERT_EQ(result, -1); // before the start: refused, the position stays
            } else {
                ASSERT_EQ(result, 0);
                model = target;
            }
        } else {
            size_t want = (size_t)(amount < 0 ? -amount : amount) % 5000;
            std::vector<unsigned char> buffer(want);
            size_t got = Runtime_fread(buffer.data(), 1, want, stream);
            size_t expected = model >= (long)FILE_SIZE ? 0 : FILE_SIZE - (size_t)model;
            if (expected > want)
                expected = want;
            ASSERT_EQ(got, expected);
            for (size_t i = 0; i < got; i++)
                ASSERT_EQ(buffer[i], contents[(size_t)model + i]) << "at " << model + (long)i;
            model += (long)got;
        }
        ASSERT_EQ(Runtime_ftell(stream), model);
    }
    EXPECT_EQ(Runtime_fclose(stream), 0);
}

TEST_F(RuntimeStreamTest, WritesOfMixedSizesArriveByteForByte)
{
    std::string out = TempFile("glimmer-stream-out.bin");
    std::vector<unsigned char> data = Pattern(100000);
    RuntimeStream *stream = Runtime_fopen(out.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    const size_t sizes[] = {6, 1, 4089, 4096, 3, 5000, 4097, 100, 20000, 2};
    size_t done = 0;
    for (size_t i = 0; done < data.size(); i++) {
        size_t size = sizes[i % (sizeof sizes / sizeof sizes[0])];
        if (size > data.size() - done)
            size = data.size() - done;
        ASSERT_EQ(Runtime_fwrite(data.data() + done, 1, size, stream), size);
        done += size;
        ASSERT_EQ(Runtime_ftell(stream), (long)done);
    }
    EXPECT_FALSE(Runtime_ferror(stream));
    EXPECT_EQ(Runtime_fclose(stream), 0);
    EXPECT_EQ(ReadWholeFile(out), data);

    // "wb" starts an existing file afresh.
    stream = Runtime_fopen(out.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(Runtime_fwrite("abc", 1, 3, stream), 3u);
    EXPECT_EQ(Runtime_fclose(stream), 0);
    EXPECT_EQ(ReadWholeFile(out), std::vector<unsigned char>({'a', 'b', 'c'}));
    DeleteFileA(out.c_str());
}

TEST(RuntimeStream, AWriteToAFullDiskFails)
{
    std::vector<unsigned char> data = Pattern(5000);
    RuntimeStream *stream = Runtime_fopen(FULL_DISK, "wb");
    ASSERT_NE(stream, nullptr) << "Wine did not open " << FULL_DISK;
    EXPECT_EQ(Runtime_fwrite(data.data(), 1, data.size(), stream), 0u);
    EXPECT_TRUE(Runtime_ferror(stream));
    Runtime_fclose(stream);
}

TEST(RuntimeStream, AWriteThatFailsOnlyAtCloseMakesCloseFail)
{
    RuntimeStream *stream = Runtime_fopen(FULL_DISK, "wb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(Runtime_fwrite("record", 6, 1, stream), 1u); // held in the buffer
    EXPECT_FALSE(Runtime_ferror(stream));
    EXPECT_EQ(Runtime_fclose(stream), -1);
}

TEST(RuntimeStream, AFlushAfterBufferedWritesReportsTheFullDisk)
{
    RuntimeStream *stream = Runtime_fopen(FULL_DISK, "wb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(Runtime_fwrite("x", 1, 1, stream), 1u);
    EXPECT_EQ(Runtime_fflush(stream), -1);
    EXPECT_TRUE(Runtime_ferror(stream));
    // The earlier bytes cannot go first, so none of a large write is taken either.
    EXPECT_EQ(Runtime_fwrite("y", 1, 1, stream), 1u);
    std::vector<unsigned char> big = Pattern(8000);
    EXPECT_EQ(Runtime_fwrite(big.data(), 1, big.size(), stream), 0u);
    Runtime_fclose(stream);
}

TEST(RuntimeStream, OpeningRefusesMissingFilesAndModesItDoesNotOffer)
{
    EXPECT_EQ(Runtime_fopen(TempFile("glimmer-no-such-file").c_str(), "rb"), nullptr);
    std::string path = TempFile("glimmer-stream-modes.bin");
    const char *refused[] = {"a", "ab", "r+", "rb+", "w+", "rt", "", "x"};
    for (const char *mode : refused) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(Runtime_fopen(path.c_str(), mode), nullptr);
    }
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES); // nothing created
}

TEST(RuntimeStream, AStreamOnlyReadsOrOnlyWrites)
{
    std::string path = TempFile("glimmer-stream-direction.bin");
    RuntimeStream *stream = Runtime_fopen(path.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    char byte = 0;
    EXPECT_EQ(Runtime_fread(&byte, 1, 1, stream), 0u);
    EXPECT_TRUE(Runtime_ferror(stream));
    EXPECT_EQ(Runtime_fclose(stream), 0);
    stream = Runtime_fopen(path.c_str(), "r");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(Runtime_fwrite("a", 1, 1, stream), 0u);
    EXPECT_TRUE(Runtime_ferror(stream));
    EXPECT_EQ(Runtime_fclose(stream), 0);
    DeleteFileA(path.c_str());
}

} // namespace
