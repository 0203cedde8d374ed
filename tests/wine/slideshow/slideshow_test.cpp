// The slideshow window procedure driven with messages over payload files written by the
// container writers: loading and its failures, the fade steps on screen, the logo and banner,
// the preview miniature, input, and the release of everything.
#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>
#include <string>
#include <vector>

#include "child_test.h"
#include "dib.h"
#include "engine.h"
#include "allocation.h"
#include "payload.h"
#include "render.h"
#include "settings.h"
#include "slideshow.h"
#include "test_dibs.h"

namespace
{

const char CLASS_NAME[] = "SlideshowTestClass";
const Rgb LOGO_BLUE = {0, 0, 255};
const Rgb SLIDE_GREEN = {0, 255, 0};
const Rgb SLIDE_WHITE = {255, 255, 255};
const int LOGO_W = 64, LOGO_H = 32;
const int SLIDE_W = 40, SLIDE_H = 30;

// One record as bytes; size may claim more than data holds.
struct RawRecord {
    uint16_t kind;
    uint32_t size;
    std::vector<unsigned char> data;
};

RawRecord Record(const Blob &blob)
{
    return RawRecord{(uint16_t)blob.kind, blob.size,
                     std::vector<unsigned char>(blob.data, blob.data + blob.size)};
}

RawRecord TextRecord(const std::string &text)
{
    std::vector<unsigned char> data(text.begin(), text.end());
    data.push_back(0);
    return RawRecord{1, (uint32_t)data.size(), data};
}

RawRecord DibRecord(const DibPicture &picture)
{
    Blob blob;
    BlobInit(&blob);
    MakeDib(&blob, picture);
    RawRecord record = Record(blob);
    BlobFree(&blob);
    return record;
}

const RawRecord END_RECORD = {0, 0, {}};

// Writes a stamped stand-in engine image followed by the records, as an installed saver holds
// them.
void WritePayload(const std::string &path, const std::vector<RawRecord> &records)
{
    Blob image;
    BlobInit(&image);
    BlobAllocate(&image, BlobKind::Executable, 512);
    memcpy(image.data + STUB_MESSAGE_OFFSET, LONG_STUB_MESSAGE, LONG_STUB_LENGTH);
    FILE *out = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, out);
    ASSERT_EQ(1, PayloadWriteExecutable(&image, out));
    for (const RawRecord &r : records) {
        unsigned char header[RECORD_HEADER_SIZE];
        WriteLe16(header, r.kind);
        WriteLe32(header + 2, r.size);
        fwrite(header, 1, sizeof header, out);
        if (!r.data.empty())
            fwrite(r.data.data(), 1, r.data.size(), out);
    }
    fclose(out);
    BlobFree(&image);
}

// The usual payload: options, a blue 24-bit logo and the given slides, then the end record.
std::vector<RawRecord> Standard(const std::string &options, int slideCount)
{
    std::vector<RawRecord> records = {TextRecord(options),
                                      DibRecord(SolidPicture(24, LOGO_W, LOGO_H, LOGO_BLUE))};
    for (int i = 0; i < slideCount; i++)
        records.push_back(
            DibRecord(SolidPicture(8, SLIDE_W, SLIDE_H, i % 2 == 0 ? SLIDE_GREEN : SLIDE_WHITE)));
    records.push_back(END_RECORD);
    return records;
}

// The program's import of SetTimer, through which the slideshow sets its timers. A test swaps it
// for one that refuses, as Windows 95 does once USER resources have run out.
typedef UINT_PTR(WINAPI *SetTimerFunction)(HWND, UINT_PTR, UINT, TIMERPROC);
#ifdef _WIN64
extern "C" SetTimerFunction ImportedSetTimer __asm__("__imp_SetTimer");
#else
extern "C" SetTimerFunction ImportedSetTimer __asm__("__imp__SetTimer@16");
#endif

UINT_PTR WINAPI RefusedSetTimer(HWND, UINT_PTR, UINT, TIMERPROC)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
}

