// The one font of the shell's own controls (tool bar, tabs, lists): the client's Chinese
// face at 9 points, made on first use and kept for the life of the process. The shell's
// sizes are written for a 96-dpi screen: the client is aware of the system's dpi (its
// manifest says so) and scales them, and its font, to the screen's.
#pragma once
#include <windows.h>

namespace HostShell {

// The screen's dpi, read once; 96 when it cannot be read.
UINT uiDpi();
// A size in pixels at 96 dpi, at the screen's.
int uiScaled(int px96);
HFONT uiFont();
// Gives a child control the shell's font.
inline void useUiFont(HWND control) { SendMessageW(control, WM_SETFONT, WPARAM(uiFont()), TRUE); }

} // namespace HostShell
