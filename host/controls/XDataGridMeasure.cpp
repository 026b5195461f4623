// How wide a column must be to show a text whole, measured the way the text is drawn: in
// the column's font (the header font for captions), between the same margins. The tips for
// cut text and the column fitting both ask here, so neither can disagree with the paint.
#include "controls/XDataGrid.h"
#include "ControlDpi.h"
#include "GridHeader.h"
#include "GridResources.h"
#include "common/ScopedWin.h"
#include <algorithm>
#include <string>
#include <unordered_set>

namespace Control {

namespace {

int textExtent(HDC dc, HFONT font, const Common::XStringW& text)
{
    if (text.empty()) return 0;
    Common::SelectedObject selected(dc, font);
    SIZE size{};
    if (!GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size)) return 0;
    return size.cx;
}

} // namespace

int XDataGrid::CellWidthNeeded(HDC dc, int row, int column, Common::XStringW* text)
{
    if (column < 0 || column >= GetColumnCount() || row < 0 || row >= GetRowsCount()) return 0;
    GridHeader::Column& c = header_->column(column);
    Common::XStringW cell;
    if (!c.checkBox) GetItemText(row, c.info, cell);
    int margin = dpiScaled(kTextMargin, res_->dpi(GetHwnd()));
    int width = cell.empty() ? 0 : textExtent(dc, ColumnFont(column), cell) + 2 * margin;
    if (text) *text = cell;
    return width;
}

// The font is selected once and each distinct text measured once: types, companies and
// dates repeat all down a long list, and measuring is the slow part of fitting.
int XDataGrid::WidestCellNeeded(HDC dc, int column, int rows)
{
    if (column < 0 || column >= GetColumnCount()) return 0;
    GridHeader::Column& c = header_->column(column);
    if (c.checkBox) return 0;
    rows = std::min(rows, GetRowsCount());
    Common::SelectedObject selected(dc, ColumnFont(column));
    std::unordered_set<std::wstring> measured;
    Common::XStringW cell;
    int widest = 0, margin = dpiScaled(kTextMargin, res_->dpi(GetHwnd()));
    for (int row = 0; row < rows; ++row) {
        GetItemText(row, c.info, cell);
        if (cell.empty() || !measured.insert(cell).second) continue;
        SIZE size{};
        if (GetTextExtentPoint32W(dc, cell.c_str(), int(cell.size()), &size))
            widest = std::max(widest, int(size.cx) + 2 * margin);
    }
    return widest;
}

int XDataGrid::CaptionWidthNeeded(HDC dc, int column)
{
    if (column < 0 || column >= GetColumnCount()) return 0;
    const GridHeader::Column& c = header_->columns()[column];
    UINT dpi = res_->dpi(GetHwnd());
    int width = textExtent(dc, HeaderFont(), c.title) + 2 * dpiScaled(kTextMargin, dpi);
    if (!header_->sortColumn().empty() && c.info.name == header_->sortColumn())
        width += dpiScaled(kSortArrowSpace, dpi);
    return width;
}

} // namespace Control
