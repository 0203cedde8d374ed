// glimmer-pack: builds an installer (a stamped setup image followed by the saver's records) or a
// ready saver file from pictures, and lists or extracts the records of either.
//
//   glimmer-pack build -o OUT.exe --setup SETUP.exe --engine ENGINE.exe --name NAME
//       --preview PREVIEW.bmp --options DV --logo LOGO.bmp SLIDE.bmp...
//   glimmer-pack saver -o OUT.scr --engine ENGINE.exe --options DV --logo LOGO.bmp SLIDE.bmp...
//   glimmer-pack list FILE
//   glimmer-pack extract FILE DIR
//
// Outputs are written under a temporary name and renamed into place only when complete.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <string>
#include <vector>

#include "blob.h"
#include "dib.h"
#include "file_util.h"
#include "message.h"
#include "pack_pictures.h"
#include "payload.h"
#include "text.h"

static const size_t MAX_ADDRESS = 127; // characters of web address the engine keeps
static const int MAX_SLIDES = 100;     // slides the engine shows

struct PackRequest {
    const char *output = nullptr;
    const char *setup = nullptr;
    const char *engine = nullptr;
    const char *name = nullptr;
    const char *preview = nullptr;
    const char *options = nullptr;
    const char *logo = nullptr;
    std::vector<const char *> slides;
    PictureOptions pictures;
};

static void Usage()
{
    fprintf(stderr,
            "usage:\n"
            "  glimmer-pack build -o OUT.exe --setup SETUP.exe --engine ENGINE.exe --name NAME\n"
            "      --preview PREVIEW --options TEXT --logo LOGO [picture options] SLIDE...\n"
            "  glimmer-pack saver -o OUT.scr --engine ENGINE.exe --options TEXT --logo LOGO\n"
            "      [picture options] SLIDE...\n"
            "  glimmer-pack list FILE\n"
            "  glimmer-pack extract FILE DIR\n"
            "%s",
            PicturesUsage());
}

static int Error(const char *format, const char *a = "", const char *b = "")
{
    fprintf(stderr, "glimmer-pack: ");
    fprintf(stderr, format, a, b);
    fprintf(stderr, "\n");
    return 0;
}

// Parses the options of build and saver; 0 after printing what is wrong.
static int ParseRequest(int argc, char **argv, int needInstaller, PackRequest *request)
{
    for (int i = 0; i < argc; i++) {
        const char *arg = argv[i];
        const char **target = nullptr;
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
                return Error("%s needs a value", arg);
            *target = argv[++i];
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
            return Error("unknown option %s", arg);
        request->slides.push_back(arg);
    }
    if (!request->output || !request->engine || !request->options || !request->logo)
        return Error("-o, --engine, --options and --logo are required");
    if (needInstaller && (!request->setup || !request->name || !request->preview))
        return Error("build also needs --setup, --name and --preview");
    if (!needInstaller && (request->setup || request->name || request->preview))
        return Error("saver takes no --setup, --name or --preview");
    if (request->slides.empty())
        return Error("no slide pictures given");
    if (request->pictures.maxSlides > MAX_SLIDES)
        return Error("--max-slides %s is more than the %s slides the saver shows",
                     std::to_string(request->pictures.maxSlides).c_str(), "100");
    if (request->pictures.maxSlides > 0) {
        if ((int)request->slides.size() > request->pictures.maxSlides)
            request->slides.resize(request->pictures.maxSlides);
    } else if ((int)request->slides.size() > MAX_SLIDES) {
        return Error("%s slides given, but the saver shows at most %s (use --max-slides N to "
                     "keep the first N)",
                     std::to_string(request->slides.size()).c_str(), "100");
    }
    return 1;
}

// The saver name must pass the installer's own rule, so that what it shows can be installed.
static int CheckName(const char *name)
{
    if (strlen(name) >= (size_t)SAVER_NAME_CAPACITY)
        return Error("the name \"%s\" is longer than %s characters", name, "79");
    if (*name && (IsBlank(name[0]) || IsBlank(name[strlen(name) - 1])))
        return Error("the name \"%s\" starts or ends with a blank", name);
    if (ValidateSaverName(name)) {
        std::string reason = AppMessage.text ? AppMessage.text : "refused";
        for (char &c : reason)
            if (c == '\n')
                c = ' ';
        ClearMessage(&AppMessage);
        return Error("the name \"%s\" is refused: %s", name, reason.c_str());
    }
    return 1;
}

static int CheckOptions(const char *options)
{
    size_t length = strlen(options);
    if (length > 2 + MAX_ADDRESS)
        return Error("the options text \"%s\" holds an address longer than %s characters", options,
                     "127");
    return 1;
}

static int LoadExecutable(const char *path, Blob *blob)
{
    if (BlobLoadExecutableFile(blob, path))
        return 1;
    struct stat info;
    if (stat(path, &info) != 0)
        return Error("%s: %s", path, strerror(errno));
    return Error("%s: not an unstamped Windows executable (no long DOS stub message at 80)", path);
}

