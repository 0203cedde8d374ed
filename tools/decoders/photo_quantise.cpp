// Colour reduction to an own palette of at most 256 colours with libimagequant, dithered where
// that costs the picture little.
//
// Error diffusion hides the bands of a photo's skies and shadows, but on a smooth made gradient
// it scatters a dot pattern over ramps that the palette already follows within a few steps. So
// the picture is remapped both ways and the dithered result is kept only where it stays nearly as
// close to the picture as the plain one; a picture the palette fits almost exactly is not
// dithered at all.
#include "photo_internal.h"

#include <algorithm>
#include <cstdint>
#include <libimagequant.h>
#if GLIMMER_PHOTO_OPENMP
#include <omp.h>
#endif

// Error diffusion strength handed to libimagequant where it dithers (0 none .. 1 full).
static const float QUANTISE_DITHERING = 1.0f;
// libimagequant's quantisation error (a mean square error over 0..255 channels) below which
// the palette fits the picture so well that dithering has nothing to hide.
static const double QUANTISE_FITS_ERROR = 0.5;
// Most the dithered result's squared error may exceed the plain one's and still be kept, as a
// ratio (1.2 is 0.8 dB of PSNR).
static const double QUANTISE_DITHER_COST = 1.2;
// Palette entries of an 8-bit picture.
static const int QUANTISE_MAX_COLOURS = 256;
// Most rounds of palette refinement after a plain remap of a picture with few colours.
static const int QUANTISE_REFINE_ROUNDS = 8;
// Pixel spacing, across and down, of the sample a many-coloured picture's palette comes from.
static const int QUANTISE_SAMPLE_STEP = 2;
// Distinct colours above which the palette comes from the sample rather than every pixel.
static const int QUANTISE_SAMPLE_ABOVE = 16384;

static int QuantiseFail(liq_error code, const char *step, std::string *error)
{
    *error =
        std::string("colour reduction failed (") + step + ", code " + std::to_string(code) + ")";
    return 0;
}

// Opaque RGBA of every step-th pixel of every step-th row, as libimagequant reads it.
static std::vector<unsigned char> QuantiseRgba(const PhotoImage *image, int step, int *width,
                                               int *height)
{
    *width = (image->width + step - 1) / step;
    *height = (image->height + step - 1) / step;
    std::vector<unsigned char> rgba((size_t)*width * *height * 4);
    unsigned char *out = rgba.data();
    for (int y = 0; y < image->height; y += step) {
        const unsigned char *row = image->rgb.data() + (size_t)y * image->width * 3;
        for (int x = 0; x < image->width; x += step, out += 4) {
            out[0] = row[3 * x];
            out[1] = row[3 * x + 1];
            out[2] = row[3 * x + 2];
            out[3] = 255;
        }
    }
    return rgba;
}

// Sum over every channel of every pixel of the squared difference between the picture and its
// remapped form: exact, so the choice it drives is the same on every machine.
static uint64_t QuantiseSquaredError(const PhotoImage *image,
                                     const std::vector<unsigned char> &indices,
                                     const std::vector<unsigned char> &palette)
{
    uint64_t sum = 0;
    for (size_t i = 0; i < indices.size(); i++) {
        const unsigned char *p = &image->rgb[3 * i], *q = &palette[3 * (size_t)indices[i]];
        for (int c = 0; c < 3; c++) {
            int d = (int)p[c] - (int)q[c];
            sum += (uint64_t)(d * d);
        }
    }
    return sum;
}

// A distinct colour of the picture (0xRRGGBB), how many pixels have it and the palette entry
// it maps to.
struct QuantiseColour {
    unsigned colour;
    uint32_t count;
    int entry;
};

static int QuantiseChannel(unsigned colour, int c)
{
    return (int)(colour >> (16 - 8 * c)) & 0xFF;
}

// Index of the palette entry nearest to the colour in plain RGB; the lowest index on a tie.
static int QuantiseNearest(unsigned colour, const std::vector<unsigned char> &palette)
{
    int best = 0, bestDistance = 0x7FFFFFFF;
    for (size_t e = 0; e * 3 < palette.size(); e++) {
        int distance = 0;
        for (int c = 0; c < 3; c++) {
            int d = QuantiseChannel(colour, c) - palette[3 * e + c];
            distance += d * d;
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = (int)e;
        }
    }
    return best;
}

// Squared error of the colours mapped to their entries, weighted by their pixel counts.
static uint64_t QuantiseColoursError(const std::vector<QuantiseColour> &colours,
                                     const std::vector<unsigned char> &palette)
{
    uint64_t sum = 0;
    for (const QuantiseColour &k : colours)
        for (int c = 0; c < 3; c++) {
            int d = QuantiseChannel(k.colour, c) - palette[3 * (size_t)k.entry + c];
            sum += (uint64_t)(d * d) * k.count;
        }
    return sum;
}

