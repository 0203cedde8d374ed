// Makes the colour-conversion fixtures of the photo tests; run once, its output is committed.
//
//     g++ -O1 make_colour_fixtures.cpp -o /tmp/make_colour_fixtures -llcms2 -lpng -ljpeg
//     /tmp/make_colour_fixtures tests/host/photo/colour
//
// Each picture is a row of 16 x 16 patches of the stored values in PATCHES (flat 8 x 8 blocks,
// so that the JPEG at quality 100 without chroma subsampling keeps them within a step):
//   display-p3.png  iCCP: Display P3 (P3 primaries, D65 white, sRGB's transfer curve)
//   adobe-rgb.jpg   APP2 ICC_PROFILE: Adobe RGB (1998) (its primaries, D65, gamma 563/256)
//   gamma-1.8.png   gAMA 1/1.8 and no other colour chunk (sRGB primaries assumed)
// The profiles are built with Little CMS's cmsCreateRGBProfile from the published primaries
// and curves, so no outside file is needed.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <lcms2.h>
#include <png.h>

static const unsigned char PATCHES[][3] = {{255, 0, 0},     {0, 255, 0},     {0, 0, 255},
                                           {128, 128, 128}, {200, 150, 100}, {50, 100, 200},
                                           {255, 255, 255}, {30, 30, 30}};
static const int COUNT = sizeof PATCHES / sizeof PATCHES[0];
static const int SIDE = 16;

static std::vector<unsigned char> Pixels()
{
    std::vector<unsigned char> rgb((size_t)COUNT * SIDE * SIDE * 3);
    for (int y = 0; y < SIDE; y++)
        for (int x = 0; x < COUNT * SIDE; x++)
            memcpy(&rgb[((size_t)y * COUNT * SIDE + x) * 3], PATCHES[x / SIDE], 3);
    return rgb;
}

static std::vector<unsigned char> Profile(const double *xy, cmsToneCurve *curve, const char *name)
{
    cmsCIExyY white = {xy[0], xy[1], 1.0};
    cmsCIExyYTRIPLE primaries = {{xy[2], xy[3], 1.0}, {xy[4], xy[5], 1.0}, {xy[6], xy[7], 1.0}};
    cmsToneCurve *curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsMLU *description = cmsMLUalloc(NULL, 1);
    cmsMLUsetASCII(description, "en", "US", name);
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, description);
    cmsMLUfree(description);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, NULL, &size);
    std::vector<unsigned char> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(curve);
    return bytes;
}

static void WritePng(const std::string &path, const std::vector<unsigned char> *profile,
                     double gamma)
{
    FILE *file = fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, COUNT * SIDE, SIDE, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (profile)
        png_set_iCCP(png, info, "profile", 0, profile->data(), (png_uint_32)profile->size());
    if (gamma > 0)
        png_set_gAMA(png, info, gamma);
    png_write_info(png, info);
    std::vector<unsigned char> rgb = Pixels();
    for (int y = 0; y < SIDE; y++)
        png_write_row(png, &rgb[(size_t)y * COUNT * SIDE * 3]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    fclose(file);
}

static void WriteJpeg(const std::string &path, const std::vector<unsigned char> &profile)
{
    FILE *file = fopen(path.c_str(), "wb");
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = COUNT * SIDE;
    cinfo.image_height = SIDE;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    for (int i = 0; i < 3; i++)
        cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    jpeg_write_icc_profile(&cinfo, profile.data(), (unsigned)profile.size());
    std::vector<unsigned char> rgb = Pixels();
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = &rgb[(size_t)cinfo.next_scanline * COUNT * SIDE * 3];
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    fclose(file);
}

int main(int argc, char **argv)
{
    std::string dir = argc > 1 ? argv[1] : ".";
    static const double P3[8] = {0.3127, 0.3290, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060};
    static const double ADOBE[8] = {0.3127, 0.3290, 0.64, 0.33, 0.21, 0.71, 0.15, 0.06};
    const cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    std::vector<unsigned char> p3 =
        Profile(P3, cmsBuildParametricToneCurve(NULL, 4, srgbCurve), "Display P3");
    WritePng(dir + "/display-p3.png", &p3, 0);
    WriteJpeg(dir + "/adobe-rgb.jpg",
              Profile(ADOBE, cmsBuildGamma(NULL, 563.0 / 256.0), "Adobe RGB (1998)"));
    WritePng(dir + "/gamma-1.8.png", NULL, 1 / 1.8);
    return 0;
}
