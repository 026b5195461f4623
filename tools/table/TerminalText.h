// A table laid out for a terminal: columns padded to a common display width, where an East
// Asian wide or fullwidth character takes two cells, a combining mark none and anything
// else one (the usual wcwidth rules), so Chinese captions and names line up.
#pragma once
#include "table/ShownTable.h"
#include <string>

namespace FundTableText {

// Terminal cells of one code point: 0 for combining marks and zero-width characters,
// 2 for East Asian wide and fullwidth characters, 1 otherwise.
int displayWidth(char32_t codePoint);
// Terminal cells of a UTF-16 text (surrogate pairs read as one code point).
int displayWidth(const Common::XStringW& text);

// Whether text reads as a number the way the grid shows one: a sign, digits (grouped by
// commas or not), decimals, a percent sign ("-20.82%", "1.2478", "150001").
bool isNumberText(const Common::XStringW& text);

// The table as UTF-8 text: the caption line, a rule, then one line per row; columns two
// blanks apart, no trailing blanks. A column whose cells are numbers (with "--" or nothing
// for some) is right-aligned with its decimal points in one place; any other keeps the
// alignment its column says. Control characters inside a text (tabs, line breaks) are shown
// as blanks so that a cell can never break the lines.
// width > 0 is the most cells a line may take: the columns that do not fit are left out
// from the right (the first is always shown), and a last line names them ("未显示的列：…").
std::string terminalText(const ShownTable& table, int width = 0);

} // namespace FundTableText
