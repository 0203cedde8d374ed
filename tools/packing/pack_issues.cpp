// Collecting the packing library's problems, warnings and notes.
#include "pack_issues.h"

#include <stdarg.h>
#include <stdio.h>

int PackIssueAdd(PackIssues *issues, PackSeverity severity, const std::string &label,
                 const char *format, ...)
{
    char text[2048];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    issues->push_back({label, text, severity});
    return 0;
}

int PackIssueCount(const PackIssues *issues, PackSeverity severity)
{
    int count = 0;
    for (const PackIssue &issue : *issues)
        count += issue.severity == severity;
    return count;
}
