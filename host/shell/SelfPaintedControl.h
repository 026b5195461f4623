// A common control that the shell paints itself in the theme's colours (the status bar, the
// tab strip): the control keeps its state and its mouse handling, while every paint, and a
// WM_PRINTCLIENT from whoever reads the window, goes to the subclass's paint. The background
// is left to paint, which covers the whole client area, so nothing flickers in between.
#pragma once
#include "controls/XWin.h"

namespace HostShell {

class SelfPaintedControl : public Control::XWin {
public:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    virtual void paint(HDC dc) = 0;
};

} // namespace HostShell
