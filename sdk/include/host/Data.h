// The host data library: tables of typed columns, views over a table or another view,
// filters and sorters that views apply. Created through createInstance by ProgID. These are
// the operations of the client's interface, in its slot order, and no others: a faster way
// to read or fill cells is a service found by discovery (ext/DataAccess.h).
#pragma once
#include "host/IXUnknown.h"

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
};

struct IDataRow : IXUnknown {
    // The cell of the named column, or empty when the row's table has no such column.
    virtual XComPtr<IColumnItem> getItem(const XStringW& columnName) = 0;
    virtual XComPtr<IColumnItem> getItemAt(int column) = 0;
};

// Rows and columns as a table or a view shows them.
struct IDataContainer : IXUnknown {
    virtual XComPtr<IDataRow> getRow(int index) = 0;
    virtual int getRowCount() = 0;
    virtual XComPtr<IColumnItem> getColumn(int index) = 0;
    virtual int getColumnIndex(const XStringW& name) = 0; // -1 if none
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
};

// Implemented by the module, called by the views.
struct IDataFilter : IXUnknown {
    // Compacts rows[0..*count) (indexes into container) to the rows that pass, in order.
    virtual void filterRows(IDataContainer* container, int* rows, int* count) = 0;
};

// The sorters' settings. How a view sorts with them is the host's own business: the
// client's interface has no sort entry point.
struct IFieldSorter : IXUnknown {
    virtual void setSortField(const XStringW& columnName) = 0;
    // 0 ascending, anything else descending; empty values and "--" go last either way.
    virtual void setSortOrder(int descending) = 0;
};

// Puts the rows whose field holds one of the values first, in the order of the values.
struct ITopSorter : IXUnknown {
    virtual void setField(const XStringW& columnName) = 0;
    virtual void clearValues() = 0;
    virtual void addValue(const XStringW& value) = 0;
};

struct IDataView;

// Implemented by the module: told before and after every rebuild of a view it is set on.
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
    // A sorter the host made ("Data.FieldSorter", "Data.TopSorter"), or null for none.
    virtual void setSorter(IXUnknown* sorter) = 0;
    // The index in the source of the view's row.
    virtual int getSourceIndex(int row) = 0;
    virtual XComPtr<IUpdateContext> beginUpdate() = 0;
    // Re-applies filters and sorter; notify nonzero tells the event sink. Views built on
    // this one rebuild after it.
    virtual void rebuild(int notify) = 0;
};

} // namespace Host
