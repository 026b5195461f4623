// The filter bar's layout and its count of funds. Nothing is ever placed outside the bar:
// when the buttons do not fit, room is found in this order:
//   1. condition captions are shortened with "…" (the full text goes to the tooltip), down
//      to a few characters each, the widest first;
//   2. the count gives up its words ("筛选出 8 / 60 只" becomes "8/60");
//   3. the oldest conditions go behind a "+N" button beside "更多筛选", whose menu reaches
//      them: the condition just added stays in sight;
//   4. the count goes.
// The search box stands at the left edge, before the count, at a fixed width; it gives up
// width only when the bar could not otherwise hold "更多筛选" and a "+N" button.
// "更多筛选" keeps its full width while the bar is wide enough to hold it.
#include "filter/FilterWnd.h"
#include <common/ScopedWin.h>
#include <algorithm>
#include <cwchar>

namespace ClosedFund {

namespace {

const int kButtonPadding = 28; // room for the caption's indent and the arrow
const int kMoreButtonGap = 5;
const int kConditionGap = 1;
const int kCountLeft = 4; // the count's indent from the bar's left edge
const int kCountGap = 8;  // between the count and the first button
const size_t kMinCaptionChars = 3;
const int kSearchBoxGap = 6;   // between the search box and the count
const int kSearchBoxInset = 2; // above and below the box, inside the bar
const wchar_t kEllipsis[] = L"…";

HFONT guiFont() { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }

int textWidth(HDC dc, const XStringW& text)
{
    SIZE extent = {};
    ::GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
    return int(extent.cx);
}

// The first chars characters, not splitting a surrogate pair.
XStringW leading(const XStringW& text, size_t chars)
{
    if (chars >= text.size()) return text;
    if (chars > 0 && IS_HIGH_SURROGATE(text[chars - 1])) --chars;
    return text.substr(0, chars);
}

// The longest leading part of text that, followed by "…", fits width pixels; never less
// than one character.
XStringW shortened(HDC dc, const XStringW& text, int width)
{
    if (textWidth(dc, text) <= width) return text;
    size_t low = 1, high = text.size();
    while (low < high) {
        size_t mid = (low + high + 1) / 2;
        if (textWidth(dc, leading(text, mid) + kEllipsis) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return leading(text, low) + kEllipsis;
}

// One condition's button widths: its caption in full and shortened as far as allowed.
// (The least width is that of the first few characters and "…"; a caption no longer than
// that is never shortened.)
struct Slot {
    FilterCondition* condition;
    int full;
    int least;
};

// Widths for the first count slots within room pixels (gaps included), or false when even
// their least widths do not fit. The widest buttons give up width first: every button gets
// min(full, max(least, cap)) for the largest cap that fits.
bool fitSlots(const std::vector<Slot>& slots, size_t count, int room, std::vector<int>& widths)
{
    int gaps = count > 1 ? int(count - 1) * kConditionGap : 0;
    auto total = [&](int cap) {
        int sum = gaps;
        for (size_t i = 0; i < count; ++i) sum += std::min(slots[i].full, std::max(slots[i].least, cap));
        return sum;
    };
    int widest = 0;
    for (size_t i = 0; i < count; ++i) widest = std::max(widest, slots[i].full);
    if (total(0) > room) return false;
    int low = 0, high = widest;
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

XStringW overflowCaption(size_t hidden) { return L"+" + std::to_wstring(hidden); }

} // namespace

void FilterWnd::PlaceButton(WGUI::DropDownButton& button, const RECT& place)
{
    button.MoveWindow(place, TRUE);
    button.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    button.UpdateToolTip();
}

void FilterWnd::ShowButton(WGUI::DropDownButton& button, bool shown)
{
    if (button.IsWindow()) ::ShowWindow(button.GetHandle(), shown ? SW_SHOWNA : SW_HIDE);
}

void FilterWnd::LayoutBar()
{
    RECT client = {};
    if (!GetClientRect(&client)) return;
    {
        Common::WindowDC dc(hwnd_);
        if (!dc) return;
        UpdateCountText();
        Common::SelectedObject font(dc, guiFont());
        LayoutWith(dc, client);
    }
    Invalidate(TRUE);
}

void FilterWnd::LayoutWith(HDC dc, const RECT& client)
{
    // "更多筛选" at the right edge, as wide as its caption while the bar allows.
    int moreWidth = std::min(textWidth(dc, moreButton_.Caption()) + kButtonPadding, int(client.right - client.left));
    PlaceButton(moreButton_, {client.right - moreWidth, client.top, client.right, client.bottom});
    int right = client.right - moreWidth - kMoreButtonGap;
    int left = client.left + kCountLeft;
    size_t conditions = conditions_.size();

    // The search box at the left edge, its width fixed while the bar leaves room for it and
    // for a "+N" button, so that every condition stays within reach.
    int reserve = conditions ? textWidth(dc, overflowCaption(conditions)) + kButtonPadding + kSearchBoxGap : 0;
    int boxWidth = SearchBoxWidth(right - left - reserve);
    if (boxWidth > 0) {
        searchBox_.MoveWindow({left, client.top + kSearchBoxInset, left + boxWidth, client.bottom - kSearchBoxInset},
                              TRUE);
        left += boxWidth + kSearchBoxGap;
    }
    if (searchBox_.IsWindow()) ::ShowWindow(searchBox_.GetHandle(), boxWidth > 0 ? SW_SHOWNA : SW_HIDE);

    // Newest first: the conditions that keep a button are the first ones that fit.
    std::vector<Slot> slots;
    for (auto it = conditions_.rbegin(); it != conditions_.rend(); ++it) {
        FilterCondition& condition = *it;
        const XStringW& caption = condition.button.Caption();
        int full = textWidth(dc, caption) + kButtonPadding;
        int least = textWidth(dc, leading(caption, kMinCaptionChars) + kEllipsis) + kButtonPadding;
        slots.push_back({&condition, full, std::min(full, least)});
    }
    const XStringW* countForms[3] = {&countText_, &compactCountText_, nullptr};
    int countWidths[3] = {textWidth(dc, countText_) + kCountGap, textWidth(dc, compactCountText_) + kCountGap, 0};

    // The first arrangement that fits, in the order the file's comment gives: a count form
    // and how many conditions keep a button, the rest behind "+N".
    size_t n = slots.size();
    std::vector<int> widths;
    int overflowWidth = 0;
    auto fits = [&](int form, size_t kept) {
        int plus = 0;
        if (kept < n) plus = textWidth(dc, overflowCaption(n - kept)) + kButtonPadding + (kept ? kConditionGap : 0);
        if (!fitSlots(slots, kept, right - left - countWidths[form] - plus, widths)) return false;
        overflowWidth = kept < n ? plus - (kept ? kConditionGap : 0) : 0;
        return true;
    };
    int form = 0;
    size_t kept = n;
    bool fitted = fits(0, n);
    if (!fitted) fitted = fits(form = 1, n);
    for (int f = 1; !fitted && f < 3; ++f) {
        for (size_t k = n; !fitted && k-- > 0;) {
            if (!fits(f, k)) continue;
            fitted = true;
            form = f;
            kept = k;
        }
    }
    if (!fitted) {
        // Not even "+N" fits beside "更多筛选": it takes what is left, possibly nothing.
        form = 2;
        kept = 0;
        widths.clear();
        int rest = std::max(0, right - left);
        overflowWidth = n ? std::min(textWidth(dc, overflowCaption(n)) + kButtonPadding, rest) : 0;
    }

    // From the right: "+N" for the oldest, then the others oldest first (the newest leftmost),
    // then the count at the left edge.
    if (kept < n && overflowWidth > 0) {
        overflowButton_.SetCaption(overflowCaption(n - kept));
        PlaceButton(overflowButton_, {right - overflowWidth, client.top, right, client.bottom});
        ShowButton(overflowButton_, true);
        right -= overflowWidth + kConditionGap;
    } else {
        ShowButton(overflowButton_, false);
    }
    for (size_t i = n; i-- > 0;) {
        FilterCondition& condition = *slots[i].condition;
        WGUI::DropDownButton& button = condition.button;
        condition.hidden = i >= kept;
        if (condition.hidden) {
            button.SetShownCaption(XStringW());
            ShowButton(button, false);
            button.UpdateToolTip();
            continue;
        }
        const XStringW& caption = button.Caption();
        XStringW text = widths[i] >= slots[i].full ? caption : shortened(dc, caption, widths[i] - kButtonPadding);
        button.SetShownCaption(text);
        int width = std::min(widths[i], textWidth(dc, text) + kButtonPadding);
        PlaceButton(button, {right - width, client.top, right, client.bottom});
        ShowButton(button, true);
        right -= width + kConditionGap;
    }
    shownCountText_ = countForms[form] ? *countForms[form] : XStringW();
    countRect_ = {};
    if (!shownCountText_.empty()) countRect_ = {left, client.top, left + countWidths[form] - kCountGap, client.bottom};
}

// The count of the grid view's rows against its source's. The list counts as narrowed while
// any condition holds a filter or rows are missing for another reason (a filter someone else
// installed), so a narrowed list never reads as the whole one. True when the text changed.
bool FilterWnd::UpdateCountText()
{
    int shownRows = gridView_ ? gridView_->getRowCount() : 0;
    XComPtr<Host::IDataContainer> source = gridView_ ? gridView_->getSource() : XComPtr<Host::IDataContainer>();
    int allRows = source ? source->getRowCount() : shownRows;
    bool narrowed = shownRows != allRows;
    for (const FilterCondition& condition : conditions_)
        if (condition.filter) narrowed = true;
    if (searchFilter_) narrowed = true;
    wchar_t text[64], compact[64];
    if (narrowed) {
        swprintf(text, 64, L"筛选出 %d / %d 只", shownRows, allRows);
        swprintf(compact, 64, L"%d/%d", shownRows, allRows);
    } else {
        swprintf(text, 64, L"共 %d 只", shownRows);
        swprintf(compact, 64, L"%d", shownRows);
    }
    if (countText_ == text) return false;
    countText_ = text;
    compactCountText_ = compact;
    return true;
}

void FilterWnd::PaintCount(HDC dc)
{
    if (!dc || shownCountText_.empty() || countRect_.right <= countRect_.left) return;
    Common::SelectedObject font(dc, guiFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, textColor_);
    RECT place = countRect_;
    ::DrawTextW(dc, shownCountText_.c_str(), int(shownCountText_.size()), &place,
                DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

} // namespace ClosedFund
