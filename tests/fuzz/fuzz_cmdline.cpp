// Fuzz target: the engine's command-line scan over any text.
#include <stdlib.h>
#include <string>
#include "cmdline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string tail((const char *)data, size);
    CommandLine line;
    CommandLineScan(tail.c_str(), &line);
    // The letter is folded to upper case; a handle is only had after a letter.
    if (line.letter >= 'a' && line.letter <= 'z')
        abort();
    if (line.hasHandle && !line.letter)
        abort();
    CommandLineMode(line.letter);
    return 0;
}
