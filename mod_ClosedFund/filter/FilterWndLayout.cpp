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
// A layout is three steps: the texts are measured in the bar's font (MeasureBar), the
// arrangement is worked out from those widths alone (fitBar, FilterWndFit.h), and the windows
// are put where it says (PlaceBar).
#include "filter/FilterWnd.h"
#include <common/ScopedWin.h>
#include <algorithm>
#include <cwchar>

namespace ClosedFund {

namespace {

const size_t kMinCaptionChars = 3;
const int kSearchBoxInset = 2; // above and below the box, inside the bar, at 96 dpi
const wchar_t kEllipsis[] = L"…";

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

XStringW overflowCaption(size_t hidden) { return L"+" + std::to_wstring(hidden); }

RECT spanRect(const BarSpan& span, const RECT& client)
{
    return RECT{client.left + span.left, client.top, client.left + span.right, client.bottom};
}

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
        Common::SelectedObject font(dc, BarFont());
        BarFit fit = fitBar(MeasureBar(dc), int(client.right - client.left), scale_);
        PlaceBar(dc, client, fit);
    }
    Invalidate(TRUE);
}

// Newest condition first: the conditions that keep a button are the first ones that fit.
BarTexts FilterWnd::MeasureBar(HDC dc) const
{
    BarTexts texts;
    texts.more = textWidth(dc, moreButton_.Caption());
    for (auto it = conditions_.rbegin(); it != conditions_.rend(); ++it) {
        const XStringW& caption = it->button.Caption();
        BarTexts::Caption widths;
        widths.full = textWidth(dc, caption);
        widths.least = std::min(widths.full, textWidth(dc, leading(caption, kMinCaptionChars) + kEllipsis));
        texts.conditions.push_back(widths);
    }
    texts.count = textWidth(dc, countText_);
    texts.compactCount = textWidth(dc, compactCountText_);
    for (size_t hidden = 1; hidden <= conditions_.size(); ++hidden)
        texts.overflow.push_back(textWidth(dc, overflowCaption(hidden)));
    texts.searchBox = searchBox_.IsWindow();
    return texts;
}

void FilterWnd::PlaceBar(HDC dc, const RECT& client, const BarFit& fit)
{
    PlaceButton(moreButton_, spanRect(fit.more, client));
    if (!fit.searchBox.empty()) {
        RECT box = spanRect(fit.searchBox, client);
        int inset = scale_.Fixed(kSearchBoxInset);
        searchBox_.MoveWindow({box.left, box.top + inset, box.right, box.bottom - inset}, TRUE);
    }
    if (searchBox_.IsWindow()) ::ShowWindow(searchBox_.GetHandle(), fit.searchBox.empty() ? SW_HIDE : SW_SHOWNA);

    if (!fit.overflow.empty()) {
        overflowButton_.SetCaption(overflowCaption(fit.hidden));
        PlaceButton(overflowButton_, spanRect(fit.overflow, client));
    }
    ShowButton(overflowButton_, !fit.overflow.empty());

    size_t newest = 0;
    for (auto it = conditions_.rbegin(); it != conditions_.rend(); ++it, ++newest)
        PlaceCondition(dc, *it, newest < fit.kept() ? &fit.conditions[newest] : nullptr, client);

    const XStringW* countForms[] = {&countText_, &compactCountText_, nullptr};
    shownCountText_ = countForms[fit.countForm] ? *countForms[fit.countForm] : XStringW();
    countRect_ = shownCountText_.empty() ? RECT{} : spanRect(fit.count, client);
}

// A condition without a place goes behind "+N"; one whose place is narrower than its caption
// shows as much of it as fits, followed by "…".
void FilterWnd::PlaceCondition(HDC dc, FilterCondition& condition, const BarSpan* place, const RECT& client)
{
    WGUI::DropDownButton& button = condition.button;
    condition.hidden = place == nullptr;
    if (condition.hidden) {
        button.SetShownCaption(XStringW());
        ShowButton(button, false);
        button.UpdateToolTip();
        return;
    }
    button.SetShownCaption(shortened(dc, button.Caption(), place->width() - buttonPadding(scale_)));
    PlaceButton(button, spanRect(*place, client));
    ShowButton(button, true);
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
    Common::SelectedObject font(dc, BarFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, textColor_);
    RECT place = countRect_;
    ::DrawTextW(dc, shownCountText_.c_str(), int(shownCountText_.size()), &place,
                DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

// The bar's font at the scale, handed to every control of the bar before the old one goes.
void FilterWnd::SetScale(const WGUI::UiScale& scale)
{
    if (scale == scale_ && barFont_.GetHandle()) return;
    scale_ = scale;
    HFONT font = WGUI::CreateGuiFont(scale_);
    if (!font) return;
    moreButton_.SetFont(font);
    overflowButton_.SetFont(font);
    for (FilterCondition& condition : conditions_) condition.button.SetFont(font);
    if (searchBox_.IsWindow()) searchBox_.SetFont(font);
    barFont_.Attach(font);
    if (IsWindow()) LayoutBar();
}

HFONT FilterWnd::BarFont() const
{
    return barFont_.GetHandle() ? barFont_.GetHandle() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

} // namespace ClosedFund
