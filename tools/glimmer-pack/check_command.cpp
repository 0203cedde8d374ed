// glimmer-pack check: reads the file and prints the packing library's report on it, line by
// line with its problems and warnings.
#include "check_command.h"

#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

#include "container_file.h"
#include "pack_check.h"
#include "pack_messages.h"

void PackCheckHelp()
{
    printf("usage: glimmer-pack check FILE\n"
           "\n"
           "Reads an installer or an installed saver file and says, record by record, whether\n"
           "each is where it belongs and whether each picture is drawable on Windows 95; names\n"
           "the engine variant it carries and the memory the saver will hold. Exits with 1\n"
           "when anything is wrong, 0 otherwise (warnings included).\n");
}

static int CheckFile(const char *path)
{
    std::vector<unsigned char> file;
    if (!ReadContainerFile(path, &file))
        return 0;
    PackCheckReport report;
    PackIssues issues;
    if (!PackCheckBytes(file.data(), file.size(), path, &report, &issues)) {
        PackIssuesShow(&issues);
        return 0;
    }
    printf("%s: %s\n", path, report.installer ? "an installer" : "a saver file");
    for (const PackCheckLine &line : report.lines) {
        printf("%s: %s\n", line.text.c_str(),
               line.problems.empty() && line.warnings.empty() ? "ok" : "");
        for (const std::string &problem : line.problems)
            printf("    problem: %s\n", problem.c_str());
        for (const std::string &warning : line.warnings)
            printf("    warning: %s\n", warning.c_str());
    }
    printf("%s: %d problem%s, %d warning%s\n", path, report.problems,
           report.problems == 1 ? "" : "s", report.warnings, report.warnings == 1 ? "" : "s");
    return report.problems == 0;
}

int PackCheck(int argc, char **argv)
{
    if (argc == 1 && (!strcmp(argv[0], "--help") || !strcmp(argv[0], "-h"))) {
        PackCheckHelp();
        return 0;
    }
    if (argc != 1) {
        PackError("check takes one file (glimmer-pack check --help)");
        return 2;
    }
    return CheckFile(argv[0]) ? 0 : 1;
}
