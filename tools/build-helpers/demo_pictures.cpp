// demo-pictures: writes the demo saver's pictures as .BMP files into a folder.
//
//   demo-pictures DIR
//
// DIR/preview.bmp (800 x 600, 8 bits, biClrUsed 0), DIR/logo.bmp (320 x 200, 24 bits) and
// DIR/slide01.bmp ... DIR/slide12.bmp (800 x 600, 8 bits, each with a palette of its own;
// slide07 says biClrUsed 0, the others 256). Every picture is computed from fixed formulas and
// a fixed hash, so two runs give the same bytes. Scenes are drawn in full colour, then reduced
// to 256 colours by median cut and Floyd-Steinberg error diffusion.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{

const int SLIDE_WIDTH = 800;
const int SLIDE_HEIGHT = 600;
const int LOGO_WIDTH = 320;
const int LOGO_HEIGHT = 200;
const int SLIDE_COUNT = 12;
const int FULL_TABLE_SLIDE = 7; // the slide whose header leaves biClrUsed 0
const double PI = 3.14159265358979323846;

struct Rgb {
    double r, g, b;
};

struct Image {
    int width, height;
    std::vector<Rgb> pixels; // top row first
};

Image MakeImage(int width, int height)
{
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.assign((size_t)width * height, Rgb{0, 0, 0});
    return image;
}

Rgb &At(Image &image, int x, int y)
{
    return image.pixels[(size_t)y * image.width + x];
}

// ---- small maths -------------------------------------------------------------------------

double Clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
double Mix(double a, double b, double t)
{
    return a + (b - a) * t;
}
Rgb MixRgb(Rgb a, Rgb b, double t)
{
    return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}
Rgb Scale(Rgb a, double f)
{
    return {a.r * f, a.g * f, a.b * f};
}
Rgb Add(Rgb a, Rgb b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
double SmoothStep(double a, double b, double v)
{
    double t = Clamp01((v - a) / (b - a));
    return t * t * (3 - 2 * t);
}
Rgb Hex(uint32_t c)
{
    return {((c >> 16) & 255) / 255.0, ((c >> 8) & 255) / 255.0, (c & 255) / 255.0};
}

// Colour along a list of stops spread evenly over 0..1.
Rgb Ramp(const uint32_t *stops, int count, double t)
{
    t = Clamp01(t) * (count - 1);
    int i = std::min((int)t, count - 2);
    return MixRgb(Hex(stops[i]), Hex(stops[i + 1]), t - i);
}

// Integer hash of a lattice point and a seed; the one source of "randomness".
uint32_t Hash(int x, int y, uint32_t seed)
{
    uint32_t h = (uint32_t)x * 374761393u + (uint32_t)y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}
double Hash01(int x, int y, uint32_t seed)
{
    return (Hash(x, y, seed) & 0xFFFFFF) / 16777216.0;
}

double ValueNoise(double x, double y, uint32_t seed)
{
    int xi = (int)std::floor(x), yi = (int)std::floor(y);
    double fx = x - xi, fy = y - yi;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    double a = Hash01(xi, yi, seed), b = Hash01(xi + 1, yi, seed);
    double c = Hash01(xi, yi + 1, seed), d = Hash01(xi + 1, yi + 1, seed);
    return Mix(Mix(a, b, fx), Mix(c, d, fx), fy);
}

// Fractal sum of value noise, roughly 0..1.
double Fbm(double x, double y, int octaves, uint32_t seed)
{
    double sum = 0, amplitude = 0.5, norm = 0;
    for (int i = 0; i < octaves; i++) {
        sum += amplitude * ValueNoise(x, y, seed + (uint32_t)i * 101u);
        norm += amplitude;
        x = x * 2.03 + 17.1;
        y = y * 2.01 + 3.7;
        amplitude *= 0.5;
    }
    return sum / norm;
}

// ---- scenes ------------------------------------------------------------------------------
// Each scene fills an image of any size; u runs 0..1 left to right, v 0..1 top to bottom.

// A ridge line's height (0 top .. 1 bottom) at u.
double Ridge(double u, double base, double amplitude, double frequency, uint32_t seed)
{
    return base - amplitude * (Fbm(u * frequency, 0.5, 6, seed) - 0.5) * 2;
}

Rgb SkyGradient(double v, const uint32_t *stops, int count)
{
    return Ramp(stops, count, v);
}

void MountainLake(Image &image)
{
    static const uint32_t sky[] = {0x1b2a4e, 0x3b5b8c, 0x8fa9c9, 0xf2c6a0, 0xffe2b8};
    const double horizon = 0.62, sunU = 0.68, sunV = 0.36;
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            double u = (double)x / image.width, v = (double)y / image.height;
            bool water = v > horizon;
            double sv = water ? 2 * horizon - v : v; // mirrored for the reflection
            if (water)                               // ripples shift the reflected point sideways
                u += 0.004 * std::sin(v * 420 + 3 * Fbm(u * 8, v * 60, 3, 9));
            Rgb c = SkyGradient(sv / horizon, sky, 5);
            double dx = (u - sunU) * image.width / image.height, dy = sv - sunV;
            double d = std::sqrt(dx * dx + dy * dy);
            c = Add(c, Scale(Hex(0xffd9a0), 0.55 * std::exp(-d * 9)));
            if (d < 0.035)
                c = MixRgb(c, Hex(0xfff4e0), SmoothStep(0.035, 0.03, d));
            double cloud = SmoothStep(0.55, 0.8, Fbm(u * 5, sv * 14, 5, 3)) * (1 - sv / horizon);
            c = MixRgb(c, Hex(0xf7e1d0), cloud * 0.6);
            struct Layer {
                double base, amplitude, frequency;
                uint32_t seed;
                uint32_t colour;
                double haze;
            };
            static const Layer layers[] = {{0.42, 0.16, 3, 11, 0x6d7fa6, 0.55},
                                           {0.50, 0.13, 5, 12, 0x465a80, 0.35},
                                           {0.58, 0.08, 7, 13, 0x23324f, 0.12}};
            for (const Layer &l : layers) {
                double top = Ridge(u, l.base, l.amplitude, l.frequency, l.seed);
                if (sv > top && sv <= horizon) {
                    double shade = 0.8 + 0.4 * (Fbm(u * 40, sv * 40, 4, l.seed + 5) - 0.5);
                    Rgb m = Scale(Hex(l.colour), shade);
                    // snow on the far peaks
                    if (l.seed == 11 && sv < top + 0.03 && top < 0.36)
                        m = MixRgb(m, Hex(0xe8ecf5), 0.8);
                    c = MixRgb(m, Hex(0xc9b8c4), l.haze * (1 - (sv - top) * 2));
                }
            }
            if (water) {
                c = Scale(MixRgb(c, Hex(0x1c3350), 0.25 + 0.5 * (v - horizon) / (1 - horizon)),
                          0.9);
                double path = std::exp(-std::fabs(u - sunU) * 30 / (1 + (v - horizon) * 8));
                double glint = path * SmoothStep(0.62, 0.9, ValueNoise(u * 60, v * 700, 4));
                c = Add(c, Scale(Hex(0xffe6c0), glint * 0.5));
            }
            At(image, x, y) = c;
        }
    }
}

