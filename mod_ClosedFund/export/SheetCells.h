// How a shown cell becomes a workbook cell: which fields hold numbers or dates, and the
// reading of a shown text as the number or date a person sees. A cell is typed from the text
// the grid shows, so the workbook reads as the screen did: "1.0230" is 1.023 under "0.0000",
// "12.34%" is 0.1234 under "0.00%", 基金份额 in 亿份 stays in 亿份. A text that the number
// format could not give back exactly (a leading zero, an exponent, a stray character) stays
// text.
#pragma once
#include "common/XString.h"
#include <string>

namespace ClosedFund {

enum class SheetKind { Text, Number, Date };

// The kind of a fund-table field: net values, prices, changes, rates, yields, the remaining
// term, units, holders and the row numbers hold numbers; the data, previous, expiry and
// founding dates hold dates; every other field (codes, names, types, the company, a field
// this list does not know) holds text, so no reader turns a code into a number.
SheetKind sheetKindOf(const Common::XStringW& field);

// A shown number: the cell's value as decimal text (ASCII, '.' for the point, a percentage
// already divided by 100, digits as shown so nothing is lost to binary) and the number
// format that shows it again.
struct ShownNumber {
    std::string value;
    int decimals = 0;
    bool grouped = false;      // thousands separators shown
    bool percent = false;      // a trailing '%'
    bool plus = false;         // a leading '+'
    bool negativeZero = false; // "-0.00": a tiny negative the screen rounded
    // A small number naming the format; equal keys, equal formats.
    int formatKey() const;
};

// The longest fraction, and the most significant digits, a shown number may have and still
// be written as a number: a spreadsheet shows no more than 15 significant digits.
const int kMaxShownDecimals = 30;
const size_t kMaxSignificantDigits = 15;
// Reads the whole text as one number as a screen shows it: an optional sign, digits (no
// leading zero before another digit), group separators only between groups of three, an
// optional point and at least one digit after it, an optional trailing '%'. False for
// anything else.
bool readShownNumber(const wchar_t* text, size_t length, wchar_t decimalPoint, wchar_t groupSeparator,
                     ShownNumber& number);

// The number format of a format key: "0.0000", "#,##0", "0.00%", with explicit sections
// when the sign must show as it did ("+0.00", "-0.00").
std::string numberFormatCode(int formatKey);

// The format of date cells.
extern const char* const kDateFormatCode;
// A shown "yyyy-mm-dd" from 1900-03-01 to 9999-12-31 as the workbook's day number (days
// since 1899-12-30). False for any other text, an impossible date among them.
bool readShownDate(const wchar_t* text, size_t length, long& dayNumber);

} // namespace ClosedFund
