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

// The table as UTF-8 text: the caption line, a rule, then one line per row; columns two
// blanks apart, each cell aligned in its column as the column says, no trailing blanks.
// Control characters inside a text (tabs, line breaks) are shown as blanks so that a
// cell can never break the lines.
std::string terminalText(const ShownTable& table);

} // namespace FundTableText
