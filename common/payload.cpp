// The payload container: the reader over the process's one payload stream and the two writers.
//
// The reader knows the file's length from the moment it opens it, so a record that claims more
// bytes than the file still holds is refused before anything is allocated: a damaged or hostile
// file cannot make the program ask for gigabytes.
#include "payload.h"

#include <string.h>
#include "platform.h"

static FILE *payloadStream;    // the open payload stream, or nullptr
static uint64_t payloadLength; // length of its file in bytes

void PayloadClose()
{
    if (payloadStream) {
        fclose(payloadStream);
        payloadStream = nullptr;
    }
}

int PayloadIsOpen()
{
    return payloadStream != nullptr;
}

static int PayloadFail()
{
    PayloadClose();
    return 0;
}

int PayloadOpen(const char *path)
{
    PayloadClose();
    char own[260];
    if (!path) {
        if (PlatformModuleFileName(own, sizeof own) == 0)
            return 0;
        path = own;
    }
    payloadStream = fopen(path, "rb");
    if (!payloadStream)
        return 0;
    unsigned char head[PAYLOAD_OFFSET_FIELD + 4];
    if (fread(head, 1, sizeof head, payloadStream) != sizeof head)
        return PayloadFail();
    if (memcmp(head + STUB_MESSAGE_OFFSET, SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH) != 0)
        return PayloadFail();
    if (fseek(payloadStream, 0, SEEK_END) != 0)
        return PayloadFail();
    long length = ftell(payloadStream);
    if (length < 0)
        return PayloadFail();
    payloadLength = (uint64_t)length;
    uint32_t offset = ReadLe32(head + PAYLOAD_OFFSET_FIELD);
    if (offset > payloadLength || fseek(payloadStream, (long)offset, SEEK_SET) != 0)
        return PayloadFail();
    return 1;
}

static int ReadFail(Blob *blob)
{
    BlobFree(blob);
    return PayloadFail();
}

// Reads a record header and checks it against the file: a known kind, an end record of size
// 0, and data that lies within the file. 1 with the kind and size; 0 closes the stream.
static int ReadRecordHeader(uint16_t *kind, uint32_t *size)
{
    if (!payloadStream)
        return 0;
    unsigned char header[RECORD_HEADER_SIZE];
    if (fread(header, 1, sizeof header, payloadStream) != sizeof header)
        return PayloadFail();
    *kind = ReadLe16(header);
    *size = ReadLe32(header + 2);
    if (*kind > (uint16_t)BlobKind::Executable || (*kind == 0 && *size != 0))
        return PayloadFail();
    long position = ftell(payloadStream);
    if (position < 0 || (uint64_t)position + *size > payloadLength)
        return PayloadFail(); // the record runs past the end of the file
    return 1;
}

int PayloadSkipKind(BlobKind kind)
{
    uint16_t found;
    uint32_t size;
    if (!ReadRecordHeader(&found, &size))
        return 0;
    // The size lies within the file, whose length came from ftell: it fits in a long.
    if (found != (uint16_t)kind || fseek(payloadStream, (long)size, SEEK_CUR) != 0)
        return PayloadFail();
    return 1;
}

int PayloadReadNext(Blob *blob)
{
    BlobFree(blob);
    uint16_t kind;
    uint32_t size;
    if (!ReadRecordHeader(&kind, &size))
        return 0;
    if (!BlobAllocate(blob, (BlobKind)kind, size))
        return ReadFail(blob);
    if (size != 0 && fread(blob->data, 1, size, payloadStream) != size)
        return ReadFail(blob);
    return 1;
}

int PayloadReadKind(Blob *blob, BlobKind kind)
{
    if (!PayloadReadNext(blob))
        return 0;
    if (blob->kind != kind) {
        BlobFree(blob);
        return 0;
    }
    return 1;
}

int PayloadWriteExecutable(Blob *blob, FILE *out)
{
    if (blob->kind != BlobKind::Executable || blob->size < MIN_EXECUTABLE_SIZE || !blob->data)
        return 0;
    unsigned char *message = blob->data + STUB_MESSAGE_OFFSET;
    if (memcmp(message, LONG_STUB_MESSAGE, LONG_STUB_LENGTH) == 0) {
        memcpy(message, SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH);
        WriteLe32(blob->data + PAYLOAD_OFFSET_FIELD, blob->size);
    } else if (memcmp(message, SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH) != 0) {
        return 0;
    }
    return fwrite(blob->data, 1, blob->size, out) == blob->size;
}

int PayloadWriteRecord(const Blob *blob, FILE *out)
{
    unsigned char header[RECORD_HEADER_SIZE];
    WriteLe16(header, (uint16_t)blob->kind);
    WriteLe32(header + 2, blob->size);
    if (fwrite(header, 1, sizeof header, out) != sizeof header)
        return 0;
    if (blob->size == 0)
        return 1;
    return blob->data && fwrite(blob->data, 1, blob->size, out) == blob->size;
}
