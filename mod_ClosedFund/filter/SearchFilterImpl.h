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
        codeColumns_.clear();
    }
    void AddColumn(const wchar_t* column) override;
    // A column where a keyword must stand at the start of the text (pinyin initials: "sljj"
    // finds "sljj001", not "xsljj"), ignoring case. A column already searched either way
    // keeps its first rule.
    void AddPrefixColumn(const wchar_t* column);
    // A column of fund codes, for keywords typed as digits: a keyword of digits alone is read
    // as the start of a code and looked for only there ("5000" finds 500001, not 150001).
    // Once a filter has code columns, such keywords are looked for nowhere else; other
    // keywords keep the rules of AddColumn and AddPrefixColumn.
    void AddCodeColumn(const wchar_t* column);
    void ClearKeywords() override { keywords_.clear(); }
    void AddKeyword(const wchar_t* keyword) override;

    const std::vector<XStringW>& GetColumns() const { return columns_; }
    const std::vector<XStringW>& GetPrefixColumns() const { return prefixColumns_; }
    const std::vector<XStringW>& GetCodeColumns() const { return codeColumns_; }
    const std::vector<XStringW>& GetKeywords() const { return keywords_; }

private:
    ~SearchFilterImpl() override = default; // only release deletes
    // The resolved columns of one filtering and the keywords split by the rule they follow.
    struct Search {
        std::vector<int> anywhere, fromStart, codes;
        std::vector<const XStringW*> words, digits;
    };
    static bool rowMatches(CellReader& cells, int row, const Search& search, XStringW& text);
    bool isSearched(const XStringW& name) const;

    std::vector<XStringW> columns_;
    std::vector<XStringW> prefixColumns_;
    std::vector<XStringW> codeColumns_;
    std::vector<XStringW> keywords_; // lower-cased
};

} // namespace ClosedFund
