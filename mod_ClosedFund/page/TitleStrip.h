// The strip above the grid: the heading at its left, the refresh indicator just right of
// the heading, and the filter bar in the rest of the strip. The heading is measured in its
// own font, so the bar starts where the painted text ends rather than at a fixed place.
#pragma once
#include <windows.h>

namespace ClosedFund {

extern const wchar_t kStripHeading[];

struct TitleStrip {
    RECT heading;    // where the heading's text is drawn
    POINT indicator; // top left of the refresh indicator
    RECT bar;        // the filter bar; empty (right == left) when the page is too narrow
};

enum { kStripHeight = 30, kIndicatorSize = 20 };

// The heading's font: 22 pixels, bold.
HFONT createTitleFont();
// The strip of a page width wide, the heading measured in titleFont.
TitleStrip layoutTitleStrip(HFONT titleFont, int width);

} // namespace ClosedFund
