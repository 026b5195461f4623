#include "filter/SearchBox.h"
#include <vector>

namespace ClosedFund {

SearchBox::SearchBox() { SetCueText(L"代码/名称/拼音"); }

bool SearchBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        if (GetWindowTextLength() > 0) ::SetWindowTextW(hwnd_, L"");
        return true;
    }
    // The edit would beep at the Esc character that follows the key.
    if (msg == WM_CHAR && wParam == VK_ESCAPE) return true;
    return TextEdit::OnMessage(msg, wParam, lParam, result);
}

Common::XStringW SearchBox::Text() const
{
    int length = GetWindowTextLength();
    if (length <= 0) return Common::XStringW();
    std::vector<wchar_t> buffer(size_t(length) + 1);
    int copied = GetWindowText(buffer.data(), length + 1);
    return Common::XStringW(buffer.data(), size_t(copied > 0 ? copied : 0));
}

} // namespace ClosedFund
