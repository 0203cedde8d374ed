// Telling a saver file this product wrote from any other file of the same name.
#include "install.h"

#include "blob.h"
#include "payload.h"
#include "platform.h"

SaverFileKind SaverFileInspect(const char *path)
{
    PlatformFile file = PlatformFileOpenRead(path);
    if (file == nullptr)
        return SAVER_FILE_UNREADABLE;
    PlatformFileClose(file);
    Blob blob;
    BlobInit(&blob);
    int ours = PayloadOpen(path) && PayloadReadKind(&blob, BlobKind::Text) &&
               PayloadReadKind(&blob, BlobKind::Dib);
    PayloadClose();
    BlobFree(&blob);
    return ours ? SAVER_FILE_OURS : SAVER_FILE_FOREIGN;
}
