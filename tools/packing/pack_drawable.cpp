// The drawing limits of Windows 95 applied to one picture.
#include "pack_drawable.h"

#include "dib.h"
#include "draw_limits.h"

static std::string BytesText(uint64_t bytes)
{
    return std::to_string(bytes) + " bytes";
}

// How the device-bitmap limit reads in a message.
static std::string LimitText()
{
    return "more than the " + std::to_string(DEVICE_BITMAP_MAXIMUM >> 20) + " MB (" +
           BytesText(DEVICE_BITMAP_MAXIMUM) + ") Windows 95 allows";
}

int CheckDrawable(const Blob *dib, std::string *problem, std::string *warning)
{
    warning->clear();
    DibLayout layout;
    if (!DibParseBlob(dib, &layout)) {
        *problem = "not a valid bitmap (header, colour table or rows missing, or not 1, 4, 8 or "
                   "24 bits uncompressed)";
        return 0;
    }
    std::string size = std::to_string(layout.width) + " x " + std::to_string(layout.height);
    int deepest = DeepestDrawableDisplay(layout.width, layout.height);
    if (deepest == 0) {
        if (layout.width >= GDI_COORDINATE_MAXIMUM || layout.height >= GDI_COORDINATE_MAXIMUM)
            *problem = size +
                       " pixels: Windows 95 would draw it blank, since its drawing "
                       "coordinates end at " +
                       std::to_string(GDI_COORDINATE_MAXIMUM) + " (at most " +
                       std::to_string(GDI_COORDINATE_MAXIMUM - 1) + " pixels a side)";
        else
            *problem = size + " pixels: Windows 95 would draw it blank on every display, since " +
                       "even at 256 colours it needs a device bitmap of " +
                       BytesText(DeviceBitmapBytes(layout.width, layout.height, 8)) + ", " +
                       LimitText();
        return 0;
    }
    if (deepest < DISPLAY_DEPTHS[0]) {
        int shallowestBlank = DISPLAY_DEPTHS[0];
        for (int bits : DISPLAY_DEPTHS)
            if (bits > deepest)
                shallowestBlank = bits;
        *warning = size + " pixels: Windows 95 draws it blank on displays of " +
                   std::to_string(shallowestBlank) + " bits per pixel or more, where its device " +
                   "bitmap needs " +
                   BytesText(DeviceBitmapBytes(layout.width, layout.height, shallowestBlank)) +
                   ", " + LimitText();
    }
    return 1;
}
