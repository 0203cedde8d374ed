// glimmer-pack: builds an installer (a stamped setup image followed by the saver's records) or a
// ready saver file from pictures, lists, extracts or checks the records of either.
//
//   glimmer-pack build -o OUT.exe --name NAME [options] PICTURE|FOLDER...
//   glimmer-pack saver -o OUT.scr [options] PICTURE|FOLDER...
//   glimmer-pack list FILE
//   glimmer-pack extract FILE DIR
//   glimmer-pack check FILE
//   glimmer-pack --version
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <string>
#include <vector>

#include "blob.h"
#include "build_command.h"
#include "check_command.h"
#include "container_file.h"
#include "dib.h"
#include "file_util.h"
#include "pack_container.h"
#include "pack_messages.h"

static void Usage(FILE *out)
{
    fprintf(out, "Turns pictures into a self-installing screen saver for Windows 95 (build) or\n"
                 "into the saver file an install writes (saver); lists, extracts and checks the\n"
                 "records of either.\n"
                 "\n"
                 "usage:\n"
                 "  glimmer-pack build -o OUT.exe --name NAME [options] PICTURE|FOLDER...\n"
                 "  glimmer-pack saver -o OUT.scr [options] PICTURE|FOLDER...\n"
                 "  glimmer-pack list FILE\n"
                 "  glimmer-pack extract FILE DIR\n"
                 "  glimmer-pack check FILE\n"
                 "  glimmer-pack --version\n"
                 "glimmer-pack COMMAND --help describes each command and its options.\n");
}

static void ListHelp()
{
    printf("usage: glimmer-pack list FILE\n"
           "\n"
           "Prints the payload offset of an installer or a saver file, then one line per\n"
           "record: OFFSET KIND SIZE, and WIDTHxHEIGHTxBITS for a picture.\n");
}

static void ExtractHelp()
{
    printf("usage: glimmer-pack extract FILE DIR\n"
           "\n"
           "Writes each record of an installer or a saver file into DIR as NN-KIND.EXT:\n"
           "texts without their NUL, pictures as BMP files, executables as they are stored.\n");
}

static int List(const char *path)
{
    return WalkContainerFile(path, [](uint64_t offset, const Blob *blob) {
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
        return PackError("%s: %s", path.c_str(), error.c_str());
    printf("%s\n", path.c_str());
    return 1;
}

static int Extract(const char *path, const char *dir)
{
    if (!WalkContainerFile(path, [](uint64_t, const Blob *) { return 1; }))
        return 0;
    if (mkdir(dir, 0777) != 0 && errno != EEXIST)
        return PackError("%s: %s", dir, strerror(errno));
    int index = 0;
    return WalkContainerFile(path, [&](uint64_t, const Blob *blob) {
        if (!blob || blob->kind == BlobKind::End)
            return 1;
        return ExtractRecord(dir, index++, blob);
    });
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        Usage(stderr);
        return 2;
    }
    const char *command = argv[1];
    int help = argc == 3 && (!strcmp(argv[2], "--help") || !strcmp(argv[2], "-h"));
    if (!strcmp(command, "--help") || !strcmp(command, "-h") || !strcmp(command, "help")) {
        Usage(stdout);
        return 0;
    }
    if (!strcmp(command, "--version") && argc == 2) {
        printf("glimmer-pack %s\n", GLIMMER_VERSION);
        return 0;
    }
    if (!strcmp(command, "build"))
        return PackBuild(argc - 2, argv + 2, 1);
    if (!strcmp(command, "saver"))
        return PackBuild(argc - 2, argv + 2, 0);
    if (!strcmp(command, "check"))
        return PackCheck(argc - 2, argv + 2);
    if (!strcmp(command, "list") && help) {
        ListHelp();
        return 0;
    }
    if (!strcmp(command, "extract") && help) {
        ExtractHelp();
        return 0;
    }
    if (!strcmp(command, "list") && argc == 3)
        return List(argv[2]) ? 0 : 1;
    if (!strcmp(command, "extract") && argc == 4)
        return Extract(argv[2], argv[3]) ? 0 : 1;
    Usage(stderr);
    return 2;
}
