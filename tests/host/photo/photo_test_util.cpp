// Fixture helpers for the photo import tests: a scratch folder, pictures written by ImageMagick.
#include "photo_test_util.h"

#include <gtest/gtest.h>

#include <libheif/heif.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef PHOTO_TEST_CONVERT
#define PHOTO_TEST_CONVERT "/usr/bin/convert"
#endif

// The HEVC encoder behind MakeHeif keeps a few blocks until exit; that is the fixture maker's,
// not the code under test.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libx265.so\n";
}

static std::string scratchDir;

// Removes the scratch folder after the last test.
class ScratchCleanup : public ::testing::Environment
{
  public:
    void TearDown() override
    {
        if (!scratchDir.empty() && !getenv("PHOTO_TEST_KEEP"))
            (void)!system(("rm -rf '" + scratchDir + "'").c_str());
    }
};
static ::testing::Environment *const cleanup =
    ::testing::AddGlobalTestEnvironment(new ScratchCleanup);

std::string FixtureDir()
{
    if (scratchDir.empty()) {
        const char *tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/glimmer-photo-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back(0);
        if (!mkdtemp(buffer.data()))
            abort();
        scratchDir = buffer.data();
    }
    return scratchDir;
}

std::string FixturePath(const std::string &name)
{
    return FixtureDir() + "/" + name;
}

std::string WriteNetpbm(const std::string &name, const PhotoImage &image,
                        const std::vector<unsigned char> *alpha)
{
    std::string path = FixturePath(name);
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        abort();
    if (alpha)
        fprintf(file, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                image.width, image.height);
    else
        fprintf(file, "P6\n%d %d\n255\n", image.width, image.height);
    for (size_t i = 0; i < (size_t)image.width * image.height; i++) {
        fwrite(&image.rgb[3 * i], 1, 3, file);
        if (alpha)
            fwrite(&(*alpha)[i], 1, 1, file);
    }
    fclose(file);
    return path;
}

bool Convert(const std::string &arguments)
{
    std::string command = std::string(PHOTO_TEST_CONVERT) + " " + arguments + " 2>&1";
    int status = system(command.c_str());
    return status == 0;
}

std::string MakePicture(const std::string &name, const PhotoImage &image,
                        const std::string &options, const std::vector<unsigned char> *alpha)
{
    std::string source = WriteNetpbm(name + (alpha ? ".pam" : ".ppm"), image, alpha);
    std::string target = name;
    std::string prefix;
    size_t colon = name.find(':');
    if (colon != std::string::npos) {
        prefix = name.substr(0, colon + 1);
        target = name.substr(colon + 1);
    }
    std::string path = FixturePath(target);
    if (!Convert("'" + source + "' " + options + " '" + prefix + path + "'"))
        ADD_FAILURE() << "convert could not write " << name;
    return path;
}

std::string MakeHeif(const std::string &name, const PhotoImage &image,
                     const std::vector<unsigned char> *alpha, int orientation,
                     const std::vector<unsigned char> *profile)
{
    std::string path = FixturePath(name);
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_image *picture = nullptr;
    heif_error status =
        heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    if (status.code == heif_error_Ok) {
        heif_encoder_set_lossy_quality(encoder, 90);
        status = heif_image_create(
            image.width, image.height, heif_colorspace_RGB,
            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &picture);
    }
    if (status.code == heif_error_Ok)
        status =
            heif_image_add_plane(picture, heif_channel_interleaved, image.width, image.height, 8);
    if (status.code == heif_error_Ok && profile)
        status =
            heif_image_set_raw_color_profile(picture, "prof", profile->data(), profile->size());
    if (status.code == heif_error_Ok) {
        int stride = 0;
        uint8_t *plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
        int channels = alpha ? 4 : 3;
        for (int y = 0; y < image.height; y++)
            for (int x = 0; x < image.width; x++) {
                size_t i = (size_t)y * image.width + x;
                uint8_t *p = plane + (size_t)y * stride + x * channels;
                memcpy(p, &image.rgb[3 * i], 3);
                if (alpha)
                    p[3] = (*alpha)[i];
            }
        heif_encoding_options *options = heif_encoding_options_alloc();
        options->image_orientation = (heif_orientation)orientation;
        status = heif_context_encode_image(context, picture, encoder, options, nullptr);
        heif_encoding_options_free(options);
    }
    if (status.code == heif_error_Ok)
        status = heif_context_write_to_file(context, path.c_str());
    if (status.code != heif_error_Ok)
        ADD_FAILURE() << "libheif could not write " << name << ": " << status.message;
    if (picture)
        heif_image_release(picture);
    if (encoder)
        heif_encoder_release(encoder);
    heif_context_free(context);
    return path;
}

std::vector<unsigned char> ReadBytes(const std::string &path)
{
    std::vector<unsigned char> bytes;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(file);
    return bytes;
}

void WriteBytes(const std::string &path, const std::vector<unsigned char> &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        abort();
    if (!bytes.empty())
        fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

PhotoImage MakeImage(int width, int height, void (*fill)(int x, int y, unsigned char *rgb))
{
    PhotoImage image;
    image.width = width;
    image.height = height;
    image.rgb.resize((size_t)width * height * 3);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            fill(x, y, &image.rgb[((size_t)y * width + x) * 3]);
    return image;
}

static unsigned Little(const unsigned char *p, int bytes)
{
    unsigned value = 0;
    for (int i = bytes - 1; i >= 0; i--)
        value = value << 8 | p[i];
    return value;
}

bool DibToImage(const std::vector<unsigned char> &dib, PhotoImage *image, int *bits)
{
    if (dib.size() < 40 || Little(&dib[0], 4) != 40)
        return false;
    int width = (int)Little(&dib[4], 4), height = (int)Little(&dib[8], 4);
    int count = (int)Little(&dib[14], 2);
    unsigned used = Little(&dib[32], 4);
    if (width < 1 || height < 1 || Little(&dib[12], 2) != 1 || Little(&dib[16], 4) != 0)
        return false;
    if (count != 8 && count != 24)
        return false;
    size_t table = count == 8 ? 256 : 0;
    if (count == 8 && used != 256)
        return false;
    size_t rowBytes = ((size_t)width * count / 8 + 3) & ~(size_t)3;
    if (Little(&dib[20], 4) != rowBytes * height ||
        dib.size() != 40 + 4 * table + rowBytes * height)
        return false;
    if (bits)
        *bits = count;
    *image = MakeImage(width, height, [](int, int, unsigned char *) {});
    const unsigned char *rows = &dib[40 + 4 * table];
    for (int y = 0; y < height; y++) {
        const unsigned char *row = rows + (size_t)(height - 1 - y) * rowBytes;
        for (int x = 0; x < width; x++) {
            unsigned char *out = &image->rgb[((size_t)y * width + x) * 3];
            const unsigned char *bgr = count == 8 ? &dib[40 + 4 * row[x]] : row + 3 * x;
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
        }
    }
    return true;
}

int MaxDifference(const PhotoImage &a, const PhotoImage &b)
{
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size())
        return -1;
    int most = 0;
    for (size_t i = 0; i < a.rgb.size(); i++)
        most = std::max(most, std::abs(a.rgb[i] - b.rgb[i]));
    return most;
}

double Psnr(const PhotoImage &a, const PhotoImage &b)
{
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty())
        return 0;
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size(); i++) {
        double d = (double)a.rgb[i] - b.rgb[i];
        sum += d * d;
    }
    if (sum == 0)
        return 99;
    return 10 * log10(255.0 * 255.0 / (sum / a.rgb.size()));
}
