// Benchmark of colour reduction: PSNR of our 256 colours against a plain median cut's.
//
// Each picture is fitted into 800 x 600 in true colour by the import pipeline; that fit is the
// reference. It is reduced to 256 colours by PhotoQuantise and by Pillow's median cut without
// dithering (median_cut.py), and the table gives each result's PSNR against the reference.
// Besides the files named on the command line it makes a few smooth gradients and a piece of
// flat artwork, where dithering shows as a dot pattern.
//
// Usage: quantise_bench MEDIAN_CUT_SCRIPT WORK_DIR SPEED [PICTURE...]
#include "photo.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

static std::string medianCut;
static std::string workDir;

static std::string Quote(const std::string &text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

static int WritePpm(const std::string &path, const PhotoImage &image)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    fprintf(file, "P6\n%d %d\n255\n", image.width, image.height);
    int ok = fwrite(image.rgb.data(), 1, image.rgb.size(), file) == image.rgb.size();
    return fclose(file) == 0 && ok;
}

// Reads a binary PPM as Pillow writes it (no comments, maxval 255).
static int ReadPpm(const std::string &path, PhotoImage *image)
{
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    int width = 0, height = 0, maxval = 0;
    int ok = fscanf(file, "P6 %d %d %d", &width, &height, &maxval) == 3 && maxval == 255 &&
             width > 0 && height > 0 && fgetc(file) != EOF;
    if (ok) {
        image->width = width;
        image->height = height;
        image->rgb.resize((size_t)width * height * 3);
        ok = fread(image->rgb.data(), 1, image->rgb.size(), file) == image->rgb.size();
    }
    fclose(file);
    return ok;
}

static double Psnr(const PhotoImage &a, const PhotoImage &b)
{
    if (a.width != b.width || a.height != b.height)
        return NAN;
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size(); i++) {
        double d = (double)a.rgb[i] - b.rgb[i];
        sum += d * d;
    }
    return sum == 0 ? 99 : 10 * log10(255.0 * 255.0 / (sum / a.rgb.size()));
}

// Turns the 24-bit Dib of PhotoMakeDib back into RGB rows, top-down.
static int DibToRgb(const std::vector<unsigned char> &dib, PhotoImage *image)
{
    if (dib.size() < 40 || dib[14] != 24)
        return 0;
    auto little = [&](size_t at) {
        return (unsigned)dib[at] | (unsigned)dib[at + 1] << 8 | (unsigned)dib[at + 2] << 16 |
               (unsigned)dib[at + 3] << 24;
    };
    int width = (int)little(4), height = (int)little(8);
    size_t rowBytes = ((size_t)width * 3 + 3) & ~(size_t)3;
    if (dib.size() < 40 + rowBytes * height)
        return 0;
    image->width = width;
    image->height = height;
    image->rgb.resize((size_t)width * height * 3);
    for (int y = 0; y < height; y++) {
        const unsigned char *row = &dib[40 + (size_t)(height - 1 - y) * rowBytes];
        for (int x = 0; x < width; x++)
            for (int c = 0; c < 3; c++)
                image->rgb[((size_t)y * width + x) * 3 + c] = row[3 * x + 2 - c];
    }
    return 1;
}

static PhotoImage Made(int width, int height, void (*fill)(int, int, int, int, unsigned char *))
{
    PhotoImage image;
    image.width = width;
    image.height = height;
    image.rgb.resize((size_t)width * height * 3);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            fill(x, y, width, height, &image.rgb[((size_t)y * width + x) * 3]);
    return image;
}

static void FillRgb(int x, int y, int w, int h, unsigned char *p)
{
    p[0] = (unsigned char)(x * 255 / (w - 1));
    p[1] = (unsigned char)(y * 255 / (h - 1));
    p[2] = (unsigned char)(255 - (x + y) * 255 / (w + h - 2));
}

static void FillTwoChannel(int x, int y, int w, int h, unsigned char *p)
{
    p[0] = (unsigned char)(x * 255 / (w - 1));
    p[1] = (unsigned char)(y * 255 / (h - 1));
    p[2] = 128;
}

static void FillSky(int, int y, int, int h, unsigned char *p)
{
    double t = (double)y / (h - 1);
    p[0] = (unsigned char)lround(20 + 180 * t);
    p[1] = (unsigned char)lround(60 + 150 * t);
    p[2] = (unsigned char)lround(160 + 90 * t);
}

static void FillGrey(int x, int, int w, int, unsigned char *p)
{
    p[0] = p[1] = p[2] = (unsigned char)(x * 255 / (w - 1));
}

