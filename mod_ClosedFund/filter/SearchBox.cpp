#include "filter/SearchBox.h"
#include "common/ScopedWin.h"
#include "ui/Dpi.h"
#include "ui/WindowProc.h"
#include "ui/WindowRegistry.h"
#include <windowsx.h>
#include <vector>

namespace ClosedFund {

namespace {
// At 96 dpi; the box scales them to its own.
const int kClearWidth = 16;  // the button's corner at the right end, as wide as a scroll arrow
const int kCrossHalf = 3;    // half the cross's side
const int kCrossStrokes = 2; // the cross's lines are this many pixels thick
const wchar_t kCtrlA = 0x01;
} // namespace

SearchBox::SearchBox()
    : themeWatch_([this] {
          if (IsWindow()) RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
      })
{
    SetCueText(L"代码/名称/拼音");
    WGUI::ThemedColors::FollowHost();
}

LRESULT SearchBox::CallDefault(UINT msg, WPARAM wParam, LPARAM lParam)
{
    WGUI::WindowProc* binding = WGUI::WindowRegistry::Find(hwnd_);
    return binding ? binding->CallDefault(hwnd_, msg, wParam, lParam) : ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

bool SearchBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_PAINT: OnPaint(result); return true;
    // The edit draws its caret and selection straight onto the window when the focus comes
    // and goes, over the cue: the box is painted again as a whole.
    case WM_SETFOCUS:
    case WM_KILLFOCUS: Invalidate(TRUE); return false;
    case WM_SETFONT:
    case WM_SIZE:
        *result = CallDefault(msg, wParam, lParam);
        KeepClearMargin();
        return true;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            if (GetWindowTextLength() > 0) ::SetWindowTextW(hwnd_, L"");
            return true;
        }
        if (wParam == 'A' && ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_MENU) >= 0) {
            SendMessage(EM_SETSEL, 0, -1);
            return true;
        }
        break;
    // The edit would beep at the Esc character that follows the key, and at Ctrl+A's.
    case WM_CHAR:
        if (wParam == VK_ESCAPE || wParam == kCtrlA) return true;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!OverClearButton(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) break;
        ::SetWindowTextW(hwnd_, L"");
        SetFocus();
        return true;
    case WM_SETCURSOR: {
        POINT at = {};
        ::GetCursorPos(&at);
        ::ScreenToClient(hwnd_, &at);
        if (LOWORD(lParam) != HTCLIENT || !OverClearButton(at)) break;
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        *result = TRUE;
        return true;
    }
    default: break;
    }
    return TextEdit::OnMessage(msg, wParam, lParam, result);
}

bool SearchBox::OnReflectedMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result)
{
    HBRUSH brush = msg == WM_CTLCOLOREDIT ? colors_.Answer(msg, reinterpret_cast<HDC>(wParam)) : nullptr;
    if (!brush) return false;
    *result = reinterpret_cast<LRESULT>(brush);
    return true;
}

// The edit paints only what changed: a cue or a button that goes takes a whole repaint, whose
// erasing clears it. The cue itself is the cue edit's.
void SearchBox::OnPaint(LRESULT* result)
{
    bool empty = GetWindowTextLength() == 0;
    bool wantCue = empty && ::GetFocus() != hwnd_;
    if ((cueShown_ && !wantCue) || (clearShown_ && empty)) ::InvalidateRect(hwnd_, nullptr, TRUE);
    cueShown_ = wantCue;
    clearShown_ = !empty;
    if (wantCue) {
        TextEdit::OnMessage(WM_PAINT, 0, 0, result);
        return;
    }
    *result = CallDefault(WM_PAINT, 0, 0);
    if (!empty) PaintClearButton();
}

RECT SearchBox::ClearButtonRect() const
{
    RECT client = {};
    if (!hwnd_ || GetWindowTextLength() == 0 || !GetClientRect(&client)) return RECT{};
    int width = WGUI::Scale(kClearWidth, WGUI::WindowDpi(hwnd_));
    return RECT{client.right > width ? client.right - width : 0, client.top, client.right, client.bottom};
}

bool SearchBox::OverClearButton(POINT client) const
{
    RECT button = ClearButtonRect();
    return ::PtInRect(&button, client) != FALSE;
}

// A cross in the middle of the button's corner, grey or in the theme's cue colour.
void SearchBox::PaintClearButton()
{
    RECT button = ClearButtonRect();
    Common::WindowDC dc(hwnd_);
    if (!dc || button.right <= button.left) return;
    int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
    COLORREF ink = WGUI::ThemedColors::Themed() ? WGUI::ThemedColors::Current().cue : ::GetSysColor(COLOR_GRAYTEXT);
    Common::ScopedGdi<HPEN> pen(::CreatePen(PS_SOLID, 1, ink));
    Common::SelectedObject selected(dc, pen);
    UINT dpi = WGUI::WindowDpi(hwnd_);
    const int half = WGUI::Scale(kCrossHalf, dpi), strokes = WGUI::Scale(kCrossStrokes, dpi);
    for (int thick = 0; thick < strokes; ++thick) {
        ::MoveToEx(dc, cx - half + thick, cy - half, nullptr);
        ::LineTo(dc, cx + half + 1 + thick, cy + half + 1);
        ::MoveToEx(dc, cx + half + thick, cy - half, nullptr);
        ::LineTo(dc, cx - half - 1 + thick, cy + half + 1);
    }
}

void SearchBox::KeepClearMargin()
{
    LRESULT margins = SendMessage(EM_GETMARGINS, 0, 0);
    int width = WGUI::Scale(kClearWidth, WGUI::WindowDpi(hwnd_));
    if (HIWORD(margins) == width) return;
    SendMessage(EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, width));
}

Common::XStringW SearchBox::Text() const
{
    int length = GetWindowTextLength();
    if (length <= 0) return Common::XStringW();
    std::vector<wchar_t> buffer(size_t(length) + 1);
    int copied = GetWindowText(buffer.data(), length + 1);
    return Common::XStringW(buffer.data(), size_t(copied > 0 ? copied : 0));
}

} // namespace ClosedFund