// libimagequant picks its palette in a gamma-weighted space, which leaves a smooth ramp a
// little off the nearest-colour optimum in plain RGB, the space the screen shows. A few rounds
// of moving each entry to the mean of its pixels and mapping every colour to its nearest entry
// close that gap; a round is kept only when it lowers the error. Integer arithmetic throughout,
// so every build gives the same bytes. For pictures with few distinct colours only, where a
// round costs a few milliseconds.
static void QuantiseRefine(const PhotoImage *image, std::vector<unsigned char> *indices,
                           std::vector<unsigned char> *palette)
{
    size_t pixels = indices->size();
    std::vector<unsigned> keys(pixels);
    for (size_t i = 0; i < pixels; i++) {
        const unsigned char *p = &image->rgb[3 * i];
        keys[i] = (unsigned)p[0] << 16 | (unsigned)p[1] << 8 | p[2];
    }
    std::vector<unsigned> sorted(keys);
    std::sort(sorted.begin(), sorted.end());
    std::vector<QuantiseColour> colours;
    for (size_t i = 0; i < pixels; i++) {
        if (colours.empty() || colours.back().colour != sorted[i])
            colours.push_back(QuantiseColour{sorted[i], 0, 0});
        colours.back().count++;
    }
    for (QuantiseColour &k : colours)
        k.entry = QuantiseNearest(k.colour, *palette);
    uint64_t error = QuantiseColoursError(colours, *palette);
    int changed = 0;
    size_t entries = palette->size() / 3;
    for (int round = 0; round < QUANTISE_REFINE_ROUNDS && error > 0; round++) {
        std::vector<uint64_t> sums(entries * 3, 0), counts(entries, 0);
        for (const QuantiseColour &k : colours) {
            counts[k.entry] += k.count;
            for (int c = 0; c < 3; c++)
                sums[3 * (size_t)k.entry + c] += (uint64_t)QuantiseChannel(k.colour, c) * k.count;
        }
        std::vector<unsigned char> moved(*palette);
        for (size_t e = 0; e < entries; e++)
            if (counts[e])
                for (int c = 0; c < 3; c++)
                    moved[3 * e + c] = (unsigned char)((sums[3 * e + c] + counts[e] / 2) / counts[e]);
        std::vector<QuantiseColour> remapped(colours);
        for (QuantiseColour &k : remapped)
            k.entry = QuantiseNearest(k.colour, moved);
        uint64_t movedError = QuantiseColoursError(remapped, moved);
        if (movedError >= error)
            break;
        error = movedError;
        palette->swap(moved);
        colours.swap(remapped);
        changed = 1;
    }
    if (!changed)
        return;
    for (size_t i = 0; i < pixels; i++) {
        size_t at = std::lower_bound(colours.begin(), colours.end(), keys[i],
                                     [](const QuantiseColour &k, unsigned key) {
                                         return k.colour < key;
                                     }) -
                    colours.begin();
        (*indices)[i] = (unsigned char)colours[at].entry;
    }
}

// Maps every pixel to the result's palette at the given dithering level and reads the palette
// back after it (remapping may refine the palette).
static int QuantiseRemap(liq_result *result, liq_image *input, float dithering,
                         std::vector<unsigned char> *indices, std::vector<unsigned char> *palette,
                         std::string *error)
{
    liq_set_dithering_level(result, dithering);
    liq_error status = liq_write_remapped_image(result, input, indices->data(), indices->size());
    if (status != LIQ_OK)
        return QuantiseFail(status, "remap", error);
    const liq_palette *colours = liq_get_palette(result);
    palette->resize((size_t)colours->count * 3);
    for (unsigned i = 0; i < colours->count; i++) {
        (*palette)[3 * i] = colours->entries[i].r;
        (*palette)[3 * i + 1] = colours->entries[i].g;
        (*palette)[3 * i + 2] = colours->entries[i].b;
    }
    return 1;
}

// Remaps without dithering, and with it where the palette leaves visible steps; keeps the
// dithered result when its error stays within QUANTISE_DITHER_COST of the plain one's.
static int QuantiseChoose(const PhotoImage *image, liq_result *result, liq_image *input,
                          int fewColours, std::vector<unsigned char> *indices,
                          std::vector<unsigned char> *palette, std::string *error)
{
    indices->assign((size_t)image->width * image->height, 0);
    if (!QuantiseRemap(result, input, 0.0f, indices, palette, error))
        return 0;
    if (liq_get_quantization_error(result) < QUANTISE_FITS_ERROR) {
        if (fewColours)
            QuantiseRefine(image, indices, palette);
        return 1;
    }
    std::vector<unsigned char> dithered(indices->size()), ditheredPalette;
    if (!QuantiseRemap(result, input, QUANTISE_DITHERING, &dithered, &ditheredPalette, error))
        return 0;
    uint64_t plain = QuantiseSquaredError(image, *indices, *palette);
    uint64_t noisy = QuantiseSquaredError(image, dithered, ditheredPalette);
    if ((double)noisy <= QUANTISE_DITHER_COST * (double)plain) {
        indices->swap(dithered);
        palette->swap(ditheredPalette);
    } else if (fewColours) {
        QuantiseRefine(image, indices, palette);
    }
    return 1;
}

