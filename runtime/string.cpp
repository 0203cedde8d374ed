// The string functions the programs use. Characters compare as unsigned bytes, as in C.
#include "runtime.h"

extern "C" size_t RUNTIME_NAME(strlen)(const char *text)
{
    const char *end = text;
    while (*end != '\0')
        ++end;
    return (size_t)(end - text);
}

extern "C" char *RUNTIME_NAME(strcpy)(char *destination, const char *source)
{
    return (char *)RUNTIME_NAME(memcpy)(destination, source, RUNTIME_NAME(strlen)(source) + 1);
}

extern "C" char *RUNTIME_NAME(strcat)(char *destination, const char *source)
{
    RUNTIME_NAME(strcpy)(destination + RUNTIME_NAME(strlen)(destination), source);
    return destination;
}

extern "C" char *RUNTIME_NAME(strchr)(const char *text, int character)
{
    // The terminating NUL counts as part of the text: strchr(text, 0) finds it.
    for (;; ++text) {
        if (*text == (char)character)
            return (char *)text;
        if (*text == '\0')
            return nullptr;
    }
}

extern "C" char *RUNTIME_NAME(strrchr)(const char *text, int character)
{
    const char *found = nullptr;
    for (;; ++text) {
        if (*text == (char)character)
            found = text;
        if (*text == '\0')
            return (char *)found;
    }
}

extern "C" size_t RUNTIME_NAME(strcspn)(const char *text, const char *reject)
{
    size_t length = 0;
    for (; text[length] != '\0'; ++length)
        for (const char *r = reject; *r != '\0'; ++r)
            if (text[length] == *r)
                return length;
    return length;
}

extern "C" char *RUNTIME_NAME(strstr)(const char *text, const char *pattern)
{
    for (;; ++text) {
        // Compared character by character, so nothing beyond either terminator is read.
        size_t i = 0;
        while (pattern[i] != '\0' && text[i] == pattern[i])
            ++i;
        if (pattern[i] == '\0')
            return (char *)text;
        if (*text == '\0')
            return nullptr;
    }
}