// Refuses every SetTimer of this program while it lives.
struct TimersRefused {
    SetTimerFunction kept;
    TimersRefused() : kept(ImportedSetTimer) { Swap(RefusedSetTimer); }
    ~TimersRefused() { Swap(kept); }
    static void Swap(SetTimerFunction function)
    {
        DWORD access;
        VirtualProtect(&ImportedSetTimer, sizeof ImportedSetTimer, PAGE_READWRITE, &access);
        ImportedSetTimer = function;
        VirtualProtect(&ImportedSetTimer, sizeof ImportedSetTimer, access, &access);
    }
};

int CursorCount()
{
    int count = ShowCursor(TRUE);
    ShowCursor(FALSE);
    return count - 1;
}

BOOL SaverRunning()
{
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

Rgb ScreenPixel(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
}

::testing::AssertionResult SameColour(Rgb want, Rgb got)
{
    if (want == got)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "want (" << +want.r << ", " << +want.g << ", " << +want.b << ") got (" << +got.r
           << ", " << +got.g << ", " << +got.b << ")";
}

// Pixels in a rectangle that are red only (the banner's text over black).
int RedPixels(HWND window, int left, int top, int right, int bottom)
{
    HDC dc = GetDC(window);
    int n = 0;
    for (int y = top; y < bottom; y++)
        for (int x = left; x < right; x++) {
            COLORREF c = GetPixel(dc, x, y);
            n += GetRValue(c) >= 128 && GetGValue(c) == 0 && GetBValue(c) == 0;
        }
    ReleaseDC(window, dc);
    return n;
}

class SlideshowTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        WNDCLASSA windowClass = {};
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = SlideshowWndProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
        windowClass.lpszClassName = CLASS_NAME;
        RegisterClassA(&windowClass);
    }

    void SetUp() override
    {
        char directory[MAX_PATH];
        GetTempPathA(sizeof directory, directory);
        path = std::string(directory) + "glimmer-slideshow-test.scr";
        SlideshowPayloadPath = path.c_str();
        Settings = SaverSettings{256, 200, 6000};
        SetCursorPos(500, 400);
        screenW = GetSystemMetrics(SM_CXSCREEN);
        screenH = GetSystemMetrics(SM_CYSCREEN);
        QuitPosted();
    }

    void TearDown() override
    {
        if (window && IsWindow(window))
            DestroyWindow(window);
        if (parent)
            DestroyWindow(parent);
        QuitPosted();
        DeleteFileA(path.c_str());
        SlideshowRelease();
        PaletteReplace(nullptr);
        SlideshowPayloadPath = nullptr;
    }

    // Creates the window as the engine does in saver mode (full) or preview mode (a child
    // filling a 200 x 150 parent).
    HWND Create(int full, int show = 1)
    {
        engineFullScreen = full;
        if (full) {
            window = CreateWindowExA(WS_EX_TOPMOST, CLASS_NAME, "", WS_POPUP, 0, 0, screenW,
                                     screenH, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        } else {
            parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 150,
                                     nullptr, nullptr, nullptr, nullptr);
            window = CreateWindowExA(0, CLASS_NAME, "", WS_CHILD, 0, 0, 200, 150, parent, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
        }
        if (window && show) {
            ShowWindow(window, SW_SHOWNORMAL);
            UpdateWindow(window);
        }
        return window;
    }

    // Takes a posted WM_QUIT off the queue; 1 if there was one.
    static int QuitPosted()
    {
        MSG message;
        int found = 0;
        while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            found = 1;
        return found;
    }

    void Tick() { SendMessageA(window, WM_TIMER, FADE_TIMER, 0); }

    int SlidesEmpty()
    {
        for (const Blob &slide : engineSlides)
            if (slide.kind != BlobKind::End || slide.data)
                return 0;
        return 1;
    }

    std::string path;
    HWND window = nullptr;
    HWND parent = nullptr;
    int screenW = 0, screenH = 0;
};

