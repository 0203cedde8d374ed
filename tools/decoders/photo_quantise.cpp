// Colour reduction to an own palette of at most 256 colours with libimagequant, with dithering.
#include "photo_internal.h"

#include <libimagequant.h>
#if GLIMMER_PHOTO_OPENMP
#include <omp.h>
#endif

// Error diffusion strength handed to libimagequant (0 none .. 1 full).
static const float QUANTISE_DITHERING = 1.0f;
// Palette entries of an 8-bit picture.
static const int QUANTISE_MAX_COLOURS = 256;
// Pixel spacing, across and down, of the sample a many-coloured picture's palette comes from.
static const int QUANTISE_SAMPLE_STEP = 2;

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

// The palette from a histogram, then every pixel mapped to it with dithering; every
// libimagequant object is released on each path.
static int QuantiseRun(const PhotoImage *image, int quality, int speed,
                       std::vector<unsigned char> *indices, std::vector<unsigned char> *palette,
                       std::string *error)
{
    int width = 0, height = 0, sampleWidth = 0, sampleHeight = 0;
    std::vector<unsigned char> rgba = QuantiseRgba(image, 1, &width, &height);
    // Picking the palette costs time in proportion to the distinct colours it is shown, and
    // a quarter of a photo's pixels leads to the same palette (within 0.1 dB here). Pictures
    // with few colours are shown whole, so that none of their colours can be missed.
    int sampled = PhotoCountColours(image) > QUANTISE_MAX_COLOURS;
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
    if (ok) {
        liq_set_dithering_level(result, QUANTISE_DITHERING);
        indices->assign((size_t)width * height, 0);
        status = liq_write_remapped_image(result, input, indices->data(), indices->size());
        ok = status == LIQ_OK;
        if (!ok)
            QuantiseFail(status, "remap", error);
    }
    if (ok) {
        // Read after remapping, which may refine the palette.
        const liq_palette *colours = liq_get_palette(result);
        palette->resize((size_t)colours->count * 3);
        for (unsigned i = 0; i < colours->count; i++) {
            (*palette)[3 * i] = colours->entries[i].r;
            (*palette)[3 * i + 1] = colours->entries[i].g;
            (*palette)[3 * i + 2] = colours->entries[i].b;
        }
    }
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
