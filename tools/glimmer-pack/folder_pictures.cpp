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

// Why a folder entry is no slide, or "" when its first bytes name a picture format. *problem is
// set when the entry is named like a picture but holds none: a damaged or renamed photo must
// not drop out of the saver unnoticed.
static std::string SkipReason(const std::string &path, int *problem)
{
    *problem = 0;
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return strerror(errno);
    if (S_ISDIR(info.st_mode))
        return "a folder (folders inside are not searched)";
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    const char *named = PictureFormatNamed(path);
    std::string like = named ? std::string("named like ") + named + " picture, but " : "";
    *problem = named != nullptr;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return like + "it cannot be read: " + strerror(errno);
    unsigned char magic[MAGIC_BYTES];
    size_t got = fread(magic, 1, sizeof magic, file);
    fclose(file);
    if (got == 0)
        return named ? like + "it is empty (a damaged file)" : "empty file";
    if (PhotoDetectFormat(magic, got) == PHOTO_FORMAT_UNKNOWN)
        return named ? like + "its first bytes are no picture format this tool reads (a damaged "
                              "or renamed file)"
                     : "not a picture (its first bytes are no JPEG, PNG, WebP, HEIF, GIF or BMP)";
    *problem = 0;
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
        int problem = 0;
        std::string reason = SkipReason(path, &problem);
        if (reason.empty())
            pictures->push_back(path);
        else
            skipped->push_back({path, reason, problem});
    }
    return 1;
}
