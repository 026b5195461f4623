#include "data/CellReader.h"
#include "base/HostServices.h"
#include <utility>

namespace ClosedFund {

CellReader::CellReader(Host::IDataContainer* container)
    : container_(container), access_(HostServices::get().cellAccess(container))
{}

CellReader::CellReader(Host::IDataView* view)
    : container_(view), view_(view), access_(HostServices::get().cellAccess(view))
{}

CellReader::CellReader(Host::IDataContainer* container, XComPtr<Host::ICellAccess> access)
    : container_(container), access_(std::move(access))
{}

XComPtr<Host::IColumnItem> CellReader::cell(int row, int column)
{
    if (!container_ || row < 0 || column < 0) return {};
    if (row != rowIndex_ || !row_) {
        row_ = container_->getRow(row);
        rowIndex_ = row;
    }
    return row_ ? row_->getItemAt(column) : XComPtr<Host::IColumnItem>();
}

bool CellReader::readText(int row, int column, XStringW& out)
{
    if (access_) return access_->readTextAt(row, column, out);
    XComPtr<Host::IColumnItem> item = cell(row, column);
    if (!item) {
        out.clear();
        return false;
    }
    out = item->getText();
    return true;
}

bool CellReader::textView(int row, int column, const wchar_t*& chars, size_t& length)
{
    return access_ && access_->textViewAt(row, column, chars, length);
}

bool CellReader::textViews(int column, const int* rows, int count, Host::TextView* out)
{
    return access_ && access_->textViewsAt(column, rows, count, out);
}

bool CellReader::readReal(int row, int column, double& out)
{
    if (access_) return access_->readRealAt(row, column, out);
    out = 0;
    XComPtr<Host::IColumnItem> item = cell(row, column);
    if (!item || item->isNull()) return false;
    out = item->getDouble();
    return true;
}

bool CellReader::setText(int row, int column, const wchar_t* text, size_t length)
{
    if (access_) return access_->setTextAt(row, column, text, length);
    XComPtr<Host::IColumnItem> item = cell(row, column);
    if (!item) return false;
    item->setText(XStringW(text ? text : L"", text ? length : 0));
    return true;
}

// The contract has no reverse lookup: the view's rows are walked until one shows the row.
int CellReader::findSourceRow(int sourceIndex)
{
    if (!view_ || sourceIndex < 0) return -1;
    if (access_) {
        int row = access_->findSourceRow(sourceIndex);
        return row < 0 ? -1 : row;
    }
    int rows = view_->getRowCount();
    for (int row = 0; row < rows; ++row)
        if (view_->getSourceIndex(row) == sourceIndex) return row;
    return -1;
}

} // namespace ClosedFund
