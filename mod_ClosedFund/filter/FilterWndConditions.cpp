// The filter bar's conditions: creating, changing and removing them together with the
// filters they install on the grid's view.
#include "filter/FilterWnd.h"
#include "filter/SearchFilterImpl.h"
#include "base/ModuleHandle.h"

namespace ClosedFund {

namespace {

const wchar_t kKeywordSeparator[] = L"，";
const wchar_t kValueSeparator[] = L", ";
const wchar_t kManyValues[] = L"：多个筛选条件";
const size_t kMaxCaptionChars = 30;
const size_t kMaxCaptionValues = 3;
const wchar_t kTooManyConditions[] = L"筛选条件已达上限，请先移除一些条件。";
const wchar_t kWarningCaption[] = L"筛选";

} // namespace

FilterCondition* FilterWnd::FindCondition(int id)
{
    WGUI::WindowBase button = GetDlgItem(id);
    if (!button.IsWindow()) return nullptr;
    auto* condition = reinterpret_cast<FilterCondition*>(button.GetWindowLong(GWLP_USERDATA));
    // Another child that happens to carry the id holds no condition of ours.
    for (FilterCondition& c : conditions_)
        if (&c == condition) return condition;
    return nullptr;
}

FilterCondition* FilterWnd::FirstConditionFor(const XStringW& column)
{
    for (FilterCondition& condition : conditions_)
        if (condition.column == column) return &condition;
    return nullptr;
}

// The next id of the range while it lasts. Past the range's end, ids freed out of order
// are used again: an id beyond it would be taken for a menu command (304 removes, 305 asks
// for keywords, 306 and up apply values).
int FilterWnd::FreeId(bool withFilter) const
{
    int next = withFilter ? nextFilterId_ : nextPlainId_;
    int first = withFilter ? int(kFirstFilterId) : int(kFirstPlainId);
    int last = withFilter ? int(kLastFilterId) : int(kLastPlainId);
    if (next <= last) return next;
    for (int id = first; id <= last; ++id)
        if (!IdInUse(id)) return id;
    return 0;
}

bool FilterWnd::IdInUse(int id) const
{
    for (const FilterCondition& condition : conditions_)
        if (condition.id == id) return true;
    return false;
}

bool FilterWnd::RefuseWithoutId(bool withFilter)
{
    if (FreeId(withFilter)) return false;
    ::MessageBoxW(hwnd_, kTooManyConditions, kWarningCaption, MB_OK | MB_ICONWARNING);
    return true;
}

FilterCondition* FilterWnd::AddCondition(const XStringW& column, const XStringW& caption, const XStringW& text,
                                         Host::IDataFilter* filter, const XStringW& prefix, bool locked, bool multi)
{
    bool withFilter = filter != nullptr;
    int id = FreeId(withFilter);
    if (!id) return nullptr;
    int& next = withFilter ? nextFilterId_ : nextPlainId_;
    if (id == next) ++next;

    conditions_.emplace_back();
    FilterCondition& condition = conditions_.back();
    condition.id = id;
    condition.button.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, nullptr, hwnd_, UINT(id), moduleInstance());
    condition.button.SetFont(BarFont());
    ThemeButton(condition.button);
    condition.standing = locked || !withFilter;
    condition.locked = locked;
    condition.prefix = prefix;
    // A value reads as the grid shows it; a standing condition's text is its column caption.
    condition.button.SetCaption(prefix + (condition.standing ? text : ShownValue(column, text)));
    condition.column = column;
    if (!condition.standing) condition.value = text;
    condition.caption = caption;
    condition.filter = filter;
    condition.multi = multi;
    condition.button.SetWindowLong(GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&condition));
    LayoutBar();
    return &condition;
}

void FilterWnd::RemoveCondition(int id)
{
    if (id == 0) {
        for (int each = kFirstPlainId; each <= kLastFilterId; ++each) RemoveCondition(each);
        // Clearing everything clears the search box too: its words are a condition as well.
        if (searchBox_.IsWindow() && searchBox_.GetWindowTextLength() > 0)
            ::SetWindowTextW(searchBox_.GetHandle(), L"");
        ApplySearchText(XStringW());
        return;
    }
    FilterCondition* condition = FindCondition(id);
    if (!condition || condition->locked) return;
    condition->value.clear();
    if (condition->standing) {
        condition->button.SetCaption(condition->caption);
        condition->button.SetToolTipText(XStringW());
    } else {
        // The tooltip window belongs to the top-level window and would outlive the button.
        condition->button.SetToolTipText(XStringW());
        condition->button.UpdateToolTip();
        // A button that goes while it has the focus (its own menu removed it) hands the focus
        // to "更多筛选", or the keyboard would be left with nothing to type into.
        bool hadFocus = ::GetFocus() == condition->button.GetHandle();
        condition->button.DestroyWindow();
        if (hadFocus && moreButton_.IsWindow()) moreButton_.SetFocus();
    }
    if (gridView_ && condition->filter) gridView_->removeFilter(condition->filter.get());
    for (auto it = conditions_.begin(); it != conditions_.end(); ++it) {
        if (it->id != id) continue;
        if (it->standing)
            it->filter = nullptr;
        else
            conditions_.erase(it);
        break;
    }
    // The most recent id goes back to the range; so do the ids below it that are free by
    // now, or clearing all (which walks upwards) would leave the counter at the end.
    if (id == nextFilterId_ - 1) {
        while (nextFilterId_ > kFirstFilterId && !IdInUse(nextFilterId_ - 1)) --nextFilterId_;
    }
    LayoutBar();
}

