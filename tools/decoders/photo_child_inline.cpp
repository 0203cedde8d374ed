// Decoding in the calling process, for builds that cannot start a child process (WebAssembly
// in a browser worker). A build compiles this file instead of photo_child.cpp; a decoder that
// aborts then ends that whole process, which a browser worker survives as a lost worker.
#include "photo_internal.h"

int PhotoDecodeInChild(PhotoDecoder decode, const char *format, const unsigned char *data,
                       size_t size, PhotoImage *image, PhotoInfo *info, std::string *error)
{
    int ok = decode(data, size, image, info, error);
    if (ok && image->rgb.size() != (size_t)image->width * image->height * 3) {
        ok = 0;
        *error = std::string("cannot decode ") + format + ": decoder gave no usable picture";
    }
    if (!ok) {
        image->width = 0;
        image->height = 0;
        image->rgb.clear();
    }
    return ok;
}
