// Messages of the grid window: paint, mouse, wheel, keys, focus. Each message goes to one
// small handler; anything not handled takes the window's default processing.
#include "controls/DataGridEx.h"
#include "ControlDpi.h"
#include "CutTextTip.h"
#include "GridHeader.h"
#include "GridResources.h"
#include <gdiplus.h>
#include <windowsx.h>
#include "common/ScopedWin.h"
#include "common/TabOrder.h"
#include <algorithm>

namespace Control {

namespace {
const UINT_PTR kScrollTimer = 0x4701;
const UINT_PTR kTipTimer = 0x4702;
const int kDragStart = 5; // pixels at 96 dpi a caption moves before it is being dragged
// WM_DPICHANGED_AFTERPARENT, which headers for Windows 7 do not name.
const UINT kDpiChangedAfterParent = 0x02E3;
} // namespace

DataGridEx::DataGridEx() = default;

DataGridEx::~DataGridEx() { ReleaseWindow(); }

LRESULT DataGridEx::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: return OnPrintClient(reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND: return 1;
    case WM_GETTEXT: return OnGetText(size_t(wParam), reinterpret_cast<wchar_t*>(lParam));
    case WM_GETTEXTLENGTH: return OnGetTextLength();
    case WM_SIZE:
        ScrollTo(GetTopRow(), GetScrollX());
        Invalidate(FALSE);
        return 0;
    // Moved to a screen of another dpi (a host aware of each monitor's): fonts, rows and
    // columns are made again at the new one; the same zoom drops the kept column places.
    case kDpiChangedAfterParent:
        Resources().forgetDpi();
        Resources().release();
        SetZoom(GetZoom());
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS;
    case WM_LBUTTONDOWN:
        ForgetTip();
        OnLButtonDown(x, y, false);
        return 0;
    case WM_LBUTTONDBLCLK:
        ForgetTip();
        OnLButtonDown(x, y, true);
        return 0;
    case WM_LBUTTONUP: OnLButtonUp(x, y); return 0;
    case WM_MOUSEMOVE: OnMouseMove(x, y); return 0;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        ForgetTip();
        return 0;
    case WM_RBUTTONDOWN:
        ForgetTip();
        OnRButtonDown(x, y);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != GetHwnd()) EndDrag();
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && OnSetCursor()) return TRUE;
        break;
    case WM_KEYDOWN:
        ForgetTip();
        OnKeyDown(UINT(wParam));
        return 0;
    case WM_SYSKEYDOWN:
        if (IsMenuChord(UINT(wParam))) {
            ForgetTip();
            OpenContextMenuAtCurrentRow();
            return 0;
        }
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (IsMenuChord(UINT(wParam))) return 0;
        break;
    case WM_CONTEXTMENU:
        if (x == -1 && y == -1) {
            ForgetTip();
            OpenContextMenuAtCurrentRow();
            return 0;
        }
        break;
    case WM_SETFOCUS: NotifyFocus(); break;
    case WM_GETOBJECT: return OnGetObject(wParam, lParam);
    case WM_MOUSEWHEEL:
        ForgetTip();
        OnWheel(GET_WHEEL_DELTA_WPARAM(wParam), false);
        return 0;
    case WM_MOUSEHWHEEL:
        ForgetTip();
        OnWheel(GET_WHEEL_DELTA_WPARAM(wParam), true);
        return 0;
    case WM_TIMER:
        if (wParam == kScrollTimer) {
            OnScrollTimer();
            return 0;
        }
        if (wParam == kTipTimer) {
            ShowTip();
            return 0;
        }
        break;
    case WM_DESTROY:
        EndDrag();
        ForgetTip();
        if (tip_) tip_->destroy();
        break;
    default: break;
    }
    return DefaultProc(msg, wParam, lParam);
}

