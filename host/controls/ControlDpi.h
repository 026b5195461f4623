// The grid control's sizes are written for a 96-dpi screen: row heights and column widths as
// the header document keeps them, margins, arrows and scroll bars. A grid draws them at its
// window's dpi (times the zoom, for what follows the text), so the same stored header fits a
// screen at any dpi.
#pragma once
#include <windows.h>

namespace Control {

enum : UINT { kBaseDpi = 96 };

// The dpi the window is drawn at: GetDpiForWindow where user32 has it (looked up by name: the
// client's user32 may predate it), else the screen's LOGPIXELSY, else 96.
UINT windowDpi(HWND window);
inline int dpiScaled(int px96, UINT dpi) { return MulDiv(px96, int(dpi), int(kBaseDpi)); }
// A zoom and a dpi as one factor from 96-dpi units to pixels.
inline double gridScale(double zoom, UINT dpi) { return zoom * double(dpi) / double(kBaseDpi); }

} // namespace Control
