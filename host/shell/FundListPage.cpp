#include "FundListPage.h"
#include "UiFont.h"
#include "common/ScopedWin.h"
#include <commctrl.h>

namespace HostShell {

FundListPage::FundListPage(XStringW title, XStringW caption, XStringW sql, std::vector<ListColumn> columns,
                           XComPtr<Host::IDatabase> database)
    : title_(std::move(title)), caption_(std::move(caption)), sql_(std::move(sql)), columns_(std::move(columns)),
      database_(std::move(database))
{}

FundListPage::~FundListPage() { ReleaseWindow(); }

HWND FundListPage::create(HWND parent, Host::ITabCtrl* tabCtrl)
{
    tabCtrl_ = tabCtrl;
    if (!Create(0, L"", WS_CHILD | WS_CLIPCHILDREN, RECT{0, 0, 0, 0}, parent, 0)) return nullptr;
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, 0, kCaptionHeight,
                            0, 0, GetHwnd(), nullptr, nullptr, nullptr);
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
    return GetHwnd();
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
    FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
    Common::SelectedObject font(dc, uiFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
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
    case WM_DESTROY: list_ = nullptr; break;
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace HostShell
