// Reading an installer or a saver file held in memory record by record, with a reason for the
// user when it is damaged.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <functional>
#include <string>
#include "blob.h"
#include "pack_issues.h"

// "End", "Text", "Dib", "Executable", or "?" for a kind the format does not define.
const char *KindName(uint16_t kind);

// Calls visit(payloadOffset, nullptr) first, then visit(offset, record) for each record up to
// and including the end record; the record is valid during the call only. Stops with 0 when
// visit returns 0. When the bytes are no container or a record cannot be read, adds a problem
// labelled label and returns 0; 1 when the container is whole.
int PackContainerWalk(const unsigned char *data, size_t size, const std::string &label,
                      const std::function<int(uint64_t, const Blob *)> &visit, PackIssues *issues);
