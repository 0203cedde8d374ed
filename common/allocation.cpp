// The checked allocation path over the C heap.
#include "allocation.h"

#include <stdlib.h>

void *MemoryAllocate(size_t size)
{
    void *block = malloc(size != 0 ? size : 1);
    if (block == nullptr)
        MemoryExhausted();
    return block;
}

void MemoryFree(void *block)
{
    free(block);
}
