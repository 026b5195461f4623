// A push button that draws its own caption, left-aligned, with a small downward arrow at
// its right end, and may carry a tooltip. Clicks reach the parent as the button's ordinary
// WM_COMMAND; the owner opens whatever menu belongs to it. Space, Enter and Down click it
// from the keyboard, and Tab moves the focus on (common/TabOrder.h). Without colours it is the
// system's button with the caption drawn over it; given colours (a theme's) it paints
// face, border, caption and arrow itself.
#pragma once
#include "ui/Button.h"
#include "ui/ToolTipCtrl.h"
#include "ui/WindowProc.h"
#include <common/XString.h>
#include <memory>

namespace WGUI {

// The colours of a themed button.
struct DropDownColors {
    COLORREF face;
    COLORREF pushedFace;
    COLORREF border;
    COLORREF text;
};

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
    // The caption is the full text; the button shows it, or the shortened form the owner
    // sets when the full text does not fit (setting the caption drops that form).
    void SetCaption(const Common::XStringW& caption)
    {
        caption_ = caption;
        shownCaption_.clear();
    }
    const Common::XStringW& Caption() const { return caption_; }
    void SetShownCaption(const Common::XStringW& shown)
    {
        shownCaption_ = shown == caption_ ? Common::XStringW() : shown;
    }
    const Common::XStringW& ShownCaption() const { return shownCaption_.empty() ? caption_ : shownCaption_; }
    bool IsShortened() const { return !shownCaption_.empty(); }
    void SetToolTipText(const Common::XStringW& text) { toolTipText_ = text; }
    const Common::XStringW& ToolTipText() const { return toolTipText_; }
    // What the tooltip shows: the owner's tooltip text, else the full caption of a shortened
    // button, so that no text the user chose is ever out of reach.
    Common::XStringW ShownToolTip() const;
    // Creates, refreshes or removes the tooltip window so that it matches ShownToolTip.
    void UpdateToolTip();
    HWND ToolTipWindow() const { return toolTip_.GetHandle(); }

    // Paints with these colours from now on (the owner repaints).
    void SetColors(const DropDownColors& colors);
    bool IsThemed() const { return themed_; }
    const DropDownColors& Colors() const { return colors_; }

    // What a click does: BN_CLICKED to the parent, whose handler opens the menu.
    void Click();

private:
    bool OnKeyboard(UINT msg, WPARAM key);
    bool OnThemedMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void PaintCaptionAndArrow();
    void PaintThemed(HDC dc);
    void DrawCaption(HDC dc, const RECT& client);
    // The arrow's lines from the right end, in the DC's pen, scaled to the button's dpi.
    static void DrawArrow(HDC dc, const RECT& client, UINT dpi);

    std::unique_ptr<WindowProc> binding_;
    HINSTANCE instance_ = nullptr; // the one given to Create: the tooltip is made with it too
    ToolTipCtrl toolTip_;
    Common::XStringW caption_;
    Common::XStringW shownCaption_; // empty: the caption itself is shown
    Common::XStringW toolTipText_;
    Common::XStringW toolTipShown_; // the text the tooltip window points at
    bool themed_ = false;
    DropDownColors colors_ = {};
    UINT pressedKey_ = 0; // Space or Enter, pressed on this button and not yet released
};

} // namespace WGUI
