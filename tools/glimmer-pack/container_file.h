// Reading an installer or a saver file whole for list, extract and check.
#pragma once

#include <stdint.h>
#include <functional>
#include <vector>
#include "blob.h"

// Reads the file's bytes; a file that opens but cannot be read (a folder) gives none, which
// the container walk then names as no container. 0 after saying why it cannot be opened.
int ReadContainerFile(const char *path, std::vector<unsigned char> *bytes);
// Reads the file and walks its records (see PackContainerWalk); 0 after saying what is wrong.
int WalkContainerFile(const char *path, const std::function<int(uint64_t, const Blob *)> &visit);
