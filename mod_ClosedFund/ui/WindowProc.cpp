#include "ui/WindowProc.h"
#include "ui/ThunkProc.h"
#include "ui/WindowBase.h"
#include "ui/WindowRegistry.h"

namespace WGUI {

WindowProc::~WindowProc() { Detach(); }

bool WindowProc::Attach(WindowBase* window)
{
    m_window = window;
    HWND hwnd = window ? window->GetHandle() : nullptr;
    if (!hwnd || !::IsWindow(hwnd)) return false;
    Register();
    m_previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    ::SetPropW(hwnd, kPreviousProcProperty, reinterpret_cast<HANDLE>(m_previous));
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ThunkProc));
    return true;
}

void WindowProc::Register()
{
    if (m_window && m_window->GetHandle()) WindowRegistry::Insert(m_window->GetHandle(), this);
}

// Own-class windows have no procedure to put back, but their registry entry must still go:
// a binding deleted before its window would otherwise be called after it is gone.
void WindowProc::Detach()
{
    HWND hwnd = m_window ? m_window->GetHandle() : nullptr;
    if (hwnd && ::IsWindow(hwnd)) {
        if (m_previous) {
            ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
            ::RemovePropW(hwnd, kPreviousProcProperty);
        }
        WindowRegistry::RemoveIf(hwnd, this);
    }
    m_window = nullptr;
    m_previous = nullptr;
}

LRESULT WindowProc::CallDefault(UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = m_window ? m_window->GetHandle() : nullptr;
    if (m_previous) return ::CallWindowProcW(m_previous, hwnd, msg, wParam, lParam);
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace WGUI
