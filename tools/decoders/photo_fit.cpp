// Fitting a picture into a box: the fitted size, and a separable resampler in integer arithmetic.
//
// Each output pixel takes a weighted sum of source pixels along one axis, then along the other.
// Shrinking uses a three-lobe Lanczos filter, which keeps edges sharp where area averaging
// blurs them; a side that shrinks more than threefold is first area-averaged to twice its
// final size, which costs little and leaves the Lanczos step a short filter. Growing
// interpolates linearly. Weights are fixed-point with exactly WEIGHT_ONE per output pixel, so
// flat areas stay exact. They are computed with plain double arithmetic (no library sine,
// whose last bit may vary between machines), so results are the same everywhere.
#include "photo_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

// Fixed-point unit of a weight: 14 fractional bits.
static const int WEIGHT_BITS = 14;
static const int WEIGHT_ONE = 1 << WEIGHT_BITS;
// Lobes of the Lanczos filter on each side.
static const int LANCZOS_LOBES = 3;
// Shrink factor above which area averaging first brings a side to twice its final size.
static const int AREA_FIRST_ABOVE = 3;

void PhotoFitSize(int width, int height, int boxWidth, int boxHeight, int upscale, int *fitWidth,
                  int *fitHeight)
{
    *fitWidth = width;
    *fitHeight = height;
    if (width < 1 || height < 1 || boxWidth < 1 || boxHeight < 1)
        return;
    if (!upscale && width <= boxWidth && height <= boxHeight)
        return;
    long long w = width, h = height;
    if (w * boxHeight >= h * boxWidth) {
        *fitWidth = boxWidth;
        *fitHeight = (int)std::max(1LL, (2 * h * boxWidth + w) / (2 * w));
    } else {
        *fitHeight = boxHeight;
        *fitWidth = (int)std::max(1LL, (2 * w * boxHeight + h) / (2 * h));
    }
}

// For each output pixel along one axis: the first source pixel and its weights.
struct ResampleTaps {
    int stride; // weights per output pixel (the most any one needs)
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> weights; // stride entries per output pixel
};

static void TapsStart(int out, int stride, ResampleTaps *taps)
{
    taps->stride = stride;
    taps->first.assign(out, 0);
    taps->count.assign(out, 0);
    taps->weights.assign((size_t)out * stride, 0);
}

// Area averaging from size pixels down to out pixels: each output pixel covers size/out
// source pixels, partly covered ones by their share. Weights round from running sums so that
// they add up to exactly WEIGHT_ONE.
static void TapsForArea(int size, int out, ResampleTaps *taps)
{
    TapsStart(out, (int)((size + out - 1) / out) + 1, taps);
    for (int i = 0; i < out; i++) {
        long long begin = (long long)i * size, end = (long long)(i + 1) * size;
        int first = (int)(begin / out), last = (int)((end - 1) / out);
        long long covered = 0;
        int given = 0;
        taps->first[i] = first;
        taps->count[i] = last - first + 1;
        for (int j = first; j <= last; j++) {
            long long overlap =
                std::min((long long)(j + 1) * out, end) - std::max((long long)j * out, begin);
            covered += overlap;
            int upto = (int)((covered * WEIGHT_ONE + size / 2) / size);
            taps->weights[(size_t)i * taps->stride + (j - first)] = upto - given;
            given = upto;
        }
    }
}

// sin(pi x) from a polynomial: x is brought to [-1/2, 1/2] exactly, and the series to the
// 17th power is accurate far beyond what a 14-bit weight needs.
static double SinPi(double x)
{
    double whole = std::floor(x + 0.5);
    double t = (x - whole) * 3.14159265358979323846;
    double t2 = t * t;
    double sum = 0, term = t;
    for (int n = 1; n <= 17; n += 2) {
        sum = sum + term;
        term = -term * t2 / ((n + 1) * (n + 2));
    }
    return ((long long)whole & 1) ? -sum : sum;
}

static double Lanczos(double x)
{
    x = std::fabs(x);
    if (x < 1e-9)
        return 1;
    if (x >= LANCZOS_LOBES)
        return 0;
    const double pi2 = 3.14159265358979323846 * 3.14159265358979323846;
    return LANCZOS_LOBES * SinPi(x) * SinPi(x / LANCZOS_LOBES) / (pi2 * x * x);
}

// Lanczos filtering from size pixels down to out pixels, the filter widened by size/out.
// Taps beyond an edge count for the edge pixel itself. Weights are rounded from running sums
// of the normalised filter so that they add up to exactly WEIGHT_ONE.
static void TapsForLanczos(int size, int out, ResampleTaps *taps)
{
    double scale = (double)size / out;
    double support = LANCZOS_LOBES * scale;
    TapsStart(out, (int)std::ceil(2 * support) + 2, taps);
    std::vector<double> raw(taps->stride);
    for (int i = 0; i < out; i++) {
        double centre = (i + 0.5) * scale - 0.5;
        int from = (int)std::ceil(centre - support), to = (int)std::floor(centre + support);
        int first = std::max(0, from), last = std::min(size - 1, to);
        std::fill(raw.begin(), raw.end(), 0.0);
        double total = 0;
        for (int j = from; j <= to; j++) {
            double weight = Lanczos((j - centre) / scale);
            raw[std::min(std::max(j, first), last) - first] += weight;
            total += weight;
        }
        taps->first[i] = first;
        taps->count[i] = last - first + 1;
        double running = 0;
        int given = 0;
        for (int k = 0; k < taps->count[i]; k++) {
            running += raw[k];
            int upto = (int)std::floor(running / total * WEIGHT_ONE + 0.5);
            taps->weights[(size_t)i * taps->stride + k] = upto - given;
            given = upto;
        }
    }
}

