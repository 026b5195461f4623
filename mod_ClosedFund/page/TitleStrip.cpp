#include "page/TitleStrip.h"
#include <common/ScopedWin.h>
#include <algorithm>
#include <cwchar>

namespace ClosedFund {

const wchar_t kStripHeading[] = L"契约型封闭式净值";

namespace {

const int kHeadingX = 10, kHeadingY = 3;
const int kGap = 8; // heading to indicator, indicator to bar
const int kIndicatorY = 8;
const int kBarTop = 2, kBarHeight = 26;

} // namespace

HFONT createTitleFont()
{
    return ::CreateFontW(22, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"楷体_GB2312");
}

TitleStrip layoutTitleStrip(HFONT titleFont, int width)
{
    SIZE extent = {};
    Common::WindowDC screen(nullptr);
    if (screen) {
        Common::SelectedObject font(screen, titleFont);
        ::GetTextExtentPoint32W(screen, kStripHeading, int(wcslen(kStripHeading)), &extent);
    }
    TitleStrip strip = {};
    strip.heading = {kHeadingX, kHeadingY, kHeadingX + int(extent.cx), kHeadingY + int(extent.cy)};
    strip.indicator = {strip.heading.right + kGap, kIndicatorY};
    int barLeft = strip.indicator.x + kIndicatorSize + kGap;
    strip.bar = {barLeft, kBarTop, std::max(barLeft, width), kBarTop + kBarHeight};
    return strip;
}

} // namespace ClosedFund