// Smooth escape-time colouring of the Mandelbrot set.
void Mandelbrot(Image &image)
{
    static const uint32_t stops[] = {0x000764, 0x206bcb, 0xedffff, 0xffaa00, 0x000200, 0x000764};
    const double cx = -0.7453, cy = 0.1127, span = 0.0065;
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            double a = cx + (x - image.width / 2.0) * span / image.height;
            double b = cy + (y - image.height / 2.0) * span / image.height;
            double zr = 0, zi = 0;
            int i = 0;
            const int limit = 600;
            while (i < limit && zr * zr + zi * zi < 256) {
                double t = zr * zr - zi * zi + a;
                zi = 2 * zr * zi + b;
                zr = t;
                i++;
            }
            Rgb c{0, 0, 0};
            if (i < limit) {
                double smooth =
                    i + 1 - std::log(std::log(std::sqrt(zr * zr + zi * zi))) / std::log(2.0);
                c = Ramp(stops, 6, std::fmod(std::sqrt(smooth) * 0.18, 1.0));
            }
            At(image, x, y) = c;
        }
    }
}

void Julia(Image &image)
{
    static const uint32_t stops[] = {0x0b0221, 0x3a0b5c, 0x8d1f7a, 0xe0457b, 0xffb36b, 0xfff3c7};
    const double cr = -0.8, ci = 0.156;
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            double zr = (x - image.width / 2.0) * 3.0 / image.height;
            double zi = (y - image.height / 2.0) * 3.0 / image.height;
            int i = 0;
            const int limit = 300;
            double trap = 1e9; // distance to the axes, for the inner glow
            while (i < limit && zr * zr + zi * zi < 64) {
                double t = zr * zr - zi * zi + cr;
                zi = 2 * zr * zi + ci;
                zr = t;
                trap = std::min(trap, std::min(std::fabs(zr), std::fabs(zi)));
                i++;
            }
            double t;
            if (i < limit)
                t = (i + 1 - std::log(std::log(std::sqrt(zr * zr + zi * zi))) / std::log(2.0)) / 60;
            else
                t = 0.55 + 0.45 * std::exp(-trap * 6);
            At(image, x, y) = Ramp(stops, 6, std::pow(Clamp01(t), 0.6));
        }
    }
}

