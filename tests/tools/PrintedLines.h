// Reading what the printer printed the way a terminal shows it: lines of display cells (a
// Chinese character takes two), the columns the rule line marks, and where each number's
// decimal point falls.
#pragma once
#include "common/XString.h"
#include "table/TerminalText.h"
#include <sstream>
#include <string>
#include <vector>

namespace PrintedLines {

inline std::vector<std::wstring> linesOf(const std::string& utf8)
{
    std::vector<std::wstring> lines;
    std::istringstream in(utf8);
    for (std::string line; std::getline(in, line);) lines.push_back(Common::fromUtf8(line));
    return lines;
}

inline int cellsOf(const std::wstring& line) { return FundTableText::displayWidth(Common::XStringW(line)); }

// The line as the terminal's cells: a wide character's second cell holds a NUL.
inline std::wstring onCells(const std::wstring& line)
{
    std::wstring cells;
    for (wchar_t c : line) {
        cells += c;
        if (FundTableText::displayWidth(char32_t(c)) == 2) cells += L'\0';
    }
    return cells;
}

struct Span {
    size_t first, width;
};

// The columns as the rule of dashes under the captions marks them.
inline std::vector<Span> columnsOf(const std::wstring& rule)
{
    std::vector<Span> spans;
    for (size_t at = rule.find(L'-'); at != std::wstring::npos; at = rule.find(L'-', at)) {
        size_t end = rule.find(L' ', at);
        if (end == std::wstring::npos) end = rule.size();
        spans.push_back({at, end - at});
        at = end;
    }
    return spans;
}

// The cell where the decimal point of each row's number in the column stands, for the rows
// whose cell holds one.
inline std::vector<size_t> decimalPoints(const std::vector<std::wstring>& rows, Span column)
{
    std::vector<size_t> points;
    for (const std::wstring& row : rows) {
        std::wstring cells = onCells(row);
        std::wstring cell = cells.size() > column.first ? cells.substr(column.first, column.width) : std::wstring();
        size_t point = cell.find(L'.');
        if (point != std::wstring::npos) points.push_back(column.first + point);
    }
    return points;
}

} // namespace PrintedLines
