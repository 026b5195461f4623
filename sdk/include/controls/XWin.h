// The control library's window object: one object bound to one window through a registry
// from handle to object; every message of the window reaches the object's virtual WndProc.
// A window made by Create belongs to the object and is destroyed with it; a window taken
// with Attach is subclassed and handed back (procedure restored) by Detach.
#pragma once
#include <windows.h>

namespace Control {

class XWin {
public:
    XWin() = default;
    virtual ~XWin();
    XWin(const XWin&) = delete;
    XWin& operator=(const XWin&) = delete;

    // A child or pop-up window of the library's class. The first form gives a child the
    // control identifier 1001, the one the page expects from its grid. Null on failure.
    virtual HWND Create(LPCWSTR caption, DWORD style, const RECT& rect, HWND parent);
    virtual HWND Create(LPCWSTR caption, DWORD style, const RECT& rect, HWND parent, UINT id);
    virtual HWND Create(DWORD exStyle, LPCWSTR caption, DWORD style, const RECT& rect, HWND parent, UINT id);
    // Binds an existing window that no other object holds; false when either side is taken.
    virtual bool Attach(HWND hwnd);
    // Unbinds without destroying; returns the handle (null when nothing was bound).
    HWND Detach();

    // Every message of the window. The base passes it to the default processing.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);

    virtual BOOL ShowWindow(int cmdShow);
    virtual HWND SetFocus();
    virtual BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    virtual BOOL MoveWindow(const RECT& rect, BOOL repaint = TRUE);
    virtual BOOL GetWindowRect(RECT* rect) const;
    virtual BOOL GetClientRect(RECT* rect) const;
    virtual BOOL ScreenToClient(POINT* pt) const;
    virtual BOOL ClientToScreen(POINT* pt) const;
    virtual BOOL Invalidate(BOOL erase = TRUE);
    virtual BOOL InvalidateRect(const RECT* rect, BOOL erase = TRUE);

    HWND GetHwnd() const { return hwnd_; }
    operator HWND() const { return hwnd_; }
    bool IsWindow() const { return hwnd_ && ::IsWindow(hwnd_); }
    BOOL DestroyWindow();
    // The object bound to a window, or null.
    static XWin* FromHandle(HWND hwnd);

protected:
    // What the window would do without this object: the attached window's own procedure,
    // or DefWindowProcW.
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Unbinds, then destroys an owned window or hands back an attached one. Derived
    // destructors call it first, so no message reaches a half-destroyed object.
    void ReleaseWindow();

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static bool RegisterClassOnce();
    void Unbind();

    HWND hwnd_ = nullptr;
    WNDPROC attachedProc_ = nullptr; // set while a foreign window is attached
};

} // namespace Control