void Plasma(Image &image)
{
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            double u = (double)x / image.height * 6, v = (double)y / image.height * 6;
            double p = std::sin(u) + std::sin((v + u) * 0.7) +
                       std::sin(std::sqrt((u - 5) * (u - 5) + (v - 3) * (v - 3)) * 1.8) +
                       std::sin(std::sqrt(u * u + v * v) * 1.1 + 1);
            static const uint32_t stops[] = {0x0b3d4a, 0x1f7a7a, 0xf2c14e,
                                             0xf78154, 0x8e2c5a, 0x0b3d4a};
            double t = 0.5 + 0.5 * std::sin(p * 1.3 + 2 * Fbm(u * 0.6, v * 0.6, 4, 131));
            At(image, x, y) = Ramp(stops, 6, t);
        }
    }
}

void DesertDunes(Image &image)
{
    static const uint32_t sky[] = {0x2f6fb0, 0x7fb3da, 0xe9d8b8};
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            double u = (double)x / image.width, v = (double)y / image.height;
            Rgb c = SkyGradient(v / 0.5, sky, 3);
            double sunD = std::hypot((u - 0.2) * 1.33, v - 0.16);
            c = Add(c, Scale(Hex(0xfff0c0), 0.5 * std::exp(-sunD * 12)));
            if (sunD < 0.04)
                c = Hex(0xfffbe8);
            for (int d = 0; d < 5; d++) {
                double base = 0.46 + d * 0.11;
                double crest = base - 0.05 * std::sin(u * (5 + d * 1.7) + d * 1.3) -
                               0.03 * (Fbm(u * 3 + d, d, 3, 21) - 0.5);
                if (v > crest) {
                    // lit face toward the sun, shadowed lee side behind the crest
                    double slope = std::cos(u * (5 + d * 1.7) + d * 1.3);
                    double light = 0.65 + 0.35 * slope;
                    double ripples =
                        0.04 * std::sin((u * 300 + v * 80) + 6 * Fbm(u * 6, v * 6, 2, d));
                    Rgb sand = MixRgb(Hex(0xd9a066), Hex(0xf3c98b), light);
                    c = Scale(sand, 0.75 + 0.25 * (d / 4.0) + ripples);
                }
            }
            At(image, x, y) = c;
        }
    }
}

void Aurora(Image &image)
{
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            double u = (double)x / image.width, v = (double)y / image.height;
            Rgb c = MixRgb(Hex(0x02040c), Hex(0x0b1a33), v);
            int sx = x * 800 / image.width, sy = y * 600 / image.height;
            double star = Hash01(sx, sy, 77);
            if (star > 0.9975)
                c = Add(c, Scale(Hex(0xdde6ff), (star - 0.9975) * 400));
            // curtains: bright bands along a wandering curve, fading upward
            for (int band = 0; band < 2; band++) {
                double curve = 0.42 + band * 0.12 + 0.12 * std::sin(u * (4 + band) + band) +
                               0.06 * (Fbm(u * 4, band, 4, 31) - 0.5);
                double below = curve - v;
                if (below > -0.02) {
                    double rays = 0.6 + 0.4 * Fbm(u * 60, band * 3, 3, 41);
                    double f = std::exp(-std::max(below, 0.0) * 7) * SmoothStep(-0.02, 0.01, below);
                    Rgb glow = MixRgb(Hex(0x3cff9a), Hex(0x9b4dff), Clamp01(below * 3));
                    c = Add(c, Scale(glow, f * rays * (band ? 0.6 : 0.9)));
                }
            }
            double hill =
                0.82 - 0.06 * std::sin(u * 3.2 + 0.5) - 0.05 * (Fbm(u * 6, 0, 5, 51) - 0.5);
            if (v > hill)
                c = Hex(0x03060a);
            // pine trees on the ridge
            double tree = std::fmod(u * 60, 1.0);
            double treeHeight = 0.015 + 0.04 * Hash01((int)(u * 60), 0, 61);
            if (v > hill - treeHeight * (1 - std::fabs(tree - 0.5) * 2) && v < hill + 0.01)
                c = Hex(0x03060a);
            At(image, x, y) = c;
        }
    }
}

