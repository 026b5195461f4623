#include "FundListPage.h"
#include "CodeListModules.h"
#include "UiFont.h"
#include "common/ScopedWin.h"
#include "hostapi/KernelHost.h"
#include <windowsx.h>

namespace HostShell {

namespace {

const UINT kRemoveCommand = 1;
// Posted to the page: the removal runs after the list's notification is over, since the pool
// refills the list.
const UINT kRemoveSelected = WM_APP + 1;
const UINT_PTR kHeaderSubclass = 1;

} // namespace

FundListPage::FundListPage(XStringW title, XStringW caption, XStringW sql, std::vector<ListColumn> columns,
                           XComPtr<Host::IDatabase> database)
    : title_(std::move(title)), caption_(std::move(caption)), sql_(std::move(sql)), columns_(std::move(columns)),
      database_(std::move(database)), listsPool_(title_ == kFundsPoolTitle)
{}

// The header's subclass goes first: the window, unbound, no longer tells this object it goes.
FundListPage::~FundListPage()
{
    if (header_ && ::IsWindow(header_)) RemoveWindowSubclass(header_, &FundListPage::headerProc, kHeaderSubclass);
    ReleaseWindow();
}

// The list never sorts, so its captions are no buttons. The pool's rows are taken out
// several at a time.
HWND FundListPage::create(HWND parent, Host::ITabCtrl* tabCtrl)
{
    tabCtrl_ = tabCtrl;
    if (!Create(0, L"", WS_CHILD | WS_CLIPCHILDREN, RECT{0, 0, 0, 0}, parent, 0)) return nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOSORTHEADER | (listsPool_ ? 0 : LVS_SINGLESEL);
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", style, 0, kCaptionHeight, 0, 0, GetHwnd(), nullptr, nullptr, nullptr);
    if (!list_) return GetHwnd();
    useUiFont(list_);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (size_t i = 0; i < columns_.size(); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(columns_[i].caption);
        column.cx = columns_[i].width;
        SendMessageW(list_, LVM_INSERTCOLUMNW, WPARAM(i), LPARAM(&column));
    }
    header_ = HWND(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    if (header_) SetWindowSubclass(header_, &FundListPage::headerProc, kHeaderSubclass, DWORD_PTR(this));
    // A page made after the main frame applied its theme asks for it.
    HWND frame = GetAncestor(parent, GA_ROOT);
    if (frame) SendMessageW(frame, frameThemeMessage(), kThemeAsked, LPARAM(GetHwnd()));
    return GetHwnd();
}

void FundListPage::applyTheme(Host::ITheme* theme)
{
    themed_ = theme != nullptr;
    colors_ = listColors(theme);
    if (list_) {
        // Under a theme the page draws the grid lines itself, in the theme's colour.
        SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, themed_ ? 0 : LVS_EX_GRIDLINES);
        SendMessageW(list_, LVM_SETBKCOLOR, 0, LPARAM(colors_.ground));
        SendMessageW(list_, LVM_SETTEXTBKCOLOR, 0, LPARAM(colors_.ground));
        SendMessageW(list_, LVM_SETTEXTCOLOR, 0, LPARAM(colors_.text));
    }
    if (IsWindow()) RedrawWindow(GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

std::vector<XStringW> FundListPage::selectedCodes() const
{
    std::vector<XStringW> codes;
    for (int row = -1; list_;) {
        row = int(SendMessageW(list_, LVM_GETNEXTITEM, WPARAM(row), LVNI_SELECTED));
        if (row < 0) break;
        wchar_t code[128] = {};
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = code;
        item.cchTextMax = 128;
        SendMessageW(list_, LVM_GETITEMTEXTW, WPARAM(row), LPARAM(&item));
        codes.push_back(code);
    }
    return codes;
}

// The pool says how it went in the status bar; a page without a pool to hear it only logs.
void FundListPage::removeSelectedFromPool()
{
    FundsPoolRemoval request;
    request.codes = selectedCodes();
    if (!listsPool_ || request.codes.empty()) return;
    if (auto event = Host::getHostEvent(kFundsPoolRemove)) event->fire(&request);
    if (!request.handled) Host::logWarning(L"fund pool page: no fund pool took the removal");
}

// At the mouse, or below the focused row for the keyboard's menu key (at is -1 then).
void FundListPage::showMenu(LPARAM at)
{
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) {
        int row = int(SendMessageW(list_, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
        RECT item{};
        item.left = LVIR_BOUNDS;
        if (row < 0 || !SendMessageW(list_, LVM_GETITEMRECT, WPARAM(row), LPARAM(&item))) ::GetClientRect(list_, &item);
        point = POINT{item.left + 20, item.bottom};
        ::ClientToScreen(list_, &point);
    }
    Common::ScopedMenu menu(CreatePopupMenu());
    UINT state = selectedCodes().empty() ? MF_GRAYED : MF_ENABLED;
    AppendMenuW(menu, MF_STRING | state, kRemoveCommand, L"从基金池删除");
    UINT chosen = UINT(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, GetHwnd(), nullptr));
    if (chosen == kRemoveCommand) PostMessageW(GetHwnd(), kRemoveSelected, 0, 0);
}

LRESULT FundListPage::onNotify(const NMHDR& header)
{
    if (header.hwndFrom != list_) return 0;
    if (header.code == NM_CUSTOMDRAW && themed_)
        return customDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
    if (header.code == LVN_KEYDOWN && listsPool_ && reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE)
        PostMessageW(GetHwnd(), kRemoveSelected, 0, 0);
    return 0;
}

// Rows in the theme's alternating grounds, the selected ones in its selection colours,
// whether or not the list has the focus; the lines after the rows.
LRESULT FundListPage::customDraw(NMLVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPREPAINT: {
        int row = int(draw.nmcd.dwItemSpec);
        bool selected = (SendMessageW(list_, LVM_GETITEMSTATE, WPARAM(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
        draw.clrText = selected ? colors_.selectedText : colors_.text;
        draw.clrTextBk = selected ? colors_.selected : (row % 2 != 0 ? colors_.evenRow : colors_.oddRow);
        // The list would paint a selected row in the system's highlight over ours.
        draw.nmcd.uItemState &= ~UINT(CDIS_SELECTED);
        return CDRF_NEWFONT;
    }
    case CDDS_POSTPAINT: paintListLines(list_, draw.nmcd.hdc, colors_); return CDRF_DODEFAULT;
    default: return CDRF_DODEFAULT;
    }
}

// The header paints itself in the system's colours, also straight onto the screen when a
// column is resized: under a theme it is painted again in the theme's after each of those.
LRESULT CALLBACK FundListPage::headerProc(HWND header, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) noexcept
{
    auto* page = reinterpret_cast<FundListPage*>(self);
    bool themed = page && page->themed_;
    if (themed && msg == WM_ERASEBKGND) return 1;
    if (themed && (msg == WM_PAINT || msg == WM_PRINTCLIENT)) {
        PAINTSTRUCT ps{};
        HDC dc = msg == WM_PRINTCLIENT ? HDC(wParam) : BeginPaint(header, &ps);
        if (dc) paintListHeader(header, dc, page->colors_);
        if (msg == WM_PAINT) EndPaint(header, &ps);
        return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(header, &FundListPage::headerProc, kHeaderSubclass);
    LRESULT result = DefSubclassProc(header, msg, wParam, lParam);
    if (themed && (msg == WM_LBUTTONUP || msg == WM_MOUSEMOVE || msg == WM_CAPTURECHANGED))
        ::InvalidateRect(header, nullptr, FALSE);
    return result;
}

void FundListPage::move(int x, int y, int width, int height)
{
    if (IsWindow()) SetWindowPos(GetHwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FundListPage::addRow(int row, const std::vector<XStringW>& cells)
{
    for (size_t c = 0; c < cells.size() && c < columns_.size(); ++c) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = int(c);
        item.pszText = const_cast<wchar_t*>(cells[c].c_str());
        SendMessageW(list_, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0, LPARAM(&item));
    }
}

int FundListPage::reload()
{
    if (!list_) return -1;
    loaded_ = true;
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    XStringW error = L"没有基金数据库";
    auto statement = database_ ? database_->prepare(sql_, error) : XComPtr<Host::IStatement>();
    int rows = 0;
    while (statement && statement->step()) {
        std::vector<XStringW> cells;
        for (size_t c = 0; c < columns_.size(); ++c) {
            XStringW text = statement->getText(int(c));
            cells.push_back(text.empty() ? XStringW(L"--") : text);
        }
        addRow(rows++, cells);
    }
    if (!statement) addRow(0, {error});
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    return statement ? rows : -1;
}

void FundListPage::setSql(const XStringW& sql)
{
    sql_ = sql;
    loaded_ = false;
    if (IsWindow() && IsWindowVisible(GetHwnd())) reload();
}

void FundListPage::releaseHostReferences()
{
    database_.reset();
    tabCtrl_.reset();
}

void FundListPage::paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(GetHwnd(), &ps);
    RECT client{};
    GetClientRect(&client);
    RECT strip{0, 0, client.right, kCaptionHeight};
    Common::ScopedGdi<HBRUSH> ground(CreateSolidBrush(colors_.strip));
    FillRect(dc, &strip, ground);
    Common::SelectedObject font(dc, uiFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colors_.stripText);
    RECT text{10, 0, client.right, kCaptionHeight};
    DrawTextW(dc, caption_.c_str(), int(caption_.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    EndPaint(GetHwnd(), &ps);
}

LRESULT FundListPage::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        if (list_)
            ::MoveWindow(list_, 0, kCaptionHeight, LOWORD(lParam),
                         HIWORD(lParam) > kCaptionHeight ? HIWORD(lParam) - kCaptionHeight : 0, TRUE);
        return 0;
    case WM_SHOWWINDOW:
        if (wParam && !loaded_) reload();
        break;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(); return 0;
    case WM_NOTIFY:
        if (lParam) return onNotify(*reinterpret_cast<const NMHDR*>(lParam));
        break;
    case WM_CONTEXTMENU:
        if (listsPool_ && HWND(wParam) == list_) {
            showMenu(lParam);
            return 0;
        }
        break;
    case kRemoveSelected: removeSelectedFromPool(); return 0;
    case WM_DESTROY:
        if (header_) RemoveWindowSubclass(header_, &FundListPage::headerProc, kHeaderSubclass);
        header_ = list_ = nullptr;
        break;
    }
    if (msg == frameThemeMessage() && wParam == kThemeApplied) {
        applyTheme(reinterpret_cast<Host::ITheme*>(lParam));
        return 1;
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace HostShell
