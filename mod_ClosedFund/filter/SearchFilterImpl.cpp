#include "filter/SearchFilterImpl.h"
#include <algorithm>

namespace ClosedFund {

using Common::CriticalSection;

int SearchFilterImpl::addRef()
{
    CriticalSection::Lock hold(refLock_);
    return ++refCount_;
}

int SearchFilterImpl::release()
{
    int count;
    {
        CriticalSection::Lock hold(refLock_);
        count = --refCount_;
    }
    if (count == 0) delete this;
    return count;
}

void SearchFilterImpl::AddColumn(const wchar_t* column)
{
    if (!column) return;
    XStringW name(column);
    if (std::find(columns_.begin(), columns_.end(), name) == columns_.end()) columns_.push_back(name);
}

void SearchFilterImpl::AddKeyword(const wchar_t* keyword)
{
    if (!keyword || !*keyword) return;
    XStringW lower(keyword);
    lower.makeLower();
    if (std::find(keywords_.begin(), keywords_.end(), lower) == keywords_.end()) keywords_.push_back(lower);
}

// Each cell's text is lower-cased once, in the copy getText hands us, and then searched for
// every keyword; an empty text never matches.
bool SearchFilterImpl::rowMatches(Host::IDataRow* row, const std::vector<int>& columnIndexes)
{
    for (int column : columnIndexes) {
        XComPtr<Host::IColumnItem> item = row->getItemAt(column);
        if (!item) continue;
        XStringW text = item->getText();
        if (text.empty()) continue;
        text.makeLower();
        for (const XStringW& keyword : keywords_) {
            if (text.find(keyword) != std::wstring::npos) return true;
        }
    }
    return false;
}

// Column names are resolved once per call; a column the container lacks is not searched.
void SearchFilterImpl::filterRows(Host::IDataContainer* container, int* rows, int* count)
{
    if (!container || !rows || !count || *count <= 0) return;
    if (columns_.empty() || keywords_.empty()) return;

    std::vector<int> columnIndexes;
    columnIndexes.reserve(columns_.size());
    for (const XStringW& name : columns_) {
        int index = container->getColumnIndex(name);
        if (index >= 0) columnIndexes.push_back(index);
    }

    int kept = 0;
    const int total = *count;
    for (int i = 0; i < total; ++i) {
        XComPtr<Host::IDataRow> row = container->getRow(rows[i]);
        if (row && rowMatches(row.get(), columnIndexes)) rows[kept++] = rows[i];
    }
    *count = kept;
}

} // namespace ClosedFund
