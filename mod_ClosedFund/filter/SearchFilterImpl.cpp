#include "filter/SearchFilterImpl.h"
#include "common/CallbackGuard.h"
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

void SearchFilterImpl::AddCodeColumn(const wchar_t* column)
{
    if (!column) return;
    XStringW name(column);
    if (std::find(codeColumns_.begin(), codeColumns_.end(), name) == codeColumns_.end()) codeColumns_.push_back(name);
}

void SearchFilterImpl::AddKeyword(const wchar_t* keyword)
{
    if (!keyword || !*keyword) return;
    XStringW lower(keyword);
    lower.makeLower();
    if (std::find(keywords_.begin(), keywords_.end(), lower) == keywords_.end()) keywords_.push_back(lower);
}

namespace {

bool allDigits(const XStringW& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

bool startsWith(const XStringW& text, const XStringW& start) { return text.compare(0, start.size(), start) == 0; }

void resolve(Host::IDataContainer* container, const std::vector<XStringW>& names, std::vector<int>& indexes)
{
    indexes.reserve(names.size());
    for (const XStringW& name : names) {
        int index = container->getColumnIndex(name);
        if (index >= 0) indexes.push_back(index);
    }
}

} // namespace

// Each cell's text is read into one reused buffer, lower-cased once and then searched for
// every keyword of its rule; an empty text never matches.
bool SearchFilterImpl::rowMatches(CellReader& cells, int row, const Search& search, XStringW& text)
{
    auto anyIn = [&](const std::vector<int>& columns, const std::vector<const XStringW*>& keywords, bool fromStart) {
        if (keywords.empty()) return false;
        for (int column : columns) {
            if (!cells.readText(row, column, text) || text.empty()) continue;
            text.makeLower();
            for (const XStringW* keyword : keywords)
                if (fromStart ? startsWith(text, *keyword) : text.find(*keyword) != std::wstring::npos) return true;
        }
        return false;
    };
    return anyIn(search.anywhere, search.words, false) || anyIn(search.fromStart, search.words, true) ||
           anyIn(search.codes, search.digits, true);
}

// Column names are resolved once per call, and the host's fast access (when it has one) is
// asked for once; a column the container lacks is not searched.
void SearchFilterImpl::filterRows(Host::IDataContainer* container, int* rows, int* count)
{
    Common::guardCallback(L"IDataFilter::filterRows", [&] {
        if (!container || !rows || !count || *count <= 0) return;
        if ((columns_.empty() && prefixColumns_.empty() && codeColumns_.empty()) || keywords_.empty()) return;

        Search search;
        resolve(container, columns_, search.anywhere);
        resolve(container, prefixColumns_, search.fromStart);
        resolve(container, codeColumns_, search.codes);
        for (const XStringW& keyword : keywords_) {
            if (!codeColumns_.empty() && allDigits(keyword))
                search.digits.push_back(&keyword);
            else
                search.words.push_back(&keyword);
        }

        CellReader cells(container);
        XStringW text;
        int kept = 0;
        const int total = *count;
        for (int i = 0; i < total; ++i) {
            if (rowMatches(cells, rows[i], search, text)) rows[kept++] = rows[i];
        }
        *count = kept;
    });
}

} // namespace ClosedFund
