// The user's changes to the columns: moving a caption, dragging an edge, the header menu.
// Each change is made in the header document and then reported through OnHeaderChange.
#include "controls/DataGridEx.h"
#include "ControlDpi.h"
#include "GridHeader.h"
#include "common/ScopedWin.h"
#include <algorithm>
#include <cmath>

namespace Control {

namespace {
const UINT kMenuReload = 0x100;
const UINT kMenuReset = 0x101;
const UINT kMenuFitAll = 0x102;
const UINT kMenuOwnOrder = 0x103;
const UINT kMenuItemBase = 0x200; // + top-level item index
} // namespace

// The document keeps widths at 96 dpi and the standard size, whatever screen they were set on.
int DataGridEx::Unscaled(int pixels) const
{
    return int(std::lround(pixels / gridScale(GetZoom(), windowDpi(GetHwnd()))));
}

int DataGridEx::TopItemOfColumn(int column) const
{
    if (column < 0 || column >= GetColumnCount()) return -1;
    return Header().columns()[column].topItem;
}

// The on-screen span of a shown top-level item: the union of its shown columns, which stand
// together in the columns' order (found by binary search, as a drag asks for every item).
bool DataGridEx::TopItemSpan(int item, int& left, int& right) const
{
    const std::vector<GridHeader::Column>& columns = Header().columns();
    auto byItem = [](const GridHeader::Column& c, int i) { return c.topItem < i; };
    auto firstOfItem = std::lower_bound(columns.begin(), columns.end(), item, byItem);
    bool found = false;
    for (int c = int(firstOfItem - columns.begin()); c < int(columns.size()) && columns[c].topItem == item; ++c) {
        int l = 0, r = 0;
        ColumnScreenSpan(c, l, r);
        left = found ? std::min(left, l) : l;
        right = found ? std::max(right, r) : r;
        found = true;
    }
    return found;
}

int DataGridEx::DropItemAt(int x) const
{
    int count = int(Header().topItems().size());
    bool any = false;
    for (int item = 0; item < count; ++item) {
        int l = 0, r = 0;
        if (!TopItemSpan(item, l, r)) continue;
        any = true;
        if (x < (l + r) / 2) return item;
    }
    return any ? count : -1;
}

int DataGridEx::DropMarkerX(int dropItem) const
{
    int l = 0, r = 0, lastRight = -1;
    for (int item = 0; item < int(Header().topItems().size()); ++item) {
        if (!TopItemSpan(item, l, r)) continue;
        if (item >= dropItem) return l;
        lastRight = r;
    }
    return lastRight;
}

void DataGridEx::MoveTopItem(int fromItem, int toItem)
{
    if (!Header().moveTopItem(fromItem, toItem)) return;
    ScrollTo(GetTopRow(), GetScrollX()); // the column edges moved: stay on one
    Invalidate(FALSE);
    OnHeaderChange();
}

void DataGridEx::ResizeColumn(int column, int width)
{
    if (column < 0 || column >= GetColumnCount()) return;
    Header().setWidth(column, width);
    ScrollTo(GetTopRow(), GetScrollX());
    Invalidate(FALSE);
    if (Header().columns()[column].width != pressWidth_) OnHeaderChange();
}

void DataGridEx::SetTopItemVisible(int item, bool visible)
{
    if (!Header().setTopItemVisible(item, visible)) return;
    ScrollTo(GetTopRow(), GetScrollX());
    Invalidate(FALSE);
    OnHeaderChange();
}

void DataGridEx::NotifyReload()
{
    HWND parent = GetParent(GetHwnd());
    if (!parent) return;
    NMHDR nm = {};
    nm.hwndFrom = GetHwnd();
    nm.idFrom = UINT_PTR(GetDlgCtrlID(GetHwnd()));
    nm.code = UINT(GridReloadCode);
    SendMessageW(parent, WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
}

// "刷新", "恢复原始顺序" while the rows are sorted by a column, one line per top-level item
// with a check mark while it is shown, "自动调整列宽", "恢复默认列".
// The last shown item cannot be hidden: a grid without columns could not be given any back
// through this menu.
void DataGridEx::ShowHeaderMenu(int x, int y, int column)
{
    Common::ScopedMenu menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuW(menu, MF_STRING, kMenuReload, L"刷新");
    if (!Header().sortColumn().empty()) AppendMenuW(menu, MF_STRING, kMenuOwnOrder, L"恢复原始顺序");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    const std::vector<GridHeader::TopItem>& items = Header().topItems();
    int shown = 0;
    for (const auto& item : items) shown += item.visible ? 1 : 0;
    for (size_t i = 0; i < items.size(); ++i) {
        UINT flags = MF_STRING | (items[i].visible ? MF_CHECKED : MF_UNCHECKED);
        if (items[i].visible && shown <= 1) flags |= MF_GRAYED;
        AppendMenuW(menu, flags, kMenuItemBase + UINT(i), items[i].title.c_str());
    }
    Common::XStringW name;
    if (const HeaderInfo2* info = GetColumnInfo(column)) info->GetAttribute(L"name", name);
    AppendHeaderMenuItems(menu, name);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kMenuFitAll, L"自动调整列宽");
    AppendMenuW(menu, MF_STRING, kMenuReset, L"恢复默认列");
    POINT pt = {x, y};
    ClientToScreen(&pt);
    UINT cmd = UINT(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, GetHwnd(), nullptr));
    menu.reset();
    if (cmd == kMenuReload)
        NotifyReload();
    else if (cmd == kMenuOwnOrder)
        SortByColumn(-1);
    else if (cmd == kMenuReset)
        OnResetHeader();
    else if (cmd == kMenuFitAll)
        FitAllColumns();
    else if (cmd >= kHeaderMenuOwn)
        OnHeaderMenuCommand(cmd, name);
    else if (cmd >= kMenuItemBase && cmd < kMenuItemBase + items.size())
        SetTopItemVisible(int(cmd - kMenuItemBase), !Header().topItems()[cmd - kMenuItemBase].visible);
}

} // namespace Control
