// What Windows 95's GDI can draw: the limits a picture meets when a draw turns it into a device
// bitmap and stretches that onto the screen. A picture beyond them is not refused by any call
// the programs check; it just comes out blank, so the packaging tool checks them beforehand.
//
// Windows 95 keeps GDI coordinates in 16 bits (x and y from -32768 to 32767; larger values
// lose their upper bits), and it creates no device bitmap larger than 16 MB. A device bitmap
// has the display's depth, not the picture's, so the same picture may draw on a 256-colour
// display and come out blank on a true-colour one.
#pragma once

#include <stdint.h>

const int32_t GDI_COORDINATE_MAXIMUM = 32767;             // largest 16-bit GDI coordinate
const uint64_t DEVICE_BITMAP_MAXIMUM = 16u * 1024 * 1024; // bytes of the largest device bitmap
const int DISPLAY_DEPTHS[] = {32, 24, 16, 8};             // bits per pixel, deepest first

// Bytes of a device bitmap of width x height pixels at displayBits per pixel: its rows are
// padded to a whole number of 16-bit words.
uint64_t DeviceBitmapBytes(int32_t width, int32_t height, int displayBits);

// The deepest display of DISPLAY_DEPTHS on which Windows 95 draws a picture of width x height:
// the draw covers width + 1 by height + 1 pixels, which must stay within the coordinate range,
// and the device bitmap within DEVICE_BITMAP_MAXIMUM. 0 when it draws on none of them.
int DeepestDrawableDisplay(int32_t width, int32_t height);
