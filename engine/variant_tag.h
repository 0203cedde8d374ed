// The text every engine image carries to say which sustain pair it was built with, so that a
// packed engine can be told apart from its bytes alone, without running it.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The tag: this prefix, then the sustain maximum and the sustain step in ms as decimal numbers
// joined by '/', then a NUL ("glimmer engine variant: sustain 15000/700").
#define VARIANT_TAG_PREFIX "glimmer engine variant: sustain "

// The tag of the variant a program is built with; defined next to its sustain pair.
extern const char VARIANT_TAG[];

struct EngineVariant {
    int32_t sustainMaximum; // ms
    int32_t sustainStep;    // ms
};

// The two variants: the engine the installer carries and installs, and the stand-alone program.
constexpr EngineVariant VARIANT_CARRIED = {15000, 700};
constexpr EngineVariant VARIANT_STANDALONE = {30000, 1450};

// Finds the tag in an image and reads its pair. 1 when exactly one pair is found (the same tag
// may occur more than once); 0 when there is none, or tags disagree.
int VariantTagFind(const unsigned char *image, size_t size, EngineVariant *variant);
// "carried", "stand-alone", or nullptr for a pair that is neither.
const char *VariantName(const EngineVariant *variant);
