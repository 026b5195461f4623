// The one font of the shell's own controls (tool bar, tabs, lists): the client's Chinese
// face at 9 points, made on first use and kept for the life of the process.
#pragma once
#include <windows.h>

namespace HostShell {

HFONT uiFont();
// Gives a child control the shell's font.
inline void useUiFont(HWND control) { SendMessageW(control, WM_SETFONT, WPARAM(uiFont()), TRUE); }

} // namespace HostShell
