// Reading a container record by record through the library's own reader, with a reason for the
// user when it is damaged.
#pragma once

#include <stdint.h>
#include <functional>
#include "blob.h"

// "End", "Text", "Dib", "Executable", or "?" for a kind the format does not define.
const char *KindName(uint16_t kind);

// Calls visit(payloadOffset, nullptr) first, then visit(offset, record) for each record up to
// and including the end record. Stops with 0 when visit returns 0; says on stderr why and
// returns 0 when the file is no container or a record cannot be read; 1 when it is whole.
int WalkContainer(const char *path, const std::function<int(uint64_t, const Blob *)> &visit);
