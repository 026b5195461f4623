// The window procedure of every toolkit window: the class procedure of the toolkit's own
// classes and the subclass procedure of bound standard controls.
#pragma once
#include <windows.h>

namespace WGUI {

LRESULT CALLBACK ThunkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

// Name of the window property that keeps a subclassed control's own procedure, so that the
// messages after WM_DESTROY (WM_NCDESTROY above all, where the control frees its state)
// still reach it once the registry entry is gone.
extern const wchar_t kPreviousProcProperty[];

} // namespace WGUI