// LoadPicture, saying which file failed and why.
static int LoadNamedPicture(const char *path, PictureRole role, const PictureOptions *options,
                            Blob *blob, PictureSummary *summary)
{
    std::string reason;
    if (LoadPicture(path, role, options, blob, summary, &reason))
        return 1;
    return Error("%s: %s", path, reason.c_str());
}

// Writes one record, closing the stream on failure.
static int Put(const Blob *blob, FILE *out, const char *path)
{
    if (PayloadWriteRecord(blob, out))
        return 1;
    return Error("%s: write error", path);
}

// Writes the installer or the saver file; 1 when every byte reached the temporary file.
static int WriteContainer(const PackRequest *request, FILE *out, const char *path)
{
    Blob image, record;
    BlobInit(&image);
    BlobInit(&record);
    int ok = 0;
    Blob pictures[2];
    BlobInit(&pictures[0]);
    BlobInit(&pictures[1]);
    PictureSummary summary = {};

    if (request->setup) {
        if (!LoadExecutable(request->setup, &image) || !LoadExecutable(request->engine, &record))
            goto done;
        if (!PayloadWriteExecutable(&image, out)) {
            Error("%s: write error", path);
            goto done;
        }
        BlobSetText(&pictures[0], request->name);
        if (!Put(&pictures[0], out, path))
            goto done;
        if (!LoadNamedPicture(request->preview, PICTURE_PREVIEW, &request->pictures, &pictures[1],
                              &summary) ||
            !Put(&pictures[1], out, path) || !Put(&record, out, path))
            goto done;
    } else {
        if (!LoadExecutable(request->engine, &image))
            goto done;
        BlobPatchSubsystemVersion(&image);
        if (!PayloadWriteExecutable(&image, out)) {
            Error("%s: write error", path);
            goto done;
        }
    }
    BlobSetText(&record, request->options);
    if (!Put(&record, out, path))
        goto done;
    if (!LoadNamedPicture(request->logo, PICTURE_LOGO, &request->pictures, &record, &summary) ||
        !Put(&record, out, path))
        goto done;
    for (const char *slide : request->slides) {
        if (!LoadNamedPicture(slide, PICTURE_SLIDE, &request->pictures, &record, &summary) ||
            !Put(&record, out, path))
            goto done;
    }
    BlobFree(&record);
    ok = Put(&record, out, path);
    if (ok)
        PrintPictureSummary(&request->pictures, &summary,
                            (long long)ftell(out) - (long long)image.size);
done:
    BlobFree(&image);
    BlobFree(&record);
    BlobFree(&pictures[0]);
    BlobFree(&pictures[1]);
    return ok;
}

static int Pack(int argc, char **argv, int needInstaller)
{
    PackRequest request;
    SetDefaultPictureOptions(&request.pictures);
    if (!ParseRequest(argc, argv, needInstaller, &request))
        return 0;
    if (request.name && !CheckName(request.name))
        return 0;
    if (!CheckOptions(request.options))
        return 0;
    std::string temporary = TemporaryPathFor(request.output);
    FILE *out = fopen(temporary.c_str(), "wb");
    if (!out)
        return Error("%s: %s", request.output, strerror(errno));
    int ok = WriteContainer(&request, out, request.output);
    if (fclose(out) != 0 && ok)
        ok = Error("%s: write error", request.output);
    if (ok && rename(temporary.c_str(), request.output) != 0)
        ok = Error("%s: %s", request.output, strerror(errno));
    if (!ok)
        remove(temporary.c_str());
    return ok;
}

static const char *KindName(uint16_t kind)
{
    static const char *names[] = {"End", "Text", "Dib", "Executable"};
    return kind < 4 ? names[kind] : "?";
}

// Says why the record at offset could not be read; the reader itself only answers 0.
static void DiagnoseRecord(const char *path, uint64_t offset)
{
    char where[64];
    snprintf(where, sizeof where, "%llu", (unsigned long long)offset);
    FILE *file = fopen(path, "rb");
    unsigned char header[RECORD_HEADER_SIZE];
    if (!file || fseek(file, (long)offset, SEEK_SET) != 0 ||
        fread(header, 1, sizeof header, file) != sizeof header) {
        if (file)
            fclose(file);
        Error("%s: the file ends inside the record header at offset %s (no end record)", path,
              where);
        return;
    }
    fseek(file, 0, SEEK_END);
    long long length = ftell(file);
    fclose(file);
    uint16_t kind = ReadLe16(header);
    uint32_t size = ReadLe32(header + 2);
    char detail[128];
    if (kind > 3) {
        snprintf(detail, sizeof detail, "unknown record kind %u", kind);
    } else if (kind == 0) {
        snprintf(detail, sizeof detail, "end record with size %lu", (unsigned long)size);
    } else {
        snprintf(detail, sizeof detail, "%s record of %lu bytes but only %lld bytes follow",
                 KindName(kind), (unsigned long)size,
                 length - (long long)offset - (long long)RECORD_HEADER_SIZE);
    }
    Error("%s: damaged container at offset %s", path, where);
    fprintf(stderr, "  %s\n", detail);
}

