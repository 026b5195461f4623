// Registration of the module's own window classes: all of them redraw on resize, take
// double clicks, show the arrow cursor on the window colour, and run the toolkit's window
// procedure, so that their objects are bound at WM_CREATE.
#pragma once
#include <windows.h>

namespace WGUI {

// Registers the class under name with the instance unless the system knows it already;
// icon may be null. False when registration fails (the caller then creates no window).
bool RegisterWindowClass(HINSTANCE instance, const wchar_t* name, HICON icon = nullptr);

} // namespace WGUI
