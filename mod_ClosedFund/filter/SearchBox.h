// The filter bar's search box: a cue-text edit whose Esc empties it (the bar hears the change
// like any other edit and lifts the search at once). The cue shows while the box is empty and
// another control has the focus; Ctrl+A selects the whole text; while the box holds text a
// small clear button (×) at its right end empties it.
#pragma once
#include "ui/TextEdit.h"
#include "ui/ThemedForm.h"

namespace ClosedFund {

class SearchBox : public WGUI::TextEdit {
public:
    SearchBox();
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // The box's own colours under a theme (the bar asks for them as WM_CTLCOLOREDIT).
    bool OnReflectedMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // The typed text (at most the box's limit).
    Common::XStringW Text() const;
    // The clear button in the box's client coordinates; empty while the box holds no text.
    RECT ClearButtonRect() const;

private:
    LRESULT CallDefault(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnPaint(LRESULT* result);
    void PaintClearButton();
    // Keeps the text clear of the button's corner (a new font resets the margins).
    void KeepClearMargin();
    bool OverClearButton(POINT client) const;

    bool cueShown_ = false;   // the last paint showed the cue
    bool clearShown_ = false; // the last paint showed the clear button
    WGUI::ControlColors colors_;
    WGUI::ColorWatch themeWatch_; // repaints the box, its edge included, in a new theme's colours
};

} // namespace ClosedFund
