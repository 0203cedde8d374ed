// The slideshow window: loads the payload, fades the slides in and out on a timer, shows the
// logo and the banner, and ends the saver on input.
#include "slideshow.h"

#include <string.h>
#include "dib.h"
#include "engine.h"
#include "payload.h"
#include "render.h"
#include "saver_running.h"
#include "settings.h"

SlideshowState Slideshow;
Blob engineLogo;
Blob engineSlides[SLIDE_SLOTS];
int32_t engineBannerOn;
char engineLaunchKey;
const char *SlideshowPayloadPath = nullptr;

static_assert(sizeof engineAddress == sizeof(SaverOptions::address), "one address size throughout");

void DrawScreenPicture(HWND window, HDC dc, const Blob *picture, int x, int y, int intensity,
                       int slide)
{
    int sw = GetSystemMetrics(SM_CXSCREEN) - 1;
    int sh = GetSystemMetrics(SM_CYSCREEN) - 1;
    RECT client;
    GetClientRect(window, &client);
    int cw = client.right - 1;
    int ch = client.bottom - 1;
    int mode = PALETTE_DEFAULT;
    if (slide)
        mode = engineFullScreen ? PALETTE_OWN : PALETTE_COLOR_CUBE;
    // The picture covers the screen pixels from x to x + width - 1; both ends are mapped into the
    // window and DibDraw covers the distance between them plus one. Full-screen that is the
    // picture's own size, drawn pixel for pixel, and the preview shrinks it the same way.
    int left = MulDiv(x, cw, sw);
    int top = MulDiv(y, ch, sh);
    int right = MulDiv(x + DibWidth(picture) - 1, cw, sw);
    int bottom = MulDiv(y + DibHeight(picture) - 1, ch, sh);
    DibDraw(picture, dc, left, top, right - left, bottom - top, intensity, mode);
}

void DrawBanner(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    int height = MulDiv(BANNER_HEIGHT, client.bottom - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    HFONT font =
        CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_DONTCARE, "Arial");
    HGDIOBJ previous = SelectObject(dc, font);
    char text[BANNER_CAPACITY];
    int length = BannerUnscramble(BANNER_SCRAMBLED, text, sizeof text);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(BannerRed(Settings.intensity), 0, 0));
    TextOutA(dc, 0, client.bottom - height, text, length);
    SelectObject(dc, previous);
    DeleteObject(font);
}

void SlideshowRelease()
{
    BlobFree(&engineLogo);
    for (int i = 0; i < SLIDE_SLOTS; i++)
        BlobFree(&engineSlides[i]);
}

// Reads options, logo and up to SLIDE_SLOTS slides. 1 when at least one slide came with them
// and every record read was of the kind its place asks for.
static int SlideshowLoad()
{
    Blob options;
    BlobInit(&options);
    int loaded = PayloadOpen(SlideshowPayloadPath) && PayloadReadKind(&options, BlobKind::Text) &&
                 PayloadReadKind(&engineLogo, BlobKind::Dib);
    if (loaded) {
        SaverOptions parsed;
        OptionsParse(BlobText(&options), &parsed);
        engineBannerOn = parsed.bannerOn;
        engineLaunchKey = parsed.launchKey;
        memcpy(engineAddress, parsed.address, sizeof engineAddress);
    }
    FadeState *fade = &Slideshow.fade;
    while (loaded && fade->slideCount < SLIDE_SLOTS) {
        Blob *slot = &engineSlides[fade->slideCount];
        if (!PayloadReadNext(slot) || (slot->kind != BlobKind::Dib && slot->kind != BlobKind::End))
            loaded = 0;
        else if (slot->kind == BlobKind::End)
            break;
        else
            fade->slideCount++;
    }
    PayloadClose();
    BlobFree(&options);
    return loaded && fade->slideCount > 0;
}

// Ends the saver: the window goes, and WM_DESTROY posts the quit message. Destroying the
// active full-screen window deactivates it, and that WM_ACTIVATE asks to end the saver again;
// a second DestroyWindow from inside the first would recurse, so only the first one is made.
static LRESULT SlideshowEnd(HWND window)
{
    if (Slideshow.ending)
        return 0;
    Slideshow.ending = 1;
    DestroyWindow(window);
    return 0;
}

static LRESULT SlideshowOnCreate(HWND window)
{
    if (engineFullScreen)
        ShowCursor(FALSE);
    Slideshow.ending = 0;
    engineLaunchKey = 0;
    engineAddress[0] = '\0';
    engineBannerOn = 0;
    engineLaunchArmed = 0;
    GetCursorPos(&Slideshow.startCursor);
    RandomNumber(&Random, 0, GetTickCount());
    Slideshow.logoVisible = 1;
    Slideshow.slideX = 0;
    Slideshow.slideY = 0;
    FadeStart(&Slideshow.fade);
    if (!SlideshowLoad())
        return SlideshowEnd(window);
    // Timers are a USER resource, and those run out on Windows 95. A show without its timer
    // would stand still on a black screen until input, so it ends instead.
    if (!SetTimer(window, FADE_TIMER, FIRST_FADE_DELAY, nullptr) ||
        !SetTimer(window, LOGO_TIMER, LOGO_DELAY, nullptr))
        return SlideshowEnd(window);
    // Only a show that has its pictures tells Windows that a saver runs: a failed load never
    // turns off Ctrl+Alt+Del and Alt+Tab, not even for a moment.
    if (engineFullScreen)
        SaverRunningSet(1);
    return 0;
}

