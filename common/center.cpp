// Centring arithmetic for windows.
#include "center.h"

#include <limits.h>
#include <stdint.h>

static int ClampToInt(int64_t value)
{
    if (value < INT_MIN)
        return INT_MIN;
    if (value > INT_MAX)
        return INT_MAX;
    return (int)value;
}

// (screen - size) / 2 rounded toward minus infinity, as an arithmetic right shift does.
static int64_t HalfExcess(int64_t screen, int64_t size)
{
    int64_t excess = screen - size;
    return excess >= 0 ? excess / 2 : -((-excess + 1) / 2);
}

WindowPlacement CenterPlacement(int screenWidth, int screenHeight, int left, int top, int right,
                                int bottom)
{
    int64_t width = (int64_t)right - left;
    int64_t height = (int64_t)bottom - top;
    WindowPlacement placement;
    placement.x = ClampToInt(HalfExcess(screenWidth, width));
    placement.y = ClampToInt(HalfExcess(screenHeight, height));
    placement.width = ClampToInt(width);
    placement.height = ClampToInt(height);
    return placement;
}
