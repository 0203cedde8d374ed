// Where a window goes to sit in the middle of the screen.
#pragma once

struct WindowPlacement {
    int x;
    int y;
    int width;
    int height;
};

// The window rectangle (left, top, right, bottom) moved to the middle of a screen of the
// given size, keeping its width and height. Each coordinate is (screen size - window size)
// halved toward minus infinity, so a window larger than the screen gets a negative one.
// Extreme rectangles are computed without overflow and clamped to the int range.
WindowPlacement CenterPlacement(int screenWidth, int screenHeight, int left, int top, int right,
                                int bottom);