// A locked condition is never removed, but one whose last value was taken out must not keep
// a filter that accepts nothing (it would hide every row): it returns to rest instead.
void FilterWnd::RestLockedCondition(FilterCondition& condition)
{
    condition.value.clear();
    condition.button.SetCaption(condition.caption);
    condition.button.SetToolTipText(XStringW());
    if (gridView_ && condition.filter) gridView_->removeFilter(condition.filter.get());
    condition.filter = nullptr;
    LayoutBar();
}

// A keyword condition: any of the typed words in any configured column (or a search-only
// column: the fund code, the start of the pinyin initials) keeps a row. Every
// search adds a condition of its own, so rows must match every search.
void FilterWnd::ApplyKeywords(const XStringW& text)
{
    std::vector<XStringW> keywords = SplitKeywords(text);
    if (keywords.empty() || !gridView_) return;
    if (RefuseWithoutId(true)) return;
    XComPtr<SearchFilterImpl> filter = NewSearchFilter(keywords);
    gridView_->addFilter(filter.get());
    AddCondition(XStringW(), XStringW(), JoinTexts(keywords, kKeywordSeparator), filter.get(), XStringW(), false,
                 false);
}

XComPtr<MultiValueFilter> FilterWnd::InstallValueFilter(const XStringW& column, const XStringW& value)
{
    XComPtr<MultiValueFilter> filter = XComPtr<MultiValueFilter>::adopt(new MultiValueFilter);
    if (!column.empty()) filter->SetColumn(column.c_str());
    filter->AddValue(value.c_str());
    gridView_->addFilter(filter.get());
    return filter;
}

// Adds the value to the column's condition, or takes it out again when the column accepts
// several values and already has it; a condition left without values goes.
void FilterWnd::SelectValue(const XStringW& column, const XStringW& caption, const XStringW& value,
                            const XStringW& prefix, bool multi)
{
    if (!gridView_) return;
    FilterCondition* condition = column.empty() ? nullptr : FirstConditionFor(column);
    if (!condition) {
        if (RefuseWithoutId(true)) return;
        XComPtr<MultiValueFilter> filter = InstallValueFilter(column, value);
        AddCondition(column, caption, value, filter.get(), prefix, false, multi);
        return;
    }
    XStringW newCaption, newTip;
    if (!condition->filter) {
        condition->filter = InstallValueFilter(condition->column, value).get();
        newCaption = condition->prefix + ShownValue(condition->column, value);
    } else {
        MultiValueFilter* filter = condition->valueFilter();
        if (!filter) return;
        if (filter->HasValue(value.c_str())) {
            if (multi) filter->RemoveValue(value.c_str());
        } else {
            if (!multi) filter->ClearValues();
            filter->AddValue(value.c_str());
        }
        if (filter->GetValues().empty()) {
            if (condition->locked)
                RestLockedCondition(*condition);
            else
                RemoveCondition(condition->id);
            return;
        }
        ValuesCaption(*condition, *filter, newCaption, newTip);
        gridView_->rebuild(1);
    }
    condition->button.SetCaption(newCaption);
    condition->button.SetToolTipText(newTip);
    condition->value = value;
    LayoutBar();
}

// The values as the caption reads them; too many or too long, the caption says there are
// several and the tooltip holds them.
void FilterWnd::ValuesCaption(const FilterCondition& condition, const MultiValueFilter& filter, XStringW& caption,
                              XStringW& tip) const
{
    std::vector<XStringW> shown;
    for (const XStringW& accepted : filter.GetValues()) shown.push_back(ShownValue(condition.column, accepted));
    XStringW text = condition.prefix + JoinTexts(shown, kValueSeparator);
    if (text.size() > kMaxCaptionChars || filter.GetValues().size() > kMaxCaptionValues) {
        tip = text;
        caption = condition.caption + kManyValues;
    } else {
        caption = text;
    }
}

// The one value of a single-value condition is replaced by this one.
void FilterWnd::ReplaceValue(int id, const XStringW& value, const XStringW& prefix)
{
    FilterCondition* condition = FindCondition(id);
    if (!condition) return;
    if (gridView_) {
        if (MultiValueFilter* filter = condition->valueFilter()) {
            filter->ClearValues();
            filter->AddValue(value.c_str());
            gridView_->rebuild(1);
        } else if (!condition->filter) {
            condition->filter = InstallValueFilter(condition->column, value).get();
        }
    }
    condition->button.SetCaption(prefix + ShownValue(condition->column, value));
    condition->value = value;
    LayoutBar();
}

const NumericColumn* FilterWnd::FindNumericColumn(const XStringW& name) const
{
    for (const NumericColumn& column : numericColumns_)
        if (column.name == name) return &column;
    return nullptr;
}

void FilterWnd::AddNumericColumn(const NumericColumn& column)
{
    if (!FindNumericColumn(column.name)) numericColumns_.push_back(column);
}

bool FilterWnd::ApplyNumeric(const XStringW& column, const NumericRange& range)
{
    const NumericColumn* numeric = FindNumericColumn(column);
    if (!numeric || !gridView_) return false;
    FilterCondition* condition = FirstConditionFor(column);
    NumericFilter* filter = condition ? condition->numericFilter() : nullptr;
    if (range.empty()) {
        if (filter) RemoveCondition(condition->id);
        return false;
    }
    const XStringW caption = rangeCaption(*numeric, range);
    if (filter) {
        filter->SetRange(range);
        condition->value = caption;
        condition->button.SetCaption(caption);
        gridView_->rebuild(1);
        LayoutBar();
        return true;
    }
    if (RefuseWithoutId(true)) return false;
    XComPtr<NumericFilter> added = XComPtr<NumericFilter>::adopt(new NumericFilter(*numeric));
    added->SetRange(range);
    gridView_->addFilter(added.get());
    return AddCondition(column, numeric->caption, caption, added.get(), XStringW(), false, false) != nullptr;
}

} // namespace ClosedFund