static LRESULT SlideshowOnDestroy(HWND window)
{
    KillTimer(window, FADE_TIMER);
    KillTimer(window, LOGO_TIMER);
    if (engineFullScreen) {
        ShowCursor(TRUE);
        SaverRunningSet(0);
    }
    for (int i = 0; i < SLIDE_SLOTS; i++)
        BlobFree(&engineSlides[i]);
    PostQuitMessage(0);
    return 0;
}

// Between two slides: black out the old one, draw the logo (black once its time is up) and
// the banner, then place the new slide.
static void SlideshowChangeSlide(HWND window, HDC dc, int previousSlide)
{
    if (previousSlide >= 0)
        DrawScreenPicture(window, dc, &engineSlides[previousSlide], Slideshow.slideX,
                          Slideshow.slideY, 0, 1);
    int screenW = GetSystemMetrics(SM_CXSCREEN);
    int screenH = GetSystemMetrics(SM_CYSCREEN);
    int logoX = screenW - DibWidth(&engineLogo);
    int logoY = screenH - DibHeight(&engineLogo);
    DrawScreenPicture(window, dc, &engineLogo, logoX, logoY,
                      Slideshow.logoVisible ? Settings.intensity : 0, 0);
    if (engineBannerOn)
        DrawBanner(window, dc);
    const Blob *slide = &engineSlides[Slideshow.fade.currentSlide];
    PlaceSlide(&Random, screenW, screenH, DibWidth(slide), DibHeight(slide), logoX, logoY,
               Slideshow.logoVisible, &Slideshow.slideX, &Slideshow.slideY);
}

// One fade step. The timer is killed first and set again with the delay the step chose, so
// ticks never queue up behind a slow drawing.
static LRESULT SlideshowOnFadeTimer(HWND window)
{
    KillTimer(window, FADE_TIMER);
    HDC dc = GetDC(window);
    FadeTick tick;
    FadeAdvance(&Slideshow.fade, &Settings, &tick);
    if (tick.changeSlide)
        SlideshowChangeSlide(window, dc, tick.previousSlide);
    else
        DrawScreenPicture(window, dc, &engineSlides[Slideshow.fade.currentSlide], Slideshow.slideX,
                          Slideshow.slideY, tick.intensity, 1);
    UINT_PTR timer = SetTimer(window, FADE_TIMER, (UINT)tick.delay, nullptr);
    ReleaseDC(window, dc);
    // Without its timer the show would freeze (see SlideshowOnCreate).
    if (timer == 0)
        return SlideshowEnd(window);
    return 0;
}

static LRESULT SlideshowOnTimer(HWND window, WPARAM id)
{
    if (id == FADE_TIMER)
        return SlideshowOnFadeTimer(window);
    if (id == LOGO_TIMER) {
        KillTimer(window, LOGO_TIMER);
        Slideshow.logoVisible = 0;
    }
    return 0;
}

// Any key ends the saver; the launch key also arms the launch, full-screen and with an address.
static LRESULT SlideshowOnKeyDown(HWND window, WPARAM key)
{
    if (engineFullScreen && engineAddress[0] != '\0' &&
        key == (WPARAM)(LONG_PTR)(signed char)engineLaunchKey)
        engineLaunchArmed = 1;
    return SlideshowEnd(window);
}

static LRESULT SlideshowOnMouseMove(HWND window, LPARAM position)
{
    int x = LOWORD(position);
    int y = HIWORD(position);
    if (engineFullScreen &&
        PointerLeftTolerance(Slideshow.startCursor.x, Slideshow.startCursor.y, x, y))
        return SlideshowEnd(window);
    return 0;
}

// Another window taking the activation ends the full-screen saver. A saver that is already
// hidden loses the activation because it is being hidden, by another program or by a
// destruction in progress, and a DestroyWindow from inside a destruction would pull the window
// away under it. Such a saver is ended through the queue instead: the request finds no window
// after a destruction, and ends a saver that was only hidden.
static LRESULT SlideshowOnActivate(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (engineFullScreen && LOWORD(wParam) == WA_INACTIVE && !Slideshow.ending) {
        if (IsWindowVisible(window))
            return SlideshowEnd(window);
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return DefWindowProcA(window, WM_ACTIVATE, wParam, lParam);
}

LRESULT CALLBACK SlideshowWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return SlideshowOnCreate(window);
    case WM_DESTROY:
        return SlideshowOnDestroy(window);
    case WM_TIMER:
        return SlideshowOnTimer(window, wParam);
    case WM_CLOSE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return SlideshowEnd(window);
    case WM_KEYDOWN:
        return SlideshowOnKeyDown(window, wParam);
    case WM_MOUSEMOVE:
        return SlideshowOnMouseMove(window, lParam);
    case WM_ACTIVATE:
        return SlideshowOnActivate(window, wParam, lParam);
    case WM_SYSCOMMAND:
        // Windows must not start a saver over the running one.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE)
            return 0;
        break;
    case WM_QUERYNEWPALETTE:
        return PaletteOnQueryNew(window);
    case WM_PALETTECHANGED:
        PaletteOnChanged(window, (HWND)wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
