#include "filter/FilterWndFit.h"
#include <algorithm>

namespace ClosedFund {

namespace {

// At 96 dpi. The search box holds text, so it follows the font size; the rest is chrome.
const int kButtonPadding = 28; // the caption's indent and the arrow
const int kMoreButtonGap = 5;
const int kConditionGap = 1;
const int kCountLeft = 4; // the count's indent from the bar's left edge
const int kCountGap = 8;  // between the count and the first button
const int kSearchBoxGap = 6;
const int kSearchBoxWidth = 150; // fixed: the box never moves as conditions come and go
const int kSearchBoxLeast = 60;  // narrower than this it would hold no readable word

// One condition's button widths, padding included.
struct Slot {
    int full;
    int least;
};

// Widths for the first count slots within room pixels (gaps included), or false when even
// their least widths do not fit. The widest buttons give up width first: every button gets
// min(full, max(least, cap)) for the largest cap that fits.
bool fitSlots(const std::vector<Slot>& slots, size_t count, int room, int gap, std::vector<int>& widths)
{
    int gaps = count > 1 ? int(count - 1) * gap : 0;
    auto total = [&](int cap) {
        int sum = gaps;
        for (size_t i = 0; i < count; ++i) sum += std::min(slots[i].full, std::max(slots[i].least, cap));
        return sum;
    };
    if (total(0) > room) return false;
    int low = 0, high = 0;
    for (size_t i = 0; i < count; ++i) high = std::max(high, slots[i].full);
    while (low < high) {
        int mid = (low + high + 1) / 2;
        if (total(mid) <= room)
            low = mid;
        else
            high = mid - 1;
    }
    widths.clear();
    for (size_t i = 0; i < count; ++i) widths.push_back(std::min(slots[i].full, std::max(slots[i].least, low)));
    return true;
}

// What the count and the conditions may share: from left to right, the room left beside
// "更多筛选" and the search box.
struct Room {
    int left, right;
};

struct Arrangement {
    BarFit::CountForm form = BarFit::kNoCount;
    size_t kept = 0;
    std::vector<int> widths;
    int overflowWidth = 0;
};

class Fitter {
public:
    Fitter(const BarTexts& texts, const WGUI::UiScale& scale)
        : texts_(texts), padding_(buttonPadding(scale)), gap_(scale.Fixed(kConditionGap)),
          countGap_(scale.Fixed(kCountGap))
    {
        for (const BarTexts::Caption& caption : texts.conditions) {
            int full = caption.full + padding_;
            slots_.push_back({full, std::min(full, caption.least + padding_)});
        }
    }

    int overflowButton(size_t hidden) const
    {
        if (hidden == 0 || texts_.overflow.empty()) return 0;
        return texts_.overflow[std::min(hidden, texts_.overflow.size()) - 1] + padding_;
    }
    int countWidth(BarFit::CountForm form) const
    {
        if (form == BarFit::kNoCount) return 0;
        return (form == BarFit::kWholeCount ? texts_.count : texts_.compactCount) + countGap_;
    }

    // Whether the count in form and the newest kept conditions fit the room, the rest behind "+N".
    bool fits(BarFit::CountForm form, size_t kept, int room, Arrangement& out) const
    {
        size_t n = slots_.size();
        int plus = kept < n ? overflowButton(n - kept) + (kept ? gap_ : 0) : 0;
        if (!fitSlots(slots_, kept, room - countWidth(form) - plus, gap_, out.widths)) return false;
        out.form = form;
        out.kept = kept;
        out.overflowWidth = kept < n ? plus - (kept ? gap_ : 0) : 0;
        return true;
    }

    // The first arrangement that fits, in the order the layout's comment gives: the whole
    // count with every condition, the compact count with every condition, then fewer
    // conditions with the compact count, then with none. Failing all, "+N" alone takes what
    // is left, possibly nothing.
    Arrangement choose(int room) const
    {
        Arrangement chosen;
        size_t n = slots_.size();
        if (fits(BarFit::kWholeCount, n, room, chosen) || fits(BarFit::kCompactCount, n, room, chosen)) return chosen;
        for (BarFit::CountForm form : {BarFit::kCompactCount, BarFit::kNoCount})
            for (size_t kept = n; kept-- > 0;)
                if (fits(form, kept, room, chosen)) return chosen;
        chosen = Arrangement();
        chosen.overflowWidth = n ? std::min(overflowButton(n), std::max(0, room)) : 0;
        return chosen;
    }

    int padding() const { return padding_; }
    int gap() const { return gap_; }
    int countGap() const { return countGap_; }
    size_t conditions() const { return slots_.size(); }

private:
    const BarTexts& texts_;
    int padding_, gap_, countGap_;
    std::vector<Slot> slots_;
};

// The search box's width out of room pixels: fixed while there is room, 0 (hidden) when it
// would be too narrow to read.
int searchBoxWidth(int room, const WGUI::UiScale& scale)
{
    int width = std::min(room, scale.Text(kSearchBoxWidth));
    return width < scale.Text(kSearchBoxLeast) ? 0 : width;
}

// From the right: "+N" for the oldest, then the kept ones oldest first (the newest
// leftmost); the count at the left.
void placeSpans(const Fitter& fitter, const Arrangement& chosen, Room room, BarFit& fit)
{
    size_t n = fitter.conditions();
    int right = room.right;
    fit.hidden = n - chosen.kept;
    if (fit.hidden > 0 && chosen.overflowWidth > 0) {
        fit.overflow = {right - chosen.overflowWidth, right};
        right -= chosen.overflowWidth + fitter.gap();
    }
    fit.conditions.assign(chosen.kept, BarSpan());
    for (size_t i = chosen.kept; i-- > 0;) {
        fit.conditions[i] = {right - chosen.widths[i], right};
        right -= chosen.widths[i] + fitter.gap();
    }
    fit.countForm = chosen.form;
    if (chosen.form != BarFit::kNoCount)
        fit.count = {room.left, room.left + fitter.countWidth(chosen.form) - fitter.countGap()};
}

} // namespace

int buttonPadding(const WGUI::UiScale& scale) { return scale.Fixed(kButtonPadding); }

BarFit fitBar(const BarTexts& texts, int width, const WGUI::UiScale& scale)
{
    BarFit fit;
    Fitter fitter(texts, scale);
    width = std::max(0, width);
    // "更多筛选" at the right edge, as wide as its caption while the bar allows.
    int more = std::min(texts.more + fitter.padding(), width);
    fit.more = {width - more, width};
    Room room = {scale.Fixed(kCountLeft), width - more - scale.Fixed(kMoreButtonGap)};

    // The search box at the left edge, its width fixed while the bar leaves room for it and
    // for a "+N" button, so that every condition stays within reach.
    size_t n = fitter.conditions();
    int reserve = n ? fitter.overflowButton(n) + scale.Fixed(kSearchBoxGap) : 0;
    int box = texts.searchBox ? searchBoxWidth(room.right - room.left - reserve, scale) : 0;
    if (box > 0) {
        fit.searchBox = {room.left, room.left + box};
        room.left += box + scale.Fixed(kSearchBoxGap);
    }
    placeSpans(fitter, fitter.choose(room.right - room.left), room, fit);
    return fit;
}

} // namespace ClosedFund
