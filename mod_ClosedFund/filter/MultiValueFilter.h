// The value filter: keeps a row when the text of one column equals one of the accepted
// values exactly (same UTF-16 code units). Created with new (count 1) by the filter bar.
#pragma once
#include "host/Data.h"
#include "common/RefCounted.h"
#include "filter/ColumnTexts.h"
#include <vector>

namespace ClosedFund {

class CellReader;

class MultiValueFilter final : public Common::RefCounted<Host::IDataFilter> {
public:
    MultiValueFilter() = default;
    MultiValueFilter(const MultiValueFilter&) = delete;
    MultiValueFilter& operator=(const MultiValueFilter&) = delete;

    // Passes everything while the column is unnamed or the container lacks it; with no
    // accepted values nothing passes.
    void filterRows(Host::IDataContainer* container, int* rows, int* count) override;

    // Null empties the name. The column is looked up again on the next filterRows.
    void SetColumn(const wchar_t* column);
    void ClearValues() { values_.clear(); }
    // Appends the value unless an equal one is there; null is ignored.
    void AddValue(const wchar_t* value);
    void RemoveValue(const wchar_t* value);

    const XStringW& GetColumn() const { return column_; }
    const std::vector<XStringW>& GetValues() const { return values_; }
    bool HasValue(const wchar_t* value) const;

private:
    ~MultiValueFilter() override = default; // only release deletes
    bool resolveColumn(Host::IDataContainer* container);
    bool accepts(const wchar_t* chars, size_t length) const;
    void filterStoredTexts(CellReader& cells, int* rows, int* count);
    void filterRememberedTexts(int* rows, int* count);
    void filterCellByCell(CellReader& cells, int* rows, int* count);

    XStringW column_;
    int columnIndex_ = -1;
    std::vector<XStringW> values_;
    // The container the cached index belongs to: a filter moved to a view with another
    // column layout looks its column up again instead of reading the wrong one.
    Host::IDataContainer* resolvedIn_ = nullptr;
    // Without the host's fast access: the column's texts, read once per fund-table fill.
    ColumnTexts remembered_;
};

} // namespace ClosedFund
