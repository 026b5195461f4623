// The texts of one column of a host table, as the value filter reads them through the host
// contract, which gives a row object and a cell object per read: each table row is read once
// and remembered as the number of its distinct text, until the fund table is refilled. What
// is read is shared by every value filter of the process, so a new filter condition does
// not read the column again. A filter sees a view's rows; they are mapped to the table's rows
// with getSourceIndex, so a sort, which reorders the view but not the table, keeps what was
// read.
#pragma once
#include "host/Data.h"
#include <memory>
#include <vector>

namespace ClosedFund {

struct RememberedColumn;

class ColumnTexts {
public:
    ColumnTexts() = default;
    ColumnTexts(const ColumnTexts&) = delete;
    ColumnTexts& operator=(const ColumnTexts&) = delete;
    ~ColumnTexts();

    // A pass over container's rows in the named column: the table under the container is
    // found through its views' sources, and what was remembered of its column is used while
    // the fund rows' generation and the table's row count are those it was read with. False
    // when the table has no such column or lies under too many views (the caller then reads
    // each cell). User-interface thread.
    bool beginPass(Host::IDataContainer* container, const XStringW& column);
    // The number of the text of the container's row, or kNoCell when that cell does not
    // exist. Only between beginPass and endPass.
    int textNumber(int row);
    // The distinct texts read so far, by number. Only between beginPass and endPass.
    const std::vector<XStringW>& texts() const;
    // Lets go of the pass's views and table.
    void endPass();

    enum { kNoCell = -1 };

private:
    // The pass's container down to the table: each view maps a row to its source's.
    std::vector<XComPtr<Host::IDataView>> views_;
    std::shared_ptr<RememberedColumn> column_;
};

} // namespace ClosedFund
