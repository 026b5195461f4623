#include "filter/SearchFilterImpl.h"
#include "data/CellReader.h"
#include <algorithm>

namespace ClosedFund {

bool SearchFilterImpl::isSearched(const XStringW& name) const
{
    return std::find(columns_.begin(), columns_.end(), name) != columns_.end() ||
           std::find(prefixColumns_.begin(), prefixColumns_.end(), name) != prefixColumns_.end();
}

void SearchFilterImpl::AddColumn(const wchar_t* column)
{
    if (!column) return;
    XStringW name(column);
    if (!isSearched(name)) columns_.push_back(name);
}

void SearchFilterImpl::AddPrefixColumn(const wchar_t* column)
{
    if (!column) return;
    XStringW name(column);
    if (!isSearched(name)) prefixColumns_.push_back(name);
}

void SearchFilterImpl::AddKeyword(const wchar_t* keyword)
{
    if (!keyword || !*keyword) return;
    XStringW lower(keyword);
    lower.makeLower();
    if (std::find(keywords_.begin(), keywords_.end(), lower) == keywords_.end()) keywords_.push_back(lower);
}

// Each cell's text is read into one reused buffer, lower-cased once and then searched for
// every keyword; an empty text never matches.
bool SearchFilterImpl::rowMatches(CellReader& cells, int row, const std::vector<int>& columnIndexes,
                                  const std::vector<int>& prefixIndexes, XStringW& text)
{
    for (int column : columnIndexes) {
        if (!cells.readText(row, column, text) || text.empty()) continue;
        text.makeLower();
        for (const XStringW& keyword : keywords_) {
            if (text.find(keyword) != std::wstring::npos) return true;
        }
    }
    for (int column : prefixIndexes) {
        if (!cells.readText(row, column, text) || text.empty()) continue;
        text.makeLower();
        for (const XStringW& keyword : keywords_) {
            if (text.compare(0, keyword.size(), keyword) == 0) return true;
        }
    }
    return false;
}

// Column names are resolved once per call, and the host's fast access (when it has one) is
// asked for once; a column the container lacks is not searched.
void SearchFilterImpl::filterRows(Host::IDataContainer* container, int* rows, int* count)
{
    if (!container || !rows || !count || *count <= 0) return;
    if ((columns_.empty() && prefixColumns_.empty()) || keywords_.empty()) return;

    std::vector<int> columnIndexes, prefixIndexes;
    columnIndexes.reserve(columns_.size());
    for (const XStringW& name : columns_) {
        int index = container->getColumnIndex(name);
        if (index >= 0) columnIndexes.push_back(index);
    }
    for (const XStringW& name : prefixColumns_) {
        int index = container->getColumnIndex(name);
        if (index >= 0) prefixIndexes.push_back(index);
    }

    CellReader cells(container);
    XStringW text;
    int kept = 0;
    const int total = *count;
    for (int i = 0; i < total; ++i) {
        if (rowMatches(cells, rows[i], columnIndexes, prefixIndexes, text)) rows[kept++] = rows[i];
    }
    *count = kept;
}

} // namespace ClosedFund
