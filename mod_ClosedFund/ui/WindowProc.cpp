#include "ui/WindowProc.h"
#include "ui/ThunkProc.h"
#include "ui/WindowBase.h"
#include "ui/WindowRegistry.h"
#include <cassert>

namespace WGUI {

WindowProc::~WindowProc() { Detach(); }

bool WindowProc::Attach(WindowBase* window)
{
    m_window = window;
    HWND hwnd = window ? window->GetHandle() : nullptr;
    if (!hwnd || !::IsWindow(hwnd)) return false;
    Register();
    // Already subclassed by the toolkit (bound before, or left in the chain by a Detach):
    // ThunkProc is in place, so only the control's own procedure is needed. Chaining
    // ThunkProc to itself would recurse without end.
    if (HANDLE own = ::GetPropW(hwnd, kPreviousProcProperty)) {
        m_previous = reinterpret_cast<WNDPROC>(own);
        return true;
    }
    m_previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    ::SetPropW(hwnd, kPreviousProcProperty, reinterpret_cast<HANDLE>(m_previous));
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ThunkProc));
    return true;
}

// Binding again is harmless; a window already bound to another binding keeps that one, and
// this one then never sees a message, which is the caller's fault.
void WindowProc::Register()
{
    HWND hwnd = m_window ? m_window->GetHandle() : nullptr;
    if (!hwnd) return;
    bool inserted = WindowRegistry::Insert(hwnd, this);
    assert(inserted || WindowRegistry::Find(hwnd) == this);
    (void)inserted;
}

// Own-class windows have no procedure to put back, but their registry entry must still go:
// a binding deleted before its window would otherwise be called after it is gone.
// When something subclassed the control after us (a tooltip relaying mouse messages does),
// putting our previous procedure back would cut that subclass out of the chain; ThunkProc
// then stays in place and, unbound, passes everything on to the previous procedure.
void WindowProc::Detach()
{
    HWND hwnd = m_window ? m_window->GetHandle() : nullptr;
    if (hwnd && ::IsWindow(hwnd)) {
        auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
        if (m_previous && current == &ThunkProc) {
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
