// Benchmark of photo import against ImageMagick: time per slide and PSNR, one table row per file.
//
// For each picture: our pipeline (800 x 600, 256 colours) timed in-process; ImageMagick's
// "convert IN -resize 800x600 -colors 256 -type Palette BMP3:OUT" timed as a process; each the
// best of RUNS runs. Quality is
// PSNR against ImageMagick's true-colour fit of the same picture (the reference both start
// from), and for our pipeline also against its own true-colour fit (colour reduction alone).
#include "photo.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <vector>

static std::string convertProgram;
static std::string workDir;
// Each timing is the best of this many runs, so that other work on the machine counts less.
static const int RUNS = 3;

static double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Processor seconds (user and system) used so far by this process, or by its waited-for
// children: a figure that other work on the machine disturbs less than the wall clock.
static double CpuSeconds(int who)
{
    rusage usage;
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

static int Run(const std::string &command)
{
    return system((command + " >/dev/null 2>&1").c_str()) == 0;
}

static std::string Quote(const std::string &text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Next number of a PPM header, skipping blanks and "#" comments (ImageMagick copies the
// picture's comment there).
static int PpmNumber(FILE *file, int *value)
{
    int c = fgetc(file);
    for (;;) {
        if (c == '#') {
            while (c != '\n' && c != EOF)
                c = fgetc(file);
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            c = fgetc(file);
        } else {
            break;
        }
    }
    if (c < '0' || c > '9')
        return 0;
    *value = 0;
    while (c >= '0' && c <= '9') {
        *value = *value * 10 + (c - '0');
        c = fgetc(file);
    }
    return 1; // the one blank after the last number is consumed here
}

// Reads a binary PPM of maxval 255.
static int ReadPpm(const std::string &path, PhotoImage *image)
{
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    int width = 0, height = 0, maxval = 0;
    int ok = fgetc(file) == 'P' && fgetc(file) == '6' && PpmNumber(file, &width) &&
             PpmNumber(file, &height) && PpmNumber(file, &maxval) && maxval == 255 && width > 0 &&
             height > 0;
    if (ok) {
        image->width = width;
        image->height = height;
        image->rgb.resize((size_t)width * height * 3);
        ok = fread(image->rgb.data(), 1, image->rgb.size(), file) == image->rgb.size();
    }
    fclose(file);
    return ok;
}

// Turns an 8- or 24-bit Dib from PhotoMakeDib back into RGB rows, top-down.
static int DibToRgb(const std::vector<unsigned char> &dib, PhotoImage *image)
{
    if (dib.size() < 40)
        return 0;
    auto little = [&](size_t at) {
        return (unsigned)dib[at] | (unsigned)dib[at + 1] << 8 | (unsigned)dib[at + 2] << 16 |
               (unsigned)dib[at + 3] << 24;
    };
    int width = (int)little(4), height = (int)little(8), bits = dib[14];
    size_t table = bits == 8 ? 256 : 0;
    size_t rowBytes = ((size_t)width * bits / 8 + 3) & ~(size_t)3;
    if (dib.size() < 40 + 4 * table + rowBytes * height)
        return 0;
    image->width = width;
    image->height = height;
    image->rgb.resize((size_t)width * height * 3);
    for (int y = 0; y < height; y++) {
        const unsigned char *row = &dib[40 + 4 * table + (size_t)(height - 1 - y) * rowBytes];
        for (int x = 0; x < width; x++) {
            const unsigned char *bgr = bits == 8 ? &dib[40 + 4 * row[x]] : row + 3 * x;
            unsigned char *out = &image->rgb[((size_t)y * width + x) * 3];
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
        }
    }
    return 1;
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

struct Result {
    std::string name;
    int sourceWidth, sourceHeight;
    PhotoFormat format;
    double ourSeconds, theirSeconds;
    double ourCpu, theirCpu;
    double ourPsnr, ourPsnrOwn, theirPsnr;
};

static int Measure(const std::string &path, int speed, Result *result)
{
    // A wallpaper is named by its folder (.../NAME/contents/images/WxH.jpg).
    std::string base = path.substr(path.find_last_of('/') + 1);
    size_t contents = path.find("/contents/images");
    result->name = contents == std::string::npos
                       ? base
                       : path.substr(path.find_last_of('/', contents - 1) + 1,
                                     contents - path.find_last_of('/', contents - 1) - 1) +
                             " (" + base.substr(base.find_last_of('.') + 1) + ")";
    std::string reference = workDir + "/reference.ppm", theirs = workDir + "/theirs.bmp",
                theirsPpm = workDir + "/theirs.ppm";
    // The reference: ImageMagick's fit of the picture, kept in true colour.
    if (!Run(convertProgram + " " + Quote(path) + " -resize 800x600 " + Quote(reference)))
        return 0;
    PhotoImage referenceImage, ours, oursTrue, theirsImage;
    if (!ReadPpm(reference, &referenceImage))
        return 0;

    PhotoOptions options;
    PhotoOptionsInit(&options);
    options.speed = speed;
    std::vector<unsigned char> dib;
    PhotoReport report;
    std::string error;
    result->ourSeconds = result->ourCpu = 1e9;
    for (int run = 0; run < RUNS; run++) {
        double cpu = CpuSeconds(RUSAGE_SELF);
        if (!PhotoMakeDib(path.c_str(), &options, &dib, &report, &error)) {
            fprintf(stderr, "%s: %s\n", base.c_str(), error.c_str());
            return 0;
        }
        result->ourCpu = std::min(result->ourCpu, CpuSeconds(RUSAGE_SELF) - cpu);
        result->ourSeconds = std::min(result->ourSeconds, report.seconds);
    }
    result->format = report.format;
    result->sourceWidth = report.sourceWidth;
    result->sourceHeight = report.sourceHeight;
    DibToRgb(dib, &ours);
    options.bits = 24;
    if (!PhotoMakeDib(path.c_str(), &options, &dib, &report, &error))
        return 0;
    DibToRgb(dib, &oursTrue);

    result->theirSeconds = result->theirCpu = 1e9;
    for (int run = 0; run < RUNS; run++) {
        double start = Now(), cpu = CpuSeconds(RUSAGE_CHILDREN);
        if (!Run(convertProgram + " " + Quote(path) +
                 " -resize 800x600 -colors 256 -type Palette BMP3:" + Quote(theirs)))
            return 0;
        result->theirSeconds = std::min(result->theirSeconds, Now() - start);
        result->theirCpu = std::min(result->theirCpu, CpuSeconds(RUSAGE_CHILDREN) - cpu);
    }
    if (!Run(convertProgram + " " + Quote(theirs) + " " + Quote(theirsPpm)) ||
        !ReadPpm(theirsPpm, &theirsImage))
        return 0;

    result->ourPsnr = Psnr(referenceImage, ours);
    result->ourPsnrOwn = Psnr(oursTrue, ours);
    result->theirPsnr = Psnr(referenceImage, theirsImage);
    return 1;
}

int main(int argc, char **argv)
{
    if (argc < 5) {
        fprintf(stderr, "usage: photo_bench CONVERT WORKDIR SPEED PICTURE...\n");
        return 2;
    }
    convertProgram = argv[1];
    workDir = argv[2];
    int speed = atoi(argv[3]);
    printf("| picture | source | ours s | ImageMagick s | speed-up | ours cpu s | ImageMagick "
           "cpu s | ours PSNR | ImageMagick PSNR | ours PSNR vs own fit |\n");
    printf("|---|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    std::vector<Result> results;
    for (int i = 4; i < argc; i++) {
        Result r;
        if (!Measure(argv[i], speed, &r)) {
            fprintf(stderr, "%s: measurement failed\n", argv[i]);
            return 1;
        }
        printf("| %s | %dx%d | %.3f | %.3f | %.1fx | %.3f | %.3f | %.2f | %.2f | %.2f |\n",
               r.name.c_str(), r.sourceWidth, r.sourceHeight, r.ourSeconds, r.theirSeconds,
               r.theirSeconds / r.ourSeconds, r.ourCpu, r.theirCpu, r.ourPsnr, r.theirPsnr,
               r.ourPsnrOwn);
        fflush(stdout);
        results.push_back(r);
    }
    double ours = 0, theirs = 0, ourCpu = 0, theirCpu = 0, ourPsnr = 0, theirPsnr = 0;
    double largeOurs = 0, largeWorst = 0;
    int better = 0, large = 0;
    for (const Result &r : results) {
        ours += r.ourSeconds;
        theirs += r.theirSeconds;
        ourCpu += r.ourCpu;
        theirCpu += r.theirCpu;
        ourPsnr += r.ourPsnr;
        theirPsnr += r.theirPsnr;
        better += r.ourPsnr >= r.theirPsnr;
        if (r.format == PHOTO_FORMAT_JPEG &&
            (long long)r.sourceWidth * r.sourceHeight >= 11500000) {
            large++;
            largeOurs += r.ourSeconds;
            largeWorst = std::max(largeWorst, r.ourSeconds);
        }
    }
    size_t n = results.size();
    printf("| **mean of %zu** | | %.3f | %.3f | %.1fx | %.3f | %.3f | %.2f | %.2f | |\n", n,
           ours / n, theirs / n, theirs / ours, ourCpu / n, theirCpu / n, ourPsnr / n,
           theirPsnr / n);
    printf("\nmean seconds per slide: ours %.3f, ImageMagick %.3f (%.1fx); PSNR ours >= "
           "ImageMagick on %d of %zu\n",
           ours / n, theirs / n, theirs / ours, better, n);
    if (large)
        printf("JPEGs of 12 megapixels or more: %d, ours %.3f s per slide on average, %.3f s at "
               "most\n",
               large, largeOurs / large, largeWorst);
    return 0;
}
