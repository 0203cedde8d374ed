// The end of a host program that ran out of memory.
#include "allocation.h"

#include <stdio.h>
#include <stdlib.h>

void MemoryExhausted()
{
    fputs("out of memory\n", stderr);
    abort();
}
