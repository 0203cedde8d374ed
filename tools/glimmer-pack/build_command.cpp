// glimmer-pack build and saver over the packing library. Every input is read and checked first
// (the name, the options, the two executables, every picture) and every problem is reported in
// the one run; only when there is none is the output written, under a temporary name that is
// renamed into place when complete, so a failed build leaves no file behind.
#include "build_command.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <string>
#include <vector>

#include "file_util.h"
#include "folder_pictures.h"
#include "installed_images.h"
#include "pack_contents.h"
#include "pack_defaults.h"
#include "pack_inputs.h"
#include "pack_messages.h"
#include "pack_write.h"
#include "picture_options.h"
#include "picture_workers.h"
#include "saver_memory.h"
#include "slideshow_logic.h"

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
    PictureArguments pictures;
    int workers = 0;
};

// What a build writes, the slides' files, and the problems counted so far.
struct PackBuildState {
    PackContents contents;
    std::vector<std::string> slidePaths;
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
static void Problem(PackBuildState *state, const char *format, ...)
    __attribute__((format(printf, 2, 3)));
static void Problem(PackBuildState *state, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    PackErrorList(format, arguments);
    va_end(arguments);
    state->problems++;
}

// Says what the library found and counts its problems.
static void Show(PackBuildState *state, PackIssues *issues)
{
    state->problems += PackIssuesShow(issues);
}

// The image given with option, or the one installed with glimmer-pack.
static const char *ImagePath(const char *given, const char *installed, const char *option,
                             std::string *found, PackBuildState *state)
{
    if (given)
        return given;
    std::string error;
    if (!FindInstalledImage(installed, InstalledImageFolders(ToolPath()), found, &error)) {
        Problem(state, "%s; give its path with %s", error.c_str(), option);
        return nullptr;
    }
    return found->c_str();
}

// Loads an executable for its role: the engine carries a variant tag, the setup image none.
static void LoadImage(const char *path, int engine, Blob *blob, PackBuildState *state)
{
    if (!path)
        return;
    // A file that opens but cannot be read (a folder) is no executable either.
    FILE *file = fopen(path, "rb");
    if (!file) {
        Problem(state, "%s: %s", path, strerror(errno));
        return;
    }
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(file);
    PackIssues issues;
    PackImageTake(bytes.data(), bytes.size(), engine, path, blob, &issues);
    Show(state, &issues);
}

// The slide files: files as given, folders opened in name order; more than the saver shows
// only when --max-slides keeps the first ones.
static std::vector<std::string> SlidePaths(const PackRequest *request, PackBuildState *state)
{
    std::vector<std::string> paths;
    for (const char *input : request->inputs) {
        struct stat info;
        if (stat(input, &info) == 0 && S_ISDIR(info.st_mode)) {
            std::vector<SkippedFile> skipped;
            std::string error;
            size_t before = paths.size();
            if (!ListFolderPictures(input, &paths, &skipped, &error)) {
                Problem(state, "%s: %s", input, error.c_str());
                continue;
            }
            for (const SkippedFile &file : skipped)
                PackNote("skipped %s: %s", file.path.c_str(), file.reason.c_str());
            if (paths.size() == before)
                Problem(state, "%s: the folder holds no pictures", input);
        } else {
            paths.push_back(input); // a missing file is named when it is loaded
        }
    }
    int count = (int)paths.size();
    int keep = request->pictures.maxSlides;
    if (request->inputs.empty()) {
        Problem(state, "no slide pictures given");
    } else if (keep > 0 && count > keep) {
        PackNote("keeping the first %d of %d pictures (--max-slides)", keep, count);
        paths.resize(keep);
    } else if (keep == 0 && count > SLIDE_SLOTS) {
        Problem(state,
                "%d slides given, but the saver shows at most %d (--max-slides N keeps the "
                "first N)",
                count, SLIDE_SLOTS);
    }
    return paths;
}

// Says what came of a loaded picture and moves its Dib into place.
static void TakePicture(PictureJob *job, Blob *into, PackBuildState *state)
{
    Show(state, &job->issues);
    *into = job->blob;
    BlobInit(&job->blob);
}

// Reads and checks every input into the state's contents; state->problems counts what is wrong.
static void Gather(const PackRequest *request, PackBuildState *state)
{
    PackContents *contents = &state->contents;
    PackIssues issues;
    if (request->installer)
        PackNameTake(request->name, &contents->name, &issues);
    PackOptionsTake(request->options, &contents->options, &issues);
    Show(state, &issues);

    std::string setupFound, engineFound;
    const char *engine =
        ImagePath(request->engine, INSTALLED_ENGINE, "--engine", &engineFound, state);
    if (request->installer) {
        const char *setup =
            ImagePath(request->setup, INSTALLED_SETUP, "--setup", &setupFound, state);
        LoadImage(setup, 0, &contents->image, state);
        LoadImage(engine, 1, &contents->engine, state);
    } else {
        LoadImage(engine, 1, &contents->image, state);
    }

    std::vector<PictureJob> jobs;
    if (request->preview)
        jobs.push_back(PictureJobFor(request->preview, PICTURE_PREVIEW));
    if (request->logo)
        jobs.push_back(PictureJobFor(request->logo, PICTURE_LOGO));
    for (const std::string &path : SlidePaths(request, state))
        jobs.push_back(PictureJobFor(path, PICTURE_SLIDE));
    LoadPictures(&jobs, &request->pictures, request->workers ? request->workers : DefaultWorkers());
    for (PictureJob &job : jobs) {
        if (job.role == PICTURE_PREVIEW) {
            TakePicture(&job, &contents->preview, state);
        } else if (job.role == PICTURE_LOGO) {
            TakePicture(&job, &contents->logo, state);
        } else {
            contents->slides.emplace_back();
            TakePicture(&job, &contents->slides.back(), state);
            state->slidePaths.push_back(job.path);
        }
    }
    FreePictureJobs(&jobs);
    if (!request->logo)
        PackLogoDefault(&contents->logo);
}

// The sink of a build: the open output file.
static int FileSink(void *context, const unsigned char *data, size_t size)
{
    return fwrite(data, 1, size, (FILE *)context) == size;
}

// Writes the output under a temporary name and renames it into place when it is complete.
// *written gets the file's size.
static int WriteOutput(const PackRequest *request, PackContents *contents, uint64_t *written)
{
    std::string temporary = TemporaryPathFor(request->output);
    FILE *out = fopen(temporary.c_str(), "wb");
    if (!out)
        return PackError("%s: %s", request->output, strerror(errno));
    PackWriter writer;
    PackWriterInit(&writer, FileSink, out);
    int ok = PackWriteContents(&writer, contents);
    if (!ok)
        PackError("%s: write error", request->output);
    if (fclose(out) != 0 && ok)
        ok = PackError("%s: write error", request->output);
    if (ok && rename(temporary.c_str(), request->output) != 0)
        ok = PackError("%s: %s", request->output, strerror(errno));
    if (!ok)
        remove(temporary.c_str());
    *written = writer.written;
    return ok;
}

// The closing lines: slides, payload and largest picture, then the memory the saver holds.
static void PrintOutcome(const PackRequest *request, const PackBuildState *state, uint64_t written,
                         uint64_t memory)
{
    const PackContents *contents = &state->contents;
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
    long long payload = (long long)written - (long long)contents->image.size;
    for (size_t i = 0; i < contents->slides.size(); i++) {
        summary.slides++;
        if (contents->slides[i].size > summary.largestSize) {
            summary.largestSize = contents->slides[i].size;
            summary.largestName = state->slidePaths[i];
        }
    }
    PrintPictureSummary(&summary, payload);
    printf("the saver will hold %s in memory: options, logo and %d slide%s\n",
           MemoryText(memory).c_str(), summary.slides, summary.slides == 1 ? "" : "s");
}

int PackBuild(int argc, char **argv, int installer)
{
    PackRequest request;
    request.installer = installer;
    SetDefaultPictureArguments(&request.pictures);
    int help = 0;
    if (!ParseRequest(argc, argv, &request, &help))
        return 1;
    if (help) {
        PackBuildHelp(installer);
        return 0;
    }
    PackBuildState state;
    PackContents *contents = &state.contents;
    PackContentsInit(contents, installer);
    Gather(&request, &state);
    PackIssues issues;
    if (installer && !request.preview && state.problems == 0) {
        PackPreviewMake(contents, &request.pictures.options, &issues);
        Show(&state, &issues);
    }
    uint64_t memory = PackContentsMemory(contents);
    PackMemoryCheck(memory, &issues);
    Show(&state, &issues);

    int ok = 0;
    uint64_t written = 0;
    if (state.problems > 0)
        PackError("%d problem%s found; %s not written", state.problems,
                  state.problems == 1 ? "" : "s", request.output);
    else
        ok = WriteOutput(&request, contents, &written);
    if (ok) {
        PrintOutcome(&request, &state, written, memory);
        PackMemoryBudgetCheck(memory, &issues);
        PackIssuesShow(&issues);
    }
    PackContentsFree(contents);
    return ok ? 0 : 1;
}
