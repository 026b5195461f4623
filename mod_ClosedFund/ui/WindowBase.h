// The object side of a window: one member, the handle, and virtual handlers that the window
// procedure of the toolkit calls. The object never owns the window: destroying the object
// leaves the window alive, and a temporary WindowBase may wrap any handle.
#pragma once
#include <windows.h>

namespace WGUI {

class WindowProc;

class WindowBase {
public:
    WindowBase() = default;
    explicit WindowBase(HWND hwnd) : hwnd_(hwnd) {}
    virtual ~WindowBase() = default;

    // A message for this window. Return true when handled; *result is then the answer
    // (it starts at 0).
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A notification this window sent to its parent, offered back to it first.
    virtual bool OnReflectedMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    HWND GetHandle() const { return hwnd_; }
    // The toolkit's window procedure stores the handle here at WM_CREATE.
    void SetHandle(HWND hwnd) { hwnd_ = hwnd; }
    operator HWND() const { return hwnd_; }

    // CreateWindowExW with the rectangle's size. The binding, if any, gets this object as its
    // window before the call and travels as the creation parameter. Returns the new handle.
    HWND Create(DWORD style, DWORD exStyle, LPCWSTR className, LPCWSTR text, const RECT& rect, HWND parent, UINT id,
                HINSTANCE instance, WindowProc* binding);
    // The handle is cleared only when the window really went.
    bool DestroyWindow();
    bool IsWindow() const;
    WindowBase GetParent() const;
    WindowBase GetDlgItem(int id) const;
    // Pointer-sized, so that user data and window procedures survive on 64-bit Windows.
    LONG_PTR GetWindowLong(int index) const;
    LONG_PTR SetWindowLong(int index, LONG_PTR value);
    int GetWindowText(LPWSTR buffer, int capacity) const;
    int GetWindowTextLength() const;
    void SetFont(HFONT font, BOOL redraw = TRUE);
    HFONT GetFont() const;
    BOOL Invalidate(BOOL erase = TRUE);
    BOOL RedrawWindow(const RECT* rect, HRGN region, UINT flags);
    HWND SetFocus();
    // Return rect, or null when the call fails.
    RECT* GetClientRect(RECT* rect) const;
    RECT* GetWindowRect(RECT* rect) const;
    BOOL MoveWindow(const RECT& rect, BOOL repaint = TRUE);
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    HWND hwnd_ = nullptr;
};

} // namespace WGUI
