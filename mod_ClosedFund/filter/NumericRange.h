// Numeric conditions as a person types and reads them: a range over the number a column's
// cells show, in the unit they show it (a percentage as "-15.32", a fund's size in 亿份, the
// remaining term in years with "已到期" as 0).
#pragma once
#include "common/XString.h"
#include <cstddef>

namespace ClosedFund {

// How a numeric column's stored cells become the number on screen: the stored number times
// scale, rounded to decimals places (decimals < 0: as stored).
struct NumericColumn {
    Common::XStringW name;    // the fund table's column
    Common::XStringW caption; // as the header shows it
    Common::XStringW unit;    // after a number in a condition's caption: "%", "年", "亿份", ""
    double scale = 1;
    int decimals = -1;
};

// Both ends included; an end that is not set does not bound.
struct NumericRange {
    bool hasLow = false, hasHigh = false;
    double low = 0, high = 0;
    bool empty() const { return !hasLow && !hasHigh; }
};

// A number as typed: blanks, thousands separators (",", "，") and a trailing "%" or unit
// are allowed ("-15", "-15%", "1,234.5", "3 年"). False for anything else or nothing.
bool parseTypedNumber(const Common::XStringW& text, const Common::XStringW& unit, double& value);

// The number a cell shows, from its stored text: the leading number (blanks, sign, digits,
// point, exponent), scaled and rounded as the column shows it; "已到期" is 0. False for a
// cell that shows no number ("--", "", a blank).
bool shownNumber(const wchar_t* chars, size_t length, const NumericColumn& column, double& value);

bool inRange(const NumericRange& range, double value);

// The condition as a person says it: "折价率 ≤ -15%", "剩余期限 1–3 年", "单位净值 ≥ 1.2".
Common::XStringW rangeCaption(const NumericColumn& column, const NumericRange& range);
// A number as a person would type it back: no exponent, no trailing zeros.
Common::XStringW numberText(double value);

} // namespace ClosedFund
