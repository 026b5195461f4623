#include "controls/XWin.h"
#include "common/CallbackGuard.h"
#include <cassert>
#include <unordered_map>

namespace Control {

namespace {

const wchar_t kClassName[] = L"Client2_XWin";

// Handle to object. Only the user-interface thread makes, binds and destroys these windows.
std::unordered_map<HWND, XWin*>& registry()
{
    static std::unordered_map<HWND, XWin*> map;
    return map;
}

// The object whose Create is running: messages before CreateWindowExW returns (WM_NCCREATE,
// WM_CREATE, WM_SIZE) must already reach it.
XWin* creating = nullptr;

HINSTANCE libraryInstance()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&libraryInstance), &module);
    return module;
}

} // namespace

XWin::~XWin() { ReleaseWindow(); }

void XWin::ReleaseWindow()
{
    if (attachedProc_) {
        Detach();
        return;
    }
    HWND hwnd = hwnd_;
    Unbind(); // the window must not call into a half-destroyed object
    if (hwnd && ::IsWindow(hwnd)) ::DestroyWindow(hwnd);
}

bool XWin::RegisterClassOnce()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    HINSTANCE instance = libraryInstance();
    if (GetClassInfoExW(instance, kClassName, &wc)) return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &XWin::StaticProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

HWND XWin::Create(LPCWSTR caption, DWORD style, const RECT& rect, HWND parent)
{
    return Create(0, caption, style, rect, parent, (style & WS_CHILD) ? 1001 : 0);
}

HWND XWin::Create(LPCWSTR caption, DWORD style, const RECT& rect, HWND parent, UINT id)
{
    return Create(0, caption, style, rect, parent, id);
}

HWND XWin::Create(DWORD exStyle, LPCWSTR caption, DWORD style, const RECT& rect, HWND parent, UINT id)
{
    if (hwnd_ || !RegisterClassOnce()) return nullptr;
    XWin* outer = creating;
    creating = this;
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND hwnd =
        CreateWindowExW(exStyle, kClassName, caption ? caption : L"", style, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, parent, menu, libraryInstance(), nullptr);
    creating = outer;
    return hwnd;
}

bool XWin::Attach(HWND hwnd)
{
    if (hwnd_ || !hwnd || !::IsWindow(hwnd) || registry().count(hwnd)) return false;
    hwnd_ = hwnd;
    registry()[hwnd] = this;
    attachedProc_ =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&XWin::StaticProc)));
    return true;
}

HWND XWin::Detach()
{
    HWND hwnd = hwnd_;
    if (attachedProc_ && hwnd && ::IsWindow(hwnd))
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(attachedProc_));
    attachedProc_ = nullptr;
    Unbind();
    return hwnd;
}

void XWin::Unbind()
{
    if (hwnd_) {
        auto it = registry().find(hwnd_);
        if (it != registry().end() && it->second == this) registry().erase(it);
    }
    hwnd_ = nullptr;
}

XWin* XWin::FromHandle(HWND hwnd)
{
    auto it = registry().find(hwnd);
    return it == registry().end() ? nullptr : it->second;
}

// A message whose handler throws is answered 0, the usual "handled" result.
LRESULT CALLBACK XWin::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    return Common::guardCallback(L"a grid window procedure", LRESULT(0),
                                 [&] { return Dispatch(hwnd, msg, wParam, lParam); });
}

LRESULT XWin::Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    XWin* self = FromHandle(hwnd);
    if (!self && creating && !creating->hwnd_) {
        self = creating;
        self->hwnd_ = hwnd;
        registry()[hwnd] = self;
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg != WM_NCDESTROY) return self->WndProc(msg, wParam, lParam);
    // The last message: let the object see it, then forget the handle.
    WNDPROC attached = self->attachedProc_;
    LRESULT r = self->WndProc(msg, wParam, lParam);
    self->attachedProc_ = nullptr;
    self->Unbind();
    if (attached) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(attached));
    return r;
}

LRESULT XWin::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (attachedProc_) return CallWindowProcW(attachedProc_, hwnd_, msg, wParam, lParam);
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT XWin::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultProc(msg, wParam, lParam); }

// A null handle means "every window" to some of these calls (InvalidateRect, SetFocus):
// an object without a window does nothing instead.
BOOL XWin::DestroyWindow() { return hwnd_ ? ::DestroyWindow(hwnd_) : FALSE; }
BOOL XWin::ShowWindow(int cmdShow) { return hwnd_ ? ::ShowWindow(hwnd_, cmdShow) : FALSE; }
HWND XWin::SetFocus() { return hwnd_ ? ::SetFocus(hwnd_) : nullptr; }
BOOL XWin::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    return hwnd_ ? ::MoveWindow(hwnd_, x, y, width, height, repaint) : FALSE;
}
BOOL XWin::MoveWindow(const RECT& r, BOOL repaint)
{
    return MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top, repaint);
}
BOOL XWin::GetWindowRect(RECT* rect) const { return hwnd_ ? ::GetWindowRect(hwnd_, rect) : FALSE; }
BOOL XWin::GetClientRect(RECT* rect) const { return hwnd_ ? ::GetClientRect(hwnd_, rect) : FALSE; }
BOOL XWin::ScreenToClient(POINT* pt) const { return hwnd_ ? ::ScreenToClient(hwnd_, pt) : FALSE; }
BOOL XWin::ClientToScreen(POINT* pt) const { return hwnd_ ? ::ClientToScreen(hwnd_, pt) : FALSE; }
BOOL XWin::Invalidate(BOOL erase) { return hwnd_ ? ::InvalidateRect(hwnd_, nullptr, erase) : FALSE; }
BOOL XWin::InvalidateRect(const RECT* rect, BOOL erase) { return hwnd_ ? ::InvalidateRect(hwnd_, rect, erase) : FALSE; }

} // namespace Control