static void FillRadial(int x, int y, int w, int h, unsigned char *p)
{
    double dx = x - w / 2.0, dy = y - h / 2.0;
    double t = std::fmin(1.0, std::sqrt(dx * dx + dy * dy) / (w / 2.0));
    p[0] = (unsigned char)lround(250 - 200 * t);
    p[1] = (unsigned char)lround(180 - 150 * t);
    p[2] = (unsigned char)lround(40 + 120 * t);
}

// Flat shapes on a plain ground with smoothed edges: few colours, many of them blends.
static void FillArtwork(int x, int y, int, int, unsigned char *p)
{
    static const unsigned char ground[3] = {240, 235, 220}, disc[3] = {200, 40, 50},
                               bar[3] = {30, 90, 160};
    double d = std::sqrt((x - 150.0) * (x - 150.0) + (y - 150.0) * (y - 150.0));
    double inDisc = std::fmin(1.0, std::fmax(0.0, 100.5 - d));
    double inBar = (x >= 260 && x < 380 && y >= 60 && y < 240) ? 1.0 : 0.0;
    for (int c = 0; c < 3; c++) {
        double v = ground[c] * (1 - inDisc) + disc[c] * inDisc;
        p[c] = (unsigned char)lround(v * (1 - inBar) + bar[c] * inBar);
    }
}

// Prints one row: our PSNR and the median cut's against the true-colour reference.
static void Measure(const std::string &name, const PhotoImage &reference, int speed)
{
    std::string in = workDir + "/reference.ppm", out = workDir + "/median-cut.ppm";
    PhotoImage theirs;
    if (!WritePpm(in, reference) ||
        system((Quote(medianCut) + " " + Quote(in) + " " + Quote(out)).c_str()) != 0 ||
        !ReadPpm(out, &theirs)) {
        fprintf(stderr, "%s: the median cut failed\n", name.c_str());
        return;
    }
    std::vector<unsigned char> indices, palette;
    std::string error;
    if (!PhotoQuantise(&reference, 100, speed, &indices, &palette, &error)) {
        fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        return;
    }
    PhotoImage ours = reference;
    for (size_t i = 0; i < indices.size(); i++)
        for (int c = 0; c < 3; c++)
            ours.rgb[3 * i + c] = palette[3 * indices[i] + c];
    double our = Psnr(reference, ours), their = Psnr(reference, theirs);
    printf("%-30s %9s %7.2f %7.2f %+7.2f\n", name.c_str(),
           (std::to_string(reference.width) + "x" + std::to_string(reference.height)).c_str(), our,
           their, our - their);
    fflush(stdout);
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: quantise_bench MEDIAN_CUT_SCRIPT WORK_DIR SPEED [PICTURE...]\n");
        return 2;
    }
    medianCut = argv[1];
    workDir = argv[2];
    int speed = atoi(argv[3]);
    printf("%-30s %9s %7s %7s %7s\n", "picture", "size", "ours", "median", "diff");
    printf("%-30s %9s %7s %7s %7s\n", "", "", "dB", "cut dB", "dB");
    PhotoOptions options;
    PhotoOptionsInit(&options);
    options.bits = 24;
    for (int i = 4; i < argc; i++) {
        std::string path = argv[i];
        // A wallpaper is named by its folder (.../NAME/contents/images/WxH.jpg).
        std::string name = path.substr(path.find_last_of('/') + 1);
        size_t contents = path.find("/contents/images");
        if (contents != std::string::npos) {
            size_t start = path.find_last_of('/', contents - 1) + 1;
            name = path.substr(start, contents - start) + " (" +
                   name.substr(name.find_last_of('.') + 1) + ")";
        }
        std::vector<unsigned char> dib;
        PhotoReport report;
        std::string error;
        PhotoImage fitted;
        if (!PhotoMakeDib(path.c_str(), &options, &dib, &report, &error) ||
            !DibToRgb(dib, &fitted)) {
            fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
            continue;
        }
        Measure(name, fitted, speed);
    }
    Measure("made: red-green gradient", Made(32, 32, FillTwoChannel), speed);
    Measure("made: red-green gradient", Made(64, 64, FillTwoChannel), speed);
    Measure("made: rgb gradient", Made(32, 32, FillRgb), speed);
    Measure("made: rgb gradient", Made(64, 64, FillRgb), speed);
    Measure("made: rgb gradient", Made(256, 256, FillRgb), speed);
    Measure("made: rgb gradient", Made(800, 600, FillRgb), speed);
    Measure("made: sky", Made(800, 600, FillSky), speed);
    Measure("made: grey ramp", Made(800, 100, FillGrey), speed);
    Measure("made: radial", Made(400, 400, FillRadial), speed);
    Measure("made: flat artwork", Made(400, 300, FillArtwork), speed);
    return 0;
}
