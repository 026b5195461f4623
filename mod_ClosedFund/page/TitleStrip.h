// The strip above the grid: the heading at its left, the refresh indicator just right of
// the heading, the status line (when there is one) at the right end, the freshness line (the
// rows' data date and load time) just left of it, and the filter bar in the rest of the
// strip. The heading is measured in its own font, so the bar starts where
// the painted text ends rather than at a fixed place.
#pragma once
#include "common/XString.h"
#include "ui/Dpi.h"
#include <windows.h>

namespace ClosedFund {

extern const wchar_t kStripHeading[];

struct TitleStrip {
    RECT heading;    // where the heading's text is drawn
    POINT indicator; // top left of the refresh indicator
    RECT bar;        // the filter bar; empty (right == left) when the page is too narrow
    RECT status;     // the status line; empty without one
    RECT freshness;  // the data date and load time (placeFreshness); empty without them
};

// At 96 dpi and the standard font size; stripHeight and the layout scale them.
enum { kStripHeight = 30, kIndicatorSize = 20 };

// The strip follows the font size as the grid does, so the heading and the bar's captions
// keep their room at 特大.
int stripHeight(const WGUI::UiScale& scale);
// The heading's font: 22 pixels at 96 dpi and the standard size, bold.
HFONT createTitleFont(const WGUI::UiScale& scale = WGUI::UiScale());
// The strip of a page width wide, the heading measured in titleFont and the status line in
// statusFont (the stock GUI font when null). A status line takes the room its text needs at
// the right end, at most half of what is right of the indicator.
TitleStrip layoutTitleStrip(HFONT titleFont, int width, const Common::XStringW& status = Common::XStringW(),
                            const WGUI::UiScale& scale = WGUI::UiScale(), HFONT statusFont = nullptr);
// Draws the status line in its place, shortened with "…" when it does not fit.
void paintStatusLine(HDC dc, const RECT& place, const Common::XStringW& status, HFONT font = nullptr,
                     const WGUI::UiScale& scale = WGUI::UiScale());

// What the strip says of the rows on screen: the data date the reload read ("--" when it read
// none) and the local time of that reload, in full ("数据日期 2026-12-08 · 更新于 14:32") and
// briefly for a narrow page ("2026-12-08 · 14:32").
struct Freshness {
    Common::XStringW full, brief;
};
Freshness freshnessOf(const Common::XStringW& dataDate, const SYSTEMTIME& loadedAt);
// Gives the freshness line a place at the right end of the bar, just left of the status line,
// measured in font (the stock GUI font when null), and returns the form that fits there: the
// full one, else the brief one, else none (the place then stays empty). The room comes from
// the bar, which keeps what its conditions need on a page of ordinary width, and then from
// the status line (a message stays there only until the next; the rows' date stays on).
Common::XStringW placeFreshness(TitleStrip& strip, const Freshness& freshness, HFONT font = nullptr,
                                const WGUI::UiScale& scale = WGUI::UiScale());

} // namespace ClosedFund