// Walks the container, calling visit for each record before the end record; 1 when it is whole.
template <typename Visit> static int WalkContainer(const char *path, Visit visit)
{
    if (!PayloadOpen(path)) {
        struct stat info;
        if (stat(path, &info) != 0)
            return Error("%s: %s", path, strerror(errno));
        return Error("%s: not a container (no stamped stub message and payload offset)", path);
    }
    FILE *file = fopen(path, "rb");
    unsigned char head[PAYLOAD_OFFSET_FIELD + 4] = {};
    if (!file || fread(head, 1, sizeof head, file) != sizeof head) {
        if (file)
            fclose(file);
        PayloadClose();
        return Error("%s: cannot be read", path);
    }
    fclose(file);
    uint64_t offset = ReadLe32(head + PAYLOAD_OFFSET_FIELD);
    visit(offset, (const Blob *)nullptr);
    Blob blob;
    BlobInit(&blob);
    for (;;) {
        if (!PayloadReadNext(&blob)) {
            DiagnoseRecord(path, offset);
            return 0;
        }
        if (blob.kind == BlobKind::End) {
            visit(offset, &blob);
            break;
        }
        if (!visit(offset, &blob)) {
            BlobFree(&blob);
            PayloadClose();
            return 0;
        }
        offset += RECORD_HEADER_SIZE + (uint64_t)blob.size;
    }
    BlobFree(&blob);
    PayloadClose();
    return 1;
}

static int List(const char *path)
{
    return WalkContainer(path, [](uint64_t offset, const Blob *blob) {
        if (!blob) {
            printf("payload offset %llu\n", (unsigned long long)offset);
            return 1;
        }
        printf("%llu %s %lu", (unsigned long long)offset, KindName((uint16_t)blob->kind),
               (unsigned long)blob->size);
        DibLayout layout;
        if (blob->kind == BlobKind::Dib) {
            if (DibParseBlob(blob, &layout))
                printf(" %dx%dx%d", layout.width, layout.height, layout.bitCount);
            else
                printf(" malformed");
        }
        printf("\n");
        return 1;
    });
}

// Writes one extracted record; a Dib gets its BMP file header back.
static int ExtractRecord(const char *dir, int index, const Blob *blob)
{
    static const char *extensions[] = {"", "txt", "bmp", "exe"};
    char name[64];
    snprintf(name, sizeof name, "/%02d-%s.%s", index, KindName((uint16_t)blob->kind),
             extensions[(int)blob->kind]);
    std::string path = std::string(dir) + name;
    std::vector<unsigned char> bytes;
    if (blob->kind == BlobKind::Dib) {
        DibLayout layout;
        uint32_t bits = DibParseBlob(blob, &layout) ? layout.rowsOffset : blob->size;
        bytes.resize(14);
        bytes[0] = 'B';
        bytes[1] = 'M';
        WriteLe32(&bytes[2], 14 + blob->size);
        WriteLe32(&bytes[10], 14 + bits);
    }
    size_t size = blob->size;
    if (blob->kind == BlobKind::Text && size > 0 && blob->data[size - 1] == 0)
        size--; // the text without its NUL
    if (size)
        bytes.insert(bytes.end(), blob->data, blob->data + size);
    std::string error;
    if (!WriteWholeFile(path.c_str(), bytes, &error))
        return Error("%s: %s", path.c_str(), error.c_str());
    printf("%s\n", path.c_str());
    return 1;
}

static int Extract(const char *path, const char *dir)
{
    if (!WalkContainer(path, [](uint64_t, const Blob *) { return 1; }))
        return 0;
    if (mkdir(dir, 0777) != 0 && errno != EEXIST)
        return Error("%s: %s", dir, strerror(errno));
    int index = 0;
    return WalkContainer(path, [&](uint64_t, const Blob *blob) {
        if (!blob || blob->kind == BlobKind::End)
            return 1;
        return ExtractRecord(dir, index++, blob);
    });
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        Usage();
        return 2;
    }
    const char *command = argv[1];
    int ok;
    if (!strcmp(command, "build"))
        ok = Pack(argc - 2, argv + 2, 1);
    else if (!strcmp(command, "saver"))
        ok = Pack(argc - 2, argv + 2, 0);
    else if (!strcmp(command, "list") && argc == 3)
        ok = List(argv[2]);
    else if (!strcmp(command, "extract") && argc == 4)
        ok = Extract(argv[2], argv[3]);
    else {
        Usage();
        return 2;
    }
    return ok ? 0 : 1;
}
