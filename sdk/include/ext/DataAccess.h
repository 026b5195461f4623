// Services of the reference host for reading and writing many cells fast, found by ProgID
// through createInstance. The client answers these names with null: a caller always has a
// way through the client's interface (getRow, getItemAt, getText, getSourceIndex) that
// gives the same result, only slower.
#pragma once
#include "host/Data.h"
#include <cstddef>

namespace Host {

const char kDataAccessProgId[] = "Client2.DataAccess";
const char kSortPlaceholdersProgId[] = "Client2.SortPlaceholders";

// A stored text where it lies: chars is null for a cell that holds no text.
struct TextView {
    const wchar_t* chars;
    size_t length;
};

// Fast cell access to one table or view of the host's, holding a reference to it.
struct ICellAccess : IXUnknown {
    // The text of one cell, as getRow(row)->getItemAt(column)->getText() gives it, written
    // into out (its buffer is reused). False, with out emptied, when the cell does not exist.
    virtual bool readTextAt(int row, int column, XStringW& out) = 0;
    // The stored text of one cell where it lies, without a copy: true for a cell that holds
    // a text, valid until the table is next written or refilled. False for a cell that holds
    // a number or NULL (readTextAt converts those) and for one that does not exist.
    virtual bool textViewAt(int row, int column, const wchar_t*& chars, size_t& length) = 0;
    // textViewAt for many rows of one column: out[i] is the stored text of rows[i], null
    // chars where that cell holds no text. False, with nothing written, for a missing column.
    virtual bool textViewsAt(int column, const int* rows, int count, TextView* out) = 0;
    // The real value of one cell, as getItemAt(column)->getDouble() reads it. False (out 0)
    // for a NULL cell or one that does not exist.
    virtual bool readRealAt(int row, int column, double& out) = 0;
    // Writes a text into one cell of a table, as setText does. False for a view or a cell
    // that does not exist.
    virtual bool setTextAt(int row, int column, const wchar_t* text, size_t length) = 0;
    // For a view: its row showing the source's row sourceIndex, or -1 when none shows it.
    // -2 for a table.
    virtual int findSourceRow(int sourceIndex) = 0;
};

// "Client2.DataAccess".
struct IDataAccess : IXUnknown {
    // Access to container when it is one of this host's tables or views; empty otherwise.
    virtual XComPtr<ICellAccess> access(IDataContainer* container) = 0;
};

// "Client2.SortPlaceholders": stored texts of a field that are shown as a placeholder (a
// "no date" the grid shows as "--") sort with the empty values, last in either direction.
// Without the service the host's own order stands.
struct ISortPlaceholders : IXUnknown {
    // False when sorter is not one this host made.
    virtual bool addPlaceholder(IFieldSorter* sorter, const XStringW& columnName, const XStringW& storedText) = 0;
    virtual bool clearPlaceholders(IFieldSorter* sorter) = 0;
};

} // namespace Host
