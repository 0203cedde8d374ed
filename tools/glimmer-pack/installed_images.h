// The setup and engine images installed with glimmer-pack, which it packs unless given others.
#pragma once

#include <string>
#include <vector>

// File names of the Windows images installed with glimmer-pack.
extern const char INSTALLED_SETUP[];  // "setup.exe", the installer without a payload
extern const char INSTALLED_ENGINE[]; // "glimmer-carried.exe", the engine it carries

// The folders searched for the installed images, nearest first: share/glimmer beside the
// tool's own folder's parent (an installed prefix: bin/ and share/glimmer/) and share/glimmer
// inside the tool's folder (dist/). toolPath is the tool's own file.
std::vector<std::string> InstalledImageFolders(const std::string &toolPath);
// The tool's own file, from /proc/self/exe; "" when it cannot be had.
std::string ToolPath();
// The first of the folders that holds name; 0 with a reason naming the folders tried.
int FindInstalledImage(const char *name, const std::vector<std::string> &folders, std::string *path,
                       std::string *error);
