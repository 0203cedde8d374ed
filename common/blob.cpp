// Blob operations: making empty, freeing, deep copies, text, the subsystem-version patch and the
// executable loader the packer reads its images with.
#include "blob.h"

#include <string.h>
#include "allocation.h"
#include "platform.h"

const char LONG_STUB_MESSAGE[] = "This program must be run under Win32\r\n$";
const char SHORT_STUB_MESSAGE[] = "Must be run under Win32\r\n$";

Blob *BlobInit(Blob *blob)
{
    blob->kind = BlobKind::End;
    blob->size = 0;
    blob->data = nullptr;
    return blob;
}

void BlobFree(Blob *blob)
{
    MemoryFree(blob->data);
    BlobInit(blob);
}

int BlobAllocate(Blob *blob, BlobKind kind, uint32_t size)
{
    BlobFree(blob);
    // With its extra byte such a buffer cannot exist: where size_t has 32 bits, size + 1 would
    // wrap to 0 and the data would be written far past a tiny block.
    if (size == BLOB_SIZE_LIMIT)
        return 0;
    blob->kind = kind;
    blob->size = size;
    if (size == 0)
        return 1; // an empty record has no data
    // One zero byte beyond the data keeps every Text NUL-terminated.
    blob->data = (unsigned char *)MemoryAllocate((size_t)size + 1);
    memset(blob->data, 0, (size_t)size + 1);
    return 1;
}

Blob *BlobCopy(Blob *destination, const Blob *source)
{
    BlobInit(destination);
    if (source->data && BlobAllocate(destination, source->kind, source->size)) {
        memcpy(destination->data, source->data, source->size);
    } else {
        destination->kind = source->kind;
        destination->size = source->size;
    }
    return destination;
}

Blob *BlobAssign(Blob *destination, const Blob *source)
{
    if (destination == source)
        return destination;
    BlobFree(destination);
    return BlobCopy(destination, source);
}

int BlobSetText(Blob *blob, const char *text)
{
    size_t length = strlen(text);
    if (length >= BLOB_SIZE_LIMIT || !BlobAllocate(blob, BlobKind::Text, (uint32_t)(length + 1))) {
        BlobFree(blob);
        return 0;
    }
    memcpy(blob->data, text, length + 1);
    return 1;
}

const char *BlobText(const Blob *blob)
{
    return blob->data ? (const char *)blob->data : "";
}

int BlobPatchSubsystemVersion(Blob *blob)
{
    if (blob->kind != BlobKind::Executable || blob->size < SUBSYSTEM_VERSION_FIELD + 4 ||
        !blob->data)
        return 0;
    unsigned char *field = blob->data + SUBSYSTEM_VERSION_FIELD;
    if (ReadLe16(field) != 3 || ReadLe16(field + 2) != 10)
        return 0;
    WriteLe16(field, 4);
    WriteLe16(field + 2, 0);
    return 1;
}

// Reads count bytes into the blob's data at offset; 1 when all arrived.
static int ReadExactly(PlatformFile file, unsigned char *buffer, uint32_t count)
{
    return count == 0 || PlatformFileRead(file, buffer, count) == count;
}

// The first steps of the loader: empty the blob, open the file and take its size.
// Returns the open file, or nullptr when the path is empty or the file cannot be opened.
static PlatformFile LoadOpen(Blob *blob, const char *path, uint32_t *size)
{
    BlobFree(blob);
    if (!path || !*path)
        return nullptr;
    PlatformFile file = PlatformFileOpenRead(path);
    if (file)
        *size = PlatformFileSize(file);
    return file;
}

// The last steps of the loader: close the file, and empty the blob on failure.
static int LoadClose(Blob *blob, PlatformFile file, int ok)
{
    PlatformFileClose(file);
    if (!ok)
        BlobFree(blob);
    return ok;
}

int BlobLoadExecutableFile(Blob *blob, const char *path)
{
    uint32_t size = 0;
    PlatformFile file = LoadOpen(blob, path, &size);
    if (!file)
        return 0;
    int ok = 0;
    if (size >= MIN_EXECUTABLE_SIZE && size != PLATFORM_FILE_SIZE_ERROR) {
        ok = BlobAllocate(blob, BlobKind::Executable, size) &&
             ReadExactly(file, blob->data, size) &&
             memcmp(blob->data + STUB_MESSAGE_OFFSET, LONG_STUB_MESSAGE, LONG_STUB_LENGTH) == 0;
    }
    return LoadClose(blob, file, ok);
}
