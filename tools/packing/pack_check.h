// Checking an installer or an installed saver file held in memory: each record in its place,
// each picture drawable on Windows 95, the engine variant it carries, and the memory the saver
// will hold.
#pragma once

#include <stddef.h>
#include <string>
#include <vector>
#include "pack_issues.h"

// One line of the report ("OFFSET KIND SIZE ROLE DESCRIPTION", or the image or the memory) and
// what is wrong with it.
struct PackCheckLine {
    std::string text;
    std::vector<std::string> problems;
    std::vector<std::string> warnings;
};

struct PackCheckReport {
    int installer; // 1 for an installer, 0 for a saver file
    std::vector<PackCheckLine> lines;
    int problems; // counted over every line
    int warnings;
};

// Checks the whole file. 1 with the report filled in (the file may still have problems: see
// report->problems); 0 with a problem labelled label when it is no container or a record
// cannot be read.
int PackCheckBytes(const unsigned char *file, size_t size, const std::string &label,
                   PackCheckReport *report, PackIssues *issues);
