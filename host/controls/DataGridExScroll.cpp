// Mouse on the grid's own scroll bars: arrow buttons scroll a line (repeating while held),
// the track a page, the thumb follows the mouse.
#include "controls/DataGridEx.h"

namespace Control {

namespace {
const UINT_PTR kScrollTimer = 0x4701;
}

void DataGridEx::OnScrollBarDown(int x, int y, bool vertical)
{
    ScrollLayout s = GetScrollLayout();
    POINT pt = {x, y};
    const RECT* buttons[4] = {&s.vUp, &s.vDown, &s.hLeft, &s.hRight};
    for (int b = 0; b < 4; ++b) {
        if (!PtInRect(buttons[b], pt)) continue;
        heldScrollButton_ = b;
        drag_ = Drag::ScrollButton;
        SetCapture(GetHwnd());
        ScrollByButton();
        SetTimer(GetHwnd(), kScrollTimer, 80, nullptr);
        return;
    }
    const RECT& thumb = vertical ? s.vThumb : s.hThumb;
    if (PtInRect(&thumb, pt)) {
        drag_ = vertical ? Drag::VThumb : Drag::HThumb;
        dragStart_ = pt;
        dragOrigin_ = vertical ? thumb.top - s.vUp.bottom : thumb.left - s.hLeft.right;
        SetCapture(GetHwnd());
        return;
    }
    RECT body = BodyRect();
    if (vertical)
        ScrollTo(GetTopRow() + (y < thumb.top ? -PageRows() : PageRows()), GetScrollX());
    else
        ScrollTo(GetTopRow(), GetScrollX() + (x < thumb.left ? -1 : 1) * int(body.right - body.left - FrozenWidth()));
}

void DataGridEx::ScrollByButton()
{
    int line = RowHeight();
    switch (heldScrollButton_) {
    case 0: ScrollTo(GetTopRow() - 1, GetScrollX()); break;
    case 1: ScrollTo(GetTopRow() + 1, GetScrollX()); break;
    case 2: ScrollTo(GetTopRow(), GetScrollX() - line); break;
    case 3: ScrollTo(GetTopRow(), GetScrollX() + line); break;
    default: break;
    }
}

void DataGridEx::OnScrollTimer()
{
    if (drag_ == Drag::ScrollButton && (GetKeyState(VK_LBUTTON) < 0))
        ScrollByButton();
    else
        EndDrag();
}

} // namespace Control
