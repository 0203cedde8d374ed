// Conversion of decoded pixels to sRGB with Little CMS, from what the file says of its colours.
//
// A picture's stored values mean what its embedded ICC profile says; without one, what a PNG's
// gAMA and cHRM chunks or a HEIF file's nclx code points say; without any, they are sRGB already.
// The screen shows sRGB, so everything else is converted before fitting and colour reduction, as
// a browser does. A profile Little CMS refuses leaves the pixels as stored, with a warning.
//
// The same bytes must come out wherever this is compiled: the transform uses only the portable
// API, a context of its own with no plugins, no threads, 8-bit RGB in and out, the perceptual
// intent (for the matrix-and-curve profiles of cameras and phones the same as relative
// colorimetric) and cmsFLAGS_NOCACHE, so that no pixel's result depends on the one before it.
#include "photo_internal.h"

#include <cmath>
#include <cstdio>
#include <cstring>

// The header's prototypes use "register", which C++17 dropped; clang refuses it.
#define CMS_NO_REGISTER_KEYWORD 1
#include <lcms2.h>

// Rows handed to Little CMS at once, so that a call's pixel count stays far below 2^32.
static const int COLOUR_ROWS_PER_CALL = 64;
// A PNG gamma this close to 1/2.2, with sRGB's chromaticities or none, is taken as sRGB: it is
// what encoders write next to an sRGB picture for decoders that know no sRGB chunk.
static const double COLOUR_SRGB_GAMMA_SLACK = 0.005;

// Little CMS's last complaint within one conversion.
struct ColourLog {
    char message[256];
};

static void ColourLogError(cmsContext context, cmsUInt32Number, const char *text)
{
    ColourLog *log = (ColourLog *)cmsGetContextUserData(context);
    if (log && text)
        snprintf(log->message, sizeof log->message, "%s", text);
}

// sRGB's primaries and white point (x, y), the default where a file names none.
static const double SRGB_CHROMATICITIES[8] = {0.3127, 0.3290, 0.64, 0.33, 0.30, 0.60, 0.15, 0.06};

// Primaries of the nclx colour_primaries codes this converts: white, red, green, blue (x, y).
struct CicpPrimaries {
    int code;
    double xy[8];
};
static const CicpPrimaries CICP_PRIMARIES[] = {
    {1, {0.3127, 0.3290, 0.64, 0.33, 0.30, 0.60, 0.15, 0.06}},        // BT.709, sRGB
    {4, {0.310, 0.316, 0.67, 0.33, 0.21, 0.71, 0.14, 0.08}},          // BT.470 M
    {5, {0.3127, 0.3290, 0.64, 0.33, 0.29, 0.60, 0.15, 0.06}},        // BT.470 BG
    {6, {0.3127, 0.3290, 0.630, 0.340, 0.310, 0.595, 0.155, 0.070}},  // SMPTE 170M
    {7, {0.3127, 0.3290, 0.630, 0.340, 0.310, 0.595, 0.155, 0.070}},  // SMPTE 240M
    {9, {0.3127, 0.3290, 0.708, 0.292, 0.170, 0.797, 0.131, 0.046}},  // BT.2020
    {11, {0.314, 0.351, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060}},   // DCI-P3
    {12, {0.3127, 0.3290, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060}}, // Display P3
};

static int ColourFail(std::string *warning, const std::string &reason)
{
    *warning = reason + "; its colours go in as stored";
    return 0;
}

// A profile of the given primaries (white, red, green, blue as x, y) with one curve for all
// three channels.
static cmsHPROFILE ColourRgbProfile(cmsContext context, const double *xy, cmsToneCurve *curve)
{
    cmsCIExyY white = {xy[0], xy[1], 1.0};
    cmsCIExyYTRIPLE primaries = {{xy[2], xy[3], 1.0}, {xy[4], xy[5], 1.0}, {xy[6], xy[7], 1.0}};
    cmsToneCurve *curves[3] = {curve, curve, curve};
    return cmsCreateRGBProfileTHR(context, &white, &primaries, curves);
}

// sRGB's transfer curve: linear below 0.04045, else ((v + 0.055) / 1.055) ^ 2.4.
static cmsToneCurve *ColourSrgbCurve(cmsContext context)
{
    const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(context, 4, parameters);
}

// 1 when a PNG's gamma (and chromaticities, if any) are what an sRGB picture is labelled with.
static int ColourPngIsSrgb(const PhotoColour *colour)
{
    if (std::fabs(colour->gamma * 2.2 - 1.0) > COLOUR_SRGB_GAMMA_SLACK)
        return 0;
    if (!colour->hasChromaticities)
        return 1;
    for (int i = 0; i < 8; i++)
        if (std::fabs(colour->chromaticities[i] - SRGB_CHROMATICITIES[i]) > 0.0015)
            return 0;
    return 1;
}

