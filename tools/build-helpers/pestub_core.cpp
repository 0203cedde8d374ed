// The post-link stub rewrite. The block that moves is the PE signature, the COFF header, the
// optional header and the section table; section RVAs and file offsets stay as they are, so the
// block must fit between offset 256 and the first section's data, and inside SizeOfHeaders.
#include "pestub_core.h"

#include <string.h>
#include "blob.h"

static const unsigned char STUB_CODE[] = {0x0E, 0x1F, 0xBA, 0x10, 0x00, 0xB4, 0x09,
                                          0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21};
static const uint32_t DOS_HEADER_SIZE = 64;
static const uint32_t LFANEW_FIELD = 60;

uint32_t PeChecksum(const std::vector<unsigned char> &image, uint32_t checksumOffset)
{
    uint64_t sum = 0;
    size_t size = image.size();
    for (size_t i = 0; i < size; i += 2) {
        if (i == checksumOffset || i == checksumOffset + 2)
            continue;
        uint32_t word = image[i] | (i + 1 < size ? image[i + 1] << 8 : 0);
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return (uint32_t)(sum + size);
}

static int Fail(std::string *error, const char *reason)
{
    *error = reason;
    return 0;
}

int PeRewriteStub(std::vector<unsigned char> *image, std::string *error)
{
    std::vector<unsigned char> &b = *image;
    if (b.size() < DOS_HEADER_SIZE || b[0] != 'M' || b[1] != 'Z')
        return Fail(error, "not an executable image (no MZ header)");
    if (ReadLe16(&b[8]) != 4)
        return Fail(error, "the DOS header is not 4 paragraphs long");
    uint64_t lfanew = ReadLe32(&b[LFANEW_FIELD]);
    if (lfanew + 24 > b.size() || memcmp(&b[lfanew], "PE\0\0", 4) != 0)
        return Fail(error, "not a PE image (no PE signature)");
    uint32_t sections = ReadLe16(&b[lfanew + 6]);
    uint32_t optionalSize = ReadLe16(&b[lfanew + 20]);
    uint64_t block = 4 + 20 + (uint64_t)optionalSize + 40 * (uint64_t)sections;
    if (optionalSize < 68 || lfanew + block > b.size())
        return Fail(error, "the PE headers are cut short");
    uint64_t optional = lfanew + 24;
    uint32_t sizeOfHeaders = ReadLe32(&b[optional + 60]);
    uint64_t firstData = b.size();
    for (uint32_t i = 0; i < sections; i++) {
        const unsigned char *section = &b[lfanew + 24 + optionalSize + 40 * i];
        if (ReadLe32(section + 16) != 0 && ReadLe32(section + 20) < firstData)
            firstData = ReadLe32(section + 20);
    }
    if (PE_HEADER_OFFSET + block > sizeOfHeaders || PE_HEADER_OFFSET + block > firstData)
        return Fail(error, "the PE headers would not fit at offset 256");

    std::vector<unsigned char> headers(b.begin() + lfanew, b.begin() + lfanew + block);
    uint64_t clearEnd = lfanew + block > PE_HEADER_OFFSET + block ? lfanew + block
                                                                  : PE_HEADER_OFFSET + block;
    memset(&b[DOS_HEADER_SIZE], 0, clearEnd - DOS_HEADER_SIZE);
    WriteLe32(&b[LFANEW_FIELD], PE_HEADER_OFFSET);
    memcpy(&b[DOS_HEADER_SIZE], STUB_CODE, sizeof STUB_CODE);
    memcpy(&b[STUB_MESSAGE_OFFSET], LONG_STUB_MESSAGE, LONG_STUB_LENGTH);
    memcpy(&b[PE_HEADER_OFFSET], headers.data(), headers.size());

    uint32_t checksumOffset = PE_HEADER_OFFSET + 24 + 64;
    WriteLe32(&b[checksumOffset], 0);
    WriteLe32(&b[checksumOffset], PeChecksum(b, checksumOffset));
    return 1;
}
