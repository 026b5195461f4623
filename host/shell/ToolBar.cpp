#include "ToolBar.h"
#include "UiFont.h"
#include "common/ScopedWin.h"

namespace HostShell {

namespace {
// At 96 dpi, as the bar's height.
const int kGroupGap = 14;
const int kButtonGap = 4;
const int kButtonHeight = 26;
const int kFirstButtonX = 6;
const int kCaptionMargin = 24; // a button is as wide as its caption and this
const UINT kFirstButtonId = 2000;
} // namespace

ToolBar::~ToolBar() { ReleaseWindow(); }

int ToolBar::height() { return uiScaled(kHeight); }

HWND ToolBar::createWindow(HWND parent)
{
    return Create(0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, RECT{0, 0, 0, height()}, parent, 0);
}

bool ToolBar::addButton(const XStringA& group, const XStringA& id, const Host::ToolButtonDesc& desc)
{
    if (!IsWindow() || group.empty() || id.empty() || buttonWindow(id)) return false;
    UINT controlId = kFirstButtonId + UINT(buttons_.size());
    HWND window = CreateWindowExW(0, L"BUTTON", desc.caption.c_str(), WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 0, 0,
                                  GetHwnd(), reinterpret_cast<HMENU>(UINT_PTR(controlId)), nullptr, nullptr);
    if (!window) return false;
    useUiFont(window);
    // After the last button of the group, or at the end for a new group.
    auto place = buttons_.end();
    for (auto it = buttons_.begin(); it != buttons_.end(); ++it) {
        if (it->group == group) place = it + 1;
    }
    // Only the kernel's events can be fired; one made elsewhere leaves the button silent.
    buttons_.insert(place, Button{group, id, window, desc.event.cast<Host::IHostEvent>()});
    layout();
    return true;
}

HWND ToolBar::buttonWindow(const XStringA& id) const
{
    for (const Button& b : buttons_) {
        if (b.id == id) return b.window;
    }
    return nullptr;
}

void ToolBar::setColors(const FrameColors& colors)
{
    colors_ = colors;
    if (!IsWindow()) return;
    Invalidate(TRUE);
    for (const Button& b : buttons_) ::InvalidateRect(b.window, nullptr, FALSE);
}

// A flat face with a border; pressed, it takes the current tab's colour.
void ToolBar::drawButton(const DRAWITEMSTRUCT& item)
{
    bool down = (item.itemState & ODS_SELECTED) != 0;
    RECT r = item.rcItem;
    Common::ScopedGdi<HBRUSH> border(CreateSolidBrush(colors_.border));
    Common::ScopedGdi<HBRUSH> face(CreateSolidBrush(down ? colors_.chosen : colors_.face));
    FrameRect(item.hDC, &r, border);
    InflateRect(&r, -1, -1);
    FillRect(item.hDC, &r, face);
    wchar_t caption[256];
    int length = GetWindowTextW(item.hwndItem, caption, 256);
    Common::SelectedObject font(item.hDC, uiFont());
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, colors_.text);
    if (down) OffsetRect(&r, 1, 1);
    DrawTextW(item.hDC, caption, length, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}

// Each button is as wide as its caption plus a margin.
void ToolBar::layout()
{
    Common::WindowDC dc(GetHwnd());
    Common::SelectedObject font(dc, uiFont());
    int x = uiScaled(kFirstButtonX), buttonHeight = uiScaled(kButtonHeight);
    const XStringA* group = nullptr;
    for (const Button& b : buttons_) {
        if (group && *group != b.group) x += uiScaled(kGroupGap - kButtonGap);
        group = &b.group;
        wchar_t caption[256];
        int length = GetWindowTextW(b.window, caption, 256);
        SIZE extent{};
        GetTextExtentPoint32W(dc, caption, length, &extent);
        int width = extent.cx + uiScaled(kCaptionMargin);
        ::MoveWindow(b.window, x, (height() - buttonHeight) / 2, width, buttonHeight, TRUE);
        x += width + uiScaled(kButtonGap);
    }
}

// The event is held for the call: a subscriber may add buttons meanwhile.
void ToolBar::pressed(HWND button)
{
    XComPtr<Host::IHostEvent> event;
    for (const Button& b : buttons_) {
        if (b.window == button) event = b.event;
    }
    if (event) event->fire(nullptr);
}

LRESULT ToolBar::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && lParam) pressed(HWND(lParam));
        return 0;
    case WM_DRAWITEM:
        if (lParam) drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(GetHwnd(), &ps);
        Common::ScopedGdi<HBRUSH> brush(CreateSolidBrush(colors_.background));
        FillRect(dc, &ps.rcPaint, brush);
        EndPaint(GetHwnd(), &ps);
        return 0;
    }
    case WM_DESTROY: buttons_.clear(); break;
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace HostShell
