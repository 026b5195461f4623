// Tips for cut text, as list views show their cut labels: the mouse rests on a cell or a
// caption whose text the paint had to cut, and after the hover delay the whole text shows
// just below it. Only the spot under the mouse is measured, once per spot.
#include "controls/DataGridEx.h"
#include "ControlDpi.h"
#include "CutTextTip.h"
#include "GridHeader.h"
#include "common/ScopedWin.h"

namespace Control {

namespace {
const UINT_PTR kTipTimer = 0x4702;
}

HWND DataGridEx::GetTipWindow() const { return tip_ ? tip_->window() : nullptr; }

void DataGridEx::TrackTip(int x, int y)
{
    if (!trackingLeave_) {
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, GetHwnd(), 0};
        trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
    }
    int row = -1, column = -1;
    HitTestResult hit = HitTest(x, y, row, column);
    if (hit != HitCell && hit != HitCaption) {
        ForgetTip();
        return;
    }
    if (row == tipRow_ && column == tipColumn_) return;
    ForgetTip();
    Common::MemoryDCHandle dc(nullptr);
    Common::XStringW text;
    int needed = row >= 0 ? CellWidthNeeded(dc, row, column, &text) : CaptionWidthNeeded(dc, column);
    if (row < 0) text = Header().columns()[column].title;
    tipRow_ = row;
    tipColumn_ = column;
    tipColumnName_ = Header().columns()[column].info.name;
    tipTopRow_ = GetTopRow();
    tipScrollX_ = GetScrollX();
    tipWidth_ = ColumnWidth(column);
    tipText_ = text;
    tipCut_ = needed > tipWidth_ && !text.empty();
    if (tipCut_) SetTimer(GetHwnd(), kTipTimer, GetDoubleClickTime(), nullptr);
}

// Below the spot, its text lined up with the cell's (the tip keeps a few pixels of margin
// of its own), so the pointer never rests on the tip.
void DataGridEx::ShowTip()
{
    KillTimer(GetHwnd(), kTipTimer);
    if (!tipCut_ || tipColumn_ < 0) return;
    int left = 0, right = 0;
    if (!ColumnScreenSpan(tipColumn_, left, right)) return;
    RECT body = BodyRect();
    int bottom = tipRow_ < 0 ? body.top : body.top + (tipRow_ - GetTopRow() + 1) * RowHeight();
    POINT at = {left + dpiScaled(kTextMargin - 3, windowDpi(GetHwnd())), bottom + 1};
    ClientToScreen(&at);
    if (!tip_) tip_ = std::make_unique<CutTextTip>();
    tip_->show(GetHwnd(), tipText_, at);
}

void DataGridEx::ForgetTip()
{
    if (IsWindow()) KillTimer(GetHwnd(), kTipTimer);
    if (tip_) tip_->hide();
    tipRow_ = tipColumn_ = -1;
    tipCut_ = false;
    tipText_.clear();
    tipColumnName_.clear();
}

// Called before each full paint: a spot that scrolled, changed width or now holds another
// text is measured again at the next move; a tip over it no longer tells the truth.
void DataGridEx::CheckTipAfterChange()
{
    if (tipColumn_ < 0) return;
    bool same = GetTopRow() == tipTopRow_ && GetScrollX() == tipScrollX_ && tipColumn_ < GetColumnCount() &&
                tipRow_ < GetRowsCount() && Header().columns()[tipColumn_].info.name == tipColumnName_ &&
                ColumnWidth(tipColumn_) == tipWidth_;
    if (same) {
        Common::XStringW text = Header().columns()[tipColumn_].title;
        if (tipRow_ >= 0) GetItemText(tipRow_, Header().column(tipColumn_).info, text);
        same = text == tipText_;
    }
    if (!same) ForgetTip();
}

} // namespace Control
