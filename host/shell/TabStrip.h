// The tab strip of the fund-value tab control: the common tab control keeps the tabs, the
// choice and the mouse; this object paints it in the theme's colours, which the control
// itself would draw in the system's light ones whatever the theme.
#pragma once
#include "FrameColors.h"
#include "SelfPaintedControl.h"

namespace HostShell {

class TabStrip final : public SelfPaintedControl {
public:
    TabStrip() = default;
    TabStrip(const TabStrip&) = delete;
    TabStrip& operator=(const TabStrip&) = delete;
    ~TabStrip() override;
    // Creates the tab control as a child of parent and paints it from then on.
    HWND createWindow(HWND parent);
    void setColors(const FrameColors& colors);

private:
    void paint(HDC target) override;

    FrameColors colors_ = frameColors(nullptr);
};

} // namespace HostShell
