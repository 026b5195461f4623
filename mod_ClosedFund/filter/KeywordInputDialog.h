// The small modal dialog in which the user types keywords for a search: one cue-text edit
// and a "确定" button, placed below and left of the anchor point (the "更多筛选" button).
// Esc or the close box cancels.
#pragma once
#include "ui/Button.h"
#include "ui/GdiObject.h"
#include "ui/TextEdit.h"
#include "ui/ThemedForm.h"
#include <common/XString.h>
#include <windows.h>

namespace ClosedFund {

class KeywordInputDialog {
public:
    enum { kEditId = 100, kMaxChars = 128, kTextBuffer = 256 };

    KeywordInputDialog() = default;
    KeywordInputDialog(const KeywordInputDialog&) = delete;
    KeywordInputDialog& operator=(const KeywordInputDialog&) = delete;
    ~KeywordInputDialog() = default;

    // Runs the dialog over parent, its edit holding words. The dialog's right edge stands 20
    // pixels (at 96 dpi) left of anchorX and its top as far below anchorY. Returns 1 for OK (Text()
    // holds what was typed), 2 when cancelled or closed, -1 when the dialog could not be built.
    INT_PTR DoModal(HWND parent, int anchorX, int anchorY, const Common::XStringW& words = Common::XStringW());
    const Common::XStringW& Text() const { return text_; }
    // Another use of the same box (a name to save under): its caption and cue text.
    void SetTitle(const Common::XStringW& title, const Common::XStringW& cue)
    {
        title_ = title;
        cue_ = cue;
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    static INT_PTR HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND hwnd);
    void OnOk(HWND hwnd);
    void OnDestroy(HWND hwnd);

    int anchorX_ = 0, anchorY_ = 0;
    gdiobj::GdiObject<HFONT> font_;       // the edit's
    gdiobj::GdiObject<HFONT> buttonFont_; // the button's, both made for the dialog's dpi
    WGUI::TextEdit edit_;
    WGUI::Button ok_;
    Common::XStringW text_;
    Common::XStringW title_, cue_;
    WGUI::ThemedForm form_; // the theme's colours, also when the theme changes while it is open
};

} // namespace ClosedFund
