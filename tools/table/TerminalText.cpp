#include "table/TerminalText.h"
#include <algorithm>

namespace FundTableText {

using Common::XStringW;

namespace {

struct Range {
    char32_t first, last;
};

bool inRanges(char32_t c, const Range* ranges, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (c >= ranges[i].first && c <= ranges[i].last) return true;
    return false;
}

// Combining marks and format characters that take no cell of their own.
const Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},   {0x1AB0, 0x1AFF},
    {0x1DC0, 0x1DFF}, {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064}, {0x20D0, 0x20FF},   {0x302A, 0x302D},
    {0x3099, 0x309A}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF},
};

// East Asian Wide and Fullwidth: Hangul Jamo, CJK punctuation to Yi (less U+303F, the
// half-width ideographic space), Hangul syllables, compatibility ideographs, vertical and
// compatibility forms, fullwidth forms, the common emoji blocks, the supplementary
// ideograph planes.
const Range kWide[] = {
    {0x1100, 0x115F}, {0x2329, 0x232A},   {0x2E80, 0x303E},   {0x3040, 0xA4CF},   {0xA960, 0xA97F},
    {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

// The code points of text; an unpaired surrogate stands for itself.
template <class Visit>
void forEachCodePoint(const XStringW& text, Visit visit)
{
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            ++i;
        }
        visit(c);
    }
}

XStringW printable(const XStringW& text)
{
    XStringW out = text;
    for (wchar_t& c : out)
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) c = L' ';
    return out;
}

void appendCell(std::string& line, const XStringW& text, int width, Align align)
{
    int room = std::max(0, width - displayWidth(text));
    int before = align == Align::Right ? room : align == Align::Center ? room / 2 : 0;
    line.append(size_t(before), ' ');
    line += Common::toUtf8(text);
    line.append(size_t(room - before), ' ');
}

void endLine(std::string& out, std::string& line)
{
    line.erase(line.find_last_not_of(' ') + 1);
    out += line;
    out += '\n';
    line.clear();
}

} // namespace

int displayWidth(char32_t c)
{
    if (c == 0) return 0;
    if (inRanges(c, kZeroWidth, sizeof kZeroWidth / sizeof kZeroWidth[0])) return 0;
    if (inRanges(c, kWide, sizeof kWide / sizeof kWide[0])) return 2;
    return 1;
}

int displayWidth(const XStringW& text)
{
    int width = 0;
    forEachCodePoint(text, [&width](char32_t c) { width += displayWidth(c); });
    return width;
}

std::string terminalText(const ShownTable& table)
{
    const size_t columns = table.columns.size();
    std::vector<XStringW> captions;
    std::vector<std::vector<XStringW>> rows;
    std::vector<int> widths(columns, 0);
    for (size_t c = 0; c < columns; ++c) {
        captions.push_back(printable(table.columns[c].caption));
        widths[c] = displayWidth(captions[c]);
    }
    for (const auto& cells : table.rows) {
        rows.emplace_back();
        for (size_t c = 0; c < columns; ++c) {
            rows.back().push_back(printable(c < cells.size() ? cells[c] : XStringW()));
            widths[c] = std::max(widths[c], displayWidth(rows.back()[c]));
        }
    }
    std::string out, line;
    for (size_t c = 0; c < columns; ++c) {
        if (c) line += "  ";
        appendCell(line, captions[c], widths[c], table.columns[c].align);
    }
    endLine(out, line);
    for (size_t c = 0; c < columns; ++c) {
        if (c) line += "  ";
        line.append(size_t(widths[c]), '-');
    }
    endLine(out, line);
    for (const auto& cells : rows) {
        for (size_t c = 0; c < columns; ++c) {
            if (c) line += "  ";
            appendCell(line, cells[c], widths[c], table.columns[c].align);
        }
        endLine(out, line);
    }
    return out;
}

} // namespace FundTableText
