// JPEG decoding with libjpeg-turbo: EXIF orientation, and DCT-domain scaling towards the fit box.
//
// libjpeg reports errors by calling back, and the callback leaves with longjmp. The stages that
// can fail each set their own jump point and hold no C++ objects, so a jump skips no destructor.
#include "photo_internal.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

// Most SOS markers accepted: a small crafted progressive file can otherwise make the decoder
// run over the whole picture for each of many thousand scans.
static const int JPEG_MAX_SCANS = 1000;
// Memory libjpeg may take for its own buffers, in bytes; beyond it libjpeg fails instead of
// allocating. A progressive file keeps every coefficient of the picture, 2 bytes a sample: 763
// MiB for four full-resolution components at the pixel limit, which this still lets through.
static const long JPEG_MAX_MEMORY = 800L * 1024 * 1024;

struct JpegFailure {
    jpeg_error_mgr manager; // first, so that cinfo->err points at the whole record
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX + 64];
    int code; // libjpeg's message code, or JPEG_TOO_MANY_SCANS
};

// Failure code of the scan limit, outside libjpeg's own codes.
static const int JPEG_TOO_MANY_SCANS = -1;

static void JpegFail(j_common_ptr cinfo)
{
    JpegFailure *failure = (JpegFailure *)cinfo->err;
    (*cinfo->err->format_message)(cinfo, failure->message);
    failure->code = cinfo->err->msg_code;
    longjmp(failure->jump, 1);
}

// What a failure means to a person who has the file, in plain words.
static const char *JpegExplain(int code)
{
    switch (code) {
    case JPEG_TOO_MANY_SCANS:
        return "it is split into more scans than any real picture needs, so it is damaged or "
               "made to stall decoders";
    case JWRN_JPEG_EOF:
    case JERR_INPUT_EOF:
        return "the file is cut short: the picture data ends before the picture is complete";
    case JERR_INPUT_EMPTY:
    case JERR_NO_IMAGE:
        return "the file holds no picture data";
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JERR_BAD_DCT_COEF:
    case JERR_HUFF_MISSING_CODE:
        return "the compressed picture data is damaged";
    case JWRN_MUST_RESYNC:
        return "the picture data is damaged: its restart markers are missing or out of order";
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
    case JERR_BAD_PROGRESSION:
    case JERR_BAD_SCAN_SCRIPT:
    case JERR_MISSING_DATA:
    case JERR_EOI_EXPECTED:
        return "its scans, the passes that build up the picture, are damaged or out of order";
    case JERR_BAD_LENGTH:
        return "a block of the file gives an impossible length, so the file is damaged";
    case JERR_UNKNOWN_MARKER:
        return "it holds a marker that no JPEG file uses, so the file is damaged";
    case JERR_SOI_DUPLICATE:
    case JERR_SOF_DUPLICATE:
    case JERR_SOF_NO_SOS:
    case JERR_SOS_NO_SOF:
        return "its parts are missing or out of order, so the file is damaged";
    case JERR_NO_HUFF_TABLE:
    case JERR_NO_QUANT_TABLE:
    case JERR_NO_ARITH_TABLE:
    case JERR_BAD_HUFF_TABLE:
    case JERR_HUFF_CLEN_OVERFLOW:
    case JERR_DHT_INDEX:
    case JERR_DQT_INDEX:
    case JERR_DAC_INDEX:
    case JERR_DAC_VALUE:
        return "a coding table the picture needs is missing or damaged";
    case JERR_EMPTY_IMAGE:
        return "its header gives a height of 0 pixels (damaged, or a rare kind of JPEG that "
               "states its height at the end)";
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
        return "its header gives a size larger than the JPEG decoder takes";
    case JERR_BAD_PRECISION:
        return "its samples are not 8 bits deep, the only depth this tool reads (damaged, or a "
               "12-bit medical or scientific picture)";
    case JERR_BAD_COMPONENT_ID:
    case JERR_BAD_SAMPLING:
    case JERR_BAD_MCU_SIZE:
    case JERR_COMPONENT_COUNT:
    case JERR_CCIR601_NOTIMPL:
    case JERR_FRACT_SAMPLE_NOTIMPL:
        return "its header describes the colour channels in an impossible way, so the file is "
               "damaged";
    case JERR_BAD_J_COLORSPACE:
    case JERR_CONVERSION_NOTIMPL:
        return "its colour channels cannot be turned into red, green and blue";
    case JERR_SOF_UNSUPPORTED:
    case JERR_ARITH_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_NOTIMPL:
        return "it is coded in a way the JPEG decoder does not read (such as lossless or "
               "hierarchical JPEG), or it is damaged";
    case JERR_OUT_OF_MEMORY:
        return "decoding it needs more memory than this tool allows a picture";
    default:
        return "the file is damaged";
    }
}

