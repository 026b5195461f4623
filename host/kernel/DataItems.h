// The objects a table hands out: a row, a cell of a row, and a column. Each holds a
// reference to its table and only an index into it, so it stays safe to use (reading NULL)
// after the table was refilled with fewer rows.
#pragma once
#include "hostapi/DataHost.h"

namespace Kernel {

class DataTable;

// Rows and cells come from the table's pools; at their last release they go back there.
class TableRow final : public Host::IDataRowHost {
public:
    void bind(DataTable* table, int index);
    int addRef() override;
    int release() override;
    XComPtr<Host::IColumnItem> getItem(const XStringW& columnName) override;
    XComPtr<Host::IColumnItem> getItemAt(int column) override;
    int getIndex() override { return index_; }

    TableRow* nextFree = nullptr;

    ~TableRow() = default; // only by the pool, which owns the objects it holds

private:
    DataTable* table_ = nullptr;
    int index_ = 0;
    long refs_ = 0;
};

class TableCell final : public Host::IColumnItemHost {
public:
    void bind(DataTable* table, int row, int column);
    int addRef() override;
    int release() override;
    int getValueType() override;
    void setValueType(int type) override; // the column's type
    XStringW getText() override;
    double getDouble() override;
    int getInt() override;
    bool isNull() override;
    void setText(const XStringW& text) override;
    XStringW getName() override; // the column's name

    TableCell* nextFree = nullptr;

    ~TableCell() = default; // only by the pool

private:
    DataTable* table_ = nullptr;
    int row_ = 0;
    int column_ = 0;
    long refs_ = 0;
};

// A column as getColumn gives it: its name and value type; as a value it reads as NULL.
class ColumnHandle final : public Host::IColumnItemHost {
public:
    ColumnHandle(DataTable* table, int column);
    ColumnHandle(const ColumnHandle&) = delete;
    ColumnHandle& operator=(const ColumnHandle&) = delete;
    int addRef() override;
    int release() override;
    int getValueType() override;
    void setValueType(int type) override;
    XStringW getText() override;
    double getDouble() override;
    int getInt() override;
    bool isNull() override;
    void setText(const XStringW&) override;
    XStringW getName() override;

private:
    ~ColumnHandle();
    DataTable* table_;
    int column_;
    long refs_ = 1;
};

} // namespace Kernel
