// The texts a grid drew in its last full paint, kept so that the window can answer
// WM_GETTEXT with what a person sees: a screen reader, or a test in another process, reads
// the grid without knowing its data. Pieces are collected while painting and put together
// once the paint ends: the header captions line first, then one line per painted row, then
// any message drawn over the rows; within a line the pieces go left to right, separated by
// tabs, and lines end with CR LF.
#pragma once
#include <climits>
#include <string>
#include <vector>

namespace Control {

class PaintedText {
public:
    static constexpr int kHeaderLine = INT_MIN;
    static constexpr int kMessageLine = INT_MAX;

    // A full paint starts: pieces from now on make the next text.
    void begin();
    // The paint ended: the collected pieces become the text.
    void end();
    // Ignored outside begin/end, so a partial repaint (one row) leaves the text as it was.
    // line: kHeaderLine, a row number or kMessageLine; left: where the piece was drawn.
    void add(int line, int left, const std::wstring& text);
    const std::wstring& text() const { return text_; }

private:
    struct Piece {
        int line;
        int left;
        std::wstring text;
    };
    std::vector<Piece> pieces_;
    std::wstring text_;
    bool painting_ = false;
};

} // namespace Control
