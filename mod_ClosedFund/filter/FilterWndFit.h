// The filter bar's arrangement as arithmetic, apart from any window: from the widths the
// bar's texts measure, the room it has and the scale, where "更多筛选", the search box, the
// count and each condition's button stand; which conditions keep a button (the newest) and
// which go behind "+N"; which buttons give up width (their captions are then shortened).
// The order in which room is found is the one FilterWndLayout.cpp describes.
#pragma once
#include "ui/Dpi.h"
#include <cstddef>
#include <vector>

namespace ClosedFund {

// Widths in pixels of the bar's texts in its font, captions without their buttons' padding.
struct BarTexts {
    struct Caption {
        int full = 0;  // the caption whole
        int least = 0; // its first few characters and "…" (no more than full)
    };
    int more = 0;                    // "更多筛选"
    std::vector<Caption> conditions; // newest first
    int count = 0, compactCount = 0; // "筛选出 8 / 60 只" and "8/60"
    std::vector<int> overflow;       // overflow[k - 1] is the width of "+k"
    bool searchBox = false;          // the bar has a search box to place
};

// A horizontal place in the bar's client coordinates; empty when right <= left.
struct BarSpan {
    int left = 0, right = 0;
    int width() const { return right - left; }
    bool empty() const { return right <= left; }
};

struct BarFit {
    enum CountForm { kWholeCount, kCompactCount, kNoCount };
    BarSpan more;
    BarSpan searchBox; // empty: the box is hidden
    CountForm countForm = kNoCount;
    BarSpan count;                   // where the count is drawn
    std::vector<BarSpan> conditions; // the buttons of the newest conditions, newest first
    BarSpan overflow;                // "+N" for the rest; empty when every condition kept one
    size_t hidden = 0;               // N

    size_t kept() const { return conditions.size(); }
};

// The padding a caption takes in its button (its indent and the arrow), at the scale.
int buttonPadding(const WGUI::UiScale& scale);
// The arrangement in a bar width pixels wide.
BarFit fitBar(const BarTexts& texts, int width, const WGUI::UiScale& scale);

} // namespace ClosedFund
