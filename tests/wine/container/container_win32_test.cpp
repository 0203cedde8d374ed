// The container and the loaders on Win32: files opened through CreateFileA, the program's own
// file found through GetModuleFileNameA.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>
#include <string>
#include <vector>
#include "payload.h"

typedef std::vector<unsigned char> Bytes;

static std::string TempPath(const char *name)
{
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

static void Write(const std::string &path, const Bytes &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

static Bytes Image(size_t size, const char *message, size_t length)
{
    Bytes b(size, 0);
    b[0] = 'M';
    b[1] = 'Z';
    memcpy(&b[80], message, length);
    return b;
}

TEST(ContainerWin32, ExecutableLoaderReadsThroughCreateFile)
{
    struct Row {
        const char *name;
        Bytes bytes;
        int executable;
    } rows[] = {
        {"bitmap", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}, 0},
        {"unstamped", Image(300, LONG_STUB_MESSAGE, LONG_STUB_LENGTH), 1},
        {"stamped", Image(300, SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH), 0},
    };
    std::string path = TempPath("glimmer-loader.bin");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Write(path, row.bytes);
        Blob blob;
        BlobInit(&blob);
        EXPECT_EQ(BlobLoadExecutableFile(&blob, path.c_str()), row.executable);
        EXPECT_EQ(blob.size, row.executable ? row.bytes.size() : 0u);
        BlobFree(&blob);
    }
    DeleteFileA(path.c_str());
}

TEST(ContainerWin32, OwnFileIsNoContainerButAStampedCopyIs)
{
    // This test program is linked but never stamped: its own payload does not open.
    EXPECT_EQ(PayloadOpen(nullptr), 0);
    EXPECT_EQ(PayloadIsOpen(), 0);

    Bytes file = Image(300, SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH);
    WriteLe32(&file[106], 300);
    const unsigned char records[] = {1, 0, 3, 0, 0, 0, 'D', 'V', 0, 0, 0, 0, 0, 0, 0};
    file.insert(file.end(), records, records + sizeof records);
    std::string path = TempPath("glimmer-container.scr");
    Write(path, file);
    ASSERT_EQ(PayloadOpen(path.c_str()), 1);
    Blob blob;
    BlobInit(&blob);
    ASSERT_EQ(PayloadReadKind(&blob, BlobKind::Text), 1);
    EXPECT_STREQ(BlobText(&blob), "DV");
    ASSERT_EQ(PayloadReadKind(&blob, BlobKind::End), 1);
    PayloadClose();
    BlobFree(&blob);
    DeleteFileA(path.c_str());
}
