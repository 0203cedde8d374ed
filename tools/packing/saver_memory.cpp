// Adding up what a saver holds.
#include "saver_memory.h"

#include <stdio.h>
#include "slideshow_logic.h"

uint64_t SaverMemoryBytes(const Blob *options, const Blob *logo, const Blob *slides, int count)
{
    uint64_t bytes = (uint64_t)options->size + logo->size;
    for (int i = 0; i < count && i < SLIDE_SLOTS; i++)
        bytes += slides[i].size;
    return bytes;
}

std::string MemoryText(uint64_t bytes)
{
    char text[32];
    if (bytes >= 1024 * 1024)
        snprintf(text, sizeof text, "%.1f MB", bytes / (1024.0 * 1024.0));
    else if (bytes >= 1024)
        snprintf(text, sizeof text, "%llu KB", (unsigned long long)(bytes + 512) / 1024);
    else
        snprintf(text, sizeof text, "%llu bytes", (unsigned long long)bytes);
    return text;
}
