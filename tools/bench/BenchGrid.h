// The closed-fund grid in a window of its own over synthetic funds (code, name, discount
// rate) with the default header, for the cases that click or paint it.
#pragma once
#include "grid/ClosedFundGrid.h"
#include <windows.h>

namespace Bench {

// The grid's geometry is the control's own; the bench reads it to click a caption.
struct ClickGrid : ClosedFund::closedFundGrid {
    using Control::XDataGrid::BodyRect;
    using Control::XDataGrid::ColumnScreenSpan;
};

struct FundGrid {
    ClickGrid grid;
    HWND parent = nullptr;

    FundGrid(int funds, int width, int height);
    ~FundGrid();
    FundGrid(const FundGrid&) = delete;
    FundGrid& operator=(const FundGrid&) = delete;
};

} // namespace Bench
