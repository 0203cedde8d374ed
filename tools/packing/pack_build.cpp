// Building an installer or a saver file. Every input is read and checked first (the name, the
// options, the two executables, every picture) and every problem is reported in the one run;
// only when there is none is the output written, under a temporary name that is renamed into
// place when complete, so a failed build leaves no file behind.
#include "pack_build.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <string>
#include <vector>

#include "dib.h"
#include "file_util.h"
#include "pack_defaults.h"
#include "pack_drawable.h"
#include "pack_inputs.h"
#include "pack_load.h"
#include "pack_messages.h"
#include "pack_pictures.h"
#include "pack_preview.h"
#include "payload.h"
#include "saver_memory.h"
#include "slideshow_logic.h"
#include "variant_tag.h"

struct PackRequest {
    int installer = 0;
    const char *output = nullptr;
    const char *setup = nullptr;
    const char *engine = nullptr;
    const char *name = nullptr;
    const char *preview = nullptr;
    const char *options = nullptr;
    const char *logo = nullptr;
    std::vector<const char *> inputs; // picture files and folders, as given
    PictureOptions pictures;
    int workers = 0;
};

// Everything a build writes, once it has been read and checked.
struct PackContents {
    Blob image;   // the setup image (installer) or the engine (saver)
    Blob engine;  // the carried engine (installer only)
    Blob name;    // Text
    Blob preview; // Dib
    Blob options; // Text
    Blob logo;    // Dib
    std::vector<PictureJob> slides;
    int problems = 0;
};

void PackBuildHelp(int installer)
{
    if (installer)
        printf("usage: glimmer-pack build -o OUT.exe --name NAME [options] PICTURE|FOLDER...\n"
               "\n"
               "Writes an installer that shows NAME and the preview, and installs a saver of the\n"
               "pictures. A folder gives its pictures in name order; other files in it are\n"
               "skipped with a note. Every input is checked first: each problem is named, and\n"
               "nothing is written unless there is none.\n"
               "\n"
               "  -o FILE          the installer to write\n"
               "  --name NAME      the saver's name (letters, digits, _ and spaces, at most %d)\n"
               "  --preview FILE   the installer's picture (default: a collage of the first\n"
               "                   slides, %dx%d)\n",
               SAVER_NAME_MAXIMUM, PREVIEW_AREA_WIDTH, PREVIEW_AREA_HEIGHT);
    else
        printf("usage: glimmer-pack saver -o OUT.scr [options] PICTURE|FOLDER...\n"
               "\n"
               "Writes the saver file an install would write: the engine, then the options,\n"
               "the logo and the slides.\n"
               "\n"
               "  -o FILE          the saver file to write\n");
    printf("  --options TEXT   D as first character turns the banner on, the second is the key\n"
           "                   that opens the web address following it (default NV: no banner,\n"
           "                   no address)\n"
           "  --logo FILE      the logo at the bottom right (default: none shown)\n");
    if (installer)
        printf("  --setup FILE     the installer image (default: the one installed with\n"
               "                   glimmer-pack, share/glimmer/setup.exe)\n");
    printf("  --engine FILE    the engine image (default: the one installed with glimmer-pack,\n"
           "                   share/glimmer/glimmer-carried.exe)\n"
           "  --jobs N         pictures converted at once (default: one per processor)\n"
           "%s",
           PicturesUsage());
}

// A whole decimal number from 1 to maximum; 0 for anything else.
static int ParseCount(const char *text, int maximum)
{
    char *end = nullptr;
    errno = 0;
    long value = strtol(text, &end, 10);
    if (end == text || *end != 0 || errno != 0 || value < 1 || value > maximum)
        return 0;
    return (int)value;
}

