#include "ui/TextEdit.h"
#include "ui/Dpi.h"
#include "ui/ThemedForm.h"
#include <common/ScopedWin.h>
#include <common/TabOrder.h>

namespace WGUI {

TextEdit::TextEdit() : cueText_(L"请输入关键字，多个关键字用空格分开") {}

HWND TextEdit::Create(DWORD style, DWORD exStyle, LPCWSTR className, LPCWSTR text, const RECT& rect, HWND parent,
                      UINT id, HINSTANCE instance)
{
    // A second Create must first unbind the window made before, which is still subclassed.
    binding_.Detach();
    HWND hwnd = WindowBase::Create(style, exStyle, className, text, rect, parent, id, instance, nullptr);
    if (hwnd) binding_.Attach(this);
    return hwnd;
}

bool TextEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_PAINT:
        *result = binding_.CallDefault(msg, wParam, lParam);
        if (GetWindowTextLength() == 0) {
            PaintCueText();
            return true;
        }
        // The edit paints once more over the whole control, so no cue text is left behind.
        Invalidate(TRUE);
        return false;
    case WM_KEYDOWN:
        // Outside a dialog nobody else moves the focus on Tab; inside one the dialog's own
        // keyboard handling takes Tab before the edit sees it.
        if (wParam != VK_TAB) return false;
        Common::RequestNextTabStop(hwnd_, ::GetKeyState(VK_SHIFT) < 0);
        return true;
    case WM_CHAR:
        if (wParam == L'\t') return true;
        Invalidate(TRUE);
        return false;
    case WM_NCPAINT: return PaintFieldEdge(hwnd_);
    default: return false;
    }
}

// At (2, 2) (at 96 dpi) in the edit's own font, so that the cue grows with the text typed there
// (the default GUI font for an edit given none), whatever its margins; grey, or the theme's cue
// colour once there is a theme.
void TextEdit::PaintCueText()
{
    Common::WindowDC dc(hwnd_);
    if (!dc) return;
    HFONT own = GetFont();
    Common::SelectedObject font(dc, own ? static_cast<HGDIOBJ>(own) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetTextColor(dc, ThemedColors::Themed() ? ThemedColors::Current().cue : ::GetSysColor(COLOR_GRAYTEXT));
    ::SetBkMode(dc, TRANSPARENT);
    int inset = Scale(2, WindowDpi(hwnd_));
    ::TextOutW(dc, inset, inset, cueText_.c_str(), int(cueText_.size()));
}

} // namespace WGUI
