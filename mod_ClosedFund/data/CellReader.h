// Cells of a host table or view, read (and written) one at a time: through the host's fast
// cell access when the data access service takes the container, else through the host
// contract (a row and a cell object per read), with the same results. Made for one pass:
// the rows it reads must not be replaced while it lives.
#pragma once
#include "ext/DataAccess.h"

namespace ClosedFund {

class CellReader {
public:
    // Asks the service for access to the container: user-interface thread.
    explicit CellReader(Host::IDataContainer* container);
    // The same for a view, which also answers findSourceRow.
    explicit CellReader(Host::IDataView* view);
    // With access found earlier on the user-interface thread (or none): for a table that a
    // worker of ours fills and alone uses until it is handed over.
    CellReader(Host::IDataContainer* container, XComPtr<Host::ICellAccess> access);
    CellReader(const CellReader&) = delete;
    CellReader& operator=(const CellReader&) = delete;
    ~CellReader() = default;

    // True when reads go through the host's fast access.
    bool fast() const { return access_ != nullptr; }

    // The cell's text as getText gives it (a number as its text, NULL as ""). False, with out
    // emptied, when the cell does not exist.
    bool readText(int row, int column, XStringW& out);
    // The stored text where it lies, without a copy, valid until the table is written: only
    // through fast access, and only for a cell that holds a text. Otherwise false, and the
    // caller reads the cell with readText.
    bool textView(int row, int column, const wchar_t*& chars, size_t& length);
    // textView for many rows of one column in one call, only through fast access: out[i] is
    // the stored text of rows[i], null chars where that cell holds no text. False, with
    // nothing written, without fast access or for a missing column.
    bool textViews(int column, const int* rows, int count, Host::TextView* out);
    // The cell's number as getDouble reads it. False (out 0) for a NULL or missing cell.
    bool readReal(int row, int column, double& out);
    // Writes a text into a table's cell, as setText does. False when the cell does not exist.
    bool setText(int row, int column, const wchar_t* text, size_t length);
    // For a view: its row that shows the source's row sourceIndex, or -1 when none does.
    int findSourceRow(int sourceIndex);

private:
    XComPtr<Host::IColumnItem> cell(int row, int column);

    Host::IDataContainer* container_;
    Host::IDataView* view_ = nullptr;
    XComPtr<Host::ICellAccess> access_;
    // The contract gives a row object per row: the last one is kept for the row's next cell.
    int rowIndex_ = -1;
    XComPtr<Host::IDataRow> row_;
};

} // namespace ClosedFund
