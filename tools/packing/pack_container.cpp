// The container walk shared by list, extract and check, over the bytes of the whole file. It
// accepts what the programs' own payload reader accepts: a stamped stub message, a payload
// offset inside the file, records of the four kinds that end inside it, an empty end record.
#include "pack_container.h"

#include <string.h>
#include "payload.h"

const char *KindName(uint16_t kind)
{
    static const char *names[] = {"End", "Text", "Dib", "Executable"};
    return kind < 4 ? names[kind] : "?";
}

// Says why the record at offset could not be read.
static int RecordProblem(const unsigned char *data, size_t size, uint64_t offset,
                         const std::string &label, PackIssues *issues)
{
    unsigned long long where = (unsigned long long)offset;
    if (size - offset < RECORD_HEADER_SIZE)
        return PackIssueAdd(issues, PACK_PROBLEM, label,
                            "the file ends inside the record header at offset %llu (no end "
                            "record)",
                            where);
    uint16_t kind = ReadLe16(data + offset);
    uint32_t length = ReadLe32(data + offset + 2);
    if (kind > 3)
        return PackIssueAdd(issues, PACK_PROBLEM, label,
                            "damaged container at offset %llu\n  unknown record kind %u", where,
                            kind);
    if (kind == 0)
        return PackIssueAdd(issues, PACK_PROBLEM, label,
                            "damaged container at offset %llu\n  end record with size %lu", where,
                            (unsigned long)length);
    return PackIssueAdd(issues, PACK_PROBLEM, label,
                        "damaged container at offset %llu\n  %s record of %lu bytes but only "
                        "%lld bytes follow",
                        where, KindName(kind), (unsigned long)length,
                        (long long)size - (long long)offset - (long long)RECORD_HEADER_SIZE);
}

int PackContainerWalk(const unsigned char *data, size_t size, const std::string &label,
                      const std::function<int(uint64_t, const Blob *)> &visit, PackIssues *issues)
{
    if (size < PAYLOAD_OFFSET_FIELD + 4 ||
        memcmp(data + STUB_MESSAGE_OFFSET, SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH) != 0 ||
        ReadLe32(data + PAYLOAD_OFFSET_FIELD) > size)
        return PackIssueAdd(issues, PACK_PROBLEM, label,
                            "not a container (no stamped stub message and payload offset)");
    uint64_t offset = ReadLe32(data + PAYLOAD_OFFSET_FIELD);
    if (!visit(offset, nullptr))
        return 0;
    for (;;) {
        if (size - offset < RECORD_HEADER_SIZE)
            return RecordProblem(data, size, offset, label, issues);
        uint16_t kind = ReadLe16(data + offset);
        uint32_t length = ReadLe32(data + offset + 2);
        uint64_t start = offset + RECORD_HEADER_SIZE;
        if (kind > (uint16_t)BlobKind::Executable || (kind == 0 && length != 0) ||
            length > size - start)
            return RecordProblem(data, size, offset, label, issues);
        // Each record gets a blob of its own, so that its data ends with the zero byte every
        // blob carries and a Text record is always a string.
        Blob record = {(BlobKind)kind, length, nullptr};
        Blob copy;
        BlobInit(&copy);
        if (length > 0) {
            BlobAllocate(&copy, (BlobKind)kind, length);
            memcpy(copy.data, data + start, length);
            record = copy;
        }
        int more = visit(offset, &record);
        BlobFree(&copy);
        if (!more || kind == 0)
            return more;
        offset = start + length;
    }
}
