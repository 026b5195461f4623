// Value conversions of the data library, written to match what SQLite's column readers give
// for the same stored value, so a cell reads the same whether it came from the database or
// from a cell write.
#include "DataValue.h"
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace Kernel {

namespace {

bool isBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f';
}

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

size_t skipBlanks(const wchar_t* text, size_t length, size_t i)
{
    while (i < length && isBlank(text[i])) ++i;
    return i;
}

// The C runtime writes three exponent digits ("1e+020"); SQLite writes at least two.
void trimExponent(std::string& s)
{
    size_t e = s.find('e');
    if (e == std::string::npos || e + 2 >= s.size()) return;
    size_t digits = e + 2;
    while (s.size() - digits > 2 && s[digits] == '0') s.erase(digits, 1);
}

} // namespace

XStringW formatReal(double value)
{
    if (std::isnan(value)) return XStringW();
    if (std::isinf(value)) return value < 0 ? L"-Inf" : L"Inf";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    std::string s(buf);
    trimExponent(s);
    // "%!" keeps a point in every real so that 2.0 does not read back as an integer.
    if (s.find('.') == std::string::npos) {
        size_t e = s.find('e');
        s.insert(e == std::string::npos ? s.size() : e, ".0");
    }
    return XStringW(s.begin(), s.end());
}

double leadingReal(const wchar_t* text, size_t length)
{
    if (!text) return 0.0;
    size_t i = skipBlanks(text, length, 0);
    bool negative = false;
    if (i < length && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    std::string number;
    size_t mantissaDigits = 0;
    for (; i < length && isDigit(text[i]); ++i, ++mantissaDigits) number += char(text[i]);
    if (i < length && text[i] == L'.') {
        number += '.';
        for (++i; i < length && isDigit(text[i]); ++i, ++mantissaDigits) number += char(text[i]);
    }
    if (mantissaDigits == 0) return 0.0;
    bool negativeExponent = false;
    if (i < length && (text[i] == L'e' || text[i] == L'E')) {
        size_t j = i + 1;
        if (j < length && (text[j] == L'-' || text[j] == L'+')) negativeExponent = text[j++] == L'-';
        if (j < length && isDigit(text[j])) {
            number += 'e';
            if (negativeExponent) number += '-';
            for (; j < length && isDigit(text[j]); ++j) number += char(text[j]);
        } else {
            negativeExponent = false;
        }
    }
    // from_chars ignores the user's locale, unlike strtod: the decimal sign is always '.'.
    double value = 0.0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    return negative ? -value : value;
}

int64_t leadingInt64(const wchar_t* text, size_t length)
{
    if (!text) return 0;
    size_t i = skipBlanks(text, length, 0);
    bool negative = false;
    if (i < length && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    // Accumulate as a negative number: its range holds the smallest int64 too.
    const int64_t lowest = std::numeric_limits<int64_t>::min();
    int64_t value = 0;
    for (; i < length && isDigit(text[i]); ++i) {
        int digit = text[i] - L'0';
        if (value < (lowest + digit) / 10) {
            value = lowest;
            break;
        }
        value = value * 10 - digit;
    }
    if (negative) return value;
    return value == lowest ? std::numeric_limits<int64_t>::max() : -value;
}

int64_t realToInt64(double value)
{
    if (std::isnan(value)) return 0;
    if (value <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
    if (value >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
    return int64_t(value);
}

int clampToInt(int64_t value)
{
    if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return int(value);
}

bool startsWithNumber(const wchar_t* text, size_t length)
{
    if (!text) return false;
    size_t i = skipBlanks(text, length, 0);
    if (i < length && (text[i] == L'-' || text[i] == L'+')) ++i;
    if (i < length && text[i] == L'.') ++i;
    return i < length && isDigit(text[i]);
}

bool isEmptyText(const wchar_t* text, size_t length)
{
    if (!text) return true;
    size_t begin = skipBlanks(text, length, 0);
    size_t end = length;
    while (end > begin && isBlank(text[end - 1])) --end;
    if (begin == end) return true;
    return end - begin == 2 && text[begin] == L'-' && text[begin + 1] == L'-';
}

} // namespace Kernel
