#include "PaintedText.h"
#include "controls/XDataGrid.h"
#include <algorithm>
#include <cwchar>

namespace Control {

void PaintedText::begin()
{
    pieces_.clear();
    painting_ = true;
}

void PaintedText::add(int line, int left, const std::wstring& text)
{
    if (painting_) pieces_.push_back(Piece{line, left, text});
}

// Frozen columns are drawn after the scrolling ones, so the pieces are put in screen order
// here; a stable sort keeps two pieces at one place in the order they were drawn.
void PaintedText::end()
{
    painting_ = false;
    std::stable_sort(pieces_.begin(), pieces_.end(), [](const Piece& a, const Piece& b) {
        return a.line != b.line ? a.line < b.line : a.left < b.left;
    });
    text_.clear();
    for (size_t i = 0; i < pieces_.size(); ++i) {
        bool newLine = i == 0 || pieces_[i].line != pieces_[i - 1].line;
        if (newLine && i > 0)
            text_ += L"\r\n";
        else if (!newLine)
            text_ += L'\t';
        text_ += pieces_[i].text;
    }
    if (!pieces_.empty()) text_ += L"\r\n";
    pieces_.clear();
}

// WM_GETTEXT: as much of the text as fits, always terminated; the count copied, without the
// terminator.
LRESULT XDataGrid::OnGetText(size_t capacity, wchar_t* buffer) const
{
    if (!buffer || capacity == 0) return 0;
    const std::wstring& text = painted_->text();
    size_t n = std::min(text.size(), capacity - 1);
    wmemcpy(buffer, text.c_str(), n);
    buffer[n] = L'\0';
    return LRESULT(n);
}

LRESULT XDataGrid::OnGetTextLength() const { return LRESULT(painted_->text().size()); }

Common::XStringW XDataGrid::GetPaintedText() const { return painted_->text(); }

} // namespace Control