void Fern(Image &image)
{
    for (int y = 0; y < image.height; y++)
        for (int x = 0; x < image.width; x++)
            At(image, x, y) = MixRgb(Hex(0x0d1f12), Hex(0x02080a), (double)y / image.height);
    std::vector<int> hits((size_t)image.width * image.height, 0);
    double px = 0, py = 0;
    uint32_t state = 12345;
    long iterations = (long)image.width * image.height * 6;
    for (long i = 0; i < iterations; i++) {
        state = state * 1664525u + 1013904223u;
        int r = (int)(state >> 24) % 100;
        double nx, ny;
        if (r < 1) {
            nx = 0;
            ny = 0.16 * py;
        } else if (r < 86) {
            nx = 0.85 * px + 0.04 * py;
            ny = -0.04 * px + 0.85 * py + 1.6;
        } else if (r < 93) {
            nx = 0.2 * px - 0.26 * py;
            ny = 0.23 * px + 0.22 * py + 1.6;
        } else {
            nx = -0.15 * px + 0.28 * py;
            ny = 0.26 * px + 0.24 * py + 0.44;
        }
        px = nx;
        py = ny;
        // tilt the frond a little and fit it to the frame
        double tx = px * 0.95 + py * 0.12, ty = py;
        int ix = (int)(image.width / 2.0 + tx * image.height / 11.5 - image.height * 0.05);
        int iy = (int)(image.height * 0.97 - ty * image.height / 10.8);
        if (ix >= 0 && ix < image.width && iy >= 0 && iy < image.height)
            hits[(size_t)iy * image.width + ix]++;
    }
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            int n = hits[(size_t)y * image.width + x];
            if (n) {
                double t = Clamp01(std::log(1.0 + n) / 4.0);
                Rgb leaf = MixRgb(Hex(0x2e7d32), Hex(0xd4f7a3), t);
                At(image, x, y) = MixRgb(At(image, x, y), leaf, Clamp01(0.4 + t));
            }
        }
    }
}

void IslandMap(Image &image)
{
    static const uint32_t deep[] = {0x0a2a5c, 0x1d5fa0, 0x4fb0d6};
    static const uint32_t land[] = {0xe8d7a0, 0x7cb35a, 0x3f7d3a, 0x7a6a55, 0xf4f4f4};
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            double u = (double)x / image.height, v = (double)y / image.height;
            auto height = [](double a, double b) {
                double d = std::hypot(a - 0.67, b - 0.5);
                return Fbm(a * 3, b * 3, 7, 71) - d * 0.9 + 0.05;
            };
            double h = height(u, v);
            double e = 1.0 / image.height;
            double shade = (height(u + e, v + e) - h) * image.height * 0.35;
            Rgb c;
            if (h < 0.28) {
                c = Ramp(deep, 3, h / 0.28);
                double wave = 0.04 * SmoothStep(0.24, 0.28, h) * (0.5 + 0.5 * std::sin(h * 400));
                c = Add(c, Scale(Hex(0xffffff), wave));
            } else {
                c = Ramp(land, 5, (h - 0.28) / 0.32);
                c = Scale(c, 1 - Clamp01(0.5 + shade) * 0.6 + 0.3);
            }
            At(image, x, y) = c;
        }
    }
}

// Newton's method for z^3 = 1: one hue per root, darker the longer it takes.
void Newton(Image &image)
{
    static const uint32_t hues[3] = {0xff6b35, 0x2ec4b6, 0xe71d71};
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            double zr = (x - image.width / 2.0) * 2.6 / image.height;
            double zi = (y - image.height / 2.0) * 2.6 / image.height;
            int i = 0, root = -1;
            for (; i < 60 && root < 0; i++) {
                double r2 = zr * zr - zi * zi, i2 = 2 * zr * zi;
                double fr = r2 * zr - i2 * zi - 1, fi = r2 * zi + i2 * zr;
                double dr = 3 * r2, di = 3 * i2;
                double den = dr * dr + di * di;
                if (den < 1e-12)
                    break;
                zr -= (fr * dr + fi * di) / den;
                zi -= (fi * dr - fr * di) / den;
                static const double rootsR[3] = {1, -0.5, -0.5};
                static const double rootsI[3] = {0, 0.8660254037844386, -0.8660254037844386};
                for (int k = 0; k < 3; k++)
                    if (std::hypot(zr - rootsR[k], zi - rootsI[k]) < 1e-3)
                        root = k;
            }
            Rgb c{0, 0, 0};
            if (root >= 0)
                c = Scale(Hex(hues[root]), 0.25 + 0.75 * std::pow(0.93, i));
            At(image, x, y) = c;
        }
    }
}