// Parses the arguments of build or saver. 0 after an error; *help set when help was asked for.
static int ParseRequest(int argc, char **argv, PackRequest *request, int *help)
{
    *help = 0;
    for (int i = 0; i < argc; i++) {
        const char *arg = argv[i];
        const char **target = nullptr;
        if (!strcmp(arg, "--help") || !strcmp(arg, "-h")) {
            *help = 1;
            return 1;
        }
        if (!strcmp(arg, "-o"))
            target = &request->output;
        else if (!strcmp(arg, "--setup"))
            target = &request->setup;
        else if (!strcmp(arg, "--engine"))
            target = &request->engine;
        else if (!strcmp(arg, "--name"))
            target = &request->name;
        else if (!strcmp(arg, "--preview"))
            target = &request->preview;
        else if (!strcmp(arg, "--options"))
            target = &request->options;
        else if (!strcmp(arg, "--logo"))
            target = &request->logo;
        if (target) {
            if (i + 1 >= argc)
                return PackError("%s needs a value", arg);
            *target = argv[++i];
            continue;
        }
        if (!strcmp(arg, "--jobs")) {
            if (i + 1 >= argc || !(request->workers = ParseCount(argv[i + 1], 64)))
                return PackError("--jobs needs a number from 1 to 64");
            i++;
            continue;
        }
        int used = ParsePictureOption(argc - i, argv + i, &request->pictures);
        if (used < 0)
            return 0;
        if (used > 0) {
            i += used - 1;
            continue;
        }
        if (arg[0] == '-' && arg[1] != 0)
            return PackError("unknown option %s (glimmer-pack %s --help lists them)", arg,
                             request->installer ? "build" : "saver");
        request->inputs.push_back(arg);
    }
    if (!request->output)
        return PackError("-o names the file to write; it is missing");
    if (request->installer && !request->name)
        return PackError("--name gives the saver's name; it is missing");
    if (!request->installer && (request->setup || request->name || request->preview))
        return PackError("saver takes no --setup, --name or --preview");
    return 1;
}

// Counts and names one problem of the build.
static void Problem(PackContents *contents, const char *format, ...)
    __attribute__((format(printf, 2, 3)));
static void Problem(PackContents *contents, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    PackErrorList(format, arguments);
    va_end(arguments);
    contents->problems++;
}

// The image given with option, or the one installed with glimmer-pack.
static const char *ImagePath(const char *given, const char *installed, const char *option,
                             std::string *found, PackContents *contents)
{
    if (given)
        return given;
    std::string error;
    if (!FindInstalledImage(installed, InstalledImageFolders(ToolPath()), found, &error)) {
        Problem(contents, "%s; give its path with %s", error.c_str(), option);
        return nullptr;
    }
    return found->c_str();
}

// Loads an unstamped executable and checks that it is the program its role needs: the engine
// carries a variant tag, the setup image none.
static void LoadImage(const char *path, int engine, Blob *blob, PackContents *contents)
{
    if (!path)
        return;
    if (!BlobLoadExecutableFile(blob, path)) {
        FILE *file = fopen(path, "rb");
        int readable = file != nullptr;
        int reason = errno;
        if (file)
            fclose(file);
        if (!readable)
            Problem(contents, "%s: %s", path, strerror(reason));
        else
            Problem(contents,
                    "%s: not an unstamped Windows executable (no long DOS stub message at %u)",
                    path, STUB_MESSAGE_OFFSET);
        return;
    }
    EngineVariant variant;
    int tagged = VariantTagFind(blob->data, blob->size, &variant);
    const char *name = tagged ? VariantName(&variant) : nullptr;
    if (engine && !tagged) {
        Problem(contents, "%s: not a glimmer engine (it carries no variant tag)", path);
    } else if (!engine && tagged) {
        Problem(contents, "%s: an engine, not the setup program", path);
    } else if (engine && !name) {
        Problem(contents, "%s: an engine variant no installer carries (sustain up to %d ms)", path,
                variant.sustainMaximum);
    } else if (engine && strcmp(name, "carried") != 0) {
        PackWarning("%s: the engine with sustain up to %d ms in steps of %d ms; installers "
                    "normally carry the one with %d/%d",
                    path, variant.sustainMaximum, variant.sustainStep,
                    VARIANT_CARRIED.sustainMaximum, VARIANT_CARRIED.sustainStep);
    }
}

// The slide files: files as given, folders opened in name order; more than the saver shows
// only when --max-slides keeps the first ones.
static std::vector<std::string> SlidePaths(const PackRequest *request, PackContents *contents)
{
    std::vector<std::string> paths;
    for (const char *input : request->inputs) {
        struct stat info;
        if (stat(input, &info) == 0 && S_ISDIR(info.st_mode)) {
            std::vector<SkippedFile> skipped;
            std::string error;
            size_t before = paths.size();
            if (!ListFolderPictures(input, &paths, &skipped, &error)) {
                Problem(contents, "%s: %s", input, error.c_str());
                continue;
            }
            for (const SkippedFile &file : skipped)
                PackNote("skipped %s: %s", file.path.c_str(), file.reason.c_str());
            if (paths.size() == before)
                Problem(contents, "%s: the folder holds no pictures", input);
        } else {
            paths.push_back(input); // a missing file is named when it is loaded
        }
    }
    int count = (int)paths.size();
    int keep = request->pictures.maxSlides;
    if (request->inputs.empty()) {
        Problem(contents, "no slide pictures given");
    } else if (keep > 0 && count > keep) {
        PackNote("keeping the first %d of %d pictures (--max-slides)", keep, count);
        paths.resize(keep);
    } else if (keep == 0 && count > SLIDE_SLOTS) {
        Problem(contents,
                "%d slides given, but the saver shows at most %d (--max-slides N keeps the "
                "first N)",
                count, SLIDE_SLOTS);
    }
    return paths;
}