// The palette from a histogram, then every pixel mapped to it; every libimagequant object is
// released on each path.
static int QuantiseRun(const PhotoImage *image, int quality, int speed,
                       std::vector<unsigned char> *indices, std::vector<unsigned char> *palette,
                       std::string *error)
{
    int width = 0, height = 0, sampleWidth = 0, sampleHeight = 0;
    std::vector<unsigned char> rgba = QuantiseRgba(image, 1, &width, &height);
    // Picking the palette costs time in proportion to the distinct colours it is shown, and
    // a quarter of a photo's pixels leads to the same palette (within 0.1 dB here). Pictures
    // with fewer colours are shown whole: a sample would miss every other step of a gradient.
    int sampled = PhotoCountColours(image) > QUANTISE_SAMPLE_ABOVE;
    std::vector<unsigned char> sample;
    if (sampled)
        sample = QuantiseRgba(image, QUANTISE_SAMPLE_STEP, &sampleWidth, &sampleHeight);
    liq_attr *attr = liq_attr_create();
    if (!attr)
        return QuantiseFail(LIQ_OUT_OF_MEMORY, "setup", error);
    liq_set_max_colors(attr, QUANTISE_MAX_COLOURS);
    liq_set_speed(attr, speed);
    // A minimum of 0 never refuses a picture; the maximum lets a simple picture use fewer colours.
    liq_set_quality(attr, 0, quality);
    liq_image *input = liq_image_create_rgba(attr, rgba.data(), width, height, 0);
    liq_image *shown =
        sampled ? liq_image_create_rgba(attr, sample.data(), sampleWidth, sampleHeight, 0) : input;
    liq_histogram *histogram = liq_histogram_create(attr);
    liq_result *result = NULL;
    int ok = input && shown && histogram;
    if (!ok)
        QuantiseFail(LIQ_OUT_OF_MEMORY, "image", error);
    liq_error status = LIQ_OK;
    if (ok) {
        status = liq_histogram_add_image(histogram, attr, shown);
        if (status == LIQ_OK)
            status = liq_histogram_quantize(histogram, attr, &result);
        ok = status == LIQ_OK;
        if (!ok)
            QuantiseFail(status, "palette", error);
    }
    if (ok)
        ok = QuantiseChoose(image, result, input, !sampled, indices, palette, error);
    if (result)
        liq_result_destroy(result);
    if (histogram)
        liq_histogram_destroy(histogram);
    if (shown && shown != input)
        liq_image_destroy(shown);
    if (input)
        liq_image_destroy(input);
    liq_attr_destroy(attr);
    return ok;
}

int PhotoQuantise(const PhotoImage *image, int quality, int speed,
                  std::vector<unsigned char> *indices, std::vector<unsigned char> *palette,
                  std::string *error)
{
    indices->clear();
    palette->clear();
    if (image->width < 1 || image->height < 1) {
        *error = "colour reduction of an empty picture";
        return 0;
    }
#if GLIMMER_PHOTO_OPENMP
    // libimagequant splits work over threads and sums partial results in floating point, so
    // the palette would depend on the machine's core count. One thread gives the same bytes
    // everywhere.
    int threads = omp_get_max_threads();
    omp_set_num_threads(1);
#endif
    int ok = QuantiseRun(image, quality, speed, indices, palette, error);
#if GLIMMER_PHOTO_OPENMP
    omp_set_num_threads(threads);
#endif
    return ok;
}

int PhotoCountColours(const PhotoImage *image)
{
    std::vector<unsigned char> seen(1 << 21, 0); // one bit per 24-bit colour
    int distinct = 0;
    size_t count = (size_t)image->width * image->height;
    for (size_t i = 0; i < count; i++) {
        const unsigned char *p = &image->rgb[3 * i];
        unsigned colour = (unsigned)p[0] << 16 | (unsigned)p[1] << 8 | p[2];
        unsigned char bit = (unsigned char)(1u << (colour & 7));
        if (!(seen[colour >> 3] & bit)) {
            seen[colour >> 3] |= bit;
            distinct++;
        }
    }
    return distinct;
}
