#include "FrameColors.h"
#include "common/ScopedWin.h"
#include "host/Theme.h"
#include <commctrl.h>

namespace HostShell {

namespace {

COLORREF themed(Host::ITheme* theme, const char* key, COLORREF fallback)
{
    COLORREF colour = fallback;
    if (theme && theme->getColor(key, colour)) return colour;
    return fallback;
}

// Red on a light background, a lighter red on a dark one, so the error reads on both.
COLORREF errorColourOn(COLORREF background)
{
    int luminance = (GetRValue(background) * 299 + GetGValue(background) * 587 + GetBValue(background) * 114) / 1000;
    return luminance < 128 ? RGB(0xFF, 0x70, 0x70) : RGB(0xC0, 0x10, 0x10);
}

} // namespace

ListColors listColors(Host::ITheme* theme)
{
    ListColors c{};
    c.strip = themed(theme, "wnd_general_bg", GetSysColor(COLOR_BTNFACE));
    c.stripText = themed(theme, "list_title", GetSysColor(COLOR_BTNTEXT));
    c.ground = themed(theme, "list_bg", GetSysColor(COLOR_WINDOW));
    c.oddRow = themed(theme, "list_bg_oddLine", c.ground);
    c.evenRow = themed(theme, "list_bg_evenLine", c.ground);
    c.text = themed(theme, "list_prev_data", GetSysColor(COLOR_WINDOWTEXT));
    c.selected = themed(theme, "list_sel_bg", GetSysColor(COLOR_HIGHLIGHT));
    c.selectedText = themed(theme, "list_sel_text", GetSysColor(COLOR_HIGHLIGHTTEXT));
    c.header = themed(theme, "list_column_bg", GetSysColor(COLOR_BTNFACE));
    c.headerText = themed(theme, "list_title", GetSysColor(COLOR_BTNTEXT));
    c.lines = themed(theme, "list_border_inside", GetSysColor(COLOR_BTNFACE));
    c.border = themed(theme, "list_border", GetSysColor(COLOR_BTNSHADOW));
    return c;
}

void paintListHeader(HWND header, HDC dc, const ListColors& colors)
{
    RECT client{};
    GetClientRect(header, &client);
    Common::ScopedGdi<HBRUSH> face(CreateSolidBrush(colors.header));
    FillRect(dc, &client, face);
    Common::ScopedGdi<HPEN> pen(CreatePen(PS_SOLID, 1, colors.border));
    Common::SelectedObject linePen(dc, pen);
    Common::SelectedObject font(dc, HGDIOBJ(SendMessageW(header, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colors.headerText);
    int count = int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT item{};
        wchar_t caption[128] = {};
        HDITEMW info{};
        info.mask = HDI_TEXT;
        info.pszText = caption;
        info.cchTextMax = 128;
        if (!SendMessageW(header, HDM_GETITEMRECT, WPARAM(i), LPARAM(&item))) continue;
        SendMessageW(header, HDM_GETITEMW, WPARAM(i), LPARAM(&info));
        RECT text{item.left + 6, item.top, item.right - 4, item.bottom};
        DrawTextW(dc, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        MoveToEx(dc, item.right - 1, item.top + 3, nullptr);
        LineTo(dc, item.right - 1, item.bottom - 3);
    }
    MoveToEx(dc, client.left, client.bottom - 1, nullptr);
    LineTo(dc, client.right, client.bottom - 1);
}

void paintListLines(HWND list, HDC dc, const ListColors& colors)
{
    RECT client{}, headerRect{};
    GetClientRect(list, &client);
    HWND header = HWND(SendMessageW(list, LVM_GETHEADER, 0, 0));
    if (header && IsWindowVisible(header)) GetWindowRect(header, &headerRect);
    int top = headerRect.bottom - headerRect.top;
    Common::ScopedGdi<HPEN> pen(CreatePen(PS_SOLID, 1, colors.lines));
    Common::SelectedObject linePen(dc, pen);
    int first = int(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    int rows = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    int left = client.left - GetScrollPos(list, SB_HORZ);
    for (int row = first; row < rows; ++row) {
        RECT item{};
        item.left = LVIR_BOUNDS;
        if (!SendMessageW(list, LVM_GETITEMRECT, WPARAM(row), LPARAM(&item)) || item.top >= client.bottom) break;
        if (row == first) left = item.left;
        MoveToEx(dc, item.left, item.bottom - 1, nullptr);
        LineTo(dc, item.right, item.bottom - 1);
    }
    // The columns' right edges, from the first column's left edge (negative once scrolled).
    int x = left;
    for (int column = 0;; ++column) {
        int width = int(SendMessageW(list, LVM_GETCOLUMNWIDTH, WPARAM(column), 0));
        if (width <= 0) break;
        x += width;
        MoveToEx(dc, x - 1, top, nullptr);
        LineTo(dc, x - 1, client.bottom);
    }
}

UINT frameThemeMessage()
{
    static const UINT message = RegisterWindowMessageW(L"Client2.FrameTheme");
    return message;
}

FrameColors frameColors(Host::ITheme* theme)
{
    FrameColors c{};
    c.background = themed(theme, "wnd_general_bg", GetSysColor(COLOR_BTNFACE));
    c.text = themed(theme, "list_title", GetSysColor(COLOR_BTNTEXT));
    c.border = themed(theme, "list_border", GetSysColor(COLOR_BTNSHADOW));
    c.face = themed(theme, "list_column_bg", GetSysColor(COLOR_BTNFACE));
    c.chosen = themed(theme, "list_bg", GetSysColor(COLOR_WINDOW));
    c.accent = themed(theme, "list_sel_bg", GetSysColor(COLOR_HIGHLIGHT));
    c.error = errorColourOn(c.background);
    return c;
}

} // namespace HostShell
