// The build's sustain pair; each engine variant compiles this file with its own values, and
// writes them into the image as a tag that glimmer-pack reads back.
#include "settings.h"
#include "variant_tag.h"

#if !defined(GLIMMER_SUSTAIN_MAXIMUM) || !defined(GLIMMER_SUSTAIN_STEP)
#error "GLIMMER_SUSTAIN_MAXIMUM and GLIMMER_SUSTAIN_STEP select the engine variant"
#endif

#define VARIANT_TEXT(value) #value
#define VARIANT_NUMBER(value) VARIANT_TEXT(value)

const int32_t SUSTAIN_MAXIMUM = GLIMMER_SUSTAIN_MAXIMUM; // ms
const int32_t SUSTAIN_STEP = GLIMMER_SUSTAIN_STEP;       // ms

// Nothing reads the tag at run time; "used" keeps it in the object, and the programs name it
// at link time so that it stays in the image.
__attribute__((used)) const char VARIANT_TAG[] = VARIANT_TAG_PREFIX VARIANT_NUMBER(
    GLIMMER_SUSTAIN_MAXIMUM) "/" VARIANT_NUMBER(GLIMMER_SUSTAIN_STEP);

// The step is always a twentieth of the sustain range.
static_assert(GLIMMER_SUSTAIN_STEP == (GLIMMER_SUSTAIN_MAXIMUM - 1000) / 20,
              "sustain step must be the sustain range divided by 20");
// Every variant is one that VariantName knows.
static_assert((GLIMMER_SUSTAIN_MAXIMUM == VARIANT_CARRIED.sustainMaximum &&
               GLIMMER_SUSTAIN_STEP == VARIANT_CARRIED.sustainStep) ||
                  (GLIMMER_SUSTAIN_MAXIMUM == VARIANT_STANDALONE.sustainMaximum &&
                   GLIMMER_SUSTAIN_STEP == VARIANT_STANDALONE.sustainStep),
              "the sustain pair of an unknown engine variant");
