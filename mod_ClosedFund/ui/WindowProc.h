// The binding of one window to one WindowBase object. Windows of the toolkit's own classes
// are bound at WM_CREATE (the binding travels as the creation parameter); standard controls
// created first are bound afterwards by Attach, which subclasses them.
//
// Three roles make up the toolkit's message path: ThunkProc (ThunkProc.h) is the one window
// procedure of every toolkit window; WindowRegistry is the map from a handle to its binding;
// the binding (this class) ties the handle to its object and is the only keeper of a
// subclassed control's own procedure, which the control needs until its WM_NCDESTROY.
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
    LRESULT CallDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    WindowBase* GetWindow() const { return window_; }
    void SetWindow(WindowBase* window) { window_ = window; }
    WNDPROC GetPreviousProc() const { return previous_; }
    // A binding left behind by Detach for a control that another subclass sits on: it has
    // no object, only passes messages on to the control, and goes with the window.
    bool IsPassThrough() const { return passThrough_; }

private:
    // Takes over the control's procedure from the binding registered for hwnd, if any.
    // True when ThunkProc is already in the window's chain.
    bool AdoptRegistered(HWND hwnd);
    void LeavePassThrough(HWND hwnd);

    WindowBase* window_ = nullptr;
    HWND hwnd_ = nullptr; // the handle this binding entered into the registry
    WNDPROC previous_ = nullptr;
    bool passThrough_ = false;
};

} // namespace WGUI
