// Finding the Windows images installed beside glimmer-pack.
#include "installed_images.h"

#include <limits.h>
#include <unistd.h>

const char INSTALLED_SETUP[] = "setup.exe";
const char INSTALLED_ENGINE[] = "glimmer-carried.exe";

std::string ToolPath()
{
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return "";
    return std::string(buffer, (size_t)length);
}

// The folder part of a path, without its trailing slash; "." for a bare name.
static std::string FolderOf(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::vector<std::string> InstalledImageFolders(const std::string &toolPath)
{
    std::string folder = FolderOf(toolPath);
    return {FolderOf(folder) + "/share/glimmer", folder + "/share/glimmer"};
}

int FindInstalledImage(const char *name, const std::vector<std::string> &folders, std::string *path,
                       std::string *error)
{
    std::string tried;
    for (const std::string &folder : folders) {
        std::string candidate = folder + "/" + name;
        if (access(candidate.c_str(), R_OK) == 0) {
            *path = candidate;
            return 1;
        }
        tried += (tried.empty() ? "" : ", ") + folder;
    }
    *error = std::string("no ") + name + " installed with glimmer-pack (looked in " + tried + ")";
    return 0;
}
