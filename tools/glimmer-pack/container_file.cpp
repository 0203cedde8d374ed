// Reading an installer or a saver file whole for list, extract and check.
#include "container_file.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include "pack_container.h"
#include "pack_messages.h"

int ReadContainerFile(const char *path, std::vector<unsigned char> *bytes)
{
    bytes->clear();
    FILE *file = fopen(path, "rb");
    if (!file)
        return PackError("%s: %s", path, strerror(errno));
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + got);
    fclose(file);
    return 1;
}

int WalkContainerFile(const char *path, const std::function<int(uint64_t, const Blob *)> &visit)
{
    std::vector<unsigned char> bytes;
    if (!ReadContainerFile(path, &bytes))
        return 0;
    PackIssues issues;
    int whole = PackContainerWalk(bytes.data(), bytes.size(), path, visit, &issues);
    PackIssuesShow(&issues);
    return whole;
}
