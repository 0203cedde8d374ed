// The payload container: writer-then-reader round trips, stream state after each kind of
// failure, and hostile files that must be refused without large allocations.
#include <gtest/gtest.h>
#include "dib.h"
#include "payload.h"
#include "test_files.h"

class Payload : public ::testing::Test {
  protected:
    std::string dir, path;
    Blob blob;
    void SetUp() override
    {
        dir = TempDir();
        path = dir + "/container.exe";
        BlobInit(&blob);
    }
    void TearDown() override
    {
        BlobFree(&blob);
        PayloadClose();
        remove(path.c_str());
        rmdir(dir.c_str());
    }
};

TEST_F(Payload, WrittenContainerReadsBackRecordForRecord)
{
    // Random record sequences against a list of what was written (the trivial model).
    srand(7);
    for (int round = 0; round < 30; round++) {
        SCOPED_TRACE(round);
        FILE *out = fopen(path.c_str(), "wb");
        Bytes raw = UnstampedImage(200 + rand() % 300);
        Blob image;
        BlobInit(&image);
        BlobAllocate(&image, BlobKind::Executable, (uint32_t)raw.size());
        memcpy(image.data, raw.data(), raw.size());
        ASSERT_EQ(PayloadWriteExecutable(&image, out), 1);
        // The blob stays stamped with its own size.
        EXPECT_EQ(memcmp(image.data + 80, SHORT_STUB_MESSAGE, 26), 0);
        EXPECT_EQ(ReadLe32(image.data + 106), image.size);
        std::vector<Bytes> written;
        std::vector<BlobKind> kinds;
        int count = rand() % 6;
        for (int i = 0; i < count; i++) {
            Blob record;
            BlobInit(&record);
            BlobKind kind = (BlobKind)(1 + rand() % 3);
            uint32_t size = rand() % 3 == 0 ? 0 : rand() % 2000;
            BlobAllocate(&record, kind, size);
            for (uint32_t j = 0; j < size; j++)
                record.data[j] = (unsigned char)rand();
            ASSERT_EQ(PayloadWriteRecord(&record, out), 1);
            written.push_back(Bytes(record.data, record.data + size));
            kinds.push_back(kind);
            BlobFree(&record);
        }
        Blob end;
        BlobInit(&end);
        ASSERT_EQ(PayloadWriteRecord(&end, out), 1);
        fclose(out);

        ASSERT_EQ(PayloadOpen(path.c_str()), 1);
        for (int i = 0; i < count; i++) {
            ASSERT_EQ(PayloadReadNext(&blob), 1);
            EXPECT_EQ(blob.kind, kinds[i]);
            ASSERT_EQ(blob.size, written[i].size());
            if (blob.size == 0)
                EXPECT_EQ(blob.data, nullptr);
            else
                EXPECT_EQ(Bytes(blob.data, blob.data + blob.size), written[i]);
        }
        ASSERT_EQ(PayloadReadNext(&blob), 1);
        EXPECT_EQ(blob.kind, BlobKind::End);
        EXPECT_EQ(PayloadIsOpen(), 1); // the end record leaves the stream open
        Bytes file = ReadFile(path);
        EXPECT_EQ(Bytes(file.end() - 6, file.end()), Bytes(6, 0));
        PayloadClose();
        BlobFree(&image);
    }
}

TEST_F(Payload, DamagedContainersFailAndCloseTheStream)
{
    Bytes text = {'h', 'i', 0};
    struct Row {
        const char *name;
        uint16_t kind;
        uint32_t size;
        Bytes data;
    } rows[] = {
        {"kind 4", 4, 0, {}},
        {"kind 65535", 65535, 3, text},
        {"end record with a size", 0, 5, {1, 2, 3, 4, 5}},
        {"record cut short", 1, 10, text},
        {"size far beyond the end of the file", 2, 0xFFFFFFF0u, text},
        {"size just beyond the end", 2, 4, text},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Bytes file = StampedImage(128);
        AppendRecord(&file, 1, 3, text);
        AppendRecord(&file, row.kind, row.size, row.data);
        WriteFile(path, file);
        ASSERT_EQ(PayloadOpen(path.c_str()), 1);
        ASSERT_EQ(PayloadReadNext(&blob), 1);
        EXPECT_EQ(PayloadReadNext(&blob), 0);
        EXPECT_EQ(blob.kind, BlobKind::End);
        EXPECT_EQ(blob.data, nullptr);
        EXPECT_EQ(PayloadIsOpen(), 0);
        EXPECT_EQ(PayloadReadNext(&blob), 0); // nothing open any more
    }
}

