// What the packing library has to say about its inputs: problems that stop a build, warnings
// that do not, and notes on what was done on the user's behalf. Each front end shows them in
// its own way; the library never prints.
#pragma once

#include <string>
#include <vector>

enum PackSeverity { PACK_PROBLEM, PACK_WARNING, PACK_NOTE };

struct PackIssue {
    std::string label; // the input it concerns (a file name), or "" for the build as a whole
    std::string text;  // the reason without the label; further lines start with two blanks
    PackSeverity severity;
};

typedef std::vector<PackIssue> PackIssues;

// Appends one issue with a printf-style text. Returns 0, so that a failing step can end with
// return PackIssueAdd(...).
int PackIssueAdd(PackIssues *issues, PackSeverity severity, const std::string &label,
                 const char *format, ...) __attribute__((format(printf, 4, 5)));
// Issues of one severity in the list.
int PackIssueCount(const PackIssues *issues, PackSeverity severity);
