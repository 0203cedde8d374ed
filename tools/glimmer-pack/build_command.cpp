// glimmer-pack build and saver over the packing library. Every input is checked (the name, the
// options, the two executables, the output's folder, every picture) and every problem is
// reported in the one run. The output is written through the library's writer under a temporary
// name as the pictures come, each slide as soon as it and those before it are converted, so a
// build holds only the pictures in progress; it is renamed into place when complete and without
// problems, and removed otherwise, so a failed build leaves no file behind.
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
#include "pack_preview.h"
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

// What a build has read and checked, where its output stands, and the problems counted so far.
// contents.slides holds only the first slides, until the preview collage is made of them; the
// output is always open until FinishOutput, which closes it.
struct PackBuildState {
    PackContents contents;
    int problems = 0;
    FILE *out = nullptr;   // the temporary output; nullptr when it could not be opened
    std::string temporary; // its name
    PackWriter writer;
    int headWritten = 0;         // the image and the records before the slides are written
    int slidesTaken = 0;         // slides taken, good or not
    uint64_t slideBytes = 0;     // bytes of the first SLIDE_SLOTS good slides
    PictureSummary summary = {}; // good slides and the largest picture
};

void PackBuildHelp(int installer)
{
    if (installer)
        printf("usage: glimmer-pack build -o OUT.exe --name NAME [options] PICTURE|FOLDER...\n"
               "\n"
               "Writes an installer that shows NAME and the preview, and installs a saver of the\n"
               "pictures. A folder gives its pictures in name order, told by their first bytes;\n"
               "a file named like a picture that holds none is a problem, other files are\n"
               "skipped with a note. Every input is checked: each problem is named, and nothing\n"
               "is written unless there is none.\n"
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
    printf("  --options TEXT   D as first character turns the banner on (a red line at the\n"
           "                   bottom left: Glimmer slideshow screen saver demo!), the second\n"
           "                   is the key that opens the web address following it (default NV:\n"
           "                   no banner, no address)\n"
           "  --logo FILE      the logo at the bottom right (default: none shown)\n");
    if (installer)
        printf("  --setup FILE     the installer image (default: the one installed with\n"
               "                   glimmer-pack, share/glimmer/setup.exe)\n");
    printf("  --engine FILE    the engine image (default: the one installed with glimmer-pack,\n"
           "                   share/glimmer/glimmer-carried.exe)\n"
           "  --jobs N         pictures converted at once (default: one per processor)\n"
           "%s",
           PicturesUsage(installer));
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

// A folder entry that is no slide: a problem when it is named like a picture, else a note.
static void Report(const SkippedFile *file, PackBuildState *state)
{
    if (file->problem)
        Problem(state, "%s: %s", file->path.c_str(), file->reason.c_str());
    else
        PackNote("skipped %s: %s", file->path.c_str(), file->reason.c_str());
}

// The same file as the one at path (by device and inode, so "./a.jpg" and "a.jpg" match).
static int SameFile(const struct stat *info, const char *path)
{
    struct stat other;
    return path && stat(path, &other) == 0 && other.st_dev == info->st_dev &&
           other.st_ino == info->st_ino;
}

// The slide files: files as given, folders opened in name order; more than the saver shows
// only when --max-slides keeps the first ones. A folder's copy of the --preview or --logo file
// is skipped, since it was given for that role.
static std::vector<std::string> SlidePaths(const PackRequest *request, PackBuildState *state)
{
    std::vector<std::string> paths;
    for (const char *input : request->inputs) {
        struct stat info;
        if (stat(input, &info) == 0 && S_ISDIR(info.st_mode)) {
            std::vector<std::string> found;
            std::vector<SkippedFile> skipped;
            std::string error;
            if (!ListFolderPictures(input, &found, &skipped, &error)) {
                Problem(state, "%s: %s", input, error.c_str());
                continue;
            }
            // Problems and skipped lines in name order, as the folder lists them.
            std::vector<std::string> taken;
            size_t next = 0;
            for (const std::string &path : found) {
                struct stat file;
                const char *role = nullptr;
                if (stat(path.c_str(), &file) == 0)
                    role = SameFile(&file, request->preview) ? "--preview"
                           : SameFile(&file, request->logo)  ? "--logo"
                                                             : nullptr;
                for (; next < skipped.size() && NameOrderLess(skipped[next].path, path); next++)
                    Report(&skipped[next], state);
                if (role)
                    PackNote("skipped %s: given as %s, so not a slide as well", path.c_str(),
                             role);
                else
                    taken.push_back(path);
            }
            for (; next < skipped.size(); next++)
                Report(&skipped[next], state);
            if (taken.empty())
                Problem(state, "%s: the folder holds no pictures%s", input,
                        found.empty() ? "" : " but those given as --preview or --logo");
            paths.insert(paths.end(), taken.begin(), taken.end());
        } else {
            paths.push_back(input); // a missing file is named when it is loaded
        }
    }
    int count = (int)paths.size();
    int keep = request->pictures.maxSlides;
    if (request->inputs.empty()) {
        Problem(state, "no slide pictures given");
    } else if (keep > 0 && count > keep) {
        if (keep == 1)
            PackNote("keeping the first of %d pictures (--max-slides)", count);
        else
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

// The sink of a build: the open output file.
static int FileSink(void *context, const unsigned char *data, size_t size)
{
    return fwrite(data, 1, size, (FILE *)context) == size;
}

// Opens the temporary output before any picture is converted, so that a folder that does not
// exist or cannot be written is named at once.
static void OpenOutput(const PackRequest *request, PackBuildState *state)
{
    state->temporary = TemporaryPathFor(request->output);
    state->out = fopen(state->temporary.c_str(), "wb");
    PackWriterInit(&state->writer, FileSink, state->out);
    if (state->out)
        return;
    int reason = errno;
    std::string folder = request->output;
    size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        Problem(state, "%s: cannot be written, the folder %s does not exist", request->output,
                folder.c_str());
    else
        Problem(state, "%s: cannot be written: %s", request->output, strerror(reason));
}

// Whether records still go to the output: it is open and nothing is wrong so far.
static int Writing(const PackBuildState *state)
{
    return state->out && state->problems == 0;
}

// A failed write is a problem like any other.
static void WriteFailed(const PackRequest *request, PackBuildState *state)
{
    Problem(state, "%s: write error: %s", request->output, strerror(errno ? errno : EIO));
}

static void Put(const PackRequest *request, const Blob *record, PackBuildState *state)
{
    if (Writing(state) && !PackWriteRecord(&state->writer, record))
        WriteFailed(request, state);
}

// Writes the image and the records before the slides: the name, preview and engine of an
// installer, then the options and the logo.
static void WriteHead(const PackRequest *request, PackBuildState *state)
{
    PackContents *contents = &state->contents;
    state->headWritten = 1;
    if (!Writing(state))
        return;
    if (!PackWriteImage(&state->writer, &contents->image, contents->installer)) {
        WriteFailed(request, state);
        return;
    }
    if (contents->installer) {
        Put(request, &contents->name, state);
        Put(request, &contents->preview, state);
        Put(request, &contents->engine, state);
    }
    Put(request, &contents->options, state);
    Put(request, &contents->logo, state);
}

// The first slides wait for the preview collage made of them; then everything before the
// slides is written, and the waiting slides after it, which are then let go.
static void WriteHeld(const PackRequest *request, PackBuildState *state)
{
    PackContents *contents = &state->contents;
    if (contents->installer && !request->preview && state->problems == 0) {
        PackIssues issues;
        PackPreviewMake(contents, &request->pictures.options, &issues);
        Show(state, &issues);
    }
    WriteHead(request, state);
    for (Blob &slide : contents->slides) {
        Put(request, &slide, state);
        BlobFree(&slide);
    }
    contents->slides.clear();
}

// Counts a good slide: the memory the saver will hold and the closing summary.
static void CountSlide(const Blob *slide, const std::string &path, PackBuildState *state)
{
    PictureSummary *summary = &state->summary;
    if (summary->slides < SLIDE_SLOTS)
        state->slideBytes += slide->size;
    summary->slides++;
    if (slide->size > summary->largestSize) {
        summary->largestSize = slide->size;
        summary->largestName = path;
    }
}

// Takes one converted picture, in the order the output holds them: the preview and the logo
// first, then each slide, written at once unless it waits for the preview collage.
static void TakeJob(const PackRequest *request, PictureJob *job, int slideCount,
                    PackBuildState *state)
{
    PackContents *contents = &state->contents;
    if (job->role == PICTURE_PREVIEW) {
        TakePicture(job, &contents->preview, state);
        return;
    }
    if (job->role == PICTURE_LOGO) {
        TakePicture(job, &contents->logo, state);
        return;
    }
    state->slidesTaken++;
    Blob slide;
    BlobInit(&slide);
    int problems = state->problems;
    TakePicture(job, &slide, state);
    if (state->problems == problems)
        CountSlide(&slide, job->path, state);
    if (!Writing(state)) {
        BlobFree(&slide); // nothing more is written; the rest is still checked
    } else if (state->headWritten) {
        Put(request, &slide, state);
        BlobFree(&slide);
    } else {
        contents->slides.push_back(slide);
    }
    int collage = contents->installer && !request->preview ? COLLAGE_SLIDES : 0;
    if (!state->headWritten && (state->slidesTaken >= collage || state->slidesTaken == slideCount))
        WriteHeld(request, state);
}

// Reads and checks every input, writing the output as it goes; state->problems counts what is
// wrong.
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
    OpenOutput(request, state);

    std::vector<PictureJob> jobs;
    if (request->preview)
        jobs.push_back(PictureJobFor(request->preview, PICTURE_PREVIEW));
    if (request->logo)
        jobs.push_back(PictureJobFor(request->logo, PICTURE_LOGO));
    size_t firstSlide = jobs.size();
    for (const std::string &path : SlidePaths(request, state))
        jobs.push_back(PictureJobFor(path, PICTURE_SLIDE));
    int slideCount = (int)(jobs.size() - firstSlide);
    if (!request->logo)
        PackLogoDefault(&contents->logo);
    LoadPictures(&jobs, &request->pictures, request->workers ? request->workers : DefaultWorkers(),
                 [&](PictureJob *job) { TakeJob(request, job, slideCount, state); });
    if (!state->headWritten)
        WriteHeld(request, state);
    FreePictureJobs(&jobs);
}

// Ends the output: the end record, then the rename into place; without problems only.
static int FinishOutput(const PackRequest *request, PackBuildState *state)
{
    if (!state->out)
        return 0;
    if (Writing(state) && !PackWriteEnd(&state->writer))
        WriteFailed(request, state);
    errno = 0;
    if (fclose(state->out) != 0 && state->problems == 0)
        WriteFailed(request, state);
    state->out = nullptr;
    int ok = state->problems == 0;
    if (ok && rename(state->temporary.c_str(), request->output) != 0) {
        Problem(state, "%s: %s", request->output, strerror(errno));
        ok = 0;
    }
    if (!ok)
        remove(state->temporary.c_str());
    return ok;
}

// The closing lines: slides, payload and largest picture, then the memory the saver holds.
static void PrintOutcome(const PackRequest *request, const PackBuildState *state, uint64_t memory)
{
    const PackContents *contents = &state->contents;
    PictureSummary summary = state->summary;
    const Blob *pictures[] = {&contents->preview, &contents->logo};
    const char *names[] = {request->preview ? request->preview : "the preview collage",
                           request->logo ? request->logo : "the blank logo"};
    for (int i = request->installer ? 0 : 1; i < 2; i++) {
        if (pictures[i]->size > summary.largestSize) {
            summary.largestSize = pictures[i]->size;
            summary.largestName = names[i];
        }
    }
    long long payload = (long long)state->writer.written - (long long)contents->image.size;
    PrintPictureSummary(&summary, payload);
    int shown = summary.slides < SLIDE_SLOTS ? summary.slides : SLIDE_SLOTS;
    printf("the saver will hold %s in memory: options, logo and %d slide%s\n",
           MemoryText(memory).c_str(), shown, shown == 1 ? "" : "s");
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
    // Every slide has been written and let go: the options, the logo and what was counted.
    uint64_t memory = PackContentsMemory(contents) + state.slideBytes;
    PackIssues issues;
    PackMemoryCheck(memory, &issues);
    Show(&state, &issues);

    int ok = FinishOutput(&request, &state);
    if (!ok) {
        PackError("%d problem%s found; %s not written", state.problems,
                  state.problems == 1 ? "" : "s", request.output);
    } else {
        PrintOutcome(&request, &state, memory);
        PackMemoryBudgetCheck(memory, &issues);
        PackIssuesShow(&issues);
    }
    PackContentsFree(contents);
    return ok ? 0 : 1;
}
