// Folders of pictures listed in name order.
#include "folder_pictures.h"

#include <algorithm>
#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "pack_inputs.h"
#include "photo.h"

// Bytes read from a folder entry to recognise a picture by its format.
static const size_t MAGIC_BYTES = 16;

// Why a folder entry is no slide, or "" when its first bytes name a picture format.
static std::string SkipReason(const std::string &path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return strerror(errno);
    if (S_ISDIR(info.st_mode))
        return "a folder (folders inside are not searched)";
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return std::string("cannot be read: ") + strerror(errno);
    unsigned char magic[MAGIC_BYTES];
    size_t got = fread(magic, 1, sizeof magic, file);
    fclose(file);
    if (got == 0)
        return "empty file";
    if (PhotoDetectFormat(magic, got) == PHOTO_FORMAT_UNKNOWN)
        return "not a picture (JPEG, PNG, WebP, HEIF, GIF or BMP, told by its contents)";
    return "";
}

int ListFolderPictures(const char *folder, std::vector<std::string> *pictures,
                       std::vector<SkippedFile> *skipped, std::string *error)
{
    DIR *directory = opendir(folder);
    if (!directory) {
        *error = strerror(errno);
        return 0;
    }
    std::vector<std::string> names;
    while (struct dirent *entry = readdir(directory)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end(), NameOrderLess);
    std::string base = folder;
    if (base.empty() || base.back() != '/')
        base += '/';
    for (const std::string &name : names) {
        std::string path = base + name;
        std::string reason = SkipReason(path);
        if (reason.empty())
            pictures->push_back(path);
        else
            skipped->push_back({path, reason});
    }
    return 1;
}
