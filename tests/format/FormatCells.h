// Cells for the formatter tests: one kernel "Data.DataTable" with a real, an integer and a
// text column; each call appends a row holding the value and returns that row's cell. The
// cells are written through the host's own table interface (the client's has no way to
// build a table cell by cell) and read through the client's, as the formatter reads them.
#pragma once
#include "hostapi/DataHost.h"
#include <gtest/gtest.h>
#include <string>

class FormatCells {
public:
    FormatCells() : table_(Host::createHostTable())
    {
        EXPECT_TRUE(table_);
        table_->addColumn(L"real", Host::VALUE_REAL);
        table_->addColumn(L"int", Host::VALUE_INT);
        table_->addColumn(L"text", Host::VALUE_TEXT);
        table_->commitFill();
    }
    XComPtr<Host::IColumnItem> real(double v)
    {
        table_->setDouble(row(), 0, v);
        return cell(L"real");
    }
    XComPtr<Host::IColumnItem> integer(int v)
    {
        table_->setInt64(row(), 1, v);
        return cell(L"int");
    }
    XComPtr<Host::IColumnItem> text(const std::wstring& v)
    {
        table_->setTextAt(row(), 2, v.c_str(), v.size());
        return cell(L"text");
    }
    // A fresh row's cell is NULL.
    XComPtr<Host::IColumnItem> null(const wchar_t* column)
    {
        row();
        return cell(column);
    }

private:
    int row() { return last_ = table_->appendRow(); }
    XComPtr<Host::IColumnItem> cell(const wchar_t* column) { return table_->getRow(last_)->getItem(column); }
    XComPtr<Host::IDataTableHost> table_;
    int last_ = -1;
};
