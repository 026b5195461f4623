// Column fitting: a column becomes as wide as the widest of its caption and the texts it
// shows, measured as they are drawn, so nothing in it is cut and no space is wasted.
#include "controls/DataGridEx.h"
#include "ControlDpi.h"
#include "GridHeader.h"
#include "common/ScopedWin.h"
#include <algorithm>
#include <cmath>

namespace Control {

bool DataGridEx::FitColumnWidth(int column)
{
    Common::MemoryDCHandle dc(nullptr);
    if (!dc) return false;
    int needed = std::max(CaptionWidthNeeded(dc, column), WidestCellNeeded(dc, column, kFitRowLimit));
    // The document keeps unscaled widths: the smallest one that scales to at least needed.
    int width = int(std::ceil(needed / gridScale(GetZoom(), windowDpi(GetHwnd())) - 1e-9));
    int before = Header().columns()[column].width;
    Header().setWidth(column, width);
    return Header().columns()[column].width != before;
}

void DataGridEx::FitColumn(int column)
{
    if (column < 0 || column >= GetColumnCount() || !FitColumnWidth(column)) return;
    ScrollTo(GetTopRow(), GetScrollX());
    Invalidate(FALSE);
    OnHeaderChange();
}

void DataGridEx::FitAllColumns()
{
    bool changed = false;
    for (int c = 0; c < GetColumnCount(); ++c) changed = FitColumnWidth(c) || changed;
    if (!changed) return;
    ScrollTo(GetTopRow(), GetScrollX());
    Invalidate(FALSE);
    OnHeaderChange();
}

} // namespace Control
