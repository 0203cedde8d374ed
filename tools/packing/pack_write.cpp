// The container writer over a sink: the same bytes the payload writer puts into a file.
#include "pack_write.h"

#include <string.h>
#include "payload.h"

void PackWriterInit(PackWriter *writer, PackSink sink, void *context)
{
    writer->sink = sink;
    writer->context = context;
    writer->written = 0;
    writer->failed = 0;
}

static int Put(PackWriter *writer, const unsigned char *data, size_t size)
{
    if (writer->failed)
        return 0;
    if (size > 0 && !writer->sink(writer->context, data, size)) {
        writer->failed = 1;
        return 0;
    }
    writer->written += size;
    return 1;
}

int PackWriteImage(PackWriter *writer, Blob *image, int installer)
{
    if (image->kind != BlobKind::Executable || image->size < MIN_EXECUTABLE_SIZE || !image->data)
        return 0;
    if (!installer)
        BlobPatchSubsystemVersion(image);
    // An unstamped image gets the short stub message and its own size as payload offset; an
    // image stamped before keeps both.
    unsigned char *message = image->data + STUB_MESSAGE_OFFSET;
    if (memcmp(message, LONG_STUB_MESSAGE, LONG_STUB_LENGTH) == 0) {
        memcpy(message, SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH);
        WriteLe32(image->data + PAYLOAD_OFFSET_FIELD, image->size);
    } else if (memcmp(message, SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH) != 0) {
        return 0;
    }
    return Put(writer, image->data, image->size);
}

int PackWriteRecord(PackWriter *writer, const Blob *record)
{
    unsigned char header[RECORD_HEADER_SIZE];
    WriteLe16(header, (uint16_t)record->kind);
    WriteLe32(header + 2, record->size);
    if (!Put(writer, header, sizeof header))
        return 0;
    if (record->size == 0)
        return 1;
    return record->data && Put(writer, record->data, record->size);
}

int PackWriteEnd(PackWriter *writer)
{
    Blob end;
    BlobInit(&end);
    return PackWriteRecord(writer, &end);
}

int PackWriteContents(PackWriter *writer, PackContents *contents)
{
    if (!PackWriteImage(writer, &contents->image, contents->installer))
        return 0;
    if (contents->installer && (!PackWriteRecord(writer, &contents->name) ||
                                !PackWriteRecord(writer, &contents->preview) ||
                                !PackWriteRecord(writer, &contents->engine)))
        return 0;
    if (!PackWriteRecord(writer, &contents->options) || !PackWriteRecord(writer, &contents->logo))
        return 0;
    for (const Blob &slide : contents->slides) {
        if (!PackWriteRecord(writer, &slide))
            return 0;
    }
    return PackWriteEnd(writer);
}

int PackSinkBytes(void *context, const unsigned char *data, size_t size)
{
    std::vector<unsigned char> *bytes = (std::vector<unsigned char> *)context;
    bytes->insert(bytes->end(), data, data + size);
    return 1;
}