// Takes a loaded picture: a failure or a picture Windows 95 draws blank everywhere is a problem;
// one it draws blank on some displays is a warning.
static void TakePicture(PictureJob *job, Blob *into, PackContents *contents)
{
    if (!job->error.empty()) {
        Problem(contents, "%s: %s", job->path.c_str(), job->error.c_str());
        return;
    }
    std::string problem, warning;
    if (!CheckDrawable(&job->blob, &problem, &warning)) {
        Problem(contents, "%s: %s", job->path.c_str(), problem.c_str());
        return;
    }
    if (!warning.empty())
        PackWarning("%s: %s", job->path.c_str(), warning.c_str());
    if (into) {
        *into = job->blob;
        BlobInit(&job->blob);
    }
}

// Reads and checks every input into contents; contents->problems counts what is wrong.
static void Gather(const PackRequest *request, PackContents *contents)
{
    std::string reason;
    if (request->installer) {
        if (!CheckSaverName(request->name, &reason))
            Problem(contents, "the name \"%s\" is refused: %s", request->name, reason.c_str());
        BlobSetText(&contents->name, request->name);
    }
    const char *options = request->options ? request->options : DEFAULT_OPTIONS;
    if (!CheckOptionsText(options, &reason))
        Problem(contents, "the options text \"%s\" %s", options, reason.c_str());
    BlobSetText(&contents->options, options);

    std::string setupFound, engineFound;
    const char *engine =
        ImagePath(request->engine, INSTALLED_ENGINE, "--engine", &engineFound, contents);
    if (request->installer) {
        const char *setup =
            ImagePath(request->setup, INSTALLED_SETUP, "--setup", &setupFound, contents);
        LoadImage(setup, 0, &contents->image, contents);
        LoadImage(engine, 1, &contents->engine, contents);
    } else {
        LoadImage(engine, 1, &contents->image, contents);
    }

    std::vector<PictureJob> jobs;
    if (request->preview)
        jobs.push_back(PictureJobFor(request->preview, PICTURE_PREVIEW));
    if (request->logo)
        jobs.push_back(PictureJobFor(request->logo, PICTURE_LOGO));
    size_t firstSlide = jobs.size();
    for (const std::string &path : SlidePaths(request, contents))
        jobs.push_back(PictureJobFor(path, PICTURE_SLIDE));
    LoadPictures(&jobs, &request->pictures, request->workers ? request->workers : DefaultWorkers());
    for (PictureJob &job : jobs) {
        if (job.role == PICTURE_PREVIEW)
            TakePicture(&job, &contents->preview, contents);
        else if (job.role == PICTURE_LOGO)
            TakePicture(&job, &contents->logo, contents);
        else
            TakePicture(&job, nullptr, contents);
    }
    contents->slides.assign(jobs.begin() + firstSlide, jobs.end());
    jobs.resize(firstSlide);
    FreePictureJobs(&jobs);
    if (!request->logo)
        MakeBlankLogo(&contents->logo);
}

// The default preview, once every slide has loaded.
static void MakePreview(const PackRequest *request, PackContents *contents)
{
    std::vector<Blob> first;
    for (size_t i = 0; i < contents->slides.size() && i < (size_t)COLLAGE_SLIDES; i++)
        first.push_back(contents->slides[i].blob);
    std::string error;
    const PhotoOptions *photos = &request->pictures.photos;
    if (!MakePreviewCollage(first.data(), (int)first.size(), PREVIEW_AREA_WIDTH,
                            PREVIEW_AREA_HEIGHT, photos->quality, photos->speed, &contents->preview,
                            &error))
        Problem(contents, "the preview collage: %s", error.c_str());
}

// Writes one record; 0 after saying so.
static int Put(const Blob *blob, FILE *out, const char *path)
{
    if (PayloadWriteRecord(blob, out))
        return 1;
    return PackError("%s: write error", path);
}

// Writes the checked contents into out: the stamped image, then the records and the end record.
static int WriteContents(const PackRequest *request, PackContents *contents, FILE *out)
{
    const char *path = request->output;
    if (!request->installer)
        BlobPatchSubsystemVersion(&contents->image);
    if (!PayloadWriteExecutable(&contents->image, out))
        return PackError("%s: write error", path);
    if (request->installer &&
        (!Put(&contents->name, out, path) || !Put(&contents->preview, out, path) ||
         !Put(&contents->engine, out, path)))
        return 0;
    if (!Put(&contents->options, out, path) || !Put(&contents->logo, out, path))
        return 0;
    for (const PictureJob &slide : contents->slides) {
        if (!Put(&slide.blob, out, path))
            return 0;
    }
    Blob end;
    BlobInit(&end);
    return Put(&end, out, path);
}

