// The slideshow's random generator, placement, fade schedule, options and banner text.
#include "slideshow_logic.h"

#include <string.h>

static const int32_t RANDOM_MODULUS_A = 1220703125; // 5^13
static const int32_t RANDOM_MODULUS_B = 815730721;  // 13^8
static const int32_t RANDOM_INCREMENT = 214358881;  // 11^8
static const uint32_t SEED_MASK = 0x1FFFFFFF;       // low 29 bits of the tick count
static const int SEED_RANGE = 1000;                 // range of the number a seeding call returns

const RandomState RANDOM_START = {1186527853, 730821912};
RandomState Random = {1186527853, 730821912};

// "Glimmer slideshow screen saver demo!", each byte XOR 3, so that the text does not sit in
// the program file as plain text.
const char BANNER_SCRAMBLED[] = "\x44\x6f\x6a\x6e\x6e\x66\x71\x23\x70\x6f\x6a\x67\x66\x70\x6b\x6c"
                                "\x74\x23\x70\x60\x71\x66\x66\x6d\x23\x70\x62\x75\x66\x71\x23\x67"
                                "\x66\x6e\x6c\x22";

int RandomNumber(RandomState *state, int n, uint32_t ticks)
{
    int32_t increment = RANDOM_INCREMENT;
    if (n <= 0) {
        increment = (int32_t)(ticks & SEED_MASK);
        n = SEED_RANGE;
    }
    // Both sums stay below 2^31 because each accumulator is below its modulus and the
    // increment below 2^29, so one subtraction brings each back into range.
    state->a += increment;
    if (state->a >= RANDOM_MODULUS_A)
        state->a -= RANDOM_MODULUS_A;
    state->b += increment;
    if (state->b >= RANDOM_MODULUS_B)
        state->b -= RANDOM_MODULUS_B;
    return (state->a ^ state->b) % n;
}

void PlaceSlide(RandomState *random, int screenW, int screenH, int w, int h, int logoX, int logoY,
                int logoVisible, int32_t *x, int32_t *y)
{
    int64_t rangeX = (int64_t)screenW - w + 1;
    int64_t rangeY = (int64_t)screenH - h + 1;
    *x = 0;
    *y = 0;
    if (rangeX <= 0 || rangeY <= 0)
        return;
    for (int i = 0; i < PLACEMENT_TRIES; i++) {
        *x = RandomNumber(random, (int)rangeX, 0);
        *y = RandomNumber(random, (int)rangeY, 0);
        if (!logoVisible || logoX > *x + w + LOGO_GAP || logoY > *y + h + LOGO_GAP)
            return;
    }
}

void FadeStart(FadeState *state)
{
    state->slideCount = 0;
    state->currentSlide = -1;
    state->step = 0;
    state->direction = 1;
}

void FadeAdvance(FadeState *state, const SaverSettings *settings, FadeTick *tick)
{
    if (state->step == 0) {
        tick->changeSlide = 1;
        tick->previousSlide = state->currentSlide;
        tick->intensity = 0;
        state->currentSlide += 1;
        if (state->currentSlide >= state->slideCount)
            state->currentSlide = 0;
        state->direction = 1;
        tick->delay = settings->fadeTime;
    } else {
        tick->changeSlide = 0;
        tick->previousSlide = state->currentSlide;
        tick->intensity = settings->intensity * state->step / FADE_STEPS;
        tick->delay = settings->fadeTime;
        if (state->step == FADE_STEPS) {
            state->direction = -1;
            tick->delay = settings->sustainTime;
        }
    }
    state->step += state->direction;
}

void OptionsParse(const char *text, SaverOptions *options)
{
    options->bannerOn = 0;
    options->launchKey = 0;
    options->address[0] = '\0';
    if (text == nullptr || text[0] == '\0')
        return;
    options->bannerOn = text[0] == 'D';
    if (text[1] == '\0')
        return;
    options->launchKey = text[1];
    const char *rest = text + 2;
    int length = 0;
    while (length < OPTIONS_ADDRESS_CAPACITY && rest[length] != '\0')
        length++;
    // An address that does not fit is not cut short: launching part of an address would send
    // the user somewhere nobody chose. It is dropped, which leaves the launch unarmable.
    if (length >= OPTIONS_ADDRESS_CAPACITY)
        return;
    memcpy(options->address, rest, (size_t)length + 1);
}

int PointerLeftTolerance(int startX, int startY, int x, int y)
{
    return x < startX - MOUSE_TOLERANCE || x > startX + MOUSE_TOLERANCE ||
           y < startY - MOUSE_TOLERANCE || y > startY + MOUSE_TOLERANCE;
}

int BannerRed(int intensity)
{
    return (intensity * 255) >> 8;
}

int BannerUnscramble(const char *scrambled, char *buffer, int capacity)
{
    int length = 0;
    if (capacity <= 0)
        return 0;
    while (length < capacity - 1 && scrambled[length] != '\0') {
        buffer[length] = (char)(scrambled[length] ^ 3);
        length++;
    }
    buffer[length] = '\0';
    return length;
}
