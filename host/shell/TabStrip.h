// The tab strip of the fund-value tab control: the common tab control keeps the tabs, the
// choice and the mouse; this object paints it in the theme's colours, which the control
// itself would draw in the system's light ones whatever the theme.
#pragma once
#include "FrameColors.h"
#include "controls/XWin.h"

namespace HostShell {

class TabStrip final : public Control::XWin {
public:
    ~TabStrip() override;
    // Creates the tab control as a child of parent and paints it from then on.
    HWND createWindow(HWND parent);
    void setColors(const FrameColors& colors);

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void paint(HDC dc);

    FrameColors colors_ = frameColors(nullptr);
};

} // namespace HostShell