// Linear interpolation from size pixels up to out pixels, pixel centres aligned; positions
// beyond the outermost centres take the border pixel.
static void TapsForGrow(int size, int out, ResampleTaps *taps)
{
    TapsStart(out, 2, taps);
    for (int i = 0; i < out; i++) {
        // Source position of the output centre, in units of 1 / (2 x out).
        long long position = (long long)(2 * i + 1) * size - out;
        int first = 0;
        long long rest = 0;
        if (position > 0) {
            first = (int)(position / (2LL * out));
            rest = position % (2LL * out);
        }
        if (first >= size - 1) {
            first = size - 1;
            rest = 0;
        }
        int second = (int)((rest * WEIGHT_ONE + out) / (2LL * out));
        taps->first[i] = first;
        taps->count[i] = second ? 2 : 1;
        taps->weights[(size_t)i * 2] = WEIGHT_ONE - second;
        taps->weights[(size_t)i * 2 + 1] = second;
    }
}

// The final step along one axis: Lanczos to shrink, linear to grow, a copy to keep.
static void TapsMake(int size, int out, ResampleTaps *taps)
{
    if (out < size)
        TapsForLanczos(size, out, taps);
    else
        TapsForGrow(size, out, taps);
}

// One separable pass from source to a width x height result with the given taps.
static void ResamplePass(const PhotoImage *source, int width, int height,
                         const ResampleTaps &across, const ResampleTaps &down, PhotoImage *result)
{
    int sourceWidth = source->width, sourceHeight = source->height;
    // Across each row: 8-bit values into 16-bit ones with 8 fractional bits. The filter's
    // negative lobes can overshoot; values are held to the 8-bit range here already.
    std::vector<uint16_t> middle((size_t)width * sourceHeight * 3);
    const int acrossShift = WEIGHT_BITS - 8, acrossHalf = 1 << (acrossShift - 1);
    const int middleMost = 255 << 8;
    for (int y = 0; y < sourceHeight; y++) {
        const unsigned char *in = source->rgb.data() + (size_t)y * sourceWidth * 3;
        uint16_t *out = middle.data() + (size_t)y * width * 3;
        for (int x = 0; x < width; x++) {
            const unsigned char *p = in + (size_t)across.first[x] * 3;
            const int *w = &across.weights[(size_t)x * across.stride];
            int r = 0, g = 0, b = 0;
            for (int k = 0; k < across.count[x]; k++, p += 3) {
                r += w[k] * p[0];
                g += w[k] * p[1];
                b += w[k] * p[2];
            }
            out[3 * x] =
                (uint16_t)std::min(middleMost, std::max(0, (r + acrossHalf) >> acrossShift));
            out[3 * x + 1] =
                (uint16_t)std::min(middleMost, std::max(0, (g + acrossHalf) >> acrossShift));
            out[3 * x + 2] =
                (uint16_t)std::min(middleMost, std::max(0, (b + acrossHalf) >> acrossShift));
        }
    }

    // Down each column, a whole row at a time. Sums stay within 32 bits: 65280 x 2^14 times
    // the filter's absolute weight sum, which is below 1.3.
    PhotoImage out;
    PhotoImageAllocate(&out, width, height);
    size_t rowValues = (size_t)width * 3;
    std::vector<int32_t> sum(rowValues);
    const int downShift = WEIGHT_BITS + 8, downHalf = 1 << (downShift - 1);
    for (int y = 0; y < height; y++) {
        std::fill(sum.begin(), sum.end(), 0);
        const int *w = &down.weights[(size_t)y * down.stride];
        for (int k = 0; k < down.count[y]; k++) {
            const uint16_t *in = middle.data() + (size_t)(down.first[y] + k) * rowValues;
            int weight = w[k];
            for (size_t i = 0; i < rowValues; i++)
                sum[i] += weight * in[i];
        }
        unsigned char *row = out.rgb.data() + (size_t)y * rowValues;
        for (size_t i = 0; i < rowValues; i++)
            row[i] = (unsigned char)std::min(255, std::max(0, (sum[i] + downHalf) >> downShift));
    }
    result->width = width;
    result->height = height;
    result->rgb.swap(out.rgb);
}

int PhotoResample(const PhotoImage *source, int width, int height, PhotoImage *result)
{
    int sourceWidth = source->width, sourceHeight = source->height;
    if (sourceWidth < 1 || sourceHeight < 1 || width < 1 || height < 1 ||
        (long long)width * height > PHOTO_MAX_PIXELS)
        return 0;
    if (width == sourceWidth && height == sourceHeight) {
        if (result != source)
            *result = *source;
        return 1;
    }
    // A side that shrinks a lot is area-averaged to twice its final size first.
    int middleWidth = sourceWidth > AREA_FIRST_ABOVE * width ? 2 * width : sourceWidth;
    int middleHeight = sourceHeight > AREA_FIRST_ABOVE * height ? 2 * height : sourceHeight;
    ResampleTaps across, down;
    PhotoImage middle;
    if (middleWidth != sourceWidth || middleHeight != sourceHeight) {
        TapsForArea(sourceWidth, middleWidth, &across);
        TapsForArea(sourceHeight, middleHeight, &down);
        ResamplePass(source, middleWidth, middleHeight, across, down, &middle);
        source = &middle;
    }
    TapsMake(middleWidth, width, &across);
    TapsMake(middleHeight, height, &down);
    ResamplePass(source, width, height, across, down, result);
    return 1;
}
