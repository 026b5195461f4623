// The kernel's data table.
#include "DataTable.h"
#include "ComponentRegistry.h"
#include "ContractMode.h"
#include <algorithm>
#include <climits>

namespace Kernel {

namespace {

IXUnknown* createDataTable() { return static_cast<Host::IDataTableHost*>(new DataTable); }

} // namespace

KERNEL_COMPONENT("Data.DataTable", createDataTable);

XComPtr<Host::IDataRow> DataTable::getRow(int index)
{
    Kernel::contractCall("IDataContainer::getRow");
    return rowAt(index);
}

int DataTable::getRowCount()
{
    Kernel::contractCall("IDataContainer::getRowCount");
    return rowCount();
}

bool DataTable::isEmpty()
{
    Kernel::contractCall("IDataTable::isEmpty");
    return empty_;
}

void DataTable::invalidate(int)
{
    Kernel::contractCall("IDataTable::invalidate");
    empty_ = true;
}

XComPtr<Host::IDataRow> DataTable::rowAt(int index)
{
    if (index < 0 || size_t(index) >= rowCount_) return {};
    TableRow* row = rowPool_.take();
    if (!row) row = new TableRow;
    addRef();
    row->bind(this, index);
    return XComPtr<Host::IDataRow>::adopt(row);
}

XComPtr<Host::IColumnItem> DataTable::cell(int row, int column)
{
    TableCell* item = cellPool_.take();
    if (!item) item = new TableCell;
    addRef();
    item->bind(this, row, column);
    return XComPtr<Host::IColumnItem>::adopt(item);
}

// The object goes back to the pool before the table lets go of its reference, since that
// release may destroy the table and the pool with it.
void DataTable::recycle(TableRow* row)
{
    rowPool_.give(row);
    release();
}

void DataTable::recycle(TableCell* cell)
{
    cellPool_.give(cell);
    release();
}

XComPtr<Host::IColumnItem> DataTable::getColumn(int index)
{
    Kernel::contractCall("IDataContainer::getColumn");
    return columnAt(index);
}

XComPtr<Host::IColumnItem> DataTable::columnAt(int index)
{
    if (!column(index)) return {};
    return XComPtr<Host::IColumnItem>::adopt(new ColumnHandle(this, index));
}

int DataTable::getColumnIndex(const XStringW& name)
{
    Kernel::contractCall("IDataContainer::getColumnIndex");
    return columnIndex(name);
}

int DataTable::columnIndex(const XStringW& name) const
{
    auto it = columnByName_.find(name);
    return it == columnByName_.end() ? -1 : it->second;
}

bool DataTable::textViewAt(int row, int column, const wchar_t*& chars, size_t& length)
{
    DataColumn* cells = cellColumn(row, column);
    if (!cells || cells->storage(size_t(row)) != STORE_TEXT) return false;
    TextRef t = cells->textAt(size_t(row));
    chars = t.chars;
    length = t.length;
    return true;
}

bool DataTable::textViewsAt(int column, const int* rows, int count, Host::TextView* out)
{
    const DataColumn* stored = this->column(column);
    if (!stored || !rows || !out) return false;
    const DataColumn::Cells cells = stored->cells();
    const size_t rowCount = rowCount_;
    for (int i = 0; i < count; ++i) {
        size_t row = size_t(rows[i]);
        if (row >= rowCount || cells.classes[row] != STORE_TEXT) {
            out[i] = {nullptr, 0};
            continue;
        }
        TextRef t = DataColumn::storedText(cells.arena + size_t(cells.slots[row]));
        out[i] = {t.chars, t.length};
    }
    return true;
}

bool DataTable::readTextAt(int row, int column, XStringW& out)
{
    DataColumn* cells = cellColumn(row, column);
    if (!cells) {
        out.clear();
        return false;
    }
    cells->readTextInto(size_t(row), out);
    return true;
}

DataColumn* DataTable::column(int index)
{
    if (index < 0 || size_t(index) >= columns_.size()) return nullptr;
    return columns_[size_t(index)].get();
}

DataColumn* DataTable::cellColumn(int row, int column)
{
    if (row < 0 || size_t(row) >= rowCount_) return nullptr;
    return this->column(column);
}

void DataTable::writeCellText(int row, int column, const XStringW& text)
{
    setTextAt(row, column, text.c_str(), text.size());
}

XComPtr<Host::IUpdateContext> DataTable::beginUpdate()
{
    Kernel::contractCall("IDataTable::beginUpdate");
    return XComPtr<Host::IUpdateContext>::adopt(new UpdateContext(this, this));
}

// A refill after invalidate names its columns again: an existing name keeps its column
// (taking the new type) instead of adding a second column of the same name.
int DataTable::addColumn(const XStringW& name, int valueType)
{
    int existing = columnIndex(name);
    if (existing >= 0) {
        columns_[size_t(existing)]->setValueType(valueType);
        return existing;
    }
    auto column = std::make_unique<DataColumn>(name, valueType);
    column->reserve(reservedRows_);
    auto text = reservedText_.find(name);
    if (text != reservedText_.end()) column->reserveText(text->second);
    column->resize(rowCount_);
    columns_.push_back(std::move(column));
    int index = int(columns_.size() - 1);
    columnByName_.emplace(name, index);
    return index;
}

void DataTable::clearRows()
{
    for (auto& c : columns_) c->clear();
    rowCount_ = 0;
    markChanged();
}

int DataTable::appendRow()
{
    for (auto& c : columns_) c->resize(rowCount_ + 1);
    markChanged();
    return int(rowCount_++);
}

// The cells are appended column by column, so every column stays one row longer and no
// cell is written twice (appendRow's NULLs, then the value).
int DataTable::appendRowValues(const Host::CellValue* cells, int count)
{
    size_t given = cells && count > 0 ? std::min(size_t(count), columns_.size()) : 0;
    for (size_t i = 0; i < columns_.size(); ++i) {
        DataColumn& column = *columns_[i];
        if (i >= given) {
            column.appendNull();
            continue;
        }
        const Host::CellValue& cell = cells[i];
        switch (cell.kind) {
        case Host::CELL_INT: column.appendInt(cell.integer); break;
        case Host::CELL_REAL: column.appendReal(cell.real); break;
        case Host::CELL_TEXT: column.appendUtf8(cell.utf8, cell.bytes); break;
        default: column.appendNull(); break;
        }
    }
    markChanged();
    return int(rowCount_++);
}

// A fill reserves before it knows its columns: columns added later reserve as much.
void DataTable::reserveRows(int count)
{
    if (count <= 0) return;
    reservedRows_ = size_t(count);
    for (auto& c : columns_) c->reserve(size_t(count));
}

void DataTable::reserveLike(Host::IDataTable* model)
{
    auto* from = dynamic_cast<DataTable*>(model);
    if (!from || from == this) return;
    reserveRows(int(std::min<size_t>(from->rowCount_, INT_MAX)));
    for (const auto& column : from->columns_) {
        size_t units = column->textUnits();
        reservedText_[column->name()] = units;
        int mine = columnIndex(column->name());
        if (mine >= 0) columns_[size_t(mine)]->reserveText(units);
    }
}

bool DataTable::readRealAt(int row, int column, double& out)
{
    DataColumn* c = cellColumn(row, column);
    if (!c || c->storage(size_t(row)) == STORE_NULL) {
        out = 0.0;
        return false;
    }
    out = c->readReal(size_t(row));
    return true;
}

// Columns change hands whole, so the shown table is replaced in time proportional to its
// columns, not its cells. The old cells are dropped at once rather than left in staging:
// the old and the new rows are not both held longer than the swap. The column objects
// keep their names, so each index here still names the same column.
bool DataTable::adoptRows(Host::IDataTable* staging, bool takeValueTypes)
{
    auto* from = dynamic_cast<DataTable*>(staging);
    if (!from || from == this) return false;
    for (auto& incoming : from->columns_) {
        const XStringW& name = incoming->name();
        if (columnIndex(name) < 0) addColumn(name, incoming->valueType());
    }
    for (size_t i = 0; i < columns_.size(); ++i) {
        std::unique_ptr<DataColumn>& mine = columns_[i];
        int index = from->columnIndex(mine->name());
        if (index < 0) {
            mine->clear();
            mine->resize(from->rowCount_);
            continue;
        }
        std::unique_ptr<DataColumn>& theirs = from->columns_[size_t(index)];
        int stagingType = theirs->valueType();
        int type = takeValueTypes ? stagingType : mine->valueType();
        mine.swap(theirs);
        mine->setValueType(type);
        theirs = std::make_unique<DataColumn>(mine->name(), stagingType);
    }
    rowCount_ = from->rowCount_;
    from->rowCount_ = 0;
    from->markChanged();
    commitFill();
    return true;
}

void DataTable::setNull(int row, int column)
{
    if (DataColumn* c = cellColumn(row, column)) {
        c->setNull(size_t(row));
        markChanged();
    }
}

void DataTable::setInt64(int row, int column, int64_t value)
{
    if (DataColumn* c = cellColumn(row, column)) {
        c->setInt(size_t(row), value);
        markChanged();
    }
}

void DataTable::setDouble(int row, int column, double value)
{
    if (DataColumn* c = cellColumn(row, column)) {
        c->setReal(size_t(row), value);
        markChanged();
    }
}

void DataTable::setTextAt(int row, int column, const wchar_t* text, size_t length)
{
    if (DataColumn* c = cellColumn(row, column)) {
        c->setText(size_t(row), text, length);
        markChanged();
    }
}

// A complete fill gives back what growth reserved beyond its rows and texts: at a million
// funds the spare capacity of the text arenas alone would be tens of megabytes.
void DataTable::commitFill()
{
    for (auto& c : columns_) c->compact();
    empty_ = false;
    markChanged();
    if (inBracket()) return;
    rebuildPending_ = false;
    rebuildDependants(1);
}

// Whatever changed inside the brackets (a fill, cell writes) reaches the views once.
void DataTable::bracketsClosed()
{
    if (!rebuildPending_) return;
    rebuildPending_ = false;
    rebuildDependants(1);
}

} // namespace Kernel
