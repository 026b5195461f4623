// Cells for the formatter tests: one kernel "Data.DataTable" with a real, an integer and a
// text column; each call appends a row holding the value and returns that row's cell.
#pragma once
#include "host/Data.h"
#include "host/Kernel.h"
#include <gtest/gtest.h>
#include <string>

class FormatCells {
public:
    FormatCells() : table_(Host::createInstanceAs<Host::IDataTable>("Data.DataTable"))
    {
        EXPECT_TRUE(table_);
        if (!table_) return;
        table_->addColumn(L"real", Host::VALUE_REAL);
        table_->addColumn(L"int", Host::VALUE_INT);
        table_->addColumn(L"text", Host::VALUE_TEXT);
        table_->commitFill();
    }
    XComPtr<Host::IColumnItem> real(double v) { int r = row(); table_->setDouble(r, 0, v); return cell(r, L"real"); }
    XComPtr<Host::IColumnItem> integer(int v) { int r = row(); table_->setInt64(r, 1, v); return cell(r, L"int"); }
    XComPtr<Host::IColumnItem> text(const std::wstring& v)
    {
        int r = row();
        table_->setTextAt(r, 2, v.c_str(), v.size());
        return cell(r, L"text");
    }
    // A fresh row's cell is NULL.
    XComPtr<Host::IColumnItem> null(const wchar_t* column) { return cell(row(), column); }

private:
    int row() { return table_ ? table_->appendRow() : 0; }
    XComPtr<Host::IColumnItem> cell(int r, const wchar_t* column)
    {
        XComPtr<Host::IDataRow> dataRow = table_ ? table_->getRow(r) : nullptr;
        return dataRow ? dataRow->getItem(column) : nullptr;
    }
    XComPtr<Host::IDataTable> table_;
};
