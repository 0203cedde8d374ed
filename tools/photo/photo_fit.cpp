// Fitting a picture into a box: the fitted size, and a separable resampler in integer arithmetic.
//
// Each output pixel takes a weighted sum of source pixels along one axis, then along the other.
// Weights are fixed-point with exactly WEIGHT_ONE per output pixel, so flat areas stay exact,
// and they come from integer arithmetic only, so results are the same on every machine.
#include "photo_internal.h"

#include <algorithm>
#include <cstdint>

// Fixed-point unit of a weight: 14 fractional bits.
static const int WEIGHT_BITS = 14;
static const int WEIGHT_ONE = 1 << WEIGHT_BITS;

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

// Area averaging from size pixels down to out pixels: each output pixel covers size/out
// source pixels, partly covered ones by their share. Weights round from running sums so that
// they add up to exactly WEIGHT_ONE.
static void TapsForShrink(int size, int out, ResampleTaps *taps)
{
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

// Linear interpolation from size pixels up to out pixels, pixel centres aligned; positions
// beyond the outermost centres take the border pixel.
static void TapsForGrow(int size, int out, ResampleTaps *taps)
{
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

static void TapsMake(int size, int out, ResampleTaps *taps)
{
    taps->first.assign(out, 0);
    taps->count.assign(out, 0);
    if (out <= size) {
        taps->stride = (int)((size + out - 1) / out) + 1;
        taps->weights.assign((size_t)out * taps->stride, 0);
        TapsForShrink(size, out, taps);
    } else {
        taps->stride = 2;
        taps->weights.assign((size_t)out * 2, 0);
        TapsForGrow(size, out, taps);
    }
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
    ResampleTaps across, down;
    TapsMake(sourceWidth, width, &across);
    TapsMake(sourceHeight, height, &down);

    // Across each row: 8-bit values into 16-bit ones with 8 fractional bits.
    std::vector<uint16_t> middle((size_t)width * sourceHeight * 3);
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
            const int shift = WEIGHT_BITS - 8, half = 1 << (shift - 1);
            out[3 * x] = (uint16_t)((r + half) >> shift);
            out[3 * x + 1] = (uint16_t)((g + half) >> shift);
            out[3 * x + 2] = (uint16_t)((b + half) >> shift);
        }
    }

    // Down each column, a whole row at a time; sums stay below 2^31 (65280 x 2^14).
    PhotoImage out;
    PhotoImageAllocate(&out, width, height);
    size_t rowValues = (size_t)width * 3;
    std::vector<int32_t> sum(rowValues);
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
        const int shift = WEIGHT_BITS + 8, half = 1 << (shift - 1);
        for (size_t i = 0; i < rowValues; i++)
            row[i] = (unsigned char)std::min(255, (sum[i] + half) >> shift);
    }
    result->width = width;
    result->height = height;
    result->rgb.swap(out.rgb);
    return 1;
}
