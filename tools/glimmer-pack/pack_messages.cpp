// Message lines of glimmer-pack; each is written with one call so that lines from the picture
// workers never interleave.
#include "pack_messages.h"

#include <stdarg.h>
#include <stdio.h>
#include <string>

static void Say(const char *lead, const char *format, va_list arguments)
{
    char text[2048];
    vsnprintf(text, sizeof text, format, arguments);
    std::string line = std::string("glimmer-pack: ") + lead + text + "\n";
    fputs(line.c_str(), stderr);
}

int PackError(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    Say("", format, arguments);
    va_end(arguments);
    return 0;
}

int PackErrorList(const char *format, va_list arguments)
{
    Say("", format, arguments);
    return 0;
}

void PackWarning(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    Say("warning: ", format, arguments);
    va_end(arguments);
}

void PackNote(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    Say("", format, arguments);
    va_end(arguments);
}

int PackIssuesShow(PackIssues *issues)
{
    int problems = 0;
    for (const PackIssue &issue : *issues) {
        std::string line = "glimmer-pack: ";
        if (issue.severity == PACK_WARNING)
            line += "warning: ";
        if (!issue.label.empty())
            line += issue.label + ": ";
        line += issue.text + "\n";
        fputs(line.c_str(), stderr);
        problems += issue.severity == PACK_PROBLEM;
    }
    issues->clear();
    return problems;
}
