// The grid read cell by cell, and told to assistive technology: the texts and places of
// rows and cells, the accessible object WM_GETOBJECT hands out, and the events that say
// where the current row went.
#include "controls/XDataGrid.h"
#include "GridAccessible.h"
#include "GridHeader.h"
#include <oleacc.h>
#include <algorithm>

namespace Control {

Common::XStringW XDataGrid::GetCellText(int row, int column)
{
    Common::XStringW text;
    if (row < 0 || row >= GetRowsCount() || column < 0 || column >= GetColumnCount()) return text;
    // A check box paints no text, so it reads as none; its state is told apart.
    GridHeader::Column& c = header_->column(column);
    if (!c.checkBox) GetItemText(row, c.info, text);
    return text;
}

Common::XStringW XDataGrid::GetColumnTitle(int column) const
{
    if (column < 0 || column >= GetColumnCount()) return Common::XStringW();
    const GridHeader::Column& c = header_->columns()[column];
    if (c.group < 0 || c.group >= int(header_->groups().size())) return c.title;
    const Common::XStringW& group = header_->groups()[c.group].title;
    if (group.empty()) return c.title;
    Common::XStringW title = group;
    title += L" ";
    title += c.title;
    return title;
}

bool XDataGrid::GetRowRect(int row, RECT* rect) const
{
    if (!rect || row < 0 || row >= const_cast<XDataGrid*>(this)->GetRowsCount()) return false;
    RECT body = BodyRect();
    long long top = body.top + (long long)(row - topRow_) * RowHeight();
    // Far-away rows keep their direction from the body without overflowing a LONG.
    top = std::max<long long>(-0x3FFFFFFF, std::min<long long>(0x3FFFFFFF, top));
    *rect = {body.left, LONG(top), body.right, LONG(top + RowHeight())};
    return true;
}

bool XDataGrid::GetCellRect(int row, int column, RECT* rect) const
{
    RECT r{};
    int left = 0, right = 0;
    if (!rect || column < 0 || column >= GetColumnCount() || !GetRowRect(row, &r)) return false;
    ColumnScreenSpan(column, left, right);
    *rect = {left, r.top, right, r.bottom};
    return true;
}

bool XDataGrid::IsRowInView(int row) const
{
    return row >= topRow_ && row < topRow_ + PageRows() && row < const_cast<XDataGrid*>(this)->GetRowsCount();
}

LRESULT XDataGrid::OnGetObject(WPARAM flags, LPARAM objectId)
{
    if (LONG(objectId) != OBJID_CLIENT) return DefaultProc(WM_GETOBJECT, flags, objectId);
    if (!accessible_) accessible_ = Common::ComPtr<GridAccessible>::adopt(new GridAccessible(this));
    // LresultFromObject takes its own reference; ours lives until the grid goes.
    return LresultFromObject(__uuidof(IAccessible), flags, static_cast<IAccessible*>(accessible_.get()));
}

void XDataGrid::DisconnectAccessible()
{
    if (!accessible_) return;
    accessible_->Disconnect();
    accessible_.reset();
}

// Child ids are rows counted from 1, as the accessible table numbers its children.
void XDataGrid::NotifyCurrentRow(int old)
{
    if (!IsWindow()) return;
    HWND hwnd = GetHwnd();
    if (curSel_ < 0) {
        if (old >= 0) NotifyWinEvent(EVENT_OBJECT_SELECTIONREMOVE, hwnd, OBJID_CLIENT, old + 1);
        return;
    }
    if (GetFocus() == hwnd) NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd, OBJID_CLIENT, curSel_ + 1);
    NotifyWinEvent(EVENT_OBJECT_SELECTION, hwnd, OBJID_CLIENT, curSel_ + 1);
}

void XDataGrid::NotifyFocus()
{
    if (IsWindow())
        NotifyWinEvent(EVENT_OBJECT_FOCUS, GetHwnd(), OBJID_CLIENT, curSel_ >= 0 ? curSel_ + 1 : CHILDID_SELF);
}

} // namespace Control
