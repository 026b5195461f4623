// Rows, cells and columns of a data table.
#include "DataItems.h"
#include "ContractMode.h"
#include "DataTable.h"
#include "DataValue.h"
#include <windows.h>

namespace Kernel {

void TableRow::bind(DataTable* table, int index)
{
    table_ = table;
    index_ = index;
    refs_ = 1;
}

int TableRow::addRef() { return InterlockedIncrement(&refs_); }

int TableRow::release()
{
    long n = InterlockedDecrement(&refs_);
    if (n == 0) table_->recycle(this);
    return n;
}

XComPtr<Host::IColumnItem> TableRow::getItem(const XStringW& columnName)
{
    Kernel::contractCall("IDataRow::getItem");
    int column = table_->columnIndex(columnName);
    if (column < 0) return {};
    return table_->cell(index_, column);
}

XComPtr<Host::IColumnItem> TableRow::getItemAt(int column)
{
    Kernel::contractCall("IDataRow::getItemAt");
    if (column < 0 || column >= table_->columnCount()) return {};
    return table_->cell(index_, column);
}

void TableCell::bind(DataTable* table, int row, int column)
{
    table_ = table;
    row_ = row;
    column_ = column;
    refs_ = 1;
}

int TableCell::addRef() { return InterlockedIncrement(&refs_); }

int TableCell::release()
{
    long n = InterlockedDecrement(&refs_);
    if (n == 0) table_->recycle(this);
    return n;
}

int TableCell::getValueType()
{
    Kernel::contractCall("IColumnItem::getValueType");
    DataColumn* c = table_->column(column_);
    return c ? c->valueType() : Host::VALUE_TEXT;
}

void TableCell::setValueType(int type)
{
    Kernel::contractCall("IColumnItem::setValueType");
    if (DataColumn* c = table_->column(column_)) c->setValueType(type);
}

XStringW TableCell::getText()
{
    Kernel::contractCall("IColumnItem::getText");
    DataColumn* c = table_->cellColumn(row_, column_);
    return c ? c->readText(size_t(row_)) : XStringW();
}

double TableCell::getDouble()
{
    Kernel::contractCall("IColumnItem::getDouble");
    DataColumn* c = table_->cellColumn(row_, column_);
    return c ? c->readReal(size_t(row_)) : 0.0;
}

int TableCell::getInt()
{
    Kernel::contractCall("IColumnItem::getInt");
    DataColumn* c = table_->cellColumn(row_, column_);
    return c ? clampToInt(c->readInt(size_t(row_))) : 0;
}

bool TableCell::isNull()
{
    Kernel::contractCall("IColumnItem::isNull");
    DataColumn* c = table_->cellColumn(row_, column_);
    return !c || c->storage(size_t(row_)) == STORE_NULL;
}

void TableCell::setText(const XStringW& text)
{
    Kernel::contractCall("IColumnItem::setText");
    table_->writeCellText(row_, column_, text);
}

XStringW TableCell::getName()
{
    DataColumn* c = table_->column(column_);
    return c ? c->name() : XStringW();
}

ColumnHandle::ColumnHandle(DataTable* table, int column) : table_(table), column_(column) { table_->addRef(); }

ColumnHandle::~ColumnHandle() { table_->release(); }

int ColumnHandle::addRef() { return InterlockedIncrement(&refs_); }

int ColumnHandle::release()
{
    long n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
}

int ColumnHandle::getValueType()
{
    Kernel::contractCall("IColumnItem::getValueType");
    DataColumn* c = table_->column(column_);
    return c ? c->valueType() : Host::VALUE_TEXT;
}

void ColumnHandle::setValueType(int type)
{
    Kernel::contractCall("IColumnItem::setValueType");
    if (DataColumn* c = table_->column(column_)) c->setValueType(type);
}

// As a value a column reads as NULL and takes no text.
XStringW ColumnHandle::getText()
{
    Kernel::contractCall("IColumnItem::getText");
    return XStringW();
}

double ColumnHandle::getDouble()
{
    Kernel::contractCall("IColumnItem::getDouble");
    return 0.0;
}

int ColumnHandle::getInt()
{
    Kernel::contractCall("IColumnItem::getInt");
    return 0;
}

bool ColumnHandle::isNull()
{
    Kernel::contractCall("IColumnItem::isNull");
    return true;
}

void ColumnHandle::setText(const XStringW&) { Kernel::contractCall("IColumnItem::setText"); }

XStringW ColumnHandle::getName()
{
    DataColumn* c = table_->column(column_);
    return c ? c->name() : XStringW();
}

} // namespace Kernel