// Everything is drawn into one off-screen bitmap and copied in one transfer.
void DataGridEx::PaintTo(HDC target, const RECT& client)
{
    HDC buffer = Resources().backBuffer(target, client.right, client.bottom);
    if (!buffer) return;
    {
        Gdiplus::Graphics graphics(buffer);
        Render(buffer, graphics.GetLastStatus() == Gdiplus::Ok ? &graphics : nullptr, client);
    }
    if (drag_ == Drag::Move && dropX_ >= 0) {
        RECT in = InnerRect(), marker = {dropX_ - 1, in.top, dropX_ + 1, in.top + HeaderHeight()};
        Common::ScopedGdi<HBRUSH> b(CreateSolidBrush(HeaderColor()));
        FillRect(buffer, &marker, b);
    }
    BitBlt(target, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
}

void DataGridEx::OnPaint()
{
    CheckTipAfterChange();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(GetHwnd(), &ps);
    RECT client{};
    GetClientRect(&client);
    if (dc && client.right > 0 && client.bottom > 0) PaintTo(dc, client);
    EndPaint(GetHwnd(), &ps);
}

LRESULT DataGridEx::OnPrintClient(HDC dc)
{
    RECT client{};
    GetClientRect(&client);
    if (dc && client.right > 0 && client.bottom > 0) PaintTo(dc, client);
    return 0;
}

void DataGridEx::OnLButtonDown(int x, int y, bool dblClick)
{
    SetFocus();
    int row = -1, column = -1;
    HitTestResult hit = HitTest(x, y, row, column);
    dragStart_ = {x, y};
    switch (hit) {
    case HitCell:
        SetCurrSel(row);
        if (Header().columns()[column].checkBox) {
            SetCheckStatus(row, !GetCheckStatus(row));
            Invalidate(FALSE);
        }
        if (dblClick) OnEnterItem(row);
        return;
    case HitCaptionEdge:
        if (dblClick) {
            FitColumn(column);
            return;
        }
        drag_ = Drag::Resize;
        dragColumn_ = column;
        dragStartWidth_ = ColumnWidth(column);
        pressWidth_ = Header().columns()[column].width;
        SetCapture(GetHwnd());
        return;
    case HitCaption:
    case HitGroupCaption:
        drag_ = Drag::MaybeMove;
        dragColumn_ = hit == HitCaption ? column : -1;
        dragItem_ = TopItemOfColumn(column);
        SetCapture(GetHwnd());
        return;
    case HitVScroll:
    case HitHScroll: OnScrollBarDown(x, y, hit == HitVScroll); return;
    default: return;
    }
}

void DataGridEx::OnLButtonUp(int x, int y)
{
    Drag drag = drag_;
    int column = dragColumn_, item = dragItem_;
    int drop = drag == Drag::Move ? DropItemAt(x) : -1;
    EndDrag();
    if (drag == Drag::MaybeMove && column >= 0)
        SortByColumn(column);
    else if (drag == Drag::Move && drop >= 0)
        MoveTopItem(item, drop);
    else if (drag == Drag::Resize)
        ResizeColumn(column, Unscaled(dragStartWidth_ + (x - dragStart_.x)));
}

void DataGridEx::OnMouseMove(int x, int y)
{
    switch (drag_) {
    case Drag::MaybeMove:
        if (abs(x - dragStart_.x) < dpiScaled(kDragStart, Resources().dpi(GetHwnd())) || dragItem_ < 0) return;
        drag_ = Drag::Move;
        [[fallthrough]];
    case Drag::Move: {
        int drop = DropItemAt(x);
        dropX_ = drop < 0 ? -1 : DropMarkerX(drop);
        Invalidate(FALSE);
        return;
    }
    case Drag::Resize:
        // The document follows the edge; the grid hears of it once, on release.
        if (Header().setWidth(dragColumn_, Unscaled(dragStartWidth_ + (x - dragStart_.x)))) Invalidate(FALSE);
        return;
    case Drag::VThumb: {
        ScrollLayout s = GetScrollLayout();
        ScrollTo(TopRowForThumb(s, dragOrigin_ + (y - dragStart_.y)), GetScrollX());
        return;
    }
    case Drag::HThumb: {
        ScrollLayout s = GetScrollLayout();
        ScrollTo(GetTopRow(), ScrollXForThumb(s, dragOrigin_ + (x - dragStart_.x)));
        return;
    }
    default: TrackTip(x, y); return;
    }
}

void DataGridEx::EndDrag()
{
    bool wasMove = drag_ == Drag::Move;
    drag_ = Drag::None;
    dragColumn_ = dragItem_ = -1;
    dropX_ = -1;
    heldScrollButton_ = -1;
    if (IsWindow()) KillTimer(GetHwnd(), kScrollTimer);
    if (GetCapture() == GetHwnd()) ReleaseCapture();
    if (wasMove) Invalidate(FALSE);
}

bool DataGridEx::OnSetCursor()
{
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(&pt);
    int row = -1, column = -1;
    if (drag_ != Drag::Resize && HitTest(pt.x, pt.y, row, column) != HitCaptionEdge) return false;
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEWE)));
    return true;
}

