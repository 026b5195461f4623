// A single-line edit that shows a grey cue text while it is empty. Tab moves the focus on
// (common/TabOrder.h), so the edit can stand in a bar as well as in a dialog.
#pragma once
#include "ui/Edit.h"
#include "ui/WindowProc.h"
#include <common/XString.h>

namespace WGUI {

class TextEdit : public Edit {
public:
    TextEdit();
    ~TextEdit() override = default;
    TextEdit(const TextEdit&) = delete;
    TextEdit& operator=(const TextEdit&) = delete;

    // Creates the window and subclasses it.
    HWND Create(DWORD style, DWORD exStyle, LPCWSTR className, LPCWSTR text, const RECT& rect, HWND parent, UINT id,
                HINSTANCE instance);
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    const Common::XStringW& CueText() const { return cueText_; }
    void SetCueText(const Common::XStringW& text) { cueText_ = text; }

private:
    void PaintCueText();

    Common::XStringW cueText_;
    WindowProc binding_;
};

} // namespace WGUI
