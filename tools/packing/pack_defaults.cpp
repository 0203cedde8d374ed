// What a saver gets for an input left out: the options text and a logo that never shows.
#include "pack_defaults.h"

#include "dib.h"

const char DEFAULT_OPTIONS[] = "NV";

void MakeBlankLogo(Blob *blob)
{
    const uint32_t rowBytes = 4; // one pixel of 3 bytes, padded to 4
    BlobAllocate(blob, BlobKind::Dib, DIB_HEADER_SIZE + rowBytes);
    unsigned char *header = blob->data;
    WriteLe32(header, DIB_HEADER_SIZE);
    WriteLe32(header + 4, 1);  // width
    WriteLe32(header + 8, 1);  // height, bottom-up
    WriteLe16(header + 12, 1); // planes
    WriteLe16(header + 14, 24);
    WriteLe32(header + 20, rowBytes);
}
