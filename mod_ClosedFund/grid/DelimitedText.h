// Delimited text that every reader gets back unchanged: each field in double quotes with a
// quote inside doubled, so separators, quotes and line breaks inside a cell survive; CR LF
// after every record; and a cell that a spreadsheet would run as a formula written with a
// leading apostrophe. Used by the list export and by the grid's Ctrl+C.
#pragma once
#include "common/XString.h"
#include "grid/UserNumpunct.h"
#include <vector>

namespace ClosedFund {

// How an export file is written: the separator between fields and the encoding (UTF-8 or
// UTF-16 little endian, each with its byte-order mark).
struct ExportFormat {
    wchar_t separator = L',';
    bool utf8 = false;
};

// The save dialog's filter numbers (from 1); 0 stands for "no dialog" (a tool).
enum ExportFilter { EXPORT_BY_NAME = 0, EXPORT_CSV_UTF16 = 1, EXPORT_CSV_UTF8 = 2, EXPORT_TAB_TEXT = 3 };

// True for a number as the grid shows one: an optional sign, digits with the user's (or the
// plain ',') group separators, an optional decimal part with the user's (or the plain '.')
// decimal point, an optional exponent, an optional trailing '%'. Nothing else, so no
// spreadsheet can read it as a formula.
bool isShownNumber(const Common::XStringW& text, const NumberPunct& punct);

// True when a spreadsheet would take the text as a formula or command: it begins with '=',
// '+', '-', '@', a tab or a CR and is neither a shown number nor the "--" placeholder.
bool looksLikeFormula(const Common::XStringW& text, const NumberPunct& punct);

// Appends one quoted field: '"', the text (an apostrophe first when it looks like a formula,
// every '"' doubled), '"'.
void appendField(Common::XStringW& out, const Common::XStringW& text, const NumberPunct& punct);

// Appends the fields separated by separator (none after the last) and CR LF.
void appendRecord(Common::XStringW& out, const std::vector<Common::XStringW>& fields, wchar_t separator,
                  const NumberPunct& punct);

// The byte-order mark a file of the encoding starts with.
std::string exportByteOrderMark(bool utf8);
// Replaces bytes with text in UTF-8 or UTF-16 LE (bytes' buffer is reused).
void encodeExportText(const Common::XStringW& text, bool utf8, std::string& bytes);

} // namespace ClosedFund
