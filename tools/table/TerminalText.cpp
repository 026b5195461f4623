#include "table/TerminalText.h"
#include <algorithm>
#include <cwctype>
#include <vector>

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

// A column as laid out: its texts made printable, where a number's decimal point stands,
// and the cells it takes.
struct LaidColumn {
    XStringW caption;
    std::vector<XStringW> cells;
    Align align = Align::Left;
    bool numeric = false;
    int whole = 0, fraction = 0; // cells before a number's decimal point, and from it on
    int width = 0;
};

bool isPlaceholder(const XStringW& text) { return text.empty() || text == L"--"; }

// Where a number's fraction starts: its decimal point, else its percent sign, else its end.
size_t fractionStart(const XStringW& number)
{
    size_t point = number.find(L'.');
    return point != XStringW::npos ? point : std::min(number.find(L'%'), number.size());
}

LaidColumn layColumn(const ShownTable& table, size_t c)
{
    LaidColumn column;
    column.caption = printable(table.columns[c].caption);
    column.align = table.columns[c].align;
    bool anyNumber = false, onlyNumbers = true;
    for (const auto& cells : table.rows) {
        column.cells.push_back(printable(c < cells.size() ? cells[c] : XStringW()));
        const XStringW& text = column.cells.back();
        if (isNumberText(text))
            anyNumber = true;
        else if (!isPlaceholder(text))
            onlyNumbers = false;
    }
    column.numeric = anyNumber && onlyNumbers;
    int placeholders = 0;
    for (const XStringW& text : column.cells) {
        if (!column.numeric || !isNumberText(text)) {
            placeholders = std::max(placeholders, displayWidth(text));
            continue;
        }
        size_t split = fractionStart(text);
        column.whole = std::max(column.whole, displayWidth(text.substr(0, split)));
        column.fraction = std::max(column.fraction, displayWidth(text.substr(split)));
    }
    column.width = std::max({displayWidth(column.caption), column.whole + column.fraction, placeholders});
    if (column.numeric) column.align = Align::Right;
    return column;
}

void appendAligned(std::string& line, const XStringW& text, int width, Align align)
{
    int room = std::max(0, width - displayWidth(text));
    int before = align == Align::Right ? room : align == Align::Center ? room / 2 : 0;
    line.append(size_t(before), ' ');
    line += Common::toUtf8(text);
    line.append(size_t(room - before), ' ');
}

// A number padded on both sides so that its decimal point falls where the column's do.
void appendCell(std::string& line, const LaidColumn& column, const XStringW& text)
{
    if (!column.numeric || !isNumberText(text)) {
        appendAligned(line, text, column.width, column.align);
        return;
    }
    size_t split = fractionStart(text);
    XStringW whole = text.substr(0, split), fraction = text.substr(split);
    int room = column.width - column.whole - column.fraction; // under a caption wider than the numbers
    line.append(size_t(room + column.whole - displayWidth(whole)), ' ');
    line += Common::toUtf8(text);
    line.append(size_t(column.fraction - displayWidth(fraction)), ' ');
}

void endLine(std::string& out, std::string& line)
{
    line.erase(line.find_last_not_of(' ') + 1);
    out += line;
    out += '\n';
    line.clear();
}

// How many leading columns fit in width cells, two blanks apart; at least one.
size_t fittingColumns(const std::vector<LaidColumn>& columns, int width)
{
    if (width <= 0) return columns.size();
    size_t count = 0;
    int used = 0;
    for (const LaidColumn& column : columns) {
        int next = used + (count ? 2 : 0) + column.width;
        if (count && next > width) break;
        used = next;
        ++count;
    }
    return count;
}

// The names of the columns left out, with a word on choosing columns when the line has room
// for it; names that are more than the width allows run on, for the terminal to wrap.
XStringW leftOutNote(const std::vector<LaidColumn>& columns, size_t shown, int width)
{
    XStringW note = L"未显示的列：";
    for (size_t c = shown; c < columns.size(); ++c) note += (c > shown ? L"、" : L"") + columns[c].caption;
    XStringW hint = L"（可用 --columns 选列）";
    return displayWidth(note + hint) <= width ? note + hint : note;
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

bool isNumberText(const XStringW& text)
{
    size_t i = 0, n = text.size();
    if (i < n && (text[i] == L'-' || text[i] == L'+')) ++i;
    size_t digits = 0;
    for (; i < n && (iswdigit(text[i]) || (text[i] == L',' && digits > 0)); ++i)
        if (text[i] != L',') ++digits;
    if (digits == 0 || text[i - 1] == L',') return false;
    if (i < n && text[i] == L'.') {
        size_t decimals = 0;
        for (++i; i < n && iswdigit(text[i]); ++i) ++decimals;
        if (decimals == 0) return false;
    }
    if (i < n && text[i] == L'%') ++i;
    return i == n;
}

std::string terminalText(const ShownTable& table, int width)
{
    std::vector<LaidColumn> columns;
    for (size_t c = 0; c < table.columns.size(); ++c) columns.push_back(layColumn(table, c));
    const size_t shown = fittingColumns(columns, width);
    std::string out, line;
    for (size_t c = 0; c < shown; ++c) {
        if (c) line += "  ";
        appendAligned(line, columns[c].caption, columns[c].width, columns[c].align);
    }
    endLine(out, line);
    for (size_t c = 0; c < shown; ++c) {
        if (c) line += "  ";
        line.append(size_t(columns[c].width), '-');
    }
    endLine(out, line);
    for (size_t r = 0; r < table.rows.size(); ++r) {
        for (size_t c = 0; c < shown; ++c) {
            if (c) line += "  ";
            appendCell(line, columns[c], columns[c].cells[r]);
        }
        endLine(out, line);
    }
    if (shown < columns.size()) {
        line = Common::toUtf8(leftOutNote(columns, shown, width));
        endLine(out, line);
    }
    return out;
}

} // namespace FundTableText
