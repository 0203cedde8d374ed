// Telling a saver file this product wrote from any other file of the same name, and removing
// what an interrupted install left behind.
#include "install.h"

#include <string.h>
#include "blob.h"
#include "payload.h"
#include "platform.h"

SaverFileKind SaverFileInspect(const char *path)
{
    PlatformFile file = PlatformFileOpenRead(path);
    if (file == nullptr)
        return SAVER_FILE_UNREADABLE;
    PlatformFileClose(file);
    // The headers tell the kinds; the logo can be large, and its pixels tell nothing more.
    int ours =
        PayloadOpen(path) && PayloadSkipKind(BlobKind::Text) && PayloadSkipKind(BlobKind::Dib);
    PayloadClose();
    return ours ? SAVER_FILE_OURS : SAVER_FILE_FOREIGN;
}

int SaverTemporaryRemove(const char *temporaryPath)
{
    PlatformFile file = PlatformFileOpenRead(temporaryPath);
    if (file == nullptr)
        return !PlatformFileExists(temporaryPath);
    // The engine image goes first and whole, stamped: nothing an install writes starts otherwise.
    unsigned char head[STUB_MESSAGE_OFFSET + SHORT_STUB_LENGTH];
    uint32_t size = PlatformFileSize(file);
    int ours = size == 0 ||
               (size != PLATFORM_FILE_SIZE_ERROR && size >= sizeof head &&
                PlatformFileRead(file, head, sizeof head) == sizeof head &&
                memcmp(head + STUB_MESSAGE_OFFSET, SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH) == 0);
    PlatformFileClose(file);
    return ours && PlatformFileDelete(temporaryPath);
}
