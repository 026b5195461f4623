#include "ui/WindowText.h"
#include <algorithm>
#include <cwchar>

namespace WGUI {

// WM_GETTEXT copies as much as fits, always terminated, and returns the count without the
// terminator; a buffer of no size gets nothing.
bool AnswerTextMessage(const Common::XStringW& text, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_GETTEXTLENGTH) {
        *result = LRESULT(text.size());
        return true;
    }
    if (msg != WM_GETTEXT) return false;
    auto* buffer = reinterpret_cast<wchar_t*>(lParam);
    size_t n = 0;
    if (buffer && wParam > 0) {
        n = std::min(size_t(wParam) - 1, text.size());
        wmemcpy(buffer, text.c_str(), n);
        buffer[n] = L'\0';
    }
    *result = LRESULT(n);
    return true;
}

} // namespace WGUI
