// The host data library: tables of typed columns, views over a table or another view,
// filters and sorters that views apply. Created through createInstance by ProgID.
#pragma once
#include "host/IXUnknown.h"
#include <cstddef>
#include <cstdint>

namespace Host {

// Value types of a column: how it converts and sorts (cells keep the value they were given).
enum ValueType { VALUE_TEXT = 0, VALUE_REAL = 1, VALUE_INT = 2 };

// A column (from getColumn) or one cell of a row (from getItem/getItemAt). Cells convert
// on read the way SQLite's column readers do: a text reads as its leading number, a number
// reads as its text, NULL reads as "", 0 or 0.0.
struct IColumnItem : IXUnknown {
    virtual int getValueType() = 0;
    virtual void setValueType(int type) = 0;
    virtual XStringW getText() = 0;
    virtual double getDouble() = 0;
    virtual int getInt() = 0;
    virtual bool isNull() = 0;
    virtual void setText(const XStringW& text) = 0;
    virtual XStringW getName() = 0;
};

struct IDataRow : IXUnknown {
    // The cell of the named column, or empty when the row's table has no such column.
    virtual XComPtr<IColumnItem> getItem(const XStringW& columnName) = 0;
    virtual XComPtr<IColumnItem> getItemAt(int column) = 0;
    // The row's index in its table.
    virtual int getIndex() = 0;
};

// A stored text where it lies: chars is null for a cell that holds no text.
struct TextView {
    const wchar_t* chars;
    size_t length;
};

// Rows and columns as a table or a view shows them.
struct IDataContainer : IXUnknown {
    virtual XComPtr<IDataRow> getRow(int index) = 0;
    virtual int getRowCount() = 0;
    virtual XComPtr<IColumnItem> getColumn(int index) = 0;
    virtual int getColumnIndex(const XStringW& name) = 0; // -1 if none
    virtual int getColumnCount() = 0;
    // The text of one cell, as getRow(row)->getItemAt(column)->getText() gives it, written
    // into out (its buffer is reused): the way to read many cells without an object per
    // cell. False, with out emptied, when the row or column does not exist.
    virtual bool readTextAt(int row, int column, XStringW& out) = 0;
    // The stored text of one cell where it lies, without a copy: true, with chars and length
    // set, for a cell that holds a text; the text stays valid until the table is next written
    // or refilled. False for a cell that holds a number or NULL (readTextAt converts those)
    // and for a row or column that does not exist.
    virtual bool textViewAt(int row, int column, const wchar_t*& chars, size_t& length) = 0;
    // textViewAt for many rows of one column in one call, for loops over a whole view (a
    // filter): out[i] is the stored text of rows[i], with null chars where the cell holds a
    // number or NULL or the row does not exist. False, with nothing written, when the column
    // does not exist.
    virtual bool textViewsAt(int column, const int* rows, int count, TextView* out) = 0;
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

// An open update bracket; endUpdate closes it (releasing it unclosed closes it too).
struct IUpdateContext : IXUnknown {
    virtual void endUpdate() = 0;
};

struct IDataTable : IDataContainer {
    // True before the first fill and after invalidate.
    virtual bool isEmpty() = 0;
    virtual void invalidate(int reserved) = 0;
    // Defers the rebuild of dependent views until the outermost bracket closes.
    virtual XComPtr<IUpdateContext> beginUpdate() = 0;

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
    // on are NULL): a fill of many rows writes without a call per cell. Returns the row.
    virtual int appendRowValues(const CellValue* cells, int count) = 0;
    // Marks the rows as replaced: every view over the table rebuilds (now, or when the
    // outermost update bracket closes) and the table is no longer empty.
    virtual void commitFill() = 0;

    // The real value of one cell, as getRow(row)->getItemAt(column)->getDouble() reads it,
    // without an object per cell. False (out 0) for a NULL cell or one that does not exist.
    virtual bool readRealAt(int row, int column, double& out) = 0;
    // Takes the rows of staging (a table filled elsewhere, on any thread) in place of this
    // table's, without copying cells: each column takes the cells of staging's column of the
    // same name, a column staging lacks becomes NULL, a column only staging has is added.
    // With takeValueTypes the columns take staging's value types (a first fill); otherwise
    // they keep their own. staging is left with its columns and no rows. Then as commitFill.
    // False, with nothing changed, when staging is this table or not one of the kernel's.
    virtual bool adoptRows(IDataTable* staging, bool takeValueTypes) = 0;
    // Makes room for as many rows as model has, and in each column for as much text as
    // model's column of the same name holds (a column added later gets its room when it is
    // added): a refill of about the same data then neither regrows nor shrinks its storage,
    // so a reload beside the loaded rows needs little more than the two. Nothing happens
    // when model is not one of the kernel's tables.
    virtual void reserveLike(IDataTable* model) = 0;
};

struct IDataFilter : IXUnknown {
    // Compacts rows[0..*count) (indexes into container) to the rows that pass, in order.
    virtual void filterRows(IDataContainer* container, int* rows, int* count) = 0;
};

struct IDataSorter : IXUnknown {
    // Stable-sorts rows[0..count) (indexes into container).
    virtual void sortRows(IDataContainer* container, int* rows, int count) = 0;
};

struct IFieldSorter : IDataSorter {
    virtual void setSortField(const XStringW& columnName) = 0;
    // 0 ascending, anything else descending; empty values and "--" go last either way.
    virtual void setSortOrder(int descending) = 0;
    // Stored texts of a field that are shown as a placeholder (a "no date" that the grid
    // shows as "--"): cells holding exactly such a text sort with the empty values, last in
    // either direction. Kept per field across sorts until cleared.
    virtual void addPlaceholder(const XStringW& columnName, const XStringW& storedText) = 0;
    virtual void clearPlaceholders() = 0;
};

// Puts the rows whose field holds one of the values first, in the order of the values.
struct ITopSorter : IDataSorter {
    virtual void setField(const XStringW& columnName) = 0;
    virtual void clearValues() = 0;
    virtual void addValue(const XStringW& value) = 0;
};

struct IDataView;

// Told before and after every rebuild of a view it is set on.
struct IDataViewEvent : IXUnknown {
    virtual void OnViewChanging(IDataView* view) = 0;
    virtual void OnViewChanged(IDataView* view) = 0;
};

struct IDataView : IDataContainer {
    // A table or another view; the view rebuilds whenever its source does.
    virtual void setSource(IDataContainer* source) = 0;
    virtual XComPtr<IDataContainer> getSource() = 0;
    // Not counted: the sink must outlive the view or be set back to null.
    virtual void setEventSink(IDataViewEvent* sink) = 0;
    virtual void addFilter(IDataFilter* filter) = 0;
    virtual void removeFilter(IDataFilter* filter) = 0;
    virtual void setSorter(IDataSorter* sorter) = 0;
    // The index in the source of the view's row.
    virtual int getSourceIndex(int row) = 0;
    virtual XComPtr<IUpdateContext> beginUpdate() = 0;
    // Re-applies filters and sorter; notify nonzero tells the event sink. Views built on
    // this one rebuild after it.
    virtual void rebuild(int notify) = 0;
    // The view's row showing the source's row sourceIndex, or -1 when no row shows it.
    virtual int findSourceRow(int sourceIndex) = 0;
};

} // namespace Host