void SunsetSea(Image &image)
{
    static const uint32_t sky[] = {0x1d1446, 0x5b2a6e, 0xc4436b, 0xf98b4c, 0xffd27a};
    const double horizon = 0.6;
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            double u = (double)x / image.width, v = (double)y / image.height;
            Rgb c;
            double dx = (u - 0.5) * image.width / image.height;
            if (v < horizon) {
                c = Ramp(sky, 5, v / horizon);
                double d = std::hypot(dx, v - 0.52);
                c = Add(c, Scale(Hex(0xffb070), 0.5 * std::exp(-d * 5)));
                if (d < 0.12)
                    c = MixRgb(c, Hex(0xffe9a8), SmoothStep(0.12, 0.115, d));
                double streak = SmoothStep(0.6, 0.85, Fbm(u * 2, v * 30, 4, 81));
                c = MixRgb(c, Hex(0x3a1d4f), streak * 0.55 * (v / horizon));
            } else {
                double depth = (v - horizon) / (1 - horizon);
                c = MixRgb(Hex(0x5a2a5e), Hex(0x120c2a), depth);
                double wave = ValueNoise(u * 90 / (depth + 0.2), v * 400, 82);
                double path = std::exp(-std::fabs(dx) * (5 - 3 * depth));
                c = Add(c, Scale(Hex(0xffc070), path * SmoothStep(0.55, 0.8, wave)));
            }
            At(image, x, y) = c;
        }
    }
}

void Galaxy(Image &image)
{
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            double dx = (x - image.width / 2.0) / image.height * 2.2;
            double dy = (y - image.height / 2.0) / image.height * 2.2 / 0.62; // tilted disc
            double r = std::hypot(dx, dy), a = std::atan2(dy, dx);
            double arm = std::cos(2 * (a - std::log(r + 1e-3) * 2.6));
            double dust = Fbm(dx * 4 + 5, dy * 4 + 5, 5, 91);
            double disc =
                std::exp(-r * 1.6) * (0.35 + 0.65 * SmoothStep(0.1, 1, arm)) * (0.6 + 0.8 * dust);
            double core = std::exp(-r * 9);
            Rgb c = Add(Scale(Hex(0x6f8dff), disc * 1.2), Scale(Hex(0xffe3b0), core * 1.6));
            c = Add(c, Scale(Hex(0xff7fb0), disc * SmoothStep(0.7, 0.9, dust) * 0.8));
            double star = Hash01(x * 800 / image.width, y * 600 / image.height, 93);
            if (star > 0.998)
                c = Add(c, Scale(Hex(0xffffff), (star - 0.998) * 500));
            At(image, x, y) = c;
        }
    }
}

void RollingHills(Image &image)
{
    static const uint32_t sky[] = {0x3d7fd6, 0x8cc3f0, 0xdff1ff};
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            double u = (double)x / image.width, v = (double)y / image.height;
            Rgb c = Ramp(sky, 3, v / 0.55);
            double cloud = SmoothStep(0.5, 0.75, Fbm(u * 4, v * 9, 6, 101)) * (1 - v);
            c = MixRgb(c, Hex(0xffffff), cloud);
            static const uint32_t greens[] = {0x9cc47a, 0x7fb04f, 0x5e9a3a, 0x3f7f2b};
            for (int h = 0; h < 4; h++) {
                double top = 0.5 + h * 0.12 - 0.07 * std::sin(u * (3 + h) + h * 2) -
                             0.04 * (Fbm(u * 3, h, 4, 111 + h) - 0.5);
                if (v > top) {
                    double stripes = h == 1 ? 0.06 * std::sin((u * 70 + v * 30)) : 0;
                    double light = 0.85 + 0.3 * (top - v + 0.1) + stripes;
                    c = Scale(Hex(greens[h]), light);
                }
                // a few round trees standing on each crest
                double slot = u * 14 + h * 0.37, tu = slot - std::floor(slot);
                if (Hash01((int)slot, h, 121) > 0.55) {
                    double size = 0.012 + 0.006 * h;
                    double crownX = (tu - 0.5) * image.width / image.height / 14;
                    double crownY = v - (top - size * 1.6);
                    if (std::hypot(crownX, crownY) < size)
                        c = Scale(Hex(0x2f5a22), 0.8 + 0.6 * (-crownX - crownY) / size * 0.5);
                    else if (std::fabs(crownX) < size * 0.18 && crownY > 0 && v < top + 0.004)
                        c = Hex(0x4a3423);
                }
            }
            At(image, x, y) = c;
        }
    }
}

