// Colour reduction to an own palette of at most 256 colours with libimagequant, with dithering.
#include "photo_internal.h"

#include <libimagequant.h>
#if GLIMMER_PHOTO_OPENMP
#include <omp.h>
#endif

// Error diffusion strength handed to libimagequant (0 none .. 1 full).
static const float QUANTISE_DITHERING = 1.0f;

static int QuantiseFail(liq_error code, const char *step, std::string *error)
{
    *error =
        std::string("colour reduction failed (") + step + ", code " + std::to_string(code) + ")";
    return 0;
}

// The quantiser itself, with every libimagequant object released on each path.
static int QuantiseRun(const PhotoImage *image, int quality, int speed,
                       std::vector<unsigned char> *indices, std::vector<unsigned char> *palette,
                       std::string *error)
{
    size_t count = (size_t)image->width * image->height;
    std::vector<unsigned char> rgba(count * 4);
    for (size_t i = 0; i < count; i++) {
        rgba[4 * i] = image->rgb[3 * i];
        rgba[4 * i + 1] = image->rgb[3 * i + 1];
        rgba[4 * i + 2] = image->rgb[3 * i + 2];
        rgba[4 * i + 3] = 255;
    }
    liq_attr *attr = liq_attr_create();
    if (!attr)
        return QuantiseFail(LIQ_OUT_OF_MEMORY, "setup", error);
    liq_set_max_colors(attr, 256);
    liq_set_speed(attr, speed);
    // A minimum of 0 never refuses a picture; the maximum lets a simple picture use fewer colours.
    liq_set_quality(attr, 0, quality);
    liq_image *input = liq_image_create_rgba(attr, rgba.data(), image->width, image->height, 0);
    if (!input) {
        liq_attr_destroy(attr);
        return QuantiseFail(LIQ_INVALID_POINTER, "image", error);
    }
    liq_result *result = NULL;
    liq_error status = liq_image_quantize(input, attr, &result);
    int ok = status == LIQ_OK;
    if (!ok)
        QuantiseFail(status, "palette", error);
    if (ok) {
        liq_set_dithering_level(result, QUANTISE_DITHERING);
        indices->assign(count, 0);
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
