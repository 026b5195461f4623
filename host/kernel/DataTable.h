// "Data.DataTable": the kernel's table of typed columns. Cells keep the value they were given
// and convert on read; views built on the table rebuild when it is refilled.
#pragma once
#include "DataColumn.h"
#include "DataItemPool.h"
#include "DataItems.h"
#include "DataSource.h"
#include "common/RefCounted.h"
#include "hostapi/DataHost.h"
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace Kernel {

class DataTable final : public Common::RefCounted<Host::IDataTableHost>, public DataSource {
public:
    DataTable() = default;

    // IDataContainer
    XComPtr<Host::IDataRow> getRow(int index) override;
    int getRowCount() override;
    XComPtr<Host::IColumnItem> getColumn(int index) override;
    int getColumnIndex(const XStringW& name) override;

    // IDataTable
    bool isEmpty() override;
    void invalidate(int reserved) override;
    XComPtr<Host::IUpdateContext> beginUpdate() override;

    // ICellReader
    int getColumnCount() override { return columnCount(); }
    bool readTextAt(int row, int column, XStringW& out) override;
    bool textViewAt(int row, int column, const wchar_t*& chars, size_t& length) override;
    bool textViewsAt(int column, const int* rows, int count, Host::TextView* out) override;

    // IDataTableHost
    int addColumn(const XStringW& name, int valueType) override;
    void clearRows() override;
    int appendRow() override;
    void setNull(int row, int column) override;
    void setInt64(int row, int column, int64_t value) override;
    void setDouble(int row, int column, double value) override;
    void setTextAt(int row, int column, const wchar_t* text, size_t length) override;
    void reserveRows(int count) override;
    int appendRowValues(const Host::CellValue* cells, int count) override;
    void commitFill() override;
    bool readRealAt(int row, int column, double& out) override;
    bool adoptRows(Host::IDataTable* staging, bool takeValueTypes) override;
    void reserveLike(Host::IDataTable* model) override;

    // The same as the client's operations above, for the kernel's own calls: unchecked, so
    // that the kernel's work for one call is not reported as more calls in contract-only mode.
    XComPtr<Host::IDataRow> rowAt(int index);
    XComPtr<Host::IColumnItem> columnAt(int index);
    int rowCount() const { return int(rowCount_); }
    int columnCount() const { return int(columns_.size()); }
    int columnIndex(const XStringW& name) const;

    // DataSource
    DataSource* upstream() override { return nullptr; }

    // For the row, cell and column objects. A row or column out of range (a row held across
    // a refill that shortened the table) reads as NULL and ignores writes.
    XComPtr<Host::IColumnItem> cell(int row, int column);
    DataColumn* column(int index);
    DataColumn* cellColumn(int row, int column);
    void writeCellText(int row, int column, const XStringW& text);
    void recycle(TableRow* row);
    void recycle(TableCell* cell);

private:
    ~DataTable() override = default;
    void bracketsClosed() override;
    void markChanged() { rebuildPending_ = true; }

    std::vector<std::unique_ptr<DataColumn>> columns_;
    std::unordered_map<std::wstring, int> columnByName_;
    size_t rowCount_ = 0;
    size_t reservedRows_ = 0;                               // asked for before the columns that need it were added
    std::unordered_map<std::wstring, size_t> reservedText_; // the same for text room, by column
    bool empty_ = true;
    bool rebuildPending_ = false;
    // Declared last: destroyed first, while nothing can still hand objects back (each
    // object out holds a reference to the table).
    DataItemPool<TableRow> rowPool_;
    DataItemPool<TableCell> cellPool_;
};

} // namespace Kernel
