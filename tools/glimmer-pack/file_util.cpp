// Whole-file reads and all-or-nothing writes for the host tools.
#include "file_util.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int ReadWholeFile(const char *path, std::vector<unsigned char> *bytes, std::string *error)
{
    FILE *file = fopen(path, "rb");
    if (!file) {
        *error = strerror(errno);
        return 0;
    }
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        fclose(file);
        *error = "not a regular file";
        return 0;
    }
    bytes->resize((size_t)info.st_size);
    size_t got = bytes->empty() ? 0 : fread(bytes->data(), 1, bytes->size(), file);
    int failed = ferror(file);
    fclose(file);
    if (failed || got != bytes->size()) {
        *error = "read error";
        return 0;
    }
    return 1;
}

std::string TemporaryPathFor(const char *path)
{
    return std::string(path) + ".tmp" + std::to_string((long)getpid());
}

int WriteWholeFile(const char *path, const std::vector<unsigned char> &bytes, std::string *error)
{
    std::string temporary = TemporaryPathFor(path);
    FILE *file = fopen(temporary.c_str(), "wb");
    if (!file) {
        *error = strerror(errno);
        return 0;
    }
    size_t put = bytes.empty() ? 0 : fwrite(bytes.data(), 1, bytes.size(), file);
    int failed = put != bytes.size();
    failed |= fclose(file) != 0;
    if (!failed)
        failed = rename(temporary.c_str(), path) != 0;
    if (failed) {
        *error = strerror(errno ? errno : EIO);
        remove(temporary.c_str());
        return 0;
    }
    return 1;
}