// The profile a picture's stored values are in; null with *nothing set when they are sRGB
// already, null with a warning when the file's description cannot be used.
static cmsHPROFILE ColourSourceProfile(cmsContext context, const PhotoColour *colour,
                                       ColourLog *log, int *nothing, std::string *warning)
{
    *nothing = 0;
    if (!colour->profile.empty()) {
        cmsHPROFILE profile = cmsOpenProfileFromMemTHR(context, colour->profile.data(),
                                                       (cmsUInt32Number)colour->profile.size());
        if (!profile)
            ColourFail(warning, std::string("its colour profile is damaged or of a kind Little "
                                            "CMS does not read (Little CMS: ") +
                                    (log->message[0] ? log->message : "no reason given") + ")");
        return profile;
    }
    if (colour->gamma > 0) {
        if (ColourPngIsSrgb(colour)) {
            *nothing = 1;
            return NULL;
        }
        cmsToneCurve *curve = cmsBuildGamma(context, 1.0 / colour->gamma);
        cmsHPROFILE profile =
            curve ? ColourRgbProfile(context,
                                     colour->hasChromaticities ? colour->chromaticities
                                                               : SRGB_CHROMATICITIES,
                                     curve)
                  : NULL;
        if (curve)
            cmsFreeToneCurve(curve);
        if (!profile)
            ColourFail(warning, "its gamma and chromaticities describe no usable colour space");
        return profile;
    }
    if (colour->cicpPrimaries > 0) {
        const CicpPrimaries *primaries = NULL;
        for (const CicpPrimaries &row : CICP_PRIMARIES)
            if (row.code == colour->cicpPrimaries)
                primaries = &row;
        // 2 means unspecified: sRGB's, as for a file that says nothing.
        if (colour->cicpPrimaries == 2)
            primaries = &CICP_PRIMARIES[0];
        int transfer = colour->cicpTransfer;
        // BT.709's camera curve and sRGB's display curve are shown alike by viewers.
        int srgbLike = transfer == 1 || transfer == 2 || transfer == 6 || transfer == 13 ||
                       transfer == 14 || transfer == 15;
        double exponent = transfer == 4 ? 2.2 : transfer == 5 ? 2.8 : transfer == 8 ? 1.0 : 0;
        if (!primaries || (!srgbLike && exponent == 0)) {
            ColourFail(warning, "its colour code points (primaries " +
                                    std::to_string(colour->cicpPrimaries) + ", transfer " +
                                    std::to_string(transfer) + ") are not ones this tool converts");
            return NULL;
        }
        if (primaries == &CICP_PRIMARIES[0] && srgbLike) {
            *nothing = 1;
            return NULL;
        }
        cmsToneCurve *curve =
            srgbLike ? ColourSrgbCurve(context) : cmsBuildGamma(context, exponent);
        cmsHPROFILE profile = curve ? ColourRgbProfile(context, primaries->xy, curve) : NULL;
        if (curve)
            cmsFreeToneCurve(curve);
        if (!profile)
            ColourFail(warning, "its colour code points describe no usable colour space");
        return profile;
    }
    *nothing = 1;
    return NULL;
}

// Converts the picture in place through a transform that reads inFormat (3 bytes a pixel).
static void ColourApply(cmsHTRANSFORM transform, PhotoImage *image)
{
    for (int y = 0; y < image->height; y += COLOUR_ROWS_PER_CALL) {
        int rows =
            image->height - y < COLOUR_ROWS_PER_CALL ? image->height - y : COLOUR_ROWS_PER_CALL;
        unsigned char *pixels = image->rgb.data() + (size_t)y * image->width * 3;
        cmsDoTransform(transform, pixels, pixels, (cmsUInt32Number)image->width * rows);
    }
}

int PhotoColourToSrgb(PhotoImage *image, const PhotoColour *colour, std::string *warning)
{
    warning->clear();
    ColourLog log;
    log.message[0] = 0;
    cmsContext context = cmsCreateContext(NULL, &log);
    if (!context)
        return ColourFail(warning, "no memory to convert its colours");
    cmsSetLogErrorHandlerTHR(context, ColourLogError);
    int nothing = 0;
    cmsHPROFILE source = ColourSourceProfile(context, colour, &log, &nothing, warning);
    int ok = nothing;
    if (source) {
        cmsColorSpaceSignature space = cmsGetColorSpace(source);
        // A grey profile reads the first of the three equal channels and writes all three.
        cmsUInt32Number inFormat = space == cmsSigRgbData ? TYPE_RGB_8
                                   : space == cmsSigGrayData
                                       ? (cmsUInt32Number)(TYPE_GRAY_8 | EXTRA_SH(2))
                                       : 0;
        cmsHPROFILE srgb = cmsCreate_sRGBProfileTHR(context);
        cmsHTRANSFORM transform = NULL;
        if (!inFormat) {
            ColourFail(warning, "its colour profile is for a colour space other than RGB or grey");
        } else if (!srgb) {
            ColourFail(warning, "no memory to convert its colours");
        } else {
            transform = cmsCreateTransformTHR(context, source, inFormat, srgb, TYPE_RGB_8,
                                              INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
            if (!transform)
                ColourFail(warning, std::string("its colour profile cannot be used (Little CMS: ") +
                                        (log.message[0] ? log.message : "no reason given") + ")");
        }
        if (transform) {
            ColourApply(transform, image);
            cmsDeleteTransform(transform);
            ok = 1;
        }
        if (srgb)
            cmsCloseProfile(srgb);
        cmsCloseProfile(source);
    }
    cmsDeleteContext(context);
    return ok;
}
