#include "page/TitleStrip.h"
#include <common/ScopedWin.h>
#include <algorithm>
#include <cwchar>

namespace ClosedFund {

const wchar_t kStripHeading[] = L"契约型封闭式净值";

namespace {

// At 96 dpi. The heading stands centred in the strip's height, the indicator on the bar's
// bottom line.
const int kHeadingX = 10;
// The filter bar's least room beside the freshness line: "更多筛选", the search box, the
// count and two conditions.
const int kBarKeeps = 480;
// A status line shortened for the freshness line keeps this much of itself.
const int kStatusKeeps = 160;
const int kGap = 8;      // heading to indicator, indicator to bar
const int kBarInset = 2; // above and below the bar and the status line

HFONT guiFont() { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }

} // namespace

int stripHeight(const WGUI::UiScale& scale) { return scale.Text(kStripHeight); }

HFONT createTitleFont(const WGUI::UiScale& scale) { return WGUI::CreateScaledFont(L"楷体_GB2312", 22, FW_BOLD, scale); }

TitleStrip layoutTitleStrip(HFONT titleFont, int width, const Common::XStringW& status, const WGUI::UiScale& scale,
                            HFONT statusFont)
{
    SIZE extent = {}, statusExtent = {};
    Common::WindowDC screen(nullptr);
    if (screen) {
        Common::SelectedObject font(screen, titleFont);
        ::GetTextExtentPoint32W(screen, kStripHeading, int(wcslen(kStripHeading)), &extent);
        Common::SelectedObject selected(screen, statusFont ? statusFont : guiFont());
        if (!status.empty()) ::GetTextExtentPoint32W(screen, status.c_str(), int(status.size()), &statusExtent);
    }
    const int height = stripHeight(scale), gap = scale.Fixed(kGap), inset = scale.Fixed(kBarInset);
    const int indicator = scale.Fixed(kIndicatorSize);
    TitleStrip strip = {};
    int headingX = scale.Fixed(kHeadingX), headingY = std::max(0, (height - int(extent.cy)) / 2);
    strip.heading = {headingX, headingY, headingX + int(extent.cx), headingY + int(extent.cy)};
    strip.indicator = {strip.heading.right + gap, std::max(0, height - inset - indicator)};
    int barLeft = strip.indicator.x + indicator + gap;
    int barRight = std::max(barLeft, width);
    if (!status.empty()) {
        int statusWidth = std::min(int(statusExtent.cx) + 2 * gap, (barRight - barLeft) / 2);
        barRight -= statusWidth;
        strip.status = {barRight, inset, barRight + statusWidth, height - inset};
    }
    strip.bar = {barLeft, inset, barRight, height - inset};
    return strip;
}

void paintStatusLine(HDC dc, const RECT& place, const Common::XStringW& status, HFONT statusFont,
                     const WGUI::UiScale& scale)
{
    const int gap = scale.Fixed(kGap);
    if (!dc || status.empty() || place.right - place.left <= 2 * gap) return;
    RECT text = {place.left + gap, place.top, place.right - gap, place.bottom};
    Common::SelectedObject font(dc, statusFont ? statusFont : guiFont());
    ::DrawTextW(dc, status.c_str(), int(status.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_END_ELLIPSIS | DT_NOPREFIX);
}

Freshness freshnessOf(const Common::XStringW& dataDate, const SYSTEMTIME& loadedAt)
{
    const wchar_t* date = dataDate.empty() ? L"--" : dataDate.c_str();
    unsigned hour = loadedAt.wHour, minute = loadedAt.wMinute;
    Freshness freshness;
    freshness.full.format(L"数据日期 %ls · 更新于 %02u:%02u", date, hour, minute);
    freshness.brief.format(L"%ls · %02u:%02u", date, hour, minute);
    return freshness;
}

Common::XStringW placeFreshness(TitleStrip& strip, const Freshness& freshness, HFONT font, const WGUI::UiScale& scale)
{
    strip.freshness = {};
    const int gap = scale.Fixed(kGap);
    const int fromBar = std::max(0, int(strip.bar.right - strip.bar.left) - scale.Text(kBarKeeps));
    const int fromStatus = std::max(0, int(strip.status.right - strip.status.left) - scale.Text(kStatusKeeps));
    Common::WindowDC screen(nullptr);
    if (!screen) return {};
    Common::SelectedObject selected(screen, font ? font : guiFont());
    for (const Common::XStringW* text : {&freshness.full, &freshness.brief}) {
        SIZE extent = {};
        if (text->empty() || !::GetTextExtentPoint32W(screen, text->c_str(), int(text->size()), &extent)) continue;
        int width = int(extent.cx) + 2 * gap;
        if (width > fromBar + fromStatus) continue;
        // The bar gives first; a status line gives the rest and is shortened with "…".
        int barGives = std::min(width, fromBar);
        strip.bar.right -= barGives;
        strip.status.left += width - barGives;
        strip.freshness = {strip.bar.right + gap, strip.bar.top, strip.bar.right + width - gap, strip.bar.bottom};
        return *text;
    }
    return {};
}

} // namespace ClosedFund
