// Blob: a typed byte buffer that owns its data; every record, picture and executable image
// travels in one.
//
// Every buffer a Blob owns is allocated one byte longer than its size and that extra byte is
// zero. It is not part of the data (size does not count it, writers never write it), but it
// means the data of a Text blob is always a NUL-terminated string, even when the record read
// from a file lacked its NUL: no caller can run past the end of the buffer.
#pragma once

#include <stdint.h>
#include "byte_order.h"

enum class BlobKind : uint16_t { End = 0, Text = 1, Dib = 2, Executable = 3 };

struct Blob {
    BlobKind kind;
    uint32_t size;       // bytes of data
    unsigned char *data; // size + 1 bytes (the last one zero), or nullptr
};

// Offsets into an executable image.
const uint32_t STUB_MESSAGE_OFFSET = 80;      // DOS stub message
const uint32_t PAYLOAD_OFFSET_FIELD = 106;    // stamped payload offset, 32-bit
const uint32_t SUBSYSTEM_VERSION_FIELD = 328; // MajorSubsystemVersion, then Minor at 330
const uint32_t MIN_EXECUTABLE_SIZE = 128;     // bytes; smaller images are refused

// The 39-byte message ld writes and the 26-byte message of a stamped image.
extern const char LONG_STUB_MESSAGE[];  // "This program must be run under Win32\r\n$"
extern const char SHORT_STUB_MESSAGE[]; // "Must be run under Win32\r\n$"
const uint32_t LONG_STUB_LENGTH = 39;
const uint32_t SHORT_STUB_LENGTH = 26;

Blob *BlobInit(Blob *blob);
void BlobFree(Blob *blob);
Blob *BlobCopy(Blob *destination, const Blob *source);
Blob *BlobAssign(Blob *destination, const Blob *source);
int BlobSetText(Blob *blob, const char *text);
// The blob's text, or "" when it has no data. Always NUL-terminated (see above).
const char *BlobText(const Blob *blob);
// Frees the blob, then gives it the kind and size + 1 zeroed bytes (no data for size 0) and
// returns 1. A size of BLOB_SIZE_LIMIT is refused with 0 and the blob left empty. Running out
// of memory ends the program (memory.h).
int BlobAllocate(Blob *blob, BlobKind kind, uint32_t size);
const uint32_t BLOB_SIZE_LIMIT = 0xFFFFFFFFu; // bytes; no blob holds this many

int BlobPatchSubsystemVersion(Blob *blob);
// Loads an unstamped executable image (the long stub message at 80, at least
// MIN_EXECUTABLE_SIZE bytes) as an Executable blob; 1, or 0 with the blob empty.
int BlobLoadExecutableFile(Blob *blob, const char *path);
