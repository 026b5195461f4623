// The numeric filter: keeps a row when the number its cell shows lies in the range, both ends
// included; a cell that shows no number ("--", empty) never passes. Created with new (count
// 1) by the filter bar.
#pragma once
#include "common/RefCounted.h"
#include "filter/ColumnTexts.h"
#include "filter/NumericRange.h"
#include "host/Data.h"

namespace ClosedFund {

class CellReader;

class NumericFilter final : public Common::RefCounted<Host::IDataFilter> {
public:
    explicit NumericFilter(const NumericColumn& column) : column_(column) {}
    NumericFilter(const NumericFilter&) = delete;
    NumericFilter& operator=(const NumericFilter&) = delete;

    // Passes everything while the container lacks the column.
    void filterRows(Host::IDataContainer* container, int* rows, int* count) override;

    void SetRange(const NumericRange& range) { range_ = range; }
    const NumericRange& Range() const { return range_; }
    const NumericColumn& Column() const { return column_; }

private:
    ~NumericFilter() override = default; // only release deletes
    bool passes(const wchar_t* chars, size_t length) const;
    void filterStoredTexts(CellReader& cells, int column, int* rows, int* count);
    void filterRememberedTexts(int* rows, int* count);

    const NumericColumn column_;
    NumericRange range_;
    // Without the host's fast access: the column's texts, read once per fund-table fill.
    ColumnTexts remembered_;
};

} // namespace ClosedFund