TEST_F(SlideshowTest, LoadsOptionsLogoAndSlidesAndStartsTheFadeTimer)
{
    WritePayload(path, Standard("DVhttp://example.com/", 3));
    ASSERT_NE(nullptr, Create(0, 0));
    EXPECT_EQ(3, Slideshow.fade.slideCount);
    EXPECT_EQ(-1, Slideshow.fade.currentSlide);
    EXPECT_EQ(0, Slideshow.fade.step);
    EXPECT_EQ(1, Slideshow.logoVisible);
    EXPECT_EQ(LOGO_W, DibWidth(&engineLogo));
    EXPECT_EQ(SLIDE_W, DibWidth(&engineSlides[2]));
    EXPECT_TRUE(engineSlides[3].data == nullptr);
    EXPECT_EQ(1, engineBannerOn);
    EXPECT_EQ('V', engineLaunchKey);
    EXPECT_STREQ("http://example.com/", engineAddress);
    EXPECT_EQ(0, PayloadIsOpen());
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, Slideshow.startCursor.x);
    EXPECT_EQ(cursor.y, Slideshow.startCursor.y);

    Sleep(250);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ((WPARAM)FADE_TIMER, message.wParam);
    EXPECT_TRUE(KillTimer(window, LOGO_TIMER)); // set, and still waiting
}

TEST_F(SlideshowTest, KeepsAHundredSlidesAndReadsNoFurther)
{
    // Whatever follows the hundredth slide, even a damaged record, is never read.
    std::vector<RawRecord> records = Standard("DV", 100);
    records.back() = RawRecord{9, 0x7FFFFFFF, {1, 2, 3}};
    WritePayload(path, records);
    ASSERT_NE(nullptr, Create(0, 0));
    EXPECT_EQ(SLIDE_SLOTS, Slideshow.fade.slideCount);
    EXPECT_EQ(SLIDE_H, DibHeight(&engineSlides[99]));
    EXPECT_EQ(0, PayloadIsOpen());
}

TEST_F(SlideshowTest, FailedLoadsDestroyTheWindowAndEndTheLoop)
{
    struct Row {
        const char *name;
        std::vector<RawRecord> records;
        int stamped; // 0: the image is written without a payload offset
    };
    std::vector<RawRecord> slideOfOtherKind = Standard("DV", 2);
    slideOfOtherKind.insert(slideOfOtherKind.end() - 1, TextRecord("not a picture"));
    std::vector<RawRecord> slideCutShort = Standard("DV", 2);
    slideCutShort.pop_back();
    slideCutShort.back().data.resize(100);
    std::vector<RawRecord> noEnd = Standard("DV", 2);
    noEnd.pop_back();
    const Row rows[] = {
        {"no-slides", Standard("DV", 0), 1},
        {"options-not-text", {DibRecord(SolidPicture(8, 4, 4, SLIDE_GREEN)), END_RECORD}, 1},
        {"logo-not-dib", {TextRecord("DV"), TextRecord("DV"), END_RECORD}, 1},
        {"empty-payload", {END_RECORD}, 1},
        {"third-slide-is-text", slideOfOtherKind, 1},
        {"second-slide-cut-short", slideCutShort, 1},
        {"end-record-missing", noEnd, 1},
        {"bad-kind", {TextRecord("DV"), RawRecord{7, 0, {}}}, 1},
        {"missing-file", {}, -1},
    };
    for (const Row &row : rows) {
        for (int full : {0, 1}) {
            SCOPED_TRACE(testing::Message() << row.name << (full ? " saver" : " preview"));
            DeleteFileA(path.c_str());
            if (row.stamped >= 0)
                WritePayload(path, row.records);
            int cursor = CursorCount();
            EXPECT_EQ(nullptr, Create(full));
            EXPECT_EQ(1, QuitPosted());
            EXPECT_EQ(0, PayloadIsOpen());
            EXPECT_TRUE(SlidesEmpty());
            EXPECT_EQ(cursor, CursorCount());
            EXPECT_FALSE(SaverRunning());
            if (parent) {
                DestroyWindow(parent);
                parent = nullptr;
            }
        }
    }
}

TEST_F(SlideshowTest, UnstampedProgramHasNoPayload)
{
    char own[MAX_PATH];
    GetModuleFileNameA(nullptr, own, sizeof own);
    SlideshowPayloadPath = own;
    EXPECT_EQ(nullptr, Create(1));
    EXPECT_EQ(1, QuitPosted());
}

