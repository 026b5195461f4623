// The main frame's tool bar: push buttons in named groups, laid out left to right with a
// gap between groups. A pressed button fires the event its owner gave with it. The bar and
// its buttons are drawn in the theme's colours.
#pragma once
#include "FrameColors.h"
#include "controls/XWin.h"
#include "host/Modules.h"
#include "hostapi/KernelHost.h"
#include <vector>

namespace HostShell {

class ToolBar final : public Control::XWin {
public:
    // The bar's height at 96 dpi; height() at the screen's.
    static constexpr int kHeight = 34;
    static int height();

    ToolBar() = default;
    ToolBar(const ToolBar&) = delete;
    ToolBar& operator=(const ToolBar&) = delete;
    ~ToolBar() override;
    HWND createWindow(HWND parent);
    // Adds a button at the end of its group (a new group goes after the others). False for
    // an empty group or id, an id already present, or no tool-bar window.
    bool addButton(const XStringA& group, const XStringA& id, const Host::ToolButtonDesc& desc);
    // The button's window, or null.
    HWND buttonWindow(const XStringA& id) const;
    void setColors(const FrameColors& colors);

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct Button {
        XStringA group;
        XStringA id;
        HWND window;
        XComPtr<Host::IHostEvent> event; // null: the button fires nothing
    };
    void layout();
    void pressed(HWND button);
    void drawButton(const DRAWITEMSTRUCT& item);

    std::vector<Button> buttons_; // in group order, each group in order of addition
    FrameColors colors_ = frameColors(nullptr);
};

} // namespace HostShell
