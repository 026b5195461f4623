// The animated indicator on generated GIFs: frame order and spacing, the shared worker
// thread's life, and images that do not decode. Frames are told apart by their colour,
// read back from the window as the screen shows it.
#include "GifMaker.h"
#include "ParentWindow.h"
#include "Pixels.h"
#include "ShippedThemes.h"
#include "hostapi/KernelHost.h"
#include "base/ModuleHandle.h"
#include "page/GifWnd.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
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

// Colour changes seen while sampling for ms milliseconds: (colour, milliseconds shown).
std::vector<std::pair<COLORREF, double>> watchFrames(HWND hwnd, DWORD ms)
{
    LARGE_INTEGER freq, start, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    std::vector<std::pair<COLORREF, double>> changes; // colour, time first seen
    for (;;) {
        QueryPerformanceCounter(&now);
        double t = double(now.QuadPart - start.QuadPart) * 1000.0 / double(freq.QuadPart);
        if (t > ms) break;
        COLORREF c = pixelOf(hwnd);
        if (changes.empty() || changes.back().first != c) changes.push_back({c, t});
        TestSupport::pumpMessages(1);
    }
    std::vector<std::pair<COLORREF, double>> shown;
    for (size_t i = 1; i + 1 < changes.size(); ++i) // first and last spans are cut short
        shown.push_back({changes[i].first, changes[i + 1].second - changes[i].second});
    return shown;
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

double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

TEST(GifWnd, FramesFollowInOrderWithTheirDelays)
{
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

    // A sampler starved by a busy machine may miss a frame: judge the order by the share of
    // changes that move exactly one frame on, and time only frames seen between such changes.
    auto shown = watchFrames(*gif, 1500);
    ASSERT_GE(shown.size(), 9u);
    auto next = [](COLORREF c) { return c == kRed ? kGreen : c == kGreen ? kBlue : kRed; };
    std::map<COLORREF, std::vector<double>> spans;
    size_t inOrder = 0;
    for (size_t i = 1; i < shown.size(); ++i) {
        if (shown[i].first != next(shown[i - 1].first)) continue;
        ++inOrder;
        if (i + 1 < shown.size() && shown[i + 1].first == next(shown[i].first))
            spans[shown[i].first].push_back(shown[i].second);
    }
    EXPECT_GE(inOrder * 4, (shown.size() - 1) * 3) << "frames out of order";
    double green = median(spans[kGreen]), blue = median(spans[kBlue]), red = median(spans[kRed]);
    EXPECT_NEAR(green, 100, 40);
    EXPECT_NEAR(blue, 70, 35);
    EXPECT_NEAR(red, 70, 35);
    EXPECT_GT(green, std::max(blue, red));
}

TEST(GifWnd, OneFrameImageIsRedrawn)
{
    std::string bytes = TestSupport::makeGif(12, 12, {{kGreen, 0}});
    const COLORREF background = RGB(250, 180, 0);
    Parent parent;
    auto gif = makeIndicator(bytes, parent.hwnd(), 0, background);
    TestSupport::pumpMessages(150);
    EXPECT_EQ(pixelOf(*gif), kGreen);
    // Made larger than the image, the window shows the background colour around it.
    SetWindowPos(*gif, nullptr, 0, 0, 24, 24, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    TestSupport::pumpMessages(250);
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
    TestSupport::pumpMessages(250);
    EXPECT_EQ(pixelOf(*gif), kGreen);
}

TEST(GifWnd, SharedThreadLivesWhileAnyWindowAnimates)
{
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
    auto shown = watchFrames(*second, 300);
    EXPECT_GE(shown.size(), 3u) << "the remaining window stopped animating";

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

    Parent parent;
    GifWnd gif(bytes, size, RGB(255, 255, 255));
    RECT rc = {8, 8, 8, 8};
    ASSERT_TRUE(gif.Create(WS_CHILD | WS_VISIBLE, 0, L"", rc, parent.hwnd(), nullptr, ClosedFund::moduleInstance()));
    EXPECT_GT(gif.frameCount(), 1u);
    TestSupport::pumpMessages(250);
    auto capture = TestSupport::grabScreen(gif);
    RECT all = {0, 0, capture.width, capture.height};
    EXPECT_GT(capture.countOther(all, RGB(255, 255, 255)), 0) << "indicator drew nothing";
    TestSupport::saveArtifact(capture, L"refresh-indicator-mid-animation");
}