TEST_F(SlideshowTest, SaverRunningAndCursorHeldWhileTheSaverRuns)
{
    WritePayload(path, Standard("DV", 1));
    int cursor = CursorCount();
    ASSERT_NE(nullptr, Create(1));
    EXPECT_TRUE(SaverRunning());
    EXPECT_EQ(cursor - 1, CursorCount());
    // Destroyed from outside, as a parent going away would do.
    DestroyWindow(window);
    EXPECT_FALSE(SaverRunning());
    EXPECT_EQ(cursor, CursorCount());
    EXPECT_EQ(1, QuitPosted());
    // The slides go with the window; the logo stays until the program ends.
    EXPECT_TRUE(SlidesEmpty());
    EXPECT_EQ(LOGO_W, DibWidth(&engineLogo));
    SlideshowRelease();
    EXPECT_TRUE(engineLogo.data == nullptr);
}

// Runs only in the copy that the next test starts: the saver shows its first slide, then an
// allocation fails and ends the program.
TEST_F(SlideshowTest, DISABLED_RunsOutOfMemoryWhileShowing)
{
    WritePayload(path, Standard("DV", 1));
    ASSERT_NE(nullptr, Create(1));
    Tick();
    ASSERT_TRUE(SaverRunning());
    MemoryAllocate(SIZE_MAX - 4096);
}

// Runs only in a copy: a process reads the saver-running state once and keeps it, so only a new
// one sees what another process left. It clears the state for the tests that follow.
TEST_F(SlideshowTest, DISABLED_FindsTheSaverRunningStateClear)
{
    BOOL running = SaverRunning();
    BOOL previous;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, &previous, 0);
    EXPECT_FALSE(running);
}

// The saver-running state outlives the process that set it; an out-of-memory end clears it.
TEST_F(SlideshowTest, RunningOutOfMemoryLeavesNothingTurnedOff)
{
    std::string copy = ChildCopy("glimmer-slideshow-oom.exe");
    ASSERT_FALSE(copy.empty());
    ChildRun run = ChildRunFiltered(copy, "SlideshowTest.DISABLED_RunsOutOfMemoryWhileShowing");
    EXPECT_EQ((DWORD)MEMORY_EXHAUSTED_EXIT, run.exitCode);
    EXPECT_EQ(-1, run.testsRun); // ended before it could write its report
    ChildRun check =
        ChildRunFiltered(copy, "SlideshowTest.DISABLED_FindsTheSaverRunningStateClear");
    DeleteFileA(copy.c_str());
    EXPECT_EQ(0u, check.exitCode);
    EXPECT_EQ(1, check.testsRun);
}

// A refused timer ends the saver, at creation or at any later step, rather than leaving a black
// screen that only input would end.
TEST_F(SlideshowTest, ARefusedTimerEndsTheSaverInsteadOfFreezingIt)
{
    WritePayload(path, Standard("DV", 2));
    for (int full : {0, 1}) {
        for (int ticksFirst : {-1, 0, 5}) { // -1: refused while the window is created
            SCOPED_TRACE(testing::Message()
                         << (full ? "saver" : "preview") << " after " << ticksFirst << " ticks");
            int cursor = CursorCount();
            if (ticksFirst < 0) {
                TimersRefused refused;
                EXPECT_EQ(nullptr, Create(full));
            } else {
                ASSERT_NE(nullptr, Create(full));
                for (int i = 0; i < ticksFirst; i++)
                    Tick();
                ASSERT_TRUE(IsWindow(window));
                TimersRefused refused;
                Tick();
            }
            EXPECT_FALSE(IsWindow(window));
            EXPECT_EQ(1, QuitPosted());
            EXPECT_TRUE(SlidesEmpty());
            EXPECT_EQ(cursor, CursorCount());
            EXPECT_FALSE(SaverRunning());
            window = nullptr;
            if (parent) {
                DestroyWindow(parent);
                parent = nullptr;
            }
        }
    }
}