// A right click makes the row under it current before the grid's menu opens; on the
// header it opens the column menu instead.
void DataGridEx::OnRButtonDown(int x, int y)
{
    SetFocus();
    EndDrag();
    int row = -1, column = -1;
    HitTestResult hit = HitTest(x, y, row, column);
    if (hit == HitCaption || hit == HitGroupCaption || hit == HitCaptionEdge) {
        ShowHeaderMenu(x, y, hit == HitGroupCaption ? -1 : column);
        return;
    }
    if (hit == HitCell) SetCurrSel(row);
    if (hit == HitCell || hit == HitBelowRows) OnContextMenu(x, y);
}

void DataGridEx::OnKeyDown(UINT key)
{
    int rows = GetRowsCount();
    int page = PageRows();
    int sel = GetCurrSel();
    switch (key) {
    case VK_UP: sel = sel < 0 ? GetTopRow() : sel - 1; break;
    case VK_DOWN: sel = sel < 0 ? GetTopRow() : sel + 1; break;
    case VK_PRIOR: sel = (sel < 0 ? GetTopRow() : sel) - page; break;
    case VK_NEXT: sel = (sel < 0 ? GetTopRow() : sel) + page; break;
    case VK_HOME: sel = 0; break;
    case VK_END: sel = rows - 1; break;
    case VK_LEFT: ScrollTo(GetTopRow(), GetScrollX() - 3 * RowHeight()); return;
    case VK_RIGHT: ScrollTo(GetTopRow(), GetScrollX() + 3 * RowHeight()); return;
    case VK_RETURN:
        if (GetCurrSel() >= 0) OnEnterItem(GetCurrSel());
        return;
    case VK_F10:
        if (IsMenuChord(key)) OpenContextMenuAtCurrentRow();
        return;
    case VK_TAB: Common::RequestNextTabStop(GetHwnd(), GetKeyState(VK_SHIFT) < 0); return;
    case 'C':
        if (GetKeyState(VK_CONTROL) < 0) CopyCurrentRow();
        return;
    default: return;
    }
    if (rows > 0) SetCurrSel(std::clamp(sel, 0, rows - 1));
}

// Shift+F10 opens the grid's menu as a right click would; its key-up is swallowed too, so
// the default processing cannot open the menu a second time. The menu key needs nothing
// here: the system turns its release into WM_CONTEXTMENU without a point.
bool DataGridEx::IsMenuChord(UINT key) const { return key == VK_F10 && GetKeyState(VK_SHIFT) < 0; }

// The menu hangs from the current row's lower edge, scrolled into view first, wherever the
// mouse is; the point given is still on the row, so a hit test finds it. Without a current
// row the menu opens at the top of the rows.
void DataGridEx::OpenContextMenuAtCurrentRow()
{
    EndDrag();
    RECT body = BodyRect();
    POINT at = {body.left + RowHeight(), body.top};
    RECT row{};
    if (GetCurrSel() >= 0) {
        ScrollRowIntoView(GetCurrSel());
        if (GetRowRect(GetCurrSel(), &row)) at = {row.left + RowHeight(), row.bottom - 1};
    }
    OnContextMenu(at.x, at.y);
}

void DataGridEx::OnWheel(int delta, bool horizontal)
{
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == WHEEL_PAGESCROLL) lines = UINT(PageRows());
    int steps = -delta * int(lines) / WHEEL_DELTA;
    if (horizontal || GetKeyState(VK_SHIFT) < 0)
        ScrollTo(GetTopRow(), GetScrollX() - steps * RowHeight());
    else
        ScrollTo(GetTopRow() + steps, GetScrollX());
}

void DataGridEx::CopyCurrentRow()
{
    if (GetCurrSel() < 0 || !OpenClipboard(GetHwnd())) return;
    Common::XStringW text;
    DragItemToString(GetCurrSel(), text);
    EmptyClipboard();
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    Common::ScopedHGlobal mem(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (void* p = mem.get() ? GlobalLock(mem.get()) : nullptr) {
        memcpy(p, text.c_str(), bytes);
        GlobalUnlock(mem.get());
        if (SetClipboardData(CF_UNICODETEXT, mem.get())) mem.release(); // the clipboard owns it now
    }
    CloseClipboard();
}

} // namespace Control
