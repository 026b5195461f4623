#include "ui/ThunkProc.h"
#include "ui/WindowBase.h"
#include "ui/WindowProc.h"
#include "ui/WindowRegistry.h"
#include "host/CallbackGuard.h"

namespace WGUI {

const wchar_t kPreviousProcProperty[] = L"WGUI.PreviousProc";

namespace {

// The child window a notification comes from, or null when the message has none (a menu's
// WM_COMMAND, WM_DRAWITEM or WM_MEASUREITEM carries no child window).
HWND notifyingChild(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
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
    case WM_COMMAND:
        return reinterpret_cast<HWND>(lParam);
    default:
        return nullptr;
    }
}

bool reflectToChild(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    HWND child = notifyingChild(hwnd, msg, wParam, lParam);
    WindowProc* binding = child ? WindowRegistry::Find(child) : nullptr;
    WindowBase* window = binding ? binding->GetWindow() : nullptr;
    return window && window->OnReflectedMessage(msg, wParam, lParam, result);
}

// A window with no binding: a subclassed control after WM_DESTROY goes on to its own
// procedure; anything else gets the default processing.
LRESULT unboundDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto previous = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, kPreviousProcProperty));
    if (msg == WM_NCDESTROY && previous) ::RemovePropW(hwnd, kPreviousProcProperty);
    if (previous) return ::CallWindowProcW(previous, hwnd, msg, wParam, lParam);
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
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
    } else if (msg == WM_DESTROY) {
        WindowRegistry::Remove(hwnd);
    }

    LRESULT result = 0;
    if (reflectToChild(hwnd, msg, wParam, lParam, &result)) return result;
    WindowBase* window = binding ? binding->GetWindow() : nullptr;
    if (!window) return unboundDefault(hwnd, msg, wParam, lParam);
    if (!window->OnMessage(msg, wParam, lParam, &result)) result = binding->CallDefault(msg, wParam, lParam);
    // WM_DESTROY is the last message the object sees: it forgets the handle, so that a later
    // IsWindow or DestroyWindow on the object cannot reach a window that reused the value.
    if (msg == WM_DESTROY && window->GetHandle() == hwnd) window->SetHandle(nullptr);
    return result;
}

} // namespace

// A message whose handler throws is answered 0, the usual "handled" result.
LRESULT CALLBACK ThunkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    return Host::guardCallback(L"a window procedure", LRESULT(0), [&] { return dispatch(hwnd, msg, wParam, lParam); });
}

} // namespace WGUI
