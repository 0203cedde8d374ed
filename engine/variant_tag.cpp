// Reading the variant tag back out of an engine image.
#include "variant_tag.h"

#include <string.h>

// A decimal number of 1 to 9 digits at text[*at], within size; advances *at past it.
static int ReadNumber(const unsigned char *text, size_t size, size_t *at, int32_t *value)
{
    int32_t number = 0;
    size_t start = *at;
    while (*at < size && *at - start < 9 && text[*at] >= '0' && text[*at] <= '9')
        number = number * 10 + (text[(*at)++] - '0');
    if (*at == start)
        return 0;
    *value = number;
    return 1;
}

int VariantTagFind(const unsigned char *image, size_t size, EngineVariant *variant)
{
    static const char prefix[] = VARIANT_TAG_PREFIX;
    const size_t prefixLength = sizeof prefix - 1;
    int found = 0;
    EngineVariant first = {0, 0};
    for (size_t i = 0; i + prefixLength <= size; i++) {
        if (image[i] != prefix[0] || memcmp(image + i, prefix, prefixLength) != 0)
            continue;
        size_t at = i + prefixLength;
        EngineVariant pair;
        if (!ReadNumber(image, size, &at, &pair.sustainMaximum) || at >= size ||
            image[at++] != '/' || !ReadNumber(image, size, &at, &pair.sustainStep) || at >= size ||
            image[at] != 0)
            continue;
        if (found &&
            (pair.sustainMaximum != first.sustainMaximum || pair.sustainStep != first.sustainStep))
            return 0;
        first = pair;
        found = 1;
    }
    if (found)
        *variant = first;
    return found;
}

const char *VariantName(const EngineVariant *variant)
{
    if (variant->sustainMaximum == VARIANT_CARRIED.sustainMaximum &&
        variant->sustainStep == VARIANT_CARRIED.sustainStep)
        return "carried";
    if (variant->sustainMaximum == VARIANT_STANDALONE.sustainMaximum &&
        variant->sustainStep == VARIANT_STANDALONE.sustainStep)
        return "stand-alone";
    return nullptr;
}
