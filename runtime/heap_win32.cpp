// malloc, calloc and free on the process heap, and abort. A failed allocation returns a null
// pointer, as C's does; the programs allocate through one checked path that ends the program
// then.
#include "runtime.h"

#include <windows.h>

extern "C" void *RUNTIME_NAME(malloc)(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size);
}

extern "C" void *RUNTIME_NAME(calloc)(size_t count, size_t size)
{
    if (size != 0 && count > (size_t)-1 / size)
        return nullptr; // the product would wrap around
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count * size);
}

extern "C" void RUNTIME_NAME(free)(void *block)
{
    if (block != nullptr)
        HeapFree(GetProcessHeap(), 0, block);
}

extern "C" void RUNTIME_NAME(abort)(void)
{
    ExitProcess(3); // the exit code C runtimes give an abnormal end
}