// Writes the output under a temporary name and renames it into place when it is complete.
static int WriteOutput(const PackRequest *request, PackContents *contents)
{
    std::string temporary = TemporaryPathFor(request->output);
    FILE *out = fopen(temporary.c_str(), "wb");
    if (!out)
        return PackError("%s: %s", request->output, strerror(errno));
    int ok = WriteContents(request, contents, out);
    if (fclose(out) != 0 && ok)
        ok = PackError("%s: write error", request->output);
    if (ok && rename(temporary.c_str(), request->output) != 0)
        ok = PackError("%s: %s", request->output, strerror(errno));
    if (!ok)
        remove(temporary.c_str());
    return ok;
}

// The closing lines: slides, payload and largest picture, then the memory the saver holds.
static void PrintOutcome(const PackRequest *request, const PackContents *contents, uint64_t memory)
{
    PictureSummary summary = {};
    const Blob *pictures[] = {&contents->preview, &contents->logo};
    const char *names[] = {request->preview ? request->preview : "the preview collage",
                           request->logo ? request->logo : "the blank logo"};
    for (int i = request->installer ? 0 : 1; i < 2; i++) {
        if (pictures[i]->size > summary.largestSize) {
            summary.largestSize = pictures[i]->size;
            summary.largestName = names[i];
        }
    }
    struct stat written;
    long long payload = stat(request->output, &written) == 0
                            ? (long long)written.st_size - (long long)contents->image.size
                            : 0;
    for (const PictureJob &slide : contents->slides) {
        summary.slides++;
        if (slide.blob.size > summary.largestSize) {
            summary.largestSize = slide.blob.size;
            summary.largestName = slide.path;
        }
    }
    PrintPictureSummary(&request->pictures, &summary, payload);
    printf("the saver will hold %s in memory: options, logo and %d slide%s\n",
           MemoryText(memory).c_str(), summary.slides, summary.slides == 1 ? "" : "s");
}

static void FreeContents(PackContents *contents)
{
    BlobFree(&contents->image);
    BlobFree(&contents->engine);
    BlobFree(&contents->name);
    BlobFree(&contents->preview);
    BlobFree(&contents->options);
    BlobFree(&contents->logo);
    FreePictureJobs(&contents->slides);
}

int PackBuild(int argc, char **argv, int installer)
{
    PackRequest request;
    request.installer = installer;
    SetDefaultPictureOptions(&request.pictures);
    int help = 0;
    if (!ParseRequest(argc, argv, &request, &help))
        return 1;
    if (help) {
        PackBuildHelp(installer);
        return 0;
    }
    PackContents contents;
    for (Blob *blob : {&contents.image, &contents.engine, &contents.name, &contents.preview,
                       &contents.options, &contents.logo})
        BlobInit(blob);
    Gather(&request, &contents);
    if (installer && !request.preview && contents.problems == 0)
        MakePreview(&request, &contents);

    std::vector<Blob> slides;
    for (const PictureJob &slide : contents.slides)
        slides.push_back(slide.blob);
    uint64_t memory =
        SaverMemoryBytes(&contents.options, &contents.logo, slides.data(), (int)slides.size());
    if (memory > SAVER_MEMORY_MAXIMUM) {
        Problem(&contents,
                "the saver would hold %s in memory, more than a Windows 95 program can "
                "address (%s)",
                MemoryText(memory).c_str(), MemoryText(SAVER_MEMORY_MAXIMUM).c_str());
    }

    int ok = 0;
    if (contents.problems > 0)
        PackError("%d problem%s found; %s not written", contents.problems,
                  contents.problems == 1 ? "" : "s", request.output);
    else
        ok = WriteOutput(&request, &contents);
    if (ok) {
        PrintOutcome(&request, &contents, memory);
        if (memory > SAVER_MEMORY_BUDGET)
            PackWarning("the saver will hold %s in memory, more than the %s that suits a "
                        "Windows 95 PC with 8 to 16 MB; fewer slides (--max-slides), a smaller "
                        "--size or 8-bit slides hold less",
                        MemoryText(memory).c_str(), MemoryText(SAVER_MEMORY_BUDGET).c_str());
    }
    FreeContents(&contents);
    return ok ? 0 : 1;
}
