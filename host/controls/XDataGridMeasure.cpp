// How wide a column must be to show a text whole, measured the way the text is drawn: in
// the column's font (the header font for captions), between the same margins. The tips for
// cut text and the column fitting both ask here, so neither can disagree with the paint.
#include "controls/XDataGrid.h"
#include "GridHeader.h"
#include "common/ScopedWin.h"

namespace Control {

namespace {

int textExtent(HDC dc, HFONT font, const Common::XStringW& text)
{
    if (text.empty())
        return 0;
    Common::SelectedObject selected(dc, font);
    SIZE size{};
    if (!GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size))
        return 0;
    return size.cx;
}

} // namespace

int XDataGrid::CellWidthNeeded(HDC dc, int row, int column, Common::XStringW* text)
{
    if (column < 0 || column >= GetColumnCount() || row < 0 || row >= GetRowsCount())
        return 0;
    GridHeader::Column& c = header_->column(column);
    Common::XStringW cell;
    if (!c.checkBox)
        GetItemText(row, c.info, cell);
    int width = cell.empty() ? 0 : textExtent(dc, ColumnFont(column), cell) + 2 * kTextMargin;
    if (text)
        *text = cell;
    return width;
}

int XDataGrid::CaptionWidthNeeded(HDC dc, int column)
{
    if (column < 0 || column >= GetColumnCount())
        return 0;
    const GridHeader::Column& c = header_->columns()[column];
    int width = textExtent(dc, HeaderFont(), c.title) + 2 * kTextMargin;
    if (!sortName_.empty() && c.info.name == sortName_)
        width += kSortArrowSpace;
    return width;
}

} // namespace Control
