// pestub FILE: the post-link step that gives a Windows executable the project's DOS header and
// stub and moves its PE headers to offset 256. The file is replaced only when all went well.
#include <stdio.h>
#include <string>
#include <vector>
#include "file_util.h"
#include "pestub_core.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: pestub FILE.exe\n");
        return 2;
    }
    std::vector<unsigned char> image;
    std::string error;
    if (!ReadWholeFile(argv[1], &image, &error)) {
        fprintf(stderr, "pestub: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    if (!PeRewriteStub(&image, &error)) {
        fprintf(stderr, "pestub: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    if (!WriteWholeFile(argv[1], image, &error)) {
        fprintf(stderr, "pestub: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    return 0;
}
