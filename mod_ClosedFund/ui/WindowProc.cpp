#include "ui/WindowProc.h"
#include "ui/ThunkProc.h"
#include "ui/WindowBase.h"
#include "ui/WindowRegistry.h"
#include <cassert>

namespace WGUI {

WindowProc::~WindowProc() { Detach(); }

bool WindowProc::Attach(WindowBase* window)
{
    window_ = window;
    HWND hwnd = window ? window->GetHandle() : nullptr;
    if (!hwnd || !::IsWindow(hwnd)) return false;
    // Already bound by the toolkit (or left in the chain by a Detach): ThunkProc is in place,
    // so only the control's own procedure is needed. Chaining ThunkProc to itself would
    // recurse without end.
    if (AdoptRegistered(hwnd)) return true;
    Register();
    previous_ = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (previous_ == &ThunkProc)
        previous_ = nullptr; // an own-class window: nothing to chain to
    else
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ThunkProc));
    return true;
}

bool WindowProc::AdoptRegistered(HWND hwnd)
{
    WindowProc* registered = WindowRegistry::Find(hwnd);
    if (!registered) return false;
    previous_ = registered->previous_;
    if (registered->passThrough_) {
        WindowRegistry::Replace(hwnd, registered, this);
        hwnd_ = hwnd;
        delete registered;
    }
    return true;
}

// Binding again is harmless; a window already bound to another binding keeps that one, and
// this one then never sees a message, which is the caller's fault.
void WindowProc::Register()
{
    HWND hwnd = window_ ? window_->GetHandle() : nullptr;
    if (!hwnd) return;
    bool inserted = WindowRegistry::Insert(hwnd, this);
    assert(inserted || WindowRegistry::Find(hwnd) == this);
    if (inserted) hwnd_ = hwnd;
}

// Own-class windows have no procedure to put back, but their registry entry must still go:
// a binding deleted before its window would otherwise be called after it is gone.
// When something subclassed the control after us (a tooltip relaying mouse messages does),
// putting our previous procedure back would cut that subclass out of the chain; ThunkProc
// then stays in place and a pass-through binding hands everything on to the control.
// The registered handle, not the object's: past WM_DESTROY the object has forgotten it while
// the control still waits for its WM_NCDESTROY.
void WindowProc::Detach()
{
    HWND hwnd = hwnd_;
    if (hwnd && WindowRegistry::Find(hwnd) == this) {
        auto current = ::IsWindow(hwnd) ? reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) : nullptr;
        if (previous_ && current && current != &ThunkProc)
            LeavePassThrough(hwnd);
        else {
            if (previous_ && current) ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
            WindowRegistry::RemoveIf(hwnd, this);
        }
    }
    window_ = nullptr;
    previous_ = nullptr;
    hwnd_ = nullptr;
}

// The registry owns the pass-through binding; ThunkProc deletes it after WM_NCDESTROY.
void WindowProc::LeavePassThrough(HWND hwnd)
{
    auto* keeper = new WindowProc;
    keeper->previous_ = previous_;
    keeper->passThrough_ = true;
    WindowRegistry::Replace(hwnd, this, keeper);
}

LRESULT WindowProc::CallDefault(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallDefault(window_ ? window_->GetHandle() : nullptr, msg, wParam, lParam);
}

LRESULT WindowProc::CallDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (previous_) return ::CallWindowProcW(previous_, hwnd, msg, wParam, lParam);
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace WGUI
