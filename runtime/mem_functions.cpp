// memcpy, memmove, memset, memcmp and memchr. The compiler itself emits calls to the first three
// for structure copies and loops, so this file is built so that it never calls them (see the
// build's runtime flags).
#include "runtime.h"

#include <stdint.h>

typedef size_t Word; // copied a word at a time where both addresses allow it
static const size_t WORD_MASK = sizeof(Word) - 1;

static int WordAligned(const void *first, const void *second)
{
    return (((uintptr_t)first | (uintptr_t)second) & WORD_MASK) == 0;
}

extern "C" void *RUNTIME_NAME(memcpy)(void *destination, const void *source, size_t count)
{
    unsigned char *d = (unsigned char *)destination;
    const unsigned char *s = (const unsigned char *)source;
    if (WordAligned(d, s)) {
        for (; count >= sizeof(Word); count -= sizeof(Word), d += sizeof(Word), s += sizeof(Word))
            *(Word *)d = *(const Word *)s;
    }
    while (count-- > 0)
        *d++ = *s++;
    return destination;
}

extern "C" void *RUNTIME_NAME(memmove)(void *destination, const void *source, size_t count)
{
    unsigned char *d = (unsigned char *)destination;
    const unsigned char *s = (const unsigned char *)source;
    if (d == s || count == 0)
        return destination;
    if (d < s || d >= s + count)
        return RUNTIME_NAME(memcpy)(destination, source, count); // forward copying is safe
    // The destination overlaps the end of the source: copy from the back.
    d += count;
    s += count;
    while (count-- > 0)
        *--d = *--s;
    return destination;
}

extern "C" void *RUNTIME_NAME(memset)(void *destination, int value, size_t count)
{
    unsigned char *d = (unsigned char *)destination;
    unsigned char byte = (unsigned char)value;
    if (((uintptr_t)d & WORD_MASK) == 0 && count >= sizeof(Word)) {
        Word pattern = 0;
        for (size_t i = 0; i < sizeof(Word); i++)
            pattern = (pattern << 8) | byte;
        for (; count >= sizeof(Word); count -= sizeof(Word), d += sizeof(Word))
            *(Word *)d = pattern;
    }
    while (count-- > 0)
        *d++ = byte;
    return destination;
}

extern "C" int RUNTIME_NAME(memcmp)(const void *first, const void *second, size_t count)
{
    const unsigned char *a = (const unsigned char *)first;
    const unsigned char *b = (const unsigned char *)second;
    for (; count > 0; count--, a++, b++)
        if (*a != *b)
            return *a < *b ? -1 : 1;
    return 0;
}

extern "C" void *RUNTIME_NAME(memchr)(const void *block, int value, size_t count)
{
    const unsigned char *p = (const unsigned char *)block;
    for (; count > 0; count--, p++)
        if (*p == (unsigned char)value)
            return (void *)p;
    return nullptr;
}