// Another program hiding the full-screen saver takes its activation: the saver ends, and gives
// back the cursor and the saver-running state, rather than running on unseen.
TEST_F(SlideshowTest, HiddenByAnotherProgramTheSaverEnds)
{
    WritePayload(path, Standard("DV", 1));
    int cursor = CursorCount();
    ASSERT_NE(nullptr, Create(1));
    ASSERT_TRUE(SaverRunning());
    ShowWindow(window, SW_HIDE);
    int quit = 0;
    for (DWORD start = GetTickCount(); !quit && GetTickCount() - start < 2000;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                quit = 1;
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
    EXPECT_EQ(1, quit);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(cursor, CursorCount());
    EXPECT_FALSE(SaverRunning());
}

TEST_F(SlideshowTest, FullScreenFadeShowsLogoBannerAndSlides)
{
    WritePayload(path, Standard("DV", 2));
    ASSERT_NE(nullptr, Create(1));
    int logoX = screenW - LOGO_W, logoY = screenH - LOGO_H;

    Tick(); // between slides: logo, banner, placement of the first slide
    EXPECT_EQ(0, Slideshow.fade.currentSlide);
    EXPECT_EQ(1, Slideshow.fade.step);
    EXPECT_TRUE(SameColour(LOGO_BLUE, ScreenPixel(window, logoX, logoY)));
    EXPECT_TRUE(SameColour(LOGO_BLUE, ScreenPixel(window, screenW - 1, screenH - 1)));
    EXPECT_GT(RedPixels(window, 0, screenH - BANNER_HEIGHT, 300, screenH), 50);
    int x = Slideshow.slideX, y = Slideshow.slideY;
    EXPECT_TRUE(logoX > x + SLIDE_W + LOGO_GAP || logoY > y + SLIDE_H + LOGO_GAP);
    EXPECT_TRUE(SameColour({0, 0, 0}, ScreenPixel(window, x + 1, y + 1)));

    static const int up[] = {31, 63, 95, 127, 159, 191, 223, 255};
    for (int step = 1; step <= FADE_STEPS; step++) {
        SCOPED_TRACE(step);
        Tick();
        Rgb want = {0, (unsigned char)up[step - 1], 0};
        EXPECT_TRUE(SameColour(want, ScreenPixel(window, x, y)));
        EXPECT_TRUE(SameColour(want, ScreenPixel(window, x + SLIDE_W - 1, y + SLIDE_H - 1)));
    }
    EXPECT_EQ(-1, Slideshow.fade.direction);
    for (int step = FADE_STEPS - 1; step >= 1; step--) {
        Tick();
        EXPECT_TRUE(SameColour({0, (unsigned char)up[step - 1], 0}, ScreenPixel(window, x, y)));
    }
    EXPECT_EQ(0, Slideshow.fade.step);

    // The logo's time is up: the next change of slide blacks out the old slide and the logo.
    SendMessageA(window, WM_TIMER, LOGO_TIMER, 0);
    EXPECT_EQ(0, Slideshow.logoVisible);
    Tick();
    EXPECT_EQ(1, Slideshow.fade.currentSlide);
    EXPECT_TRUE(SameColour({0, 0, 0}, ScreenPixel(window, x + SLIDE_W / 2, y + SLIDE_H / 2)));
    EXPECT_TRUE(SameColour({0, 0, 0}, ScreenPixel(window, screenW - 1, screenH - 1)));
    for (int step = 1; step <= FADE_STEPS; step++)
        Tick();
    EXPECT_TRUE(SameColour(SLIDE_WHITE, ScreenPixel(window, Slideshow.slideX, Slideshow.slideY)));

    // Unknown timers and the screen-saver system command change nothing.
    SendMessageA(window, WM_TIMER, 77, 0);
    EXPECT_EQ(0, SendMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0));
    EXPECT_TRUE(IsWindow(window));
}

