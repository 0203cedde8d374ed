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

// What libheif's failure means to a person who has the file, in plain words.
static const char *HeifExplain(const heif_error &status)
{
    switch (status.subcode) {
    case heif_suberror_End_of_data:
        return "the file is cut short";
    case heif_suberror_Invalid_box_size:
        return "a block of the file gives an impossible size, so the file is damaged";
    case heif_suberror_No_ftyp_box:
    case heif_suberror_No_meta_box:
    case heif_suberror_No_hdlr_box:
    case heif_suberror_No_pitm_box:
    case heif_suberror_No_iprp_box:
    case heif_suberror_No_ipco_box:
    case heif_suberror_No_ipma_box:
    case heif_suberror_No_iloc_box:
    case heif_suberror_No_iinf_box:
    case heif_suberror_No_infe_box:
    case heif_suberror_No_idat_box:
    case heif_suberror_No_iref_box:
    case heif_suberror_No_hvcC_box:
    case heif_suberror_No_pict_handler:
        return "a part that every HEIF picture has is missing: the file is damaged, or it is a "
               "video or other ISO media file rather than a picture";
    case heif_suberror_No_or_invalid_primary_item:
    case heif_suberror_No_item_data:
    case heif_suberror_Nonexisting_item_referenced:
    case heif_suberror_Ipma_box_references_nonexisting_property:
    case heif_suberror_No_properties_assigned_to_item:
    case heif_suberror_Missing_grid_images:
        return "it refers to picture parts that are not in the file, so the file is damaged";
    case heif_suberror_Invalid_grid_data:
    case heif_suberror_Invalid_overlay_data:
    case heif_suberror_Overlay_image_outside_of_canvas:
    case heif_suberror_Invalid_clean_aperture:
    case heif_suberror_Invalid_fractional_number:
    case heif_suberror_Invalid_image_size:
    case heif_suberror_Invalid_pixi_box:
    case heif_suberror_Wrong_tile_image_chroma_format:
    case heif_suberror_Wrong_tile_image_pixel_depth:
        return "how its picture is assembled or cropped is impossible, so the file is damaged";
    case heif_suberror_Security_limit_exceeded:
        return "it is larger or more complex than the HEIF decoder's safety limits allow";
    case heif_suberror_Unsupported_codec:
    case heif_suberror_Unsupported_image_type:
    case heif_suberror_Unsupported_data_version:
    case heif_suberror_Unsupported_item_construction_method:
    case heif_suberror_Unsupported_header_compression_method:
    case heif_suberror_Unsupported_bit_depth:
    case heif_suberror_Unsupported_color_conversion:
        return "it is coded in a way the HEIF decoder does not read";
    default:
        break;
    }
    switch (status.code) {
    case heif_error_Unsupported_filetype:
        return "it is an ISO media file, but not a HEIF or AVIF picture";
    case heif_error_Unsupported_feature:
        return "it is coded in a way the HEIF decoder does not read";
    case heif_error_Memory_allocation_error:
        return "decoding it needs more memory than is free";
    case heif_error_Decoder_plugin_error:
        return "the compressed picture data is damaged";
    default:
        return "the file is damaged";
    }
}

static int HeifFail(const heif_error &status, std::string *error)
{
    std::string words = status.message ? status.message : "error";
    // Some of libheif's messages end in a line break.
    while (!words.empty() && (unsigned char)words.back() <= ' ')
        words.pop_back();
    *error =
        std::string("cannot decode HEIF: ") + HeifExplain(status) + " (libheif: " + words + ")";
    return 0;
}

// What the primary picture's colr box says: an ICC profile, or nclx code points.
static void HeifReadColour(heif_image_handle *handle, PhotoColour *colour)
{
    heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        size_t size = heif_image_handle_get_raw_color_profile_size(handle);
        if (size == 0 || size > PHOTO_MAX_PROFILE_BYTES)
            return;
        colour->profile.resize(size);
        if (heif_image_handle_get_raw_color_profile(handle, colour->profile.data()).code !=
            heif_error_Ok)
            colour->profile.clear();
        return;
    }
    heif_color_profile_nclx *nclx = NULL;
    if (type == heif_color_profile_type_nclx &&
        heif_image_handle_get_nclx_color_profile(handle, &nclx).code == heif_error_Ok && nclx) {
        colour->cicpPrimaries = (int)nclx->color_primaries;
        colour->cicpTransfer = (int)nclx->transfer_characteristics;
        heif_nclx_color_profile_free(nclx);
    }
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
    HeifReadColour(handle, &info->colour);
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