// The preview: four scenes side by side, as the slideshow would show them.
void Preview(Image &image)
{
    typedef void (*Scene)(Image &);
    static const Scene scenes[4] = {MountainLake, Mandelbrot, Aurora, IslandMap};
    const int gap = 8;
    int w = (image.width - 3 * gap) / 2, h = (image.height - 3 * gap) / 2;
    for (Rgb &p : image.pixels)
        p = Hex(0x101418);
    for (int i = 0; i < 4; i++) {
        Image part = MakeImage(w, h);
        scenes[i](part);
        int ox = gap + (i % 2) * (w + gap), oy = gap + (i / 2) * (h + gap);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                At(image, ox + x, oy + y) = At(part, x, y);
    }
}

// ---- the logo, 24 bits -------------------------------------------------------------------

// An emblem on black: a ring of gold around a sun above two peaks and their reflection.
Rgb LogoSample(double x, double y)
{
    double cx = 160, cy = 100, r = std::hypot(x - cx, y - cy);
    Rgb c{0, 0, 0};
    c = Add(c, Scale(Hex(0xffb347), 0.35 * std::exp(-std::fabs(r - 84) / 10)));
    if (r > 78 && r < 90) {
        double t = (std::atan2(y - cy, x - cx) + PI) / (2 * PI);
        c = MixRgb(Hex(0xb8860b), Hex(0xffe08a), 0.5 + 0.5 * std::sin(t * 2 * PI * 3));
    }
    if (r <= 78) {
        double v = (y - 22) / 156; // 0 at the top of the disc, 1 at the bottom
        static const uint32_t sky[] = {0x1a2a6c, 0xb21f1f, 0xfdbb2d};
        c = Ramp(sky, 3, v / 0.62);
        double sun = std::hypot(x - cx, y - 92);
        if (sun < 22)
            c = MixRgb(Hex(0xfff1c1), Hex(0xffd36e), sun / 22);
        double peak1 = 118 - std::max(0.0, 46 - std::fabs(x - 128) * 1.1);
        double peak2 = 118 - std::max(0.0, 34 - std::fabs(x - 196) * 0.9);
        if (y > std::min(peak1, peak2) && y <= 118)
            c = y > peak1 && x < 150 ? Hex(0x2b1b3f) : Hex(0x3d2456);
        if (y > 118) { // water: bands of the sky's colours
            double band = std::sin((y - 118) * 0.9) * 0.5 + 0.5;
            c = MixRgb(Hex(0x2a1f4a), Hex(0xfdbb2d),
                       band * std::exp(-std::fabs(x - cx) / 30) * std::exp(-(y - 118) / 40));
        }
    }
    return c;
}

Image Logo()
{
    Image image = MakeImage(LOGO_WIDTH, LOGO_HEIGHT);
    const int n = 4; // 4 x 4 samples per pixel smooth the edges
    for (int y = 0; y < LOGO_HEIGHT; y++) {
        for (int x = 0; x < LOGO_WIDTH; x++) {
            Rgb sum{0, 0, 0};
            for (int j = 0; j < n; j++)
                for (int i = 0; i < n; i++)
                    sum = Add(sum, LogoSample(x + (i + 0.5) / n, y + (j + 0.5) / n));
            At(image, x, y) = Scale(sum, 1.0 / (n * n));
        }
    }
    return image;
}

// ---- reduction to 256 colours ------------------------------------------------------------

uint8_t ToByte(double v)
{
    return (uint8_t)std::lround(Clamp01(v) * 255);
}

struct Box {
    std::vector<uint32_t> colours; // 15-bit keys present in the box
};

