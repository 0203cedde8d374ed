// HEIF/HEIC (and AVIF) decoding with libheif, with the file's rotation, mirror and crop applied.
#include "photo_internal.h"

#include <algorithm>

#include <libheif/heif.h>

// Longest side of any image in a HEIF file, in pixels: it bounds what a grid or tile may make
// libheif allocate before a size can be checked.
static const int HEIF_MAX_SIDE = 16384;
// Pixels a coded image may add to each side of the picture it shows (coding blocks of up to
// 128 pixels, cropped off by the file's clean aperture).
static const int HEIF_CODED_MARGIN = 256;

static int HeifFail(const heif_error &status, std::string *error)
{
    *error = std::string("cannot decode HEIF: ") + (status.message ? status.message : "error");
    // Some of libheif's messages end in a line break.
    while (!error->empty() && (unsigned char)error->back() <= ' ')
        error->pop_back();
    return 0;
}

// Decodes the primary picture of an open context into image.
static int HeifDecodePrimary(heif_context *context, const unsigned char *data, size_t size,
                             PhotoImage *image, PhotoInfo *info, std::string *error)
{
    heif_image_handle *handle = NULL;
    heif_error status = heif_context_get_primary_image_handle(context, &handle);
    if (status.code != heif_error_Ok)
        return HeifFail(status, error);
    // The handle's size already has the transformations applied.
    info->sourceWidth = heif_image_handle_get_width(handle);
    info->sourceHeight = heif_image_handle_get_height(handle);
    if (!PhotoCheckDimensions(info->sourceWidth, info->sourceHeight, error)) {
        heif_image_handle_release(handle);
        return 0;
    }
    // A grid allocates the output size it declares before it decodes a tile, whatever size
    // the picture reports; no side may be much longer than the picture's longest. (libheif
    // refuses a side equal to the limit too.)
    int side = std::max(info->sourceWidth, info->sourceHeight) + HEIF_CODED_MARGIN;
    if (side > HEIF_MAX_SIDE) {
        *error = "picture is " + std::to_string(info->sourceWidth) + " x " +
                 std::to_string(info->sourceHeight) + ", longer than the limit of " +
                 std::to_string(HEIF_MAX_SIDE - HEIF_CODED_MARGIN) + " pixels a side for HEIF";
        heif_image_handle_release(handle);
        return 0;
    }
    heif_context_set_maximum_image_size_limit(context, side);
    // A grid or overlay canvas larger than the picture it makes is refused before libheif
    // allocates it.
    long long declaredWidth = 0, declaredHeight = 0;
    int ispeWidth = heif_image_handle_get_ispe_width(handle);
    int ispeHeight = heif_image_handle_get_ispe_height(handle);
    // Either way round: libheif may report the size already turned.
    long long longest = std::max(ispeWidth, ispeHeight);
    if (PhotoHeifDeclaredSize(data, size, &declaredWidth, &declaredHeight) &&
        (declaredWidth > longest || declaredHeight > longest ||
         declaredWidth * declaredHeight > (long long)ispeWidth * ispeHeight)) {
        *error = "cannot decode HEIF: it declares a canvas of " + std::to_string(declaredWidth) +
                 " x " + std::to_string(declaredHeight) + " pixels for a picture of " +
                 std::to_string(ispeWidth) + " x " + std::to_string(ispeHeight);
        heif_image_handle_release(handle);
        return 0;
    }
    int alpha = heif_image_handle_has_alpha_channel(handle);
    int premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(handle);
    heif_decoding_options *decoding = heif_decoding_options_alloc();
    // Rotation, mirroring and cropping are what make a phone picture upright; keep them on.
    decoding->ignore_transformations = 0;
    heif_image *decoded = NULL;
    status = heif_decode_image(handle, &decoded, heif_colorspace_RGB,
                               alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                               decoding);
    heif_decoding_options_free(decoding);
    heif_image_handle_release(handle);
    if (status.code != heif_error_Ok)
        return HeifFail(status, error);
    int width = heif_image_get_width(decoded, heif_channel_interleaved);
    int height = heif_image_get_height(decoded, heif_channel_interleaved);
    int stride = 0;
    const uint8_t *plane =
        heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    int ok = plane && width == info->sourceWidth && height == info->sourceHeight &&
             stride >= width * (alpha ? 4 : 3);
    if (ok) {
        PhotoImageAllocate(image, width, height);
        for (int y = 0; y < height; y++) {
            const uint8_t *source = plane + (size_t)y * stride;
            unsigned char *row = image->rgb.data() + (size_t)y * width * 3;
            if (alpha)
                PhotoComposeRow(source, width, premultiplied, row);
            else
                std::copy(source, source + (size_t)width * 3, row);
        }
    } else {
        *error = "cannot decode HEIF: decoder gave no usable picture";
    }
    heif_image_release(decoded);
    return ok;
}

int PhotoDecodeHeif(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                    std::string *error)
{
    if (!PhotoHeifCheckDerived(data, size, error))
        return 0;
    heif_context *context = heif_context_alloc();
    if (!context) {
        *error = "cannot decode HEIF: no decoder context";
        return 0;
    }
    // Decoding on the calling thread keeps the work, and any failure, in one place.
    heif_context_set_max_decoding_threads(context, 0);
    heif_error status = heif_context_read_from_memory_without_copy(context, data, size, NULL);
    int ok = status.code == heif_error_Ok
                 ? HeifDecodePrimary(context, data, size, image, info, error)
                 : HeifFail(status, error);
    heif_context_free(context);
    return ok;
}
