// Folders of pictures given to glimmer-pack, listed in name order.
#pragma once

#include <string>
#include <vector>

// A folder entry left out of the slides, and why.
struct SkippedFile {
    std::string path;
    std::string reason;
    int problem; // 1: named like a picture (.jpg, .png, ...) but holding none, a problem
};

// The picture files of a folder in name order (see NameOrderLess in pack_inputs.h), without looking
// into subfolders; a file is a picture by its first bytes, whatever its name. Other entries go to
// skipped, those named like pictures (PictureFormatNamed) marked as problems. 0 with a reason when
// the folder itself cannot be read.
int ListFolderPictures(const char *folder, std::vector<std::string> *pictures,
                       std::vector<SkippedFile> *skipped, std::string *error);
