// Whole-file reads and all-or-nothing writes for the host tools.
#pragma once

#include <string>
#include <vector>

// Reads a regular file whole; 0 with a reason on failure.
int ReadWholeFile(const char *path, std::vector<unsigned char> *bytes, std::string *error);
// Writes into a temporary file beside path and renames it into place, so that a failure never
// leaves a half-written file under the name.
int WriteWholeFile(const char *path, const std::vector<unsigned char> &bytes, std::string *error);
// The temporary name used for path while it is being written.
std::string TemporaryPathFor(const char *path);
