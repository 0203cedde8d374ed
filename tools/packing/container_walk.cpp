// The container walk shared by list, extract and check.
#include "container_walk.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include "pack_messages.h"
#include "payload.h"

const char *KindName(uint16_t kind)
{
    static const char *names[] = {"End", "Text", "Dib", "Executable"};
    return kind < 4 ? names[kind] : "?";
}

// Says why the record at offset could not be read; the reader itself only answers 0.
static void DiagnoseRecord(const char *path, uint64_t offset)
{
    unsigned long long where = (unsigned long long)offset;
    FILE *file = fopen(path, "rb");
    unsigned char header[RECORD_HEADER_SIZE];
    if (!file || fseek(file, (long)offset, SEEK_SET) != 0 ||
        fread(header, 1, sizeof header, file) != sizeof header) {
        if (file)
            fclose(file);
        PackError("%s: the file ends inside the record header at offset %llu (no end record)", path,
                  where);
        return;
    }
    fseek(file, 0, SEEK_END);
    long long length = ftell(file);
    fclose(file);
    uint16_t kind = ReadLe16(header);
    uint32_t size = ReadLe32(header + 2);
    PackError("%s: damaged container at offset %llu", path, where);
    if (kind > 3)
        fprintf(stderr, "  unknown record kind %u\n", kind);
    else if (kind == 0)
        fprintf(stderr, "  end record with size %lu\n", (unsigned long)size);
    else
        fprintf(stderr, "  %s record of %lu bytes but only %lld bytes follow\n", KindName(kind),
                (unsigned long)size, length - (long long)offset - (long long)RECORD_HEADER_SIZE);
}

int WalkContainer(const char *path, const std::function<int(uint64_t, const Blob *)> &visit)
{
    if (!PayloadOpen(path)) {
        struct stat info;
        if (stat(path, &info) != 0)
            return PackError("%s: %s", path, strerror(errno));
        return PackError("%s: not a container (no stamped stub message and payload offset)", path);
    }
    FILE *file = fopen(path, "rb");
    unsigned char head[PAYLOAD_OFFSET_FIELD + 4] = {};
    if (!file || fread(head, 1, sizeof head, file) != sizeof head) {
        if (file)
            fclose(file);
        PayloadClose();
        return PackError("%s: cannot be read", path);
    }
    fclose(file);
    uint64_t offset = ReadLe32(head + PAYLOAD_OFFSET_FIELD);
    if (!visit(offset, nullptr)) {
        PayloadClose();
        return 0;
    }
    Blob blob;
    BlobInit(&blob);
    for (;;) {
        if (!PayloadReadNext(&blob)) {
            DiagnoseRecord(path, offset);
            return 0;
        }
        int more = visit(offset, &blob);
        if (!more || blob.kind == BlobKind::End) {
            BlobFree(&blob);
            PayloadClose();
            return more;
        }
        offset += RECORD_HEADER_SIZE + (uint64_t)blob.size;
    }
}
