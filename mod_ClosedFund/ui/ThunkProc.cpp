#include "ui/ThunkProc.h"
#include "ui/WindowBase.h"
#include "ui/WindowProc.h"
#include "ui/WindowRegistry.h"
#include "common/CallbackGuard.h"

namespace WGUI {

namespace {

// The child window a notification comes from, or null when the message has none (a menu's
// WM_COMMAND, WM_DRAWITEM or WM_MEASUREITEM carries no child window). A control asking for
// its colours is offered the question first, so that it can keep its own.
HWND notifyingChild(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: return reinterpret_cast<HWND>(lParam);
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return dis && dis->CtlType != ODT_MENU ? dis->hwndItem : nullptr;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        return mis && mis->CtlType != ODT_MENU ? ::GetDlgItem(hwnd, int(wParam)) : nullptr;
    }
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        return hdr ? hdr->hwndFrom : nullptr;
    }
    case WM_COMMAND: return reinterpret_cast<HWND>(lParam);
    default: return nullptr;
    }
}

// The object a message for hwnd goes to: none before the binding or after WM_DESTROY (the
// object forgot the handle then, while the binding stays to the end for the control's sake).
WindowBase* boundObject(const WindowProc* binding, HWND hwnd)
{
    WindowBase* window = binding ? binding->GetWindow() : nullptr;
    return window && window->GetHandle() == hwnd ? window : nullptr;
}

bool reflectToChild(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    HWND child = notifyingChild(hwnd, msg, wParam, lParam);
    WindowBase* window = child ? boundObject(WindowRegistry::Find(child), child) : nullptr;
    return window && window->OnReflectedMessage(msg, wParam, lParam, result);
}

// The window's last message: the control frees its state in it, so it goes on to the
// control's own procedure before the binding lets go of the handle.
LRESULT finalMessage(WindowProc* binding, HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    if (!binding) return ::DefWindowProcW(hwnd, WM_NCDESTROY, wParam, lParam);
    LRESULT result = binding->CallDefault(hwnd, WM_NCDESTROY, wParam, lParam);
    WindowRegistry::RemoveIf(hwnd, binding);
    if (binding->IsPassThrough()) delete binding;
    return result;
}

LRESULT dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowProc* binding = WindowRegistry::Find(hwnd);
    if (msg == WM_CREATE) {
        auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* created = cs ? static_cast<WindowProc*>(cs->lpCreateParams) : nullptr;
        if (created) {
            if (created->GetWindow()) created->GetWindow()->SetHandle(hwnd);
            created->Register();
            binding = created;
        }
    } else if (msg == WM_NCDESTROY) {
        return finalMessage(binding, hwnd, wParam, lParam);
    }

    LRESULT result = 0;
    if (reflectToChild(hwnd, msg, wParam, lParam, &result)) return result;
    WindowBase* window = boundObject(binding, hwnd);
    if (!window)
        return binding ? binding->CallDefault(hwnd, msg, wParam, lParam) : ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (!window->OnMessage(msg, wParam, lParam, &result)) result = binding->CallDefault(hwnd, msg, wParam, lParam);
    // WM_DESTROY is the last message the object sees: it forgets the handle, so that a later
    // IsWindow or DestroyWindow on the object cannot reach a window that reused the value.
    if (msg == WM_DESTROY && window->GetHandle() == hwnd) window->SetHandle(nullptr);
    return result;
}

} // namespace

// A message whose handler throws is answered 0, the usual "handled" result.
LRESULT CALLBACK ThunkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    return Common::guardCallback(L"a window procedure", LRESULT(0),
                                 [&] { return dispatch(hwnd, msg, wParam, lParam); });
}

} // namespace WGUI