TEST_F(Payload, OpenRefusesWhatIsNoContainer)
{
    Bytes stamped = StampedImage(200);
    struct Row {
        const char *name;
        Bytes bytes;
    } rows[] = {
        {"unstamped engine", UnstampedImage(400)},
        {"shorter than 110 bytes", Bytes(stamped.begin(), stamped.begin() + 109)},
        {"empty", Bytes()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        WriteFile(path, row.bytes);
        EXPECT_EQ(PayloadOpen(path.c_str()), 0);
        EXPECT_EQ(PayloadIsOpen(), 0);
    }
    Bytes beyond = StampedImage(200);
    WriteLe32(&beyond[106], 5000); // payload offset past the end of the file
    WriteFile(path, beyond);
    EXPECT_EQ(PayloadOpen(path.c_str()), 0);
    EXPECT_EQ(PayloadOpen((dir + "/missing").c_str()), 0);
}

TEST_F(Payload, WrongKindIsConsumedAndTheStreamStaysOpen)
{
    Bytes file = StampedImage(128);
    AppendRecord(&file, 1, 3, {'a', 'b', 0});
    AppendRecord(&file, 2, 0, {});
    AppendRecord(&file, 0, 0, {});
    WriteFile(path, file);
    ASSERT_EQ(PayloadOpen(path.c_str()), 1);
    EXPECT_EQ(PayloadReadKind(&blob, BlobKind::Dib), 0);
    EXPECT_EQ(blob.data, nullptr);
    EXPECT_EQ(PayloadIsOpen(), 1);
    // The empty Dib record that follows reads as a Dib of size 0 without data.
    EXPECT_EQ(PayloadReadKind(&blob, BlobKind::Dib), 1);
    EXPECT_EQ(blob.size, 0u);
    EXPECT_EQ(blob.data, nullptr);
    EXPECT_EQ(PayloadReadKind(&blob, BlobKind::End), 1);
}

TEST_F(Payload, TextWithoutItsNulStaysATerminatedString)
{
    Bytes file = StampedImage(128);
    AppendRecord(&file, 1, 4, {'D', 'V', 'x', 'y'});
    AppendRecord(&file, 0, 0, {});
    WriteFile(path, file);
    ASSERT_EQ(PayloadOpen(path.c_str()), 1);
    ASSERT_EQ(PayloadReadKind(&blob, BlobKind::Text), 1);
    EXPECT_EQ(blob.size, 4u);
    EXPECT_STREQ(BlobText(&blob), "DVxy");
    Blob copy;
    BlobCopy(&copy, &blob);
    EXPECT_STREQ(BlobText(&copy), "DVxy");
    BlobFree(&copy);
}

TEST_F(Payload, WriteExecutableRefusesSmallOrForeignImagesAndKeepsStamps)
{
    struct Row {
        const char *name;
        Bytes image;
        BlobKind kind;
        int expected;
    } rows[] = {
        {"127 bytes", UnstampedImage(127), BlobKind::Executable, 0},
        {"not an executable blob", UnstampedImage(300), BlobKind::Dib, 0},
        {"no stub message", Bytes(300, 0), BlobKind::Executable, 0},
        {"already stamped with another offset", StampedImage(300), BlobKind::Executable, 1},
    };
    WriteLe32(&rows[3].image[106], 12345);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        BlobAllocate(&blob, row.kind, (uint32_t)row.image.size());
        memcpy(blob.data, row.image.data(), row.image.size());
        FILE *out = fopen(path.c_str(), "wb");
        EXPECT_EQ(PayloadWriteExecutable(&blob, out), row.expected);
        fclose(out);
        Bytes written = ReadFile(path);
        EXPECT_EQ(written, row.expected ? row.image : Bytes());
    }
}

TEST_F(Payload, WritersReportAFullDevice)
{
    FILE *out = fopen("/dev/full", "wb");
    if (!out)
        GTEST_SKIP() << "no /dev/full";
    setvbuf(out, nullptr, _IONBF, 0);
    BlobSetText(&blob, "options");
    EXPECT_EQ(PayloadWriteRecord(&blob, out), 0);
    fclose(out);
}

TEST_F(Payload, RandomlyDamagedContainersAreReadOrRefusedWithinTheirBytes)
{
    // A good container with a text, a picture and an end record, then random damage: flipped
    // bytes and cut tails. Every record either reads whole or fails; sanitizers watch the reads.
    Bytes good = StampedImage(128);
    AppendRecord(&good, 1, 3, {'D', 'V', 0});
    Bytes dib(40 + 1024 + 16, 0);
    WriteLe32(&dib[0], 40);
    WriteLe32(&dib[4], 4);
    WriteLe32(&dib[8], 4);
    WriteLe16(&dib[14], 8);
    AppendRecord(&good, 2, (uint32_t)dib.size(), dib);
    AppendRecord(&good, 0, 0, {});
    srand(11);
    for (int round = 0; round < 2000; round++) {
        Bytes file = good;
        int flips = 1 + rand() % 4;
        for (int i = 0; i < flips; i++)
            file[100 + rand() % (file.size() - 100)] = (unsigned char)rand();
        if (rand() % 3 == 0)
            file.resize(100 + rand() % (file.size() - 100));
        WriteFile(path, file);
        if (!PayloadOpen(path.c_str()))
            continue;
        for (int records = 0; records < 8 && PayloadReadNext(&blob); records++) {
            ASSERT_LE(blob.size, file.size());
            DibLayout layout;
            if (DibParseBlob(&blob, &layout)) {
                ASSERT_LE((uint64_t)layout.rowsOffset + layout.rowsSize, blob.size);
            }
            if (blob.kind == BlobKind::End)
                break;
        }
        PayloadClose();
    }
}
