// The keyword filter the filter bar creates with new (count 1) and shares through XComPtr.
#pragma once
#include "filter/ISearchFilter.h"
#include "common/RefCounted.h"
#include <vector>

namespace ClosedFund {

class CellReader;

class SearchFilterImpl final : public Common::RefCounted<ISearchFilter> {
public:
    SearchFilterImpl() = default;
    SearchFilterImpl(const SearchFilterImpl&) = delete;
    SearchFilterImpl& operator=(const SearchFilterImpl&) = delete;

    void filterRows(Host::IDataContainer* container, int* rows, int* count) override;

    void ClearColumns() override
    {
        columns_.clear();
        prefixColumns_.clear();
    }
    void AddColumn(const wchar_t* column) override;
    // A column where a keyword must stand at the start of the text (pinyin initials: "sljj"
    // finds "sljj001", not "xsljj"), ignoring case. A column already searched either way
    // keeps its first rule.
    void AddPrefixColumn(const wchar_t* column);
    void ClearKeywords() override { keywords_.clear(); }
    void AddKeyword(const wchar_t* keyword) override;

    const std::vector<XStringW>& GetColumns() const { return columns_; }
    const std::vector<XStringW>& GetPrefixColumns() const { return prefixColumns_; }
    const std::vector<XStringW>& GetKeywords() const { return keywords_; }

private:
    ~SearchFilterImpl() override = default; // only release deletes
    bool rowMatches(CellReader& cells, int row, const std::vector<int>& columnIndexes,
                    const std::vector<int>& prefixIndexes, XStringW& text);
    bool isSearched(const XStringW& name) const;

    std::vector<XStringW> columns_;
    std::vector<XStringW> prefixColumns_;
    std::vector<XStringW> keywords_; // lower-cased
};

} // namespace ClosedFund
