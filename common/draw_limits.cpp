// The Windows 95 drawing limits as arithmetic over a picture's size.
#include "draw_limits.h"

uint64_t DeviceBitmapBytes(int32_t width, int32_t height, int displayBits)
{
    if (width <= 0 || height <= 0 || displayBits <= 0)
        return 0;
    uint64_t rowBytes = ((uint64_t)width * (uint64_t)displayBits + 15) / 16 * 2;
    return rowBytes * (uint64_t)height;
}

int DeepestDrawableDisplay(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0 || width >= GDI_COORDINATE_MAXIMUM ||
        height >= GDI_COORDINATE_MAXIMUM)
        return 0;
    for (int bits : DISPLAY_DEPTHS) {
        if (DeviceBitmapBytes(width, height, bits) <= DEVICE_BITMAP_MAXIMUM)
            return bits;
    }
    return 0;
}
