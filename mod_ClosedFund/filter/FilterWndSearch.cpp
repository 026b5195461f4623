// The filter bar's search box: typed words become one keyword condition of the bar's own,
// applied a moment after the last keystroke so that a fast typist does not rebuild the list
// for every letter; emptying the box (Esc, or deleting the text) lifts it at once.
#include "filter/FilterWnd.h"
#include "base/ModuleHandle.h"

namespace ClosedFund {

namespace {

const int kSearchBoxWidth = 150;   // fixed: the box never moves as conditions come and go
const int kSearchBoxLeast = 60;    // narrower than this it would hold no readable word
const int kSearchTextLimit = 64;

} // namespace

void FilterWnd::AddSearchColumn(const wchar_t* name, bool prefix)
{
    if (!name || !*name) return;
    m_searchColumns.push_back({name, prefix});
}

void FilterWnd::CreateSearchBox()
{
    RECT none = {};
    m_searchBox.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, L"Edit", L"", none, m_hWnd,
                       kSearchBoxId, moduleInstance());
    m_searchBox.SetFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    m_searchBox.LimitText(kSearchTextLimit);
}

XComPtr<SearchFilterImpl> FilterWnd::NewSearchFilter(const std::vector<XStringW>& keywords) const
{
    XComPtr<SearchFilterImpl> filter = XComPtr<SearchFilterImpl>::adopt(new SearchFilterImpl);
    for (const FilterColumn& column : m_columns) filter->AddColumn(column.name.c_str());
    for (const SearchColumn& column : m_searchColumns) {
        if (column.prefix) filter->AddPrefixColumn(column.name.c_str());
        else filter->AddColumn(column.name.c_str());
    }
    for (const XStringW& keyword : keywords) filter->AddKeyword(keyword.c_str());
    return filter;
}

void FilterWnd::OnSearchEdited()
{
    if (!IsWindow()) return;
    if (SplitKeywords(m_searchBox.Text()).empty()) {
        ::KillTimer(m_hWnd, kSearchTimerId);
        ApplySearchText(XStringW());
        return;
    }
    ::SetTimer(m_hWnd, kSearchTimerId, kSearchDelayMs, nullptr);
}

void FilterWnd::OnSearchTimer()
{
    ::KillTimer(m_hWnd, kSearchTimerId);
    ApplySearchText(m_searchBox.Text());
}

// Removing the old filter and adding the new one inside one bracket rebuilds the list once.
void FilterWnd::ApplySearchText(const XStringW& text)
{
    std::vector<XStringW> words = SplitKeywords(text);
    if (words == m_searchWords) return;
    m_searchWords = words;
    if (!m_gridView) return;
    XComPtr<Host::IUpdateContext> bracket = m_gridView->beginUpdate();
    if (m_searchFilter) m_gridView->removeFilter(m_searchFilter.get());
    m_searchFilter = nullptr;
    if (!words.empty()) {
        m_searchFilter = NewSearchFilter(words);
        m_gridView->addFilter(m_searchFilter.get());
    }
    if (bracket) bracket->endUpdate();
    if (IsWindow()) LayoutBar();
}

int FilterWnd::SearchBoxWidth(int room) const
{
    if (!m_searchBox.IsWindow()) return 0;
    int width = room < kSearchBoxWidth ? room : kSearchBoxWidth;
    return width < kSearchBoxLeast ? 0 : width;
}

} // namespace ClosedFund
