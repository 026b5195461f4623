// The filter bar's search box: typed words become one keyword condition of the bar's own,
// applied a moment after the last keystroke so that a fast typist does not rebuild the list
// for every letter; emptying the box (Esc, its clear button, or deleting the text) lifts it
// at once. Digits typed there find codes that start with them.
#include "filter/FilterWnd.h"
#include "base/ModuleHandle.h"

namespace ClosedFund {

namespace {

const int kSearchTextLimit = 64;
// The fund codes: the one the grid shows and the exchange's. Digits typed in the box are the
// start of a code (a person types a code from its start), not a part of any text.
const wchar_t* const kCodeColumns[] = {L"aliascode", L"code"};

} // namespace

void FilterWnd::AddSearchColumn(const wchar_t* name, bool prefix)
{
    if (!name || !*name) return;
    searchColumns_.push_back({name, prefix});
}

void FilterWnd::CreateSearchBox()
{
    RECT none = {};
    searchBox_.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, L"Edit", L"", none, hwnd_,
                      kSearchBoxId, moduleInstance());
    searchBox_.SetFont(BarFont());
    searchBox_.LimitText(kSearchTextLimit);
}

XComPtr<SearchFilterImpl> FilterWnd::NewSearchFilter(const std::vector<XStringW>& keywords) const
{
    XComPtr<SearchFilterImpl> filter = XComPtr<SearchFilterImpl>::adopt(new SearchFilterImpl);
    for (const FilterColumn& column : columns_) filter->AddColumn(column.name.c_str());
    for (const SearchColumn& column : searchColumns_) {
        if (column.prefix)
            filter->AddPrefixColumn(column.name.c_str());
        else
            filter->AddColumn(column.name.c_str());
    }
    for (const XStringW& keyword : keywords) filter->AddKeyword(keyword.c_str());
    return filter;
}

void FilterWnd::OnSearchEdited()
{
    if (!IsWindow()) return;
    if (SplitKeywords(searchBox_.Text()).empty()) {
        ::KillTimer(hwnd_, kSearchTimerId);
        ApplySearchText(XStringW());
        return;
    }
    ::SetTimer(hwnd_, kSearchTimerId, kSearchDelayMs, nullptr);
}

void FilterWnd::OnSearchTimer()
{
    ::KillTimer(hwnd_, kSearchTimerId);
    ApplySearchText(searchBox_.Text());
}

// Removing the old filter and adding the new one inside one bracket rebuilds the list once.
void FilterWnd::ApplySearchText(const XStringW& text)
{
    std::vector<XStringW> words = SplitKeywords(text);
    if (words == searchWords_) return;
    searchWords_ = words;
    if (!gridView_) return;
    XComPtr<Host::IUpdateContext> bracket = gridView_->beginUpdate();
    if (searchFilter_) gridView_->removeFilter(searchFilter_.get());
    searchFilter_ = nullptr;
    if (!words.empty()) {
        searchFilter_ = NewSearchFilter(words);
        for (const wchar_t* column : kCodeColumns) searchFilter_->AddCodeColumn(column);
        gridView_->addFilter(searchFilter_.get());
    }
    if (bracket) bracket->endUpdate();
    if (IsWindow()) LayoutBar();
}

} // namespace ClosedFund
