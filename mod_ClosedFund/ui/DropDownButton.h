// A push button that draws its own caption, left-aligned, with a small downward arrow at
// its right end, and may carry a tooltip. Clicks reach the parent as the button's ordinary
// WM_COMMAND; the owner opens whatever menu belongs to it.
#pragma once
#include "ui/Button.h"
#include "ui/ToolTipCtrl.h"
#include "ui/WindowProc.h"
#include <common/XString.h>
#include <memory>

namespace WGUI {

class DropDownButton : public Button {
public:
    DropDownButton() = default;
    ~DropDownButton() override;
    DropDownButton(const DropDownButton&) = delete;
    DropDownButton& operator=(const DropDownButton&) = delete;

    // Creates the "Button" window (its own text stays empty) and subclasses it.
    HWND Create(DWORD style, LPCWSTR text, HWND parent, UINT id, HINSTANCE instance);
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The owner sets these, repaints the button and calls UpdateToolTip.
    void SetCaption(const Common::XStringW& caption) { m_caption = caption; }
    const Common::XStringW& Caption() const { return m_caption; }
    void SetToolTipText(const Common::XStringW& text) { m_toolTipText = text; }
    const Common::XStringW& ToolTipText() const { return m_toolTipText; }
    // Creates, refreshes or removes the tooltip window so that it matches the tooltip text.
    void UpdateToolTip();
    HWND ToolTipWindow() const { return m_toolTip.GetHandle(); }

private:
    void PaintCaptionAndArrow();

    std::unique_ptr<WindowProc> m_binding;
    ToolTipCtrl m_toolTip;
    Common::XStringW m_caption;
    Common::XStringW m_toolTipText;
};

} // namespace WGUI
