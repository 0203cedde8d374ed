// Runs a test program of the Win32 tests again, as a copy under another name, with a GoogleTest
// filter: a test can then look at a process from outside (its exit code, what it left behind),
// or run under a name or a path of its own choosing. The child writes an XML report, and the
// parent counts the tests in it, so a filter that matches nothing can never pass unnoticed.
#pragma once

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

struct ChildRun {
    DWORD exitCode; // the child's exit code; STILL_ACTIVE when it had to be stopped
    int testsRun;   // tests its report counts; -1 when it wrote no report
};

inline std::string ChildTempPath(const char *name)
{
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    return std::string(directory) + name;
}

// Copies this program into the temporary folder as name; the copy's path, or "" on failure.
inline std::string ChildCopy(const char *name)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string copy = ChildTempPath(name);
    return CopyFileA(self, copy.c_str(), FALSE) ? copy : std::string();
}

// The "tests" count of a GoogleTest XML report; -1 when there is no report.
inline int ChildReportTests(const std::string &report)
{
    FILE *f = fopen(report.c_str(), "rb");
    if (!f)
        return -1;
    char text[4096];
    size_t n = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    text[n] = '\0';
    const char *suites = strstr(text, "<testsuites");
    const char *tests = suites ? strstr(suites, " tests=\"") : nullptr;
    return tests ? atoi(tests + 8) : -1;
}

inline std::string ChildReportPath()
{
    return ChildTempPath("glimmer-child-report.xml");
}

// Starts program (any path that names it, a short one included) with the disabled tests
// enabled and the filter, and returns at once: 1 with the process, 0 when it did not start.
inline int ChildStartFiltered(const std::string &program, const std::string &filter,
                              PROCESS_INFORMATION *process)
{
    std::string report = ChildReportPath();
    DeleteFileA(report.c_str());
    std::string command = "\"" + program +
                          "\" --gtest_also_run_disabled_tests --gtest_filter=" + filter +
                          " --gtest_output=xml:" + report;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    *process = {};
    return CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, process) != 0;
}

// Waits up to timeoutMs for a child ChildStartFiltered started and reports how it ended.
inline ChildRun ChildFinish(PROCESS_INFORMATION *process, DWORD timeoutMs = 60000)
{
    ChildRun run = {STILL_ACTIVE, -1};
    if (WaitForSingleObject(process->hProcess, timeoutMs) != WAIT_OBJECT_0)
        TerminateProcess(process->hProcess, STILL_ACTIVE);
    WaitForSingleObject(process->hProcess, INFINITE);
    GetExitCodeProcess(process->hProcess, &run.exitCode);
    CloseHandle(process->hThread);
    CloseHandle(process->hProcess);
    std::string report = ChildReportPath();
    run.testsRun = ChildReportTests(report);
    DeleteFileA(report.c_str());
    return run;
}

// Starts program with the disabled tests enabled and the filter, waits for it up to timeoutMs
// and reports how it ended.
inline ChildRun ChildRunFiltered(const std::string &program, const std::string &filter,
                                 DWORD timeoutMs = 60000)
{
    PROCESS_INFORMATION process;
    if (!ChildStartFiltered(program, filter, &process))
        return {STILL_ACTIVE, -1};
    return ChildFinish(&process, timeoutMs);
}

// A message box the process shows (a top-level dialog of its threads), and its caption and
// text, waited for up to timeoutMs.
struct ChildBox {
    HWND window; // nullptr when none appeared
    std::string caption;
    std::string text; // the longest static text, which is the message
};

inline BOOL CALLBACK ChildBoxFind(HWND window, LPARAM found)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char name[16];
    HWND *result = (HWND *)found;
    if (processId == (DWORD)(ULONG_PTR)*result && IsWindowVisible(window) &&
        GetClassNameA(window, name, sizeof name) && strcmp(name, "#32770") == 0) {
        *result = window;
        return FALSE;
    }
    return TRUE;
}

inline BOOL CALLBACK ChildBoxLongestText(HWND control, LPARAM longest)
{
    char text[512];
    GetWindowTextA(control, text, sizeof text);
    std::string *best = (std::string *)longest;
    if (strlen(text) > best->size())
        *best = text;
    return TRUE;
}

inline ChildBox ChildWaitForBox(DWORD processId, DWORD timeoutMs)
{
    ChildBox box = {nullptr, "", ""};
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        HWND found = (HWND)(ULONG_PTR)processId;
        if (!EnumWindows(ChildBoxFind, (LPARAM)&found) && found != (HWND)(ULONG_PTR)processId) {
            Sleep(200); // let the box finish laying out its text
            box.window = found;
            char caption[256];
            GetWindowTextA(found, caption, sizeof caption);
            box.caption = caption;
            EnumChildWindows(found, ChildBoxLongestText, (LPARAM)&box.text);
            return box;
        }
        Sleep(50);
    }
    return box;
}
