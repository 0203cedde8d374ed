// Photo import: decode a picture file, orient it, fit it into a box and turn it into Dib bytes.
//
// The packaging tool calls PhotoMakeDib for every JPEG, PNG, WebP, HEIF or GIF it is given; the
// lower-level steps are public so that each can be tested on its own. Every operation returns 1
// for success and 0 for failure; on failure *error holds a reason without the file name (callers
// put the name in front). Outputs depend only on the input bytes and the options.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Largest picture decoded, in pixels, judged from the header before any pixel buffer exists.
const long long PHOTO_MAX_PIXELS = 100000000LL;
// Largest picture file read, in bytes.
const long long PHOTO_MAX_FILE_BYTES = 256LL * 1024 * 1024;
// Largest box side, in pixels.
const int PHOTO_MAX_BOX_SIDE = 16384;

enum PhotoFormat {
    PHOTO_FORMAT_UNKNOWN = 0,
    PHOTO_FORMAT_JPEG,
    PHOTO_FORMAT_PNG,
    PHOTO_FORMAT_WEBP,
    PHOTO_FORMAT_HEIF,
    PHOTO_FORMAT_GIF,
    PHOTO_FORMAT_BMP
};

// A decoded picture: rows top-down, 3 bytes per pixel (red, green, blue), no row padding.
struct PhotoImage {
    int width;
    int height;
    std::vector<unsigned char> rgb;
};

// What a caller asks of PhotoMakeDib. A box of 0 x 0 keeps the picture's own size.
struct PhotoOptions {
    int boxWidth;
    int boxHeight;
    int upscale; // non-zero: a picture smaller than the box is enlarged to fit it
    int bits;    // 8 (own 256-colour palette) or 24 (true colour)
    int quality; // highest quantisation quality aimed at, 0..100
    int speed;   // quantisation speed, 1 (slowest, best) .. 10 (fastest)
    int bmpBits; // a true-colour BMP that keeps its size: 24, or 8 to reduce it like a photo
};

// Facts about a decoded source picture. Sizes are after orientation.
struct PhotoInfo {
    PhotoFormat format;
    int sourceWidth;
    int sourceHeight;
    int orientation; // EXIF orientation that was applied, 1..8 (1 for none)
};

// What PhotoMakeDib did, for progress lines and summaries.
struct PhotoReport {
    PhotoFormat format;
    int sourceWidth;
    int sourceHeight;
    int width;
    int height;
    int colours; // palette entries used (8-bit) or distinct colours (24-bit)
    double seconds;
};

// Defaults: an 800 x 600 box, no upscaling, 8 bits (24 for BMPs that keep their size),
// quality 100, speed 4.
void PhotoOptionsInit(PhotoOptions *options);
// 1 if every field lies in its range; otherwise 0 and a reason.
int PhotoOptionsCheck(const PhotoOptions *options, std::string *error);

// The whole pipeline for one file: read, decode, orient, compose alpha over black, fit, reduce
// colours and write a Dib (header, colour table, rows). *report may be null. A BMP whose size
// the box keeps keeps its pixels instead: byte for byte when Windows 95 draws it as it is,
// else with its own colour table or in true colour (see bmpBits).
int PhotoMakeDib(const char *path, const PhotoOptions *options, std::vector<unsigned char> *dib,
                 PhotoReport *report, std::string *error);
// The same pipeline on file contents already in memory.
int PhotoMakeDibFromMemory(const unsigned char *data, size_t size, const PhotoOptions *options,
                           std::vector<unsigned char> *dib, PhotoReport *report,
                           std::string *error);

// Reads a whole file, refusing empty files and files above PHOTO_MAX_FILE_BYTES.
int PhotoReadFile(const char *path, std::vector<unsigned char> *data, std::string *error);
// The format named by the first bytes of a file; the file name plays no part.
PhotoFormat PhotoDetectFormat(const unsigned char *data, size_t size);
const char *PhotoFormatName(PhotoFormat format);

// Decodes a JPEG, PNG, WebP, HEIF, GIF (its first frame) or BMP to upright RGB with alpha composed
// over black. With options, a JPEG may be decoded at a reduced DCT scale that still covers the
// fitted size; with none, every format comes out at full size.
int PhotoDecode(const unsigned char *data, size_t size, const PhotoOptions *options,
                PhotoImage *image, PhotoInfo *info, std::string *error);

// EXIF orientation (1..8) from an APP1 payload that starts with "Exif\0\0"; 1 when it has none
// or an invalid one.
int PhotoExifOrientation(const unsigned char *exif, size_t size);
// Turns a picture stored with the given EXIF orientation upright. Values outside 2..8 leave it.
void PhotoOrient(PhotoImage *image, int orientation);

// The size of a width x height picture fitted into the box keeping its aspect ratio; never
// larger than the picture itself unless upscale is set. A 0 x 0 box keeps the size.
void PhotoFitSize(int width, int height, int boxWidth, int boxHeight, int upscale, int *fitWidth,
                  int *fitHeight);
// Resamples to width x height: a three-lobe Lanczos filter where a side shrinks (after area
// averaging to twice the size where it shrinks more than threefold), linear interpolation where
// it grows; beyond the edges the border pixels repeat.
int PhotoResample(const PhotoImage *source, int width, int height, PhotoImage *result);

// Reduces to at most 256 colours with dithering. indices gets width x height palette indices
// (top-down), palette gets 3 bytes (red, green, blue) per entry.
int PhotoQuantise(const PhotoImage *image, int quality, int speed,
                  std::vector<unsigned char> *indices, std::vector<unsigned char> *palette,
                  std::string *error);
// Number of distinct colours in a picture.
int PhotoCountColours(const PhotoImage *image);

// Dib bytes: BITMAPINFOHEADER (size 40, positive height), then for 8 bits a 256-entry RGBQUAD
// table (unused entries black), then bottom-up rows padded to 4 bytes.
int PhotoWriteDib8(int width, int height, const unsigned char *indices,
                   const unsigned char *palette, int paletteCount, std::vector<unsigned char> *dib);
int PhotoWriteDib24(const PhotoImage *image, std::vector<unsigned char> *dib);