static int JpegRefuse(const JpegFailure *failure, std::string *error)
{
    *error = std::string("cannot decode JPEG: ") + JpegExplain(failure->code) +
             " (libjpeg: " + failure->message + ")";
    return 0;
}

// Warnings that mean pixel data was lost or made up fail the decode; the rest are harmless
// oddities that many cameras write.
static int JpegWarningMeansDamage(int code)
{
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        return 1;
    default:
        return 0;
    }
}

static void JpegEmit(j_common_ptr cinfo, int level)
{
    if (level < 0 && JpegWarningMeansDamage(cinfo->err->msg_code))
        JpegFail(cinfo);
    if (level < 0)
        cinfo->err->num_warnings++;
}

static void JpegOutputNothing(j_common_ptr) {}

static void JpegProgress(j_common_ptr cinfo)
{
    j_decompress_ptr decompress = (j_decompress_ptr)cinfo;
    if (decompress->input_scan_number > JPEG_MAX_SCANS) {
        JpegFailure *failure = (JpegFailure *)cinfo->err;
        snprintf(failure->message, sizeof failure->message, "more than %d scans", JPEG_MAX_SCANS);
        failure->code = JPEG_TOO_MANY_SCANS;
        longjmp(failure->jump, 1);
    }
}

static int JpegCreate(jpeg_decompress_struct *cinfo, JpegFailure *failure)
{
    if (setjmp(failure->jump))
        return 0;
    jpeg_create_decompress(cinfo);
    return 1;
}

// Reads the header and the markers kept: EXIF (APP1) and the ICC profile (APP2, which
// *profile gets, malloc'd, or null).
static int JpegReadHeader(jpeg_decompress_struct *cinfo, JpegFailure *failure,
                          const unsigned char *data, size_t size, JOCTET **profile,
                          unsigned *profileSize)
{
    if (setjmp(failure->jump))
        return 0;
    jpeg_mem_src(cinfo, data, (unsigned long)size);
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);
    // A profile whose pieces do not fit together is left out (libjpeg only warns).
    if (!jpeg_read_icc_profile(cinfo, profile, profileSize)) {
        *profile = NULL;
        *profileSize = 0;
    }
    return 1;
}

// Picks the smallest scale n/8 whose output still covers width x height (stored orientation),
// or full size when none below 8/8 does.
static int JpegChooseScale(jpeg_decompress_struct *cinfo, JpegFailure *failure, int width,
                           int height)
{
    if (setjmp(failure->jump))
        return 0;
    for (unsigned num = 1; num <= 8; num++) {
        cinfo->scale_num = num;
        cinfo->scale_denom = 8;
        jpeg_calc_output_dimensions(cinfo);
        if ((int)cinfo->output_width >= width && (int)cinfo->output_height >= height)
            break;
    }
    return 1;
}

static void JpegCmykRowToRgb(const unsigned char *cmyk, int count, int inverted, unsigned char *rgb)
{
    for (int i = 0; i < count; i++) {
        unsigned c = cmyk[4 * i], m = cmyk[4 * i + 1], y = cmyk[4 * i + 2], k = cmyk[4 * i + 3];
        // Adobe files store the components inverted (255 = no ink).
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        rgb[3 * i] = (unsigned char)((c * k + 127) / 255);
        rgb[3 * i + 1] = (unsigned char)((m * k + 127) / 255);
        rgb[3 * i + 2] = (unsigned char)((y * k + 127) / 255);
    }
}

