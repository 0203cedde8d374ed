// The programs' one allocation path. Every heap block is had and given back here, and an
// allocation that fails ends the program instead of returning nullptr, so no caller tests for
// one.
#pragma once

#include <stddef.h>

const int MEMORY_EXHAUSTED_EXIT = 3; // exit code of a program that ran out of memory

// A block of size bytes (a block of one byte for size 0); never nullptr.
void *MemoryAllocate(size_t size);
// Gives a block back; nullptr is allowed and does nothing.
void MemoryFree(void *block);

// Ends the program after an allocation failed; never returns. On Windows it first undoes the
// system-wide state the program changed (saver_running.h), shows MEMORY_EXHAUSTED_TEXT in a
// system-modal Error box when MemoryExhaustedBox is set, and then ends the process with
// MEMORY_EXHAUSTED_EXIT; on the host it says so on stderr and aborts.
[[noreturn]] void MemoryExhausted();

// 1 while a person waits on one of the program's dialogs, which would otherwise vanish without
// a word: set by Setup and by the engine's Settings dialog; 0 (the full-screen saver and the
// preview end without a box).
extern int MemoryExhaustedBox;
extern const char MEMORY_EXHAUSTED_TEXT[]; // "There is not enough memory to go on."
