// The data library as the reference host sees it, beyond the client's interface: filling
// tables, reading cells in bulk, and sorting.
#pragma once
#ifndef C2_HOST_INTERNAL
#error "a host-internal header: a module sees only the client's interface (sdk/include/host) and ext/"
#endif
#include "ext/DataAccess.h"
#include "host/Kernel.h"
#include "host/Data.h"
#include <cstdint>

namespace Host {

// Reading cells without an object per cell; tables and views of the kernel have it (find
// it with cellReader below). Same contracts as ICellAccess.
struct ICellReader {
    virtual int getColumnCount() = 0;
    virtual bool readTextAt(int row, int column, XStringW& out) = 0;
    virtual bool textViewAt(int row, int column, const wchar_t*& chars, size_t& length) = 0;
    virtual bool textViewsAt(int column, const int* rows, int count, TextView* out) = 0;
protected:
    ~ICellReader() = default;
};

// The kernel's cell reader of a container, or null for one that is not the kernel's.
inline ICellReader* cellReader(IDataContainer* container) { return dynamic_cast<ICellReader*>(container); }

// A column (getColumn) or a cell (getItem, getItemAt) of the kernel's, for host tools and
// tests that print or check a table by its column names.
struct IColumnItemHost : IColumnItem {
    virtual XStringW getName() = 0; // the column's name
};

// The name of a container's column; empty when there is no such column or it is not the kernel's.
inline XStringW columnName(IDataContainer* container, int column)
{
    XComPtr<IColumnItemHost> item = container ? container->getColumn(column).cast<IColumnItemHost>() : nullptr;
    return item ? item->getName() : XStringW();
}

struct IDataRowHost : IDataRow {
    virtual int getIndex() = 0; // the row's index in its table
};

// One cell of a new row as a database reads it, for appendRowValues. A text is given as
// UTF-8 bytes (not terminated; utf8 may be null when bytes is 0) and stored as UTF-16, a
// malformed sequence as U+FFFD.
enum CellKind { CELL_NULL = 0, CELL_INT = 1, CELL_REAL = 2, CELL_TEXT = 3 };
struct CellValue {
    int kind;
    int64_t integer;
    double real;
    const char* utf8;
    size_t bytes;
};

struct IDataTableHost : IDataTable, ICellReader {
    // Filling, for the host's database: columns are added once, rows replaced on each fill.
    virtual int addColumn(const XStringW& name, int valueType) = 0;
    virtual void clearRows() = 0; // keeps the columns
    virtual int appendRow() = 0;  // a row of NULL cells; returns its index
    virtual void setNull(int row, int column) = 0;
    virtual void setInt64(int row, int column, int64_t value) = 0;
    virtual void setDouble(int row, int column, double value) = 0;
    virtual void setTextAt(int row, int column, const wchar_t* text, size_t length) = 0;
    virtual void reserveRows(int count) = 0;
    // A new row with its cells in one call, cells[i] going to column i (columns from count
    // on are NULL). Returns the row.
    virtual int appendRowValues(const CellValue* cells, int count) = 0;
    // Marks the rows as replaced: every view over the table rebuilds (now, or when the
    // outermost update bracket closes) and the table is no longer empty.
    virtual void commitFill() = 0;
    // False (out 0) for a NULL cell or one that does not exist.
    virtual bool readRealAt(int row, int column, double& out) = 0;
    // As ITableFill::adoptRows; staging must be one of the kernel's tables.
    virtual bool adoptRows(IDataTable* staging, bool takeValueTypes) = 0;
    // As ITableFill::reserveLike; nothing happens when model is not one of the kernel's.
    virtual void reserveLike(IDataTable* model) = 0;
};

struct IDataViewHost : IDataView, ICellReader {
    // The view's row showing the source's row sourceIndex, or -1 when no row shows it.
    virtual int findSourceRow(int sourceIndex) = 0;
};

// How a view sorts: the kernel's sorters have it, and the view looks for it on the sorter
// it is given.
struct IRowSorter {
    // Stable-sorts rows[0..count) (indexes into container).
    virtual void sortRows(IDataContainer* container, int* rows, int count) = 0;
protected:
    ~IRowSorter() = default;
};

struct IFieldSorterHost : IFieldSorter, IRowSorter {
    // Cells holding exactly such a text sort with the empty values, last in either
    // direction. Kept per field across sorts until cleared.
    virtual void addPlaceholder(const XStringW& columnName, const XStringW& storedText) = 0;
    virtual void clearPlaceholders() = 0;
};

struct ITopSorterHost : ITopSorter, IRowSorter {};

// The kernel's new components, typed for the host.
inline XComPtr<IDataTableHost> createHostTable() { return createInstance("Data.DataTable").cast<IDataTableHost>(); }
inline XComPtr<IDataViewHost> createHostView() { return createInstance("Data.DataView").cast<IDataViewHost>(); }

} // namespace Host
