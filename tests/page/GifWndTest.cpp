// The animated indicator on generated GIFs: frame order and delays, the shared worker
// thread's life, and images that do not decode. Frames are told apart by their colour,
// read back from the window as the screen shows it. Time is a clock the test moves: a frame
// must change exactly when its delay has passed, however busy the machine.
#include "GifMaker.h"
#include "ParentWindow.h"
#include "Pixels.h"
#include "ShippedThemes.h"
#include "hostapi/KernelHost.h"
#include "base/ModuleHandle.h"
#include "page/GifWnd.h"
#include <gtest/gtest.h>
#include <memory>

using ClosedFund::GifWnd;
using TestSupport::GifFrame;

namespace {

const COLORREF kRed = RGB(230, 20, 20), kGreen = RGB(20, 200, 40), kBlue = RGB(30, 40, 220);

// The indicator's holder, where the page puts it.
struct Parent : TestSupport::ParentWindow {
    Parent() : ParentWindow(RECT{40, 40, 240, 160}, WS_POPUP | WS_VISIBLE) {}
};

std::unique_ptr<GifWnd> makeIndicator(const std::string& bytes, HWND parent, int x = 0,
                                      COLORREF background = RGB(255, 255, 255))
{
    auto gif = std::make_unique<GifWnd>(bytes.data(), unsigned(bytes.size()), background);
    RECT rc = {x, 0, x, 0};
    gif->Create(WS_CHILD | WS_VISIBLE, 0, L"", rc, parent, nullptr, ClosedFund::moduleInstance());
    return gif;
}

COLORREF pixelOf(HWND hwnd, int x = 4, int y = 4)
{
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

// The animation's clock while it lives, moved only by the test. The shared thread reads it
// once per round, so two more readings mean a whole round has seen the latest time.
class TestClock {
public:
    explicit TestClock(DWORD start)
    {
        now_ = LONG(start);
        GifWnd::setClock(&TestClock::read);
    }
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;
    ~TestClock() { GifWnd::setClock(nullptr); }

    // Moves time on by ms and waits for a round that saw it; false when none came.
    bool advance(DWORD ms)
    {
        InterlockedExchangeAdd(&now_, LONG(ms));
        return waitRound();
    }
    bool waitRound()
    {
        LONG seen = readings_;
        DWORD start = GetTickCount();
        while (readings_ - seen < 2) {
            if (GetTickCount() - start > 5000) return false;
            Sleep(1); // no paint of this thread's windows between a round's drawing and the test's look
        }
        return true;
    }

private:
    static DWORD WINAPI read()
    {
        InterlockedIncrement(&readings_);
        return DWORD(now_);
    }
    static volatile LONG now_, readings_;
};
volatile LONG TestClock::now_ = 0;
volatile LONG TestClock::readings_ = 0;

// Lets the new windows' first paints (the holder's background over the indicator) happen
// now, not over a frame the test is about to read.
void settle(HWND parent)
{
    TestSupport::pumpMessages(50);
    RedrawWindow(parent, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool waitForState(int state, DWORD ms)
{
    DWORD start = GetTickCount();
    while (GifWnd::animationThreadState() != state) {
        if (GetTickCount() - start > ms) return false;
        TestSupport::pumpMessages(5);
    }
    return true;
}

} // namespace

TEST(GifWnd, FramesFollowInOrderWithTheirDelays)
{
    TestClock clock(100000);
    // Delay 7 is 70 ms; delay 0 means 100 ms.
    std::string bytes = TestSupport::makeGif(16, 16, {{kRed, 7}, {kGreen, 0}, {kBlue, 7}});
    Parent parent;
    auto gif = makeIndicator(bytes, parent.hwnd());
    ASSERT_TRUE(gif->hasImage());
    EXPECT_EQ(gif->frameCount(), 3u);
    RECT rc;
    GetClientRect(*gif, &rc);
    EXPECT_EQ(rc.right, 16); // sized to the image at creation
    EXPECT_EQ(rc.bottom, 16);

    // The first round moves on to green at once; from then on each frame stays exactly its
    // delay.
    ASSERT_TRUE(clock.waitRound());
    settle(parent.hwnd());
    ASSERT_TRUE(clock.advance(100));
    struct Step {
        COLORREF shown;
        DWORD delayMs;
        COLORREF next;
    };
    const Step cycle[] = {{kBlue, 70, kRed}, {kRed, 70, kGreen}, {kGreen, 100, kBlue}};
    for (int round = 0; round < 2; ++round) {
        for (const Step& step : cycle) {
            ASSERT_TRUE(clock.advance(step.delayMs - 1));
            EXPECT_EQ(pixelOf(*gif), step.shown) << "moved on before its delay of " << step.delayMs << " ms";
            ASSERT_TRUE(clock.advance(1));
            EXPECT_EQ(pixelOf(*gif), step.next) << "not moved on after its delay of " << step.delayMs << " ms";
        }
    }
}

TEST(GifWnd, OneFrameImageIsRedrawn)
{
    std::string bytes = TestSupport::makeGif(12, 12, {{kGreen, 0}});
    const COLORREF background = RGB(250, 180, 0);
    Parent parent;
    TestClock clock(5000);
    auto gif = makeIndicator(bytes, parent.hwnd(), 0, background);
    ASSERT_TRUE(clock.waitRound());
    settle(parent.hwnd());
    ASSERT_TRUE(clock.advance(100));
    EXPECT_EQ(pixelOf(*gif), kGreen);
    // Made larger than the image, the window shows the background colour around it.
    SetWindowPos(*gif, nullptr, 0, 0, 24, 24, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    settle(parent.hwnd());
    ASSERT_TRUE(clock.advance(100));
    EXPECT_EQ(pixelOf(*gif, 18, 18), background);
    EXPECT_EQ(pixelOf(*gif, 4, 18), background);
    EXPECT_EQ(pixelOf(*gif, 4, 4), kGreen);
    // Paint over it: the next round of the worker draws the frame again.
    HDC dc = GetDC(*gif);
    RECT rc = {0, 0, 12, 12};
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    FillRect(dc, &rc, black);
    DeleteObject(black);
    ReleaseDC(*gif, dc);
    EXPECT_EQ(pixelOf(*gif), RGB(0, 0, 0));
    ASSERT_TRUE(clock.advance(100));
    EXPECT_EQ(pixelOf(*gif), kGreen);
}

TEST(GifWnd, SharedThreadLivesWhileAnyWindowAnimates)
{
    TestClock clock(7000);
    std::string bytes = TestSupport::makeGif(16, 16, {{kRed, 2}, {kBlue, 2}});
    Parent parent;
    auto first = makeIndicator(bytes, parent.hwnd(), 0);
    ASSERT_TRUE(waitForState(1, 2000));

    // Hiding the only animated window stops the thread; showing it starts it again,
    // right away even though the last worker may still be winding down.
    ShowWindow(*first, SW_HIDE);
    EXPECT_FALSE(first->isAnimating());
    EXPECT_TRUE(waitForState(0, 2000));
    ShowWindow(*first, SW_SHOW);
    EXPECT_TRUE(first->isAnimating());
    EXPECT_TRUE(waitForState(1, 2000));
    ShowWindow(*first, SW_HIDE);
    ShowWindow(*first, SW_SHOW);
    EXPECT_TRUE(waitForState(1, 2000));

    // Two windows share the one thread; hiding one leaves the other animating.
    auto second = makeIndicator(bytes, parent.hwnd(), 40);
    EXPECT_EQ(GifWnd::animationThreadState(), 1);
    ShowWindow(*first, SW_HIDE);
    TestSupport::pumpMessages(50);
    EXPECT_EQ(GifWnd::animationThreadState(), 1);
    settle(parent.hwnd());
    ASSERT_TRUE(clock.advance(20));
    COLORREF before = pixelOf(*second);
    ASSERT_TRUE(before == kRed || before == kBlue);
    for (COLORREF expected : {before == kRed ? kBlue : kRed, before}) {
        ASSERT_TRUE(clock.advance(20));
        EXPECT_EQ(pixelOf(*second), expected) << "the remaining window stopped animating";
    }

    // Destroying the last animated window ends the thread.
    second.reset();
    EXPECT_TRUE(waitForState(0, 2000));
    first.reset();
    EXPECT_EQ(GifWnd::animationThreadState(), 0);
}

TEST(GifWnd, BytesThatDoNotDecodeLeaveABlankWindow)
{
    Parent parent;
    std::string garbage = "GIF89a-not-really";
    for (const std::string& bytes : {garbage, std::string()}) {
        auto gif = makeIndicator(bytes, parent.hwnd());
        ASSERT_TRUE(IsWindow(*gif));
        EXPECT_FALSE(gif->hasImage());
        ShowWindow(*gif, SW_SHOW);
        EXPECT_FALSE(gif->isAnimating());
        TestSupport::pumpMessages(50);
        EXPECT_EQ(GifWnd::animationThreadState(), 0);
    }
    GifWnd none(nullptr, 0, RGB(0, 0, 0));
    EXPECT_FALSE(none.hasImage());
}

TEST(GifWnd, ThemeRefreshIndicatorMidAnimation)
{
    auto themes = Host::openThemeMgr(TestSupport::shippedThemeFolder().c_str(), "light");
    ASSERT_TRUE(themes);
    auto theme = themes->getCurrentTheme();
    ASSERT_TRUE(theme);
    const void* bytes = nullptr;
    unsigned size = 0;
    ASSERT_TRUE(theme->getResource("refresh", bytes, size, 0));

    TestClock clock(9000);
    Parent parent;
    GifWnd gif(bytes, size, RGB(255, 255, 255));
    RECT rc = {8, 8, 8, 8};
    ASSERT_TRUE(gif.Create(WS_CHILD | WS_VISIBLE, 0, L"", rc, parent.hwnd(), nullptr, ClosedFund::moduleInstance()));
    EXPECT_GT(gif.frameCount(), 1u);
    ASSERT_TRUE(clock.waitRound());
    settle(parent.hwnd());
    ASSERT_TRUE(clock.advance(1000)); // past any frame's delay: the next frame is drawn
    auto capture = TestSupport::grabScreen(gif);
    RECT all = {0, 0, capture.width, capture.height};
    EXPECT_GT(capture.countOther(all, RGB(255, 255, 255)), 0) << "indicator drew nothing";
    TestSupport::saveArtifact(capture, L"refresh-indicator-mid-animation");
}
