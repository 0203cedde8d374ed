// Fuzz target: the Dib checks, and what the drawing code does with a Dib they accept: every
// offset and length of the layout lies inside the data, and scaling the colour table stays
// inside it.
#include <stdlib.h>
#include <string.h>
#include <vector>
#include "dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exact-size copy, so that AddressSanitizer sees any read past the end.
    std::vector<unsigned char> copy(data, data + size);
    Blob blob;
    BlobInit(&blob);
    blob.kind = BlobKind::Dib;
    blob.size = (uint32_t)size;
    blob.data = copy.empty() ? nullptr : copy.data();
    DibLayout layout;
    if (!DibParseBlob(&blob, &layout))
        return 0;
    if (layout.width <= 0 || layout.height <= 0 || layout.headerSize < DIB_HEADER_SIZE ||
        (uint64_t)layout.rowsOffset + layout.rowsSize > size ||
        (uint64_t)layout.stride * layout.height != layout.rowsSize)
        abort();
    if (DibWidth(&blob) != layout.width || DibHeight(&blob) != layout.height)
        abort();
    // What a fade step does: scale the table of an indexed picture, or every row of a 24-bit
    // one, on a copy of the header and table (or the whole data).
    if (layout.bitCount == 24) {
        for (int y = 0; y < layout.height; y++)
            ScaleColorTriplets(copy.data() + layout.rowsOffset + (size_t)y * layout.stride, 3,
                               layout.width, 128);
    } else {
        ScaleColorTriplets(copy.data() + layout.headerSize, 4, (int)layout.colours, 128);
    }
    return 0;
}
