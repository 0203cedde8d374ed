// The slideshow's arithmetic and state, free of Windows: the random generator, slide
// placement, the fade schedule, the options text and the banner text.
//
// The window procedure keeps its state in the records below and asks these functions what to
// do next; time, randomness and screen sizes come in as arguments so that a whole schedule can
// be replayed without a display.
#pragma once

#include <stdint.h>
#include "settings.h"

const int SLIDE_SLOTS = 100;      // slides kept from the payload; further records are unread
const int FADE_TIMER = 1;         // timer id of the fade steps
const int LOGO_TIMER = 2;         // timer id that hides the logo, fires once
const int FIRST_FADE_DELAY = 100; // ms from window creation to the first fade tick
const int LOGO_DELAY = 30000;     // ms the logo stays on screen
const int FADE_STEPS = 8;         // intensity steps from black to full
const int PLACEMENT_TRIES = 10;   // random positions tried to keep a slide clear of the logo
const int LOGO_GAP = 10;          // pixels kept between a slide and the logo
const int MOUSE_TOLERANCE = 100;  // pixels the pointer may move on each axis, inclusive
const int BANNER_HEIGHT = 26;     // pixels of the banner font on the full screen
const int BANNER_CAPACITY = 128;  // bytes of the unscrambled banner text
const int OPTIONS_ADDRESS_CAPACITY = 128; // address text: at most 127 characters and the NUL

// The two accumulators of the random generator; each stays below its modulus.
struct RandomState {
    int32_t a; // modulus 5^13
    int32_t b; // modulus 13^8
};
extern const RandomState RANDOM_START; // the values at program start
// The process's generator, written only by the slideshow window.
extern RandomState Random;

// Returns a number from 0 to n - 1 and advances the state. With n <= 0 it seeds instead: the
// low 29 bits of ticks are added to both accumulators and a number from 0 to 999 is returned.
int RandomNumber(RandomState *state, int n, uint32_t ticks);

// Where a new slide of w x h goes on a screen of screenW x screenH. While the logo is visible
// a position is accepted only when the slide ends more than LOGO_GAP pixels left of logoX or
// above logoY; after PLACEMENT_TRIES failures the last position stands. A slide larger than the
// screen on either axis goes to (0, 0) without drawing a random number.
void PlaceSlide(RandomState *random, int screenW, int screenH, int w, int h, int logoX, int logoY,
                int logoVisible, int32_t *x, int32_t *y);

// The fade state machine. A tick at step 0 changes slides; steps 1 to 8 draw the current slide.
struct FadeState {
    int32_t slideCount;   // slides loaded, at least 1 while running
    int32_t currentSlide; // index of the slide being shown, -1 before the first
    int32_t step;         // 0 to FADE_STEPS
    int32_t direction;    // +1 fading in, -1 fading out
};

// What one tick draws, and when the next one comes.
struct FadeTick {
    int changeSlide;   // 1: black out previousSlide (if >= 0), draw logo and banner, place the
                       // new current slide; 0: draw the current slide at intensity
    int previousSlide; // the slide to black out, -1 for none
    int intensity;     // 256ths, for a drawing tick
    int delay;         // ms to the next tick
};

void FadeStart(FadeState *state);
// Moves the state one tick on and says what that tick draws.
void FadeAdvance(FadeState *state, const SaverSettings *settings, FadeTick *tick);

// The three values taken from the options text.
struct SaverOptions {
    int32_t bannerOn;                       // first character 'D'
    char launchKey;                         // second character, a virtual-key code
    char address[OPTIONS_ADDRESS_CAPACITY]; // the rest of the text
};

// Reads the options text (NUL-terminated). Characters that are missing count as absent: a text
// shorter than two characters has no launch key (0) and an empty address. An address longer
// than 127 characters is dropped whole (left empty) rather than cut, so a truncated address can
// never be launched.
void OptionsParse(const char *text, SaverOptions *options);

// 1 when a pointer at (x, y) has left the square of MOUSE_TOLERANCE around (startX, startY).
int PointerLeftTolerance(int startX, int startY, int x, int y);

// The red component (0 to 255) of the banner's text at a settings intensity in 256ths: the
// banner dims with the slides.
int BannerRed(int intensity);

// The banner line as stored in the program: every byte XOR 3, NUL-terminated.
extern const char BANNER_SCRAMBLED[];
// Unscrambles text (XOR 3 up to its NUL) into buffer of capacity bytes, always terminated.
// Returns the length of the text.
int BannerUnscramble(const char *scrambled, char *buffer, int capacity);
