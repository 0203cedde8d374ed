// The engine's command-line scan: switch letter, mode and optional window handle.
#pragma once

#include <stdint.h>

// What the engine does for a switch letter.
enum EngineMode {
    ENGINE_MODE_NONE,     // unknown letter: end at once, show nothing
    ENGINE_MODE_SETTINGS, // no letter or C: the Settings dialog
    ENGINE_MODE_PASSWORD, // A: the password notice
    ENGINE_MODE_PREVIEW,  // P or L: the slideshow inside the given window
    ENGINE_MODE_SAVER     // S: the full-screen slideshow
};

struct CommandLine {
    char letter;     // switch letter folded to upper case; '\0' when there is none
    int hasHandle;   // 1 when a decimal number followed the letter
    uint32_t handle; // that number, wrapped to 32 bits
};

// Scans a command-line tail (the program name already removed; nullptr reads as empty):
// blanks, '/' or '-', one letter, blanks or ':', digits. Always fills the result.
void CommandLineScan(const char *tail, CommandLine *line);
EngineMode CommandLineMode(char letter);