// Decodes every row into pixels, which holds output_width x output_height x 3 bytes.
static int JpegReadPixels(jpeg_decompress_struct *cinfo, JpegFailure *failure,
                          unsigned char *pixels)
{
    if (setjmp(failure->jump))
        return 0;
    int cmyk = cinfo->out_color_space == JCS_CMYK;
    jpeg_start_decompress(cinfo);
    size_t stride = (size_t)cinfo->output_width * 3;
    JSAMPARRAY cmykRow = NULL;
    if (cmyk)
        cmykRow = (*cinfo->mem->alloc_sarray)((j_common_ptr)cinfo, JPOOL_IMAGE,
                                              cinfo->output_width * 4, 1);
    while (cinfo->output_scanline < cinfo->output_height) {
        unsigned char *row = pixels + stride * cinfo->output_scanline;
        if (cmyk) {
            jpeg_read_scanlines(cinfo, cmykRow, 1);
            JpegCmykRowToRgb(cmykRow[0], (int)cinfo->output_width, cinfo->saw_Adobe_marker, row);
        } else {
            jpeg_read_scanlines(cinfo, &row, 1);
        }
    }
    jpeg_finish_decompress(cinfo);
    return 1;
}

static int JpegOrientation(jpeg_decompress_struct *cinfo)
{
    for (jpeg_saved_marker_ptr marker = cinfo->marker_list; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 &&
            memcmp(marker->data, "Exif\0\0", 6) == 0)
            return PhotoExifOrientation(marker->data, marker->data_length);
    }
    return 1;
}

int PhotoDecodeJpeg(const unsigned char *data, size_t size, const PhotoOptions *options,
                    PhotoImage *image, PhotoInfo *info, std::string *error)
{
    jpeg_decompress_struct cinfo;
    JpegFailure failure;
    memset(&failure, 0, sizeof failure);
    cinfo.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = JpegFail;
    failure.manager.emit_message = JpegEmit;
    failure.manager.output_message = JpegOutputNothing;
    jpeg_progress_mgr progress;
    memset(&progress, 0, sizeof progress);
    progress.progress_monitor = JpegProgress;
    if (!JpegCreate(&cinfo, &failure))
        return JpegRefuse(&failure, error);
    cinfo.progress = &progress;
    cinfo.mem->max_memory_to_use = JPEG_MAX_MEMORY;

    JOCTET *profile = NULL;
    unsigned profileSize = 0;
    int ok = JpegReadHeader(&cinfo, &failure, data, size, &profile, &profileSize);
    if (profile) {
        info->colour.profile.assign(profile, profile + profileSize);
        free(profile);
    }
    int orientation = 1;
    if (ok) {
        orientation = JpegOrientation(&cinfo);
        int turned = orientation >= 5;
        info->orientation = orientation;
        info->sourceWidth = (int)(turned ? cinfo.image_height : cinfo.image_width);
        info->sourceHeight = (int)(turned ? cinfo.image_width : cinfo.image_height);
        ok = PhotoCheckDimensions(cinfo.image_width, cinfo.image_height, error);
        if (!ok) {
            jpeg_destroy_decompress(&cinfo);
            return 0;
        }
        if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK)
            cinfo.out_color_space = JCS_CMYK;
        else
            cinfo.out_color_space = JCS_RGB;
        int fitWidth = info->sourceWidth, fitHeight = info->sourceHeight;
        if (options)
            PhotoFitSize(info->sourceWidth, info->sourceHeight, options->boxWidth,
                         options->boxHeight, options->upscale, &fitWidth, &fitHeight);
        ok = JpegChooseScale(&cinfo, &failure, turned ? fitHeight : fitWidth,
                             turned ? fitWidth : fitHeight);
    }
    if (ok) {
        PhotoImageAllocate(image, (int)cinfo.output_width, (int)cinfo.output_height);
        ok = JpegReadPixels(&cinfo, &failure, image->rgb.data());
    }
    if (!ok)
        JpegRefuse(&failure, error);
    jpeg_destroy_decompress(&cinfo);
    if (ok)
        PhotoOrient(image, orientation);
    return ok;
}
