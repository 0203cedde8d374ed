// malloc and free on the process heap. A failed allocation returns a null pointer, as C's
// does; the programs allocate through one checked path (MemoryAllocate) that ends the program
// then.
#include "runtime.h"

#include <windows.h>

extern "C" void *RUNTIME_NAME(malloc)(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size);
}

extern "C" void RUNTIME_NAME(free)(void *block)
{
    if (block != nullptr)
        HeapFree(GetProcessHeap(), 0, block);
}
