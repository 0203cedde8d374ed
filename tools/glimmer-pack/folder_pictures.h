// Folders of pictures given to glimmer-pack, listed in name order.
#pragma once

#include <string>
#include <vector>

// A folder entry left out of the slides, and why.
struct SkippedFile {
    std::string path;
    std::string reason;
};

// The picture files of a folder in name order (see NameOrderLess in pack_inputs.h), without looking
// into subfolders. Entries that are no picture by their first bytes, or that cannot be read, go to
// skipped. 0 with a reason when the folder itself cannot be read.
int ListFolderPictures(const char *folder, std::vector<std::string> *pictures,
                       std::vector<SkippedFile> *skipped, std::string *error);