// Full-screen, a slide and the logo cover exactly their own pixels, each row where it belongs
// (a stretch by one pixel would repeat a row and overdraw the next row and column), and the
// blackout takes away exactly what was drawn.
TEST_F(SlideshowTest, SlidesAndLogoAreDrawnPixelForPixel)
{
    const Rgb RED = {255, 0, 0}, BLUE = {0, 0, 255};
    DibPicture slide = SolidPicture(8, SLIDE_W, SLIDE_H, RED);
    slide.table.push_back(BLUE);
    DibPicture logoPicture = SolidPicture(24, LOGO_W, LOGO_H, RED);
    logoPicture.table.push_back(BLUE);
    for (int row = 0; row < SLIDE_H || row < LOGO_H; row++) {
        slide.rowIndex.push_back(row % 3 == 0);
        logoPicture.rowIndex.push_back(row % 2);
    }
    WritePayload(path, {TextRecord("dV"), DibRecord(logoPicture), DibRecord(slide), END_RECORD});
    ASSERT_NE(nullptr, Create(1));
    for (int step = 0; step <= FADE_STEPS; step++)
        Tick();
    int x = Slideshow.slideX, y = Slideshow.slideY;
    int logoX = screenW - LOGO_W, logoY = screenH - LOGO_H;
    // Rows are stored bottom-up: stored row r is shown at height - 1 - r.
    auto shown = [](const DibPicture &p, int row) {
        return TableColour(p, p.rowIndex[abs(p.height) - 1 - row]);
    };
    for (int row = 0; row < SLIDE_H; row++) {
        SCOPED_TRACE(row);
        EXPECT_TRUE(SameColour(shown(slide, row), ScreenPixel(window, x, y + row)));
        EXPECT_TRUE(SameColour(shown(slide, row), ScreenPixel(window, x + SLIDE_W - 1, y + row)));
        EXPECT_TRUE(SameColour({0, 0, 0}, ScreenPixel(window, x + SLIDE_W, y + row)));
    }
    EXPECT_TRUE(SameColour({0, 0, 0}, ScreenPixel(window, x, y + SLIDE_H)));
    for (int row = 0; row < LOGO_H; row++) {
        SCOPED_TRACE(row);
        EXPECT_TRUE(SameColour(shown(logoPicture, row), ScreenPixel(window, logoX, logoY + row)));
        EXPECT_TRUE(SameColour({0, 0, 0}, ScreenPixel(window, logoX - 1, logoY + row)));
    }
    EXPECT_TRUE(SameColour({0, 0, 0}, ScreenPixel(window, logoX, logoY - 1)));

    // Faded out and blacked out: nothing of the slide is left.
    while (Slideshow.fade.step != 0)
        Tick();
    Tick(); // between slides: the old place goes black, the next slide is not drawn yet
    for (int row = 0; row < SLIDE_H; row++)
        for (int column : {0, SLIDE_W / 2, SLIDE_W - 1})
            EXPECT_TRUE(SameColour({0, 0, 0}, ScreenPixel(window, x + column, y + row)));
}

