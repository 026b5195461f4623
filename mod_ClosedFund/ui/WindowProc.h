// The binding of one window to one WindowBase object. Windows of the toolkit's own classes
// are bound at WM_CREATE (the binding travels as the creation parameter); standard controls
// created first are bound afterwards by Attach, which subclasses them.
#pragma once
#include <windows.h>

namespace WGUI {

class WindowBase;

class WindowProc {
public:
    WindowProc() = default;
    WindowProc(const WindowProc&) = delete;
    WindowProc& operator=(const WindowProc&) = delete;
    // Unbinds: a subclassed control that still exists gets its own procedure back.
    virtual ~WindowProc();

    // Binds the object's existing window: registers it and installs ThunkProc in front of
    // the window's current procedure. False when the object has no window.
    bool Attach(WindowBase* window);
    // Enters the object's window into the registry, unless the handle is there already.
    void Register();
    void Detach();
    // The window's own processing: the subclassed procedure, else DefWindowProcW.
    LRESULT CallDefault(UINT msg, WPARAM wParam, LPARAM lParam);

    WindowBase* GetWindow() const { return m_window; }
    void SetWindow(WindowBase* window) { m_window = window; }
    WNDPROC GetPreviousProc() const { return m_previous; }

private:
    WindowBase* m_window = nullptr;
    WNDPROC m_previous = nullptr;
};

} // namespace WGUI
