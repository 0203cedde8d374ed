// Writing the saver file: the engine image and the records behind it, copied one at a time
// from the installer's payload through one Blob under a temporary name, then renamed into place.
#include "install.h"

#include <stdio.h>
#include <string.h>
#include "blob.h"
#include "message.h"
#include "payload.h"
#include "platform.h"
#include "text.h"

const char *InstallPayloadPath = nullptr;

const char MISSING_DATA[] = "This .EXE File is Missing Critical Data";
const char CANT_CREATE[] = "Can't Create %s";
static const char CANT_WRITE[] = "Can't Write to %s";
static const char INSTALLED[] = "%s has been installed. You can now select\n"
                                "this screen saver from the Control Panel.  Follow the path:\n"
                                " Start | Settings | Control Panel | Display | Screen Saver";

static int MissingData()
{
    SetMessage(&AppMessage, nullptr, MISSING_DATA, SeverityBug);
    return 0;
}

static int WriteFailed(const char *saverPath)
{
    SetMessage(&AppMessage, CANT_WRITE, saverPath, SeverityError);
    return 0;
}

// An image PayloadWriteExecutable can stamp: big enough and carrying either stub message.
// Anything else in the engine record is damaged data, not a failure of the disk.
static int EngineImageUsable(const Blob *blob)
{
    if (blob->size < MIN_EXECUTABLE_SIZE)
        return 0;
    const unsigned char *message = blob->data + STUB_MESSAGE_OFFSET;
    return memcmp(message, LONG_STUB_MESSAGE, LONG_STUB_LENGTH) == 0 ||
           memcmp(message, SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH) == 0;
}

// Reads one record of the given kind and writes it.
static int CopyRecord(Blob *blob, BlobKind kind, FILE *out, const char *saverPath)
{
    if (!PayloadReadKind(blob, kind))
        return MissingData();
    if (!PayloadWriteRecord(blob, out))
        return WriteFailed(saverPath);
    return 1;
}

// Everything between creating the file and closing it. Stops at the first failure, whose
// message it sets; what was written so far stays in the file.
static int CopyPayload(Blob *blob, FILE *out, const char *saverPath)
{
    if (!PayloadOpen(InstallPayloadPath) || !PayloadReadKind(blob, BlobKind::Text) ||
        !PayloadReadKind(blob, BlobKind::Dib) || !PayloadReadKind(blob, BlobKind::Executable))
        return MissingData();
    if (!EngineImageUsable(blob))
        return MissingData();
    // An image that does not say 3.10 is written as it is.
    BlobPatchSubsystemVersion(blob);
    // The packer never stores a stamped engine; one that carries a stamp anyway gets its own
    // size, since any other offset leaves a saver that cannot find its own records.
    if (memcmp(blob->data + STUB_MESSAGE_OFFSET, SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH) == 0)
        WriteLe32(blob->data + PAYLOAD_OFFSET_FIELD, blob->size);
    if (!PayloadWriteExecutable(blob, out))
        return WriteFailed(saverPath);
    if (!CopyRecord(blob, BlobKind::Text, out, saverPath) ||
        !CopyRecord(blob, BlobKind::Dib, out, saverPath))
        return 0;
    for (;;) {
        if (!PayloadReadNext(blob))
            return MissingData();
        // A record of a wrong kind is written before the install stops on it.
        if (!PayloadWriteRecord(blob, out))
            return WriteFailed(saverPath);
        if (blob->kind == BlobKind::End)
            return 1;
        if (blob->kind != BlobKind::Dib)
            return MissingData();
    }
}

int InstallWriteSaver(const char *saverPath, const char *name)
{
    char temporary[PATH_CAPACITY];
    if (!SaverTemporaryPath(temporary, saverPath)) {
        SetMessage(&AppMessage, CANT_CREATE, saverPath, SeverityError);
        return 0;
    }
    if (!SaverTemporaryRemove(temporary)) {
        // Another program's file, or one in use: it is never overwritten.
        SetMessage(&AppMessage, CANT_CREATE, temporary, SeverityError);
        return 0;
    }
    FILE *out = fopen(temporary, "wb");
    if (!out) {
        SetMessage(&AppMessage, CANT_CREATE, saverPath, SeverityError);
        return 0;
    }
    Blob blob;
    BlobInit(&blob);
    int copied = CopyPayload(&blob, out, saverPath);
    PayloadClose();
    // Buffered bytes reach the disk only now: a full disk can show up here and nowhere else.
    int closed = fclose(out) == 0;
    BlobFree(&blob);
    if (!copied || !closed) {
        PlatformFileDelete(temporary);
        return copied ? WriteFailed(saverPath) : 0;
    }
    // Only a complete saver gets the name the Display control panel lists and the next install
    // finds: one cut short would run blank and block that install.
    if (!PlatformFileRename(temporary, saverPath)) {
        PlatformFileDelete(temporary);
        SetMessage(&AppMessage, CANT_CREATE, saverPath, SeverityError);
        return 0;
    }
    SetMessage(&AppMessage, INSTALLED, name, SeverityInformation);
    SetMessageCaption(&AppMessage, "Success");
    return 1;
}