TEST_F(SlideshowTest, BannerFollowsTheOptionsAndTheIntensity)
{
    struct Row {
        const char *name;
        const char *options;
        int intensity;
        int red; // expected strongest red, 0 for no banner
    };
    static const Row rows[] = {
        {"banner-on", "DV", 256, 255},      {"banner-dim", "DV", 50, 49},
        {"lower-case-d-off", "dV", 256, 0}, {"one-character-on", "D", 256, 255},
        {"empty-options-off", "", 256, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        WritePayload(path, Standard(row.options, 1));
        Settings.intensity = row.intensity;
        ASSERT_NE(nullptr, Create(1));
        Tick();
        HDC dc = GetDC(window);
        int strongest = 0, other = 0;
        for (int y = screenH - BANNER_HEIGHT; y < screenH; y++)
            for (int x = 0; x < 400; x++) {
                COLORREF c = GetPixel(dc, x, y);
                if (GetRValue(c) > strongest)
                    strongest = GetRValue(c);
                other |= GetGValue(c) | GetBValue(c);
            }
        ReleaseDC(window, dc);
        // Between slides only the logo (further right) and the banner are drawn.
        EXPECT_EQ(row.red, strongest);
        EXPECT_EQ(0, other);
        DestroyWindow(window);
        QuitPosted();
    }
}

TEST_F(SlideshowTest, PreviewDrawsAMiniature)
{
    WritePayload(path, Standard("DV", 1));
    ASSERT_NE(nullptr, Create(0));
    RECT client;
    GetClientRect(window, &client);
    ASSERT_EQ(200, client.right);
    Tick();
    // The logo is scaled by (client size - 1) / (screen size - 1) and sits in the corner.
    int logoLeft = MulDiv(screenW - LOGO_W, 199, screenW - 1);
    EXPECT_TRUE(SameColour(LOGO_BLUE, ScreenPixel(window, 199, 149)));
    EXPECT_TRUE(SameColour(LOGO_BLUE, ScreenPixel(window, logoLeft, 149)));
    EXPECT_TRUE(SameColour({0, 0, 0}, ScreenPixel(window, logoLeft - 2, 149)));
    int bannerHeight = MulDiv(BANNER_HEIGHT, 149, screenH - 1);
    EXPECT_GT(RedPixels(window, 0, 150 - bannerHeight, 100, 150), 3);
    EXPECT_EQ(0, RedPixels(window, 0, 0, 200, 150 - bannerHeight - 1));
    for (int step = 1; step <= FADE_STEPS; step++)
        Tick();
    int x = MulDiv(Slideshow.slideX, 199, screenW - 1);
    int y = MulDiv(Slideshow.slideY, 149, screenH - 1);
    EXPECT_TRUE(SameColour(SLIDE_GREEN, ScreenPixel(window, x, y)));
}

TEST_F(SlideshowTest, Input)
{
    const std::string longAddress = "DV" + std::string(128, 'a');
    struct Row {
        const char *name;
        int full;
        const char *options;
        UINT message;
        WPARAM wParam;
        int dx, dy; // pointer offset from the start position, for WM_MOUSEMOVE
        int ended;
        int armed;
    };
    const Row rows[] = {
        {"launch-key-saver", 1, "DVhttp://x/", WM_KEYDOWN, 'V', 0, 0, 1, 1},
        {"launch-key-preview", 0, "DVhttp://x/", WM_KEYDOWN, 'V', 0, 0, 1, 0},
        {"launch-key-no-address", 1, "DV", WM_KEYDOWN, 'V', 0, 0, 1, 0},
        {"launch-key-address-too-long", 1, longAddress.c_str(), WM_KEYDOWN, 'V', 0, 0, 1, 0},
        {"other-key", 1, "DVhttp://x/", WM_KEYDOWN, 'W', 0, 0, 1, 0},
        {"lower-case-key-is-f7", 1, "Dvhttp://x/", WM_KEYDOWN, VK_F7, 0, 0, 1, 1},
        {"lower-case-key-not-v", 1, "Dvhttp://x/", WM_KEYDOWN, 'V', 0, 0, 1, 0},
        {"no-key-in-options", 1, "D", WM_KEYDOWN, 0, 0, 0, 1, 0},
        {"mouse-100", 1, "DV", WM_MOUSEMOVE, 0, 100, -100, 0, 0},
        {"mouse-101-x", 1, "DV", WM_MOUSEMOVE, 0, 101, 0, 1, 0},
        {"mouse-101-y", 1, "DV", WM_MOUSEMOVE, 0, 0, -101, 1, 0},
        {"mouse-preview", 0, "DV", WM_MOUSEMOVE, 0, 300, 300, 0, 0},
        {"left-click-preview", 0, "DV", WM_LBUTTONDOWN, 0, 0, 0, 1, 0},
        {"right-click-saver", 1, "DV", WM_RBUTTONDOWN, 0, 0, 0, 1, 0},
        {"middle-click-saver", 1, "DV", WM_MBUTTONDOWN, 0, 0, 0, 1, 0},
        {"close", 1, "DV", WM_CLOSE, 0, 0, 0, 1, 0},
        {"deactivated-saver", 1, "DV", WM_ACTIVATE, WA_INACTIVE, 0, 0, 1, 0},
        {"deactivated-preview", 0, "DV", WM_ACTIVATE, WA_INACTIVE, 0, 0, 0, 0},
        {"screen-saver-command", 1, "DV", WM_SYSCOMMAND, SC_SCREENSAVE, 0, 0, 0, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        WritePayload(path, Standard(row.options, 1));
        // Shown, as the engine shows it: destroying the active window deactivates it first.
        ASSERT_NE(nullptr, Create(row.full));
        LPARAM position =
            MAKELPARAM(Slideshow.startCursor.x + row.dx, Slideshow.startCursor.y + row.dy);
        EXPECT_EQ(0, SendMessageA(window, row.message, row.wParam,
                                  row.message == WM_MOUSEMOVE ? position : 0));
        EXPECT_EQ(row.ended, !IsWindow(window));
        EXPECT_EQ(row.ended, QuitPosted());
        EXPECT_EQ(row.armed, engineLaunchArmed);
        EXPECT_EQ(row.ended, SlidesEmpty());
        if (IsWindow(window))
            DestroyWindow(window);
        if (parent) {
            DestroyWindow(parent);
            parent = nullptr;
        }
        QuitPosted();
    }
}

} // namespace
