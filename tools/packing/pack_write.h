// Writing an installer or a saver file record by record through a sink, so that a front end
// can hand each record on as soon as it is ready: to a file, or into memory.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <vector>
#include "blob.h"
#include "pack_contents.h"

// Takes size bytes of the output in order; 1 when they were taken, 0 on failure.
typedef int (*PackSink)(void *context, const unsigned char *data, size_t size);

struct PackWriter {
    PackSink sink;
    void *context;
    uint64_t written; // bytes handed to the sink so far
    int failed;       // set once the sink failed; nothing more is written then
};

void PackWriterInit(PackWriter *writer, PackSink sink, void *context);
// The executable in front: stamped in place with its own size as the payload offset, and for
// a saver file (installer 0) with subsystem version 4.0, as an install writes it.
int PackWriteImage(PackWriter *writer, Blob *image, int installer);
// One record: kind, size and data.
int PackWriteRecord(PackWriter *writer, const Blob *record);
// The end record.
int PackWriteEnd(PackWriter *writer);
// The whole file in its order: the image, for an installer the name, the preview and the
// carried engine, then the options, the logo, every slide and the end record.
int PackWriteContents(PackWriter *writer, PackContents *contents);

// A sink that appends to the std::vector<unsigned char> its context points to.
int PackSinkBytes(void *context, const unsigned char *data, size_t size);
