// JPEG decoding with libjpeg-turbo: EXIF orientation, and DCT-domain scaling towards the fit box.
//
// libjpeg reports errors by calling back, and the callback leaves with longjmp. The stages that
// can fail each set their own jump point and hold no C++ objects, so a jump skips no destructor.
#include "photo_internal.h"

#include <csetjmp>
#include <cstdio>
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
};

static void JpegFail(j_common_ptr cinfo)
{
    JpegFailure *failure = (JpegFailure *)cinfo->err;
    (*cinfo->err->format_message)(cinfo, failure->message);
    longjmp(failure->jump, 1);
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

static int JpegReadHeader(jpeg_decompress_struct *cinfo, JpegFailure *failure,
                          const unsigned char *data, size_t size)
{
    if (setjmp(failure->jump))
        return 0;
    jpeg_mem_src(cinfo, data, (unsigned long)size);
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);
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
    if (!JpegCreate(&cinfo, &failure)) {
        *error = std::string("cannot decode JPEG: ") + failure.message;
        return 0;
    }
    cinfo.progress = &progress;
    cinfo.mem->max_memory_to_use = JPEG_MAX_MEMORY;

    int ok = JpegReadHeader(&cinfo, &failure, data, size);
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
        *error = std::string("cannot decode JPEG: ") + failure.message;
    jpeg_destroy_decompress(&cinfo);
    if (ok)
        PhotoOrient(image, orientation);
    return ok;
}