// Median cut over a 5-bit-per-channel histogram; returns exactly 256 entries (r, g, b).
std::vector<uint8_t> MedianCut(const Image &image)
{
    std::vector<uint32_t> counts(32768, 0);
    for (const Rgb &p : image.pixels)
        counts[(ToByte(p.r) >> 3) << 10 | (ToByte(p.g) >> 3) << 5 | ToByte(p.b) >> 3]++;
    std::vector<Box> boxes(1);
    for (uint32_t k = 0; k < 32768; k++)
        if (counts[k])
            boxes[0].colours.push_back(k);
    auto channel = [](uint32_t key, int c) { return (int)(key >> (10 - 5 * c)) & 31; };
    while (boxes.size() < 256) {
        // split the box with the largest range weighted by its pixel count
        int best = -1, bestChannel = 0;
        double bestScore = 0;
        for (size_t i = 0; i < boxes.size(); i++) {
            if (boxes[i].colours.size() < 2)
                continue;
            double pixels = 0;
            int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
            for (uint32_t k : boxes[i].colours) {
                pixels += counts[k];
                for (int c = 0; c < 3; c++) {
                    lo[c] = std::min(lo[c], channel(k, c));
                    hi[c] = std::max(hi[c], channel(k, c));
                }
            }
            for (int c = 0; c < 3; c++) {
                double score = (hi[c] - lo[c]) * std::sqrt(pixels);
                if (score > bestScore) {
                    bestScore = score;
                    best = (int)i;
                    bestChannel = c;
                }
            }
        }
        if (best < 0)
            break;
        std::vector<uint32_t> &all = boxes[best].colours;
        std::sort(all.begin(), all.end(), [&](uint32_t a, uint32_t b) {
            int ca = channel(a, bestChannel), cb = channel(b, bestChannel);
            return ca != cb ? ca < cb : a < b;
        });
        uint64_t total = 0, half = 0;
        for (uint32_t k : all)
            total += counts[k];
        size_t split = 0;
        while (split < all.size() - 1 && (half + counts[all[split]]) * 2 <= total)
            half += counts[all[split++]];
        if (split == 0)
            split = 1;
        Box second;
        second.colours.assign(all.begin() + split, all.end());
        all.resize(split);
        boxes.push_back(second);
    }
    std::vector<uint8_t> palette(256 * 3, 0);
    for (size_t i = 0; i < boxes.size(); i++) {
        double sum[3] = {0, 0, 0}, n = 0;
        for (uint32_t k : boxes[i].colours) {
            for (int c = 0; c < 3; c++)
                sum[c] += counts[k] * (channel(k, c) * 8 + 4);
            n += counts[k];
        }
        for (int c = 0; c < 3; c++)
            palette[i * 3 + c] = (uint8_t)std::lround(std::min(255.0, sum[c] / n));
    }
    return palette;
}

// Maps the image onto the palette with Floyd-Steinberg error diffusion; indices top row first.
std::vector<uint8_t> Dither(const Image &image, const std::vector<uint8_t> &palette)
{
    std::vector<int16_t> nearest(1 << 18, -1); // cache by 6 bits per channel
    auto find = [&](int r, int g, int b) {
        int key = (r >> 2) << 12 | (g >> 2) << 6 | (b >> 2);
        if (nearest[key] < 0) {
            int best = 0, bestD = 1 << 30;
            for (int i = 0; i < 256; i++) {
                int dr = r - palette[i * 3], dg = g - palette[i * 3 + 1],
                    db = b - palette[i * 3 + 2];
                int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                if (d < bestD) {
                    bestD = d;
                    best = i;
                }
            }
            nearest[key] = (int16_t)best;
        }
        return (int)nearest[key];
    };
    int w = image.width, h = image.height;
    std::vector<double> err((size_t)(w + 2) * 2 * 3, 0.0); // two rows of error, padded
    std::vector<uint8_t> out((size_t)w * h);
    for (int y = 0; y < h; y++) {
        double *cur = &err[(size_t)(y % 2) * (w + 2) * 3];
        double *next = &err[(size_t)((y + 1) % 2) * (w + 2) * 3];
        std::fill(next, next + (w + 2) * 3, 0.0);
        for (int x = 0; x < w; x++) {
            const Rgb &p = image.pixels[(size_t)y * w + x];
            double want[3] = {p.r * 255 + cur[(x + 1) * 3], p.g * 255 + cur[(x + 1) * 3 + 1],
                              p.b * 255 + cur[(x + 1) * 3 + 2]};
            int q[3];
            for (int c = 0; c < 3; c++)
                q[c] = (int)std::lround(std::min(255.0, std::max(0.0, want[c])));
            int index = find(q[0], q[1], q[2]);
            out[(size_t)y * w + x] = (uint8_t)index;
            for (int c = 0; c < 3; c++) {
                double e = (want[c] - palette[index * 3 + c]) * 0.85; // a little damping
                cur[(x + 2) * 3 + c] += e * 7 / 16;
                next[x * 3 + c] += e * 3 / 16;
                next[(x + 1) * 3 + c] += e * 5 / 16;
                next[(x + 2) * 3 + c] += e * 1 / 16;
            }
        }
    }
    return out;
}

