// Fixture helpers for the photo import tests: a scratch folder, pictures written by ImageMagick.
#pragma once

#include "photo.h"

#include <string>
#include <vector>

// The per-run scratch folder, made on first use and removed when the tests end.
std::string FixtureDir();
// FixtureDir()/name.
std::string FixturePath(const std::string &name);
// Writes image as a binary PPM (or, with alpha given as one byte per pixel, a PAM with alpha).
std::string WriteNetpbm(const std::string &name, const PhotoImage &image,
                        const std::vector<unsigned char> *alpha = nullptr);
// Runs ImageMagick's convert with the arguments; true when it exits with 0.
bool Convert(const std::string &arguments);
// Writes image with the convert options given, to FixturePath(name); the format follows the
// name's extension unless a "FORMAT:" prefix in name says otherwise. Returns the path.
std::string MakePicture(const std::string &name, const PhotoImage &image,
                        const std::string &options = "",
                        const std::vector<unsigned char> *alpha = nullptr);
// Writes image as HEIC with libheif's own encoder (ImageMagick writes neither alpha nor
// orientation there): optional alpha, and an EXIF-style orientation 1..8 stored as rotation
// and mirror properties, and an optional ICC profile. Returns the path.
std::string MakeHeif(const std::string &name, const PhotoImage &image,
                     const std::vector<unsigned char> *alpha = nullptr, int orientation = 1,
                     const std::vector<unsigned char> *profile = nullptr);
std::vector<unsigned char> ReadBytes(const std::string &path);
void WriteBytes(const std::string &path, const std::vector<unsigned char> &bytes);

// A width x height picture whose pixels come from fill(x, y, rgb).
PhotoImage MakeImage(int width, int height, void (*fill)(int x, int y, unsigned char *rgb));
// Parses Dib bytes back into an RGB picture, checking the header and sizes; false if malformed.
bool DibToImage(const std::vector<unsigned char> &dib, PhotoImage *image, int *bits = nullptr);
// Largest difference of any channel between two pictures of the same size; -1 if sizes differ.
int MaxDifference(const PhotoImage &a, const PhotoImage &b);
// Peak signal-to-noise ratio in dB between two pictures of the same size.
double Psnr(const PhotoImage &a, const PhotoImage &b);
