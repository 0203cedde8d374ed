// Decoder entry points and helpers shared by the photo import files (not for callers).
#pragma once

#include "photo.h"

// Each decoder fills an RGB image with alpha already composed over black, and the info's
// source size. Only the JPEG decoder uses options (to pick a DCT scale) and reports an
// orientation; it also turns its result upright.
int PhotoDecodeJpeg(const unsigned char *data, size_t size, const PhotoOptions *options,
                    PhotoImage *image, PhotoInfo *info, std::string *error);
int PhotoDecodePng(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                   std::string *error);
int PhotoDecodeWebp(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                    std::string *error);
int PhotoDecodeHeif(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                    std::string *error);
int PhotoDecodeGif(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                   std::string *error);

// 1 if a width x height picture is positive and within PHOTO_MAX_PIXELS; else 0 and a reason.
int PhotoCheckDimensions(long long width, long long height, std::string *error);
// Sizes the image to width x height, all black. The size must have passed PhotoCheckDimensions.
void PhotoImageAllocate(PhotoImage *image, int width, int height);
// Writes count RGBA pixels as RGB composed over black. Premultiplied input already is.
void PhotoComposeRow(const unsigned char *rgba, int count, int premultiplied, unsigned char *rgb);