// ---- .BMP files --------------------------------------------------------------------------

void PutLe16(std::vector<uint8_t> &b, uint16_t v)
{
    b.push_back((uint8_t)v);
    b.push_back((uint8_t)(v >> 8));
}
void PutLe32(std::vector<uint8_t> &b, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b.push_back((uint8_t)(v >> (8 * i)));
}

// File header and a 40-byte info header; rows are stored bottom-up (positive height).
std::vector<uint8_t> BmpHeaders(int width, int height, int bits, uint32_t clrUsed,
                                uint32_t tableBytes, uint32_t imageBytes)
{
    std::vector<uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    PutLe32(b, 14 + 40 + tableBytes + imageBytes);
    PutLe32(b, 0);
    PutLe32(b, 14 + 40 + tableBytes);
    PutLe32(b, 40);
    PutLe32(b, (uint32_t)width);
    PutLe32(b, (uint32_t)height);
    PutLe16(b, 1);
    PutLe16(b, (uint16_t)bits);
    PutLe32(b, 0); // BI_RGB
    PutLe32(b, imageBytes);
    PutLe32(b, 2835); // 72 dots per inch
    PutLe32(b, 2835);
    PutLe32(b, clrUsed);
    PutLe32(b, 0);
    return b;
}

int WriteFile(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) {
        fprintf(stderr, "demo-pictures: cannot create %s\n", path.c_str());
        return 0;
    }
    size_t written = fwrite(bytes.data(), 1, bytes.size(), f);
    if (fclose(f) != 0 || written != bytes.size()) {
        fprintf(stderr, "demo-pictures: cannot write %s\n", path.c_str());
        return 0;
    }
    return 1;
}

int Write8Bit(const std::string &path, const Image &image, int fullTable)
{
    std::vector<uint8_t> palette = MedianCut(image);
    std::vector<uint8_t> indices = Dither(image, palette);
    uint32_t stride = ((uint32_t)image.width + 3) & ~3u;
    std::vector<uint8_t> b =
        BmpHeaders(image.width, image.height, 8, fullTable ? 0 : 256, 1024, stride * image.height);
    for (int i = 0; i < 256; i++) { // RGBQUAD: blue, green, red, reserved
        b.push_back(palette[i * 3 + 2]);
        b.push_back(palette[i * 3 + 1]);
        b.push_back(palette[i * 3]);
        b.push_back(0);
    }
    for (int y = image.height - 1; y >= 0; y--) {
        b.insert(b.end(), indices.begin() + (size_t)y * image.width,
                 indices.begin() + (size_t)(y + 1) * image.width);
        b.resize(b.size() + (stride - image.width), 0);
    }
    return WriteFile(path, b);
}

int Write24Bit(const std::string &path, const Image &image)
{
    uint32_t stride = ((uint32_t)image.width * 3 + 3) & ~3u;
    std::vector<uint8_t> b = BmpHeaders(image.width, image.height, 24, 0, 0, stride * image.height);
    for (int y = image.height - 1; y >= 0; y--) {
        size_t rowStart = b.size();
        for (int x = 0; x < image.width; x++) {
            const Rgb &p = image.pixels[(size_t)y * image.width + x];
            b.push_back(ToByte(p.b));
            b.push_back(ToByte(p.g));
            b.push_back(ToByte(p.r));
        }
        b.resize(rowStart + stride, 0);
    }
    return WriteFile(path, b);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: demo-pictures DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    typedef void (*Scene)(Image &);
    static const Scene slides[SLIDE_COUNT] = {MountainLake, Mandelbrot,   Julia,  SunsetSea,
                                              IslandMap,    Aurora,       Newton, DesertDunes,
                                              Galaxy,       RollingHills, Fern,   Plasma};
    Image preview = MakeImage(SLIDE_WIDTH, SLIDE_HEIGHT);
    Preview(preview);
    if (!Write8Bit(dir + "/preview.bmp", preview, 1))
        return 1;
    if (!Write24Bit(dir + "/logo.bmp", Logo()))
        return 1;
    for (int i = 0; i < SLIDE_COUNT; i++) {
        Image image = MakeImage(SLIDE_WIDTH, SLIDE_HEIGHT);
        slides[i](image);
        char name[32];
        snprintf(name, sizeof name, "/slide%02d.bmp", i + 1);
        if (!Write8Bit(dir + name, image, i + 1 == FULL_TABLE_SLIDE))
            return 1;
    }
    return 0;
}
