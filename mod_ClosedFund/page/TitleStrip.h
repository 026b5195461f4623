// The strip above the grid: the heading at its left, the refresh indicator just right of
// the heading, the status line (when there is one) at the right end, and the filter bar in
// the rest of the strip. The heading is measured in its own font, so the bar starts where
// the painted text ends rather than at a fixed place.
#pragma once
#include "common/XString.h"
#include <windows.h>

namespace ClosedFund {

extern const wchar_t kStripHeading[];

struct TitleStrip {
    RECT heading;    // where the heading's text is drawn
    POINT indicator; // top left of the refresh indicator
    RECT bar;        // the filter bar; empty (right == left) when the page is too narrow
    RECT status;     // the status line; empty without one
};

enum { kStripHeight = 30, kIndicatorSize = 20 };

// The heading's font: 22 pixels, bold.
HFONT createTitleFont();
// The strip of a page width wide, the heading measured in titleFont. A status line takes
// the room its text needs at the right end, at most half of what is right of the indicator.
TitleStrip layoutTitleStrip(HFONT titleFont, int width, const Common::XStringW& status = Common::XStringW());
// Draws the status line in its place, shortened with "…" when it does not fit.
void paintStatusLine(HDC dc, const RECT& place, const Common::XStringW& status);

} // namespace ClosedFund
