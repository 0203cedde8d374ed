// The memory an installed saver holds: it reads its whole payload (the options, the logo and
// every slide it shows) when it starts and keeps it until it ends.
#pragma once

#include <stdint.h>
#include <string>
#include "blob.h"

// Bytes a saver may hold before glimmer-pack warns: what a Windows 95 PC with 8 to 16 MB of
// memory can give one program without paging it out while it draws.
const uint64_t SAVER_MEMORY_BUDGET = 16ull * 1024 * 1024;
// Bytes no Windows 95 program can hold: its private address space runs from 4 MB to 2 GB.
const uint64_t SAVER_MEMORY_MAXIMUM = 2048ull * 1024 * 1024 - 4ull * 1024 * 1024;

// What the saver reads into memory: the options and logo records and the first SLIDE_SLOTS
// slides (the engine reads no more).
uint64_t SaverMemoryBytes(const Blob *options, const Blob *logo, const Blob *slides, int count);
// A byte count for people: "48.1 MB", "750 KB", "90 bytes".
std::string MemoryText(uint64_t bytes);
