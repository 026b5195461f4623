// The window procedure of every toolkit window: the class procedure of the toolkit's own
// classes and the subclass procedure of bound standard controls. It finds the binding in
// WindowRegistry and gives the message to the bound object, then to the binding's default.
#pragma once
#include <windows.h>

namespace WGUI {

LRESULT CALLBACK ThunkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

} // namespace WGUI
