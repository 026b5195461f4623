// The user's number punctuation (decimal point, thousands separator, digit grouping) and a
// writer that puts numbers into text exactly as a wide stream imbued with that punctuation
// would, without the stream's cost. Cells are formatted by the user's regional settings;
// the C++ runtime cannot open the user's locale by name here, so it is built from NLS.
#pragma once
#include <locale>
#include <string>

namespace ClosedFund {

// Punctuation in the form std::numpunct uses: grouping holds group sizes from the right,
// the last one repeating, CHAR_MAX ending the grouping; an empty grouping means none.
struct NumberPunct {
    wchar_t decimalPoint = L'.';
    wchar_t thousandsSep = L',';
    std::string grouping;
};

// A numpunct facet over a NumberPunct, for imbuing a wide stream.
class UserNumpunct : public std::numpunct<wchar_t> {
public:
    explicit UserNumpunct(const NumberPunct& punct, size_t refs = 0) : std::numpunct<wchar_t>(refs), punct_(punct) {}
protected:
    wchar_t do_decimal_point() const override { return punct_.decimalPoint; }
    wchar_t do_thousands_sep() const override { return punct_.thousandsSep; }
    std::string do_grouping() const override { return punct_.grouping; }
private:
    NumberPunct punct_;
};

// Converts an NLS grouping text ("3;0" groups of three, "3;2;0" three then twos, "3" one
// group of three only, "0" or "" none) to the numpunct form.
std::string groupingFromNls(const std::wstring& nlsGrouping);
// The punctuation of the user's default locale, read from NLS at each call.
NumberPunct readUserNumberPunct();
// The same, read once per process.
const NumberPunct& userNumberPunct();
// The classic locale with the given punctuation, and the user's (built once per process).
std::locale makeNumberLocale(const NumberPunct& punct);
const std::locale& userNumberLocale();

// Appends v as `stream << v` would (an integer stream output, grouped).
void appendInteger(std::wstring& out, long long v, const NumberPunct& punct);
// Appends v as `stream << v` would: with decimals 0 to 9 in fixed notation with that many
// decimals, with a negative decimals in the stream's default notation (six significant digits).
void appendReal(std::wstring& out, double v, int decimals, const NumberPunct& punct);

} // namespace ClosedFund
