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

HFONT guiFont() { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }

} // namespace

HFONT createTitleFont()
{
    return ::CreateFontW(22, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"楷体_GB2312");
}

TitleStrip layoutTitleStrip(HFONT titleFont, int width, const Common::XStringW& status)
{
    SIZE extent = {}, statusExtent = {};
    Common::WindowDC screen(nullptr);
    if (screen) {
        Common::SelectedObject font(screen, titleFont);
        ::GetTextExtentPoint32W(screen, kStripHeading, int(wcslen(kStripHeading)), &extent);
        Common::SelectedObject statusFont(screen, guiFont());
        if (!status.empty()) ::GetTextExtentPoint32W(screen, status.c_str(), int(status.size()), &statusExtent);
    }
    TitleStrip strip = {};
    strip.heading = {kHeadingX, kHeadingY, kHeadingX + int(extent.cx), kHeadingY + int(extent.cy)};
    strip.indicator = {strip.heading.right + kGap, kIndicatorY};
    int barLeft = strip.indicator.x + kIndicatorSize + kGap;
    int barRight = std::max(barLeft, width);
    if (!status.empty()) {
        int statusWidth = std::min(int(statusExtent.cx) + 2 * kGap, (barRight - barLeft) / 2);
        barRight -= statusWidth;
        strip.status = {barRight, kBarTop, barRight + statusWidth, kBarTop + kBarHeight};
    }
    strip.bar = {barLeft, kBarTop, barRight, kBarTop + kBarHeight};
    return strip;
}

void paintStatusLine(HDC dc, const RECT& place, const Common::XStringW& status)
{
    if (!dc || status.empty() || place.right - place.left <= 2 * kGap) return;
    RECT text = {place.left + kGap, place.top, place.right - kGap, place.bottom};
    Common::SelectedObject font(dc, guiFont());
    ::DrawTextW(dc, status.c_str(), int(status.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_END_ELLIPSIS | DT_NOPREFIX);
}

} // namespace ClosedFund
