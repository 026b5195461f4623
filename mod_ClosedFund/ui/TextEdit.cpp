#include "ui/TextEdit.h"
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
    default: return false;
    }
}

// At (2, 2) in the default GUI font, whatever the edit's own margins and font.
void TextEdit::PaintCueText()
{
    Common::WindowDC dc(hwnd_);
    if (!dc) return;
    Common::SelectedObject font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    ::SetBkMode(dc, TRANSPARENT);
    ::TextOutW(dc, 2, 2, cueText_.c_str(), int(cueText_.size()));
}

} // namespace WGUI
