#include "ui/WindowBase.h"
#include "ui/WindowProc.h"

namespace WGUI {

bool WindowBase::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }
bool WindowBase::OnReflectedMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

HWND WindowBase::Create(DWORD style, DWORD exStyle, LPCWSTR className, LPCWSTR text, const RECT& rect, HWND parent,
                        UINT id, HINSTANCE instance, WindowProc* binding)
{
    if (binding) binding->SetWindow(this);
    // Wrapping arithmetic: {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0} asks for the default size too.
    int width = int(ULONG(rect.right) - ULONG(rect.left));
    int height = int(ULONG(rect.bottom) - ULONG(rect.top));
    HWND hwnd = ::CreateWindowExW(exStyle, className, text, style, rect.left, rect.top, width, height, parent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, binding);
    hwnd_ = hwnd;
    return hwnd;
}

bool WindowBase::DestroyWindow()
{
    if (!::DestroyWindow(hwnd_)) return false;
    hwnd_ = nullptr;
    return true;
}

bool WindowBase::IsWindow() const { return hwnd_ && ::IsWindow(hwnd_); }
WindowBase WindowBase::GetParent() const { return WindowBase(::GetParent(hwnd_)); }
WindowBase WindowBase::GetDlgItem(int id) const { return WindowBase(::GetDlgItem(hwnd_, id)); }
LONG_PTR WindowBase::GetWindowLong(int index) const { return ::GetWindowLongPtrW(hwnd_, index); }
LONG_PTR WindowBase::SetWindowLong(int index, LONG_PTR value) { return ::SetWindowLongPtrW(hwnd_, index, value); }
int WindowBase::GetWindowText(LPWSTR buffer, int capacity) const { return ::GetWindowTextW(hwnd_, buffer, capacity); }
int WindowBase::GetWindowTextLength() const { return ::GetWindowTextLengthW(hwnd_); }

void WindowBase::SetFont(HFONT font, BOOL redraw)
{
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw ? TRUE : FALSE, 0));
}

HFONT WindowBase::GetFont() const { return reinterpret_cast<HFONT>(::SendMessageW(hwnd_, WM_GETFONT, 0, 0)); }
BOOL WindowBase::Invalidate(BOOL erase) { return ::InvalidateRect(hwnd_, nullptr, erase); }
BOOL WindowBase::RedrawWindow(const RECT* rect, HRGN region, UINT flags)
{
    return ::RedrawWindow(hwnd_, rect, region, flags);
}
HWND WindowBase::SetFocus() { return ::SetFocus(hwnd_); }
RECT* WindowBase::GetClientRect(RECT* rect) const { return ::GetClientRect(hwnd_, rect) ? rect : nullptr; }
RECT* WindowBase::GetWindowRect(RECT* rect) const { return ::GetWindowRect(hwnd_, rect) ? rect : nullptr; }

BOOL WindowBase::MoveWindow(const RECT& rect, BOOL repaint)
{
    return ::MoveWindow(hwnd_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

LRESULT WindowBase::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(hwnd_, msg, wParam, lParam);
}

} // namespace WGUI
