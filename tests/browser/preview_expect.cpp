// What the saver shows of one slide after a number of fade ticks, computed natively from the
// engine's own functions, for the browser test that holds the page's preview canvas against it.
//
//   preview_expect PICTURE SCREEN_W SCREEN_H SEED INTENSITY FADE SUSTAIN TICKS
//
// PICTURE is a packed Dib or a BMP file, the only slide; no logo, no banner. The schedule is the
// slideshow window's: the generator from its start values seeded with SEED, FadeAdvance per
// tick, PlaceSlide at each change of slide (no logo: its corner is the screen's). The colours
// are the engine's drawing code's: the Dib copied and ScaleColorTriplets applied to its colour
// table or its 24-bit rows below full intensity, then read into pixels by the packer's own Dib
// reader. Prints one line of JSON: {x, y, w, h, intensity, delay, rgb} with rgb the slide's
// pixels top row first as hex, or intensity -1 and no rgb after a change of slide; and bannerRed,
// the red the engine gives the banner at INTENSITY.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>
#include "dib.h"
#include "pack_preview.h"
#include "slideshow_logic.h"

static int Fail(const char *why)
{
    fprintf(stderr, "preview_expect: %s\n", why);
    return 2;
}

int main(int argc, char **argv)
{
    if (argc != 9)
        return Fail("usage: PICTURE SCREEN_W SCREEN_H SEED INTENSITY FADE SUSTAIN TICKS");
    FILE *file = fopen(argv[1], "rb");
    if (file == nullptr)
        return Fail("cannot open the picture");
    std::vector<unsigned char> bytes;
    for (int c; (c = fgetc(file)) != EOF;)
        bytes.push_back((unsigned char)c);
    fclose(file);
    size_t skip = bytes.size() >= 14 && bytes[0] == 'B' && bytes[1] == 'M' ? 14 : 0;
    Blob slide;
    BlobInit(&slide);
    DibLayout layout;
    if (!BlobAllocate(&slide, BlobKind::Dib, (uint32_t)(bytes.size() - skip)))
        return Fail("empty picture");
    memcpy(slide.data, bytes.data() + skip, bytes.size() - skip);
    if (!DibParseBlob(&slide, &layout))
        return Fail("not a drawable Dib");

    int screenW = atoi(argv[2]), screenH = atoi(argv[3]);
    uint32_t seed = (uint32_t)strtoul(argv[4], nullptr, 10);
    SaverSettings settings = {atoi(argv[5]), atoi(argv[6]), atoi(argv[7])};
    int ticks = atoi(argv[8]);

    RandomState random = RANDOM_START;
    RandomNumber(&random, 0, seed);
    FadeState fade;
    FadeStart(&fade);
    fade.slideCount = 1;
    FadeTick tick = {0, -1, 0, 0};
    int32_t x = 0, y = 0;
    uint32_t clock = FIRST_FADE_DELAY;
    for (int i = 0; i < ticks; i++) {
        int logoVisible = clock < (uint32_t)LOGO_DELAY;
        FadeAdvance(&fade, &settings, &tick);
        if (tick.changeSlide)
            PlaceSlide(&random, screenW, screenH, layout.width, layout.height, screenW, screenH,
                       logoVisible, &x, &y);
        clock += (uint32_t)tick.delay;
    }

    printf("{\"x\":%d,\"y\":%d,\"w\":%d,\"h\":%d,\"delay\":%d,\"intensity\":%d,"
           "\"bannerRed\":%d",
           x, y, layout.width, layout.height, tick.delay, tick.changeSlide ? -1 : tick.intensity,
           BannerRed(settings.intensity));
    if (!tick.changeSlide) {
        // The copy DibDraw hands to GDI below full intensity.
        if (tick.intensity < FULL_INTENSITY) {
            if (layout.bitCount == 24) {
                for (int32_t row = 0; row < layout.height; row++)
                    ScaleColorTriplets(slide.data + layout.rowsOffset + (uint32_t)row * layout.stride,
                                       3, layout.width, tick.intensity);
            } else {
                ScaleColorTriplets(slide.data + layout.headerSize, 4, (int)layout.colours,
                                   tick.intensity);
            }
        }
        PhotoImage image;
        if (!DibToImage(&slide, &image))
            return Fail("the packer cannot read the Dib");
        printf(",\"rgb\":\"");
        for (unsigned char byte : image.rgb)
            printf("%02x", byte);
        printf("\"");
    }
    printf("}\n");
    BlobFree(&slide);
    return 0;
}
