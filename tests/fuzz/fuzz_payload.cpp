// Fuzz target: the payload container reader over any file contents, and the Dib checks of every
// picture record it returns.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>
#include "dib.h"
#include "payload.h"

// The reader opens a file by name; each input is written to one of the process's own.
static char path[64];

static void RemoveFile()
{
    unlink(path);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!path[0]) {
        snprintf(path, sizeof path, "/tmp/glimmer-fuzz-payload-%d", (int)getpid());
        atexit(RemoveFile);
    }
    FILE *file = fopen(path, "wb");
    if (!file || fwrite(data, 1, size, file) != size)
        abort();
    fclose(file);
    Blob blob;
    BlobInit(&blob);
    if (PayloadOpen(path)) {
        // Alternate both read operations; a container of this size holds few records.
        for (int i = 0; PayloadIsOpen(); i++) {
            int ok = i % 2 ? PayloadReadKind(&blob, BlobKind::Dib) : PayloadReadNext(&blob);
            if (!ok || blob.kind == BlobKind::End)
                break;
            DibLayout layout;
            if (DibParseBlob(&blob, &layout) &&
                (uint64_t)layout.rowsOffset + layout.rowsSize > blob.size)
                abort();
        }
    }
    PayloadClose();
    BlobFree(&blob);
    return 0;
}
