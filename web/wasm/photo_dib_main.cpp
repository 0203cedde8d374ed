// photo-dib: one picture file in, the Dib bytes the photo import makes of it out. Built
// natively and to WebAssembly from the same source, so that the two builds can be compared.
//   photo-dib [--bits 8|24] [--size WxH] [--heap] IN OUT
// Exit status 0 with OUT written, or 1 with "IN: reason" on standard error. --heap prints the
// WebAssembly memory's size and bound after the run ("heap BYTES of MAX"); natively it prints
// nothing.
#include "photo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifdef __EMSCRIPTEN__
#include <emscripten/heap.h>
#endif

static int Usage()
{
    fprintf(stderr, "usage: photo-dib [--bits 8|24] [--size WxH] [--heap] IN OUT\n");
    return 2;
}

static int WriteFile(const char *path, const std::vector<unsigned char> &bytes)
{
    FILE *f = fopen(path, "wb");
    if (!f)
        return 0;
    int ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

static void PrintHeap()
{
#ifdef __EMSCRIPTEN__
    printf("heap %zu of %zu\n", emscripten_get_heap_size(), emscripten_get_heap_max());
#endif
}

int main(int argc, char **argv)
{
    PhotoOptions options;
    PhotoOptionsInit(&options);
    int heap = 0, i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; i++) {
        if (strcmp(argv[i], "--heap") == 0) {
            heap = 1;
        } else if (strcmp(argv[i], "--bits") == 0 && i + 1 < argc) {
            options.bits = atoi(argv[++i]);
        } else if (strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            if (sscanf(argv[++i], "%dx%d", &options.boxWidth, &options.boxHeight) != 2)
                return Usage();
        } else {
            return Usage();
        }
    }
    if (argc - i != 2)
        return Usage();
    const char *in = argv[i], *out = argv[i + 1];
    std::string error;
    if (!PhotoOptionsCheck(&options, &error)) {
        fprintf(stderr, "photo-dib: %s\n", error.c_str());
        return 2;
    }
    std::vector<unsigned char> data, dib;
    int ok = PhotoReadFile(in, &data, &error) &&
             PhotoMakeDibFromMemory(data.data(), data.size(), &options, &dib, nullptr, &error);
    if (ok && !WriteFile(out, dib)) {
        error = std::string("cannot write ") + out;
        ok = 0;
    }
    if (!ok)
        fprintf(stderr, "%s: %s\n", in, error.c_str());
    if (heap)
        PrintHeap();
    return ok ? 0 : 1;
}
