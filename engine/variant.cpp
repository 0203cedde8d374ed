// The build's sustain pair; each engine variant compiles this file with its own values.
#include "settings.h"

#if !defined(GLIMMER_SUSTAIN_MAXIMUM) || !defined(GLIMMER_SUSTAIN_STEP)
#error "GLIMMER_SUSTAIN_MAXIMUM and GLIMMER_SUSTAIN_STEP select the engine variant"
#endif

const int32_t SUSTAIN_MAXIMUM = GLIMMER_SUSTAIN_MAXIMUM; // ms
const int32_t SUSTAIN_STEP = GLIMMER_SUSTAIN_STEP;       // ms

// The step is always a twentieth of the sustain range.
static_assert(GLIMMER_SUSTAIN_STEP == (GLIMMER_SUSTAIN_MAXIMUM - 1000) / 20,
              "sustain step must be the sustain range divided by 20");
