// The payload container: records appended behind a stamped executable, and the one payload
// stream a process reads them through.
#pragma once

#include <stdio.h>
#include "blob.h"

const uint32_t RECORD_HEADER_SIZE = 6; // kind (16-bit) and size (32-bit)

// Opens the payload of the named file, or of the running program's own file when path is
// nullptr, positioned at the first record. Closes any stream still open first.
int PayloadOpen(const char *path);
// Reads the next record into blob. A record whose size runs past the end of the file fails
// without allocating. Every failure leaves the blob empty and closes the stream.
int PayloadReadNext(Blob *blob);
// PayloadReadNext, then requires the kind. A record of another kind is consumed, the blob
// emptied and the stream left open.
int PayloadReadKind(Blob *blob, BlobKind kind);
// Reads the next record's header and moves past its data without reading it: 1 when the
// record is of the given kind and lies within the file. A failure closes the stream.
int PayloadSkipKind(BlobKind kind);
void PayloadClose();
// 1 while a payload stream is open.
int PayloadIsOpen();

// Stamps an unstamped Executable blob in place with its own size as payload offset (an already
// stamped one is left as it is) and writes the whole image.
int PayloadWriteExecutable(Blob *blob, FILE *out);
// Writes kind, size and data as one record.
int PayloadWriteRecord(const Blob *blob, FILE *out);
