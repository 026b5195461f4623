#include "ui/WindowBase.h"
#include "ui/WindowProc.h"

namespace WGUI {

bool WindowBase::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }
bool WindowBase::OnReflectedMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

HWND WindowBase::Create(DWORD style, DWORD exStyle, LPCWSTR className, LPCWSTR text, const RECT& rect,
                        HWND parent, UINT id, HINSTANCE instance, WindowProc* binding)
{
    if (binding) binding->SetWindow(this);
    // Wrapping arithmetic: {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0} asks for the default size too.
    int width = int(ULONG(rect.right) - ULONG(rect.left));
    int height = int(ULONG(rect.bottom) - ULONG(rect.top));
    HWND hwnd = ::CreateWindowExW(exStyle, className, text, style, rect.left, rect.top, width, height, parent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, binding);
    m_hWnd = hwnd;
    return hwnd;
}

bool WindowBase::DestroyWindow()
{
    if (!::DestroyWindow(m_hWnd)) return false;
    m_hWnd = nullptr;
    return true;
}

bool WindowBase::IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
WindowBase WindowBase::GetParent() const { return WindowBase(::GetParent(m_hWnd)); }
WindowBase WindowBase::GetDlgItem(int id) const { return WindowBase(::GetDlgItem(m_hWnd, id)); }
LONG_PTR WindowBase::GetWindowLong(int index) const { return ::GetWindowLongPtrW(m_hWnd, index); }
LONG_PTR WindowBase::SetWindowLong(int index, LONG_PTR value) { return ::SetWindowLongPtrW(m_hWnd, index, value); }
int WindowBase::GetWindowText(LPWSTR buffer, int capacity) const { return ::GetWindowTextW(m_hWnd, buffer, capacity); }
int WindowBase::GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }

void WindowBase::SetFont(HFONT font, BOOL redraw)
{
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw ? TRUE : FALSE, 0));
}

HFONT WindowBase::GetFont() const { return reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)); }
BOOL WindowBase::Invalidate(BOOL erase) { return ::InvalidateRect(m_hWnd, nullptr, erase); }
BOOL WindowBase::RedrawWindow(const RECT* rect, HRGN region, UINT flags) { return ::RedrawWindow(m_hWnd, rect, region, flags); }
HWND WindowBase::SetFocus() { return ::SetFocus(m_hWnd); }
RECT* WindowBase::GetClientRect(RECT* rect) const { return ::GetClientRect(m_hWnd, rect) ? rect : nullptr; }
RECT* WindowBase::GetWindowRect(RECT* rect) const { return ::GetWindowRect(m_hWnd, rect) ? rect : nullptr; }

BOOL WindowBase::MoveWindow(const RECT& rect, BOOL repaint)
{
    return ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

LRESULT WindowBase::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return ::SendMessageW(m_hWnd, msg, wParam, lParam); }

} // namespace WGUI
