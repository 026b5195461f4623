// The grid's tip for cut text: one "tooltips_class32" window holding one tracking tool. The
// grid decides when the tip shows, what it says and where; this object owns the window and
// speaks its messages. The window is made on the first show and destroyed with the object.
#pragma once
#include <windows.h>
#include <string>

namespace Control {

class CutTextTip {
public:
    CutTextTip() = default;
    ~CutTextTip() { destroy(); }
    CutTextTip(const CutTextTip&) = delete;
    CutTextTip& operator=(const CutTextTip&) = delete;

    // Shows text with the tip's top-left corner at the screen point. owner is the grid's
    // window, the tool's window. False when the tip window could not be made.
    bool show(HWND owner, const std::wstring& text, POINT screen);
    void hide();
    bool shown() const { return shown_; }
    // Null until the first show.
    HWND window() const { return tip_; }
    void destroy();

private:
    bool make(HWND owner);

    HWND tip_ = nullptr;
    HWND owner_ = nullptr;
    bool shown_ = false;
};

} // namespace Control
