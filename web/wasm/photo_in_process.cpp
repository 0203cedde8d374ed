// Decoding in the calling process, for WebAssembly, which has no processes to fork: the
// WebAssembly build links this file in place of the child-process one.
//
// Where a child would have ended on a library's abort, the module ends instead; the page runs
// it in a worker of its own and starts a new one. The checks made before libheif decodes a
// file run here all the same.
#include "photo_internal.h"

int PhotoDecodeInChild(PhotoDecoder decode, const char *format, const unsigned char *data,
                       size_t size, PhotoImage *image, PhotoInfo *info, std::string *error)
{
    std::string reason;
    int ok = decode(data, size, image, info, &reason);
    // The same test the parent makes of a child's answer.
    if (ok && image->rgb.size() != (size_t)image->width * image->height * 3) {
        ok = 0;
        reason = std::string("cannot decode ") + format + ": decoder gave no usable picture";
    }
    if (!ok) {
        *error = reason.empty() ? std::string("cannot decode ") + format +
                                      ": decoder gave no reason"
                                : reason;
        image->width = 0;
        image->height = 0;
        image->rgb.clear();
    }
    return ok;
}
