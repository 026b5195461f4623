// Value conversions of the data library, written to match what SQLite's column readers give
// for the same stored value, so a cell reads the same whether it came from the database or
// from a cell write.
#include "DataValue.h"
#include <sqlite3.h>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace Kernel {

namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f'; }

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

size_t skipBlanks(const wchar_t* text, size_t length, size_t i)
{
    while (i < length && isBlank(text[i])) ++i;
    return i;
}

} // namespace

// SQLite's own formatter, so a real reads exactly as sqlite3_column_text16 gives it: its
// digit generator decides the last of up to 17 digits, which the C runtime would not match.
XStringW formatReal(double value)
{
    if (std::isnan(value)) return XStringW();
    char buf[64];
    sqlite3_snprintf(int(sizeof buf), buf, "%!.17g", value);
    return XStringW(buf, buf + std::strlen(buf));
}

namespace {

// Appends the digits from text[i] on to number; returns where they end.
size_t appendDigits(const wchar_t* text, size_t length, size_t i, std::string& number)
{
    for (; i < length && isDigit(text[i]); ++i) number += char(text[i]);
    return i;
}

// An exponent at text[i] ("e", a sign, digits) onto number; true when it is negative. An
// "e" without digits is no exponent.
bool appendExponent(const wchar_t* text, size_t length, size_t i, std::string& number)
{
    if (i >= length || (text[i] != L'e' && text[i] != L'E')) return false;
    size_t j = i + 1;
    bool negative = false;
    if (j < length && (text[j] == L'-' || text[j] == L'+')) negative = text[j++] == L'-';
    if (j >= length || !isDigit(text[j])) return false;
    number += negative ? "e-" : "e";
    appendDigits(text, length, j, number);
    return negative;
}

} // namespace

double leadingReal(const wchar_t* text, size_t length)
{
    if (!text) return 0.0;
    size_t i = skipBlanks(text, length, 0);
    bool negative = false;
    if (i < length && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    std::string number;
    i = appendDigits(text, length, i, number);
    size_t mantissaDigits = number.size();
    if (i < length && text[i] == L'.') {
        number += '.';
        size_t fraction = appendDigits(text, length, i + 1, number);
        mantissaDigits += fraction - (i + 1);
        i = fraction;
    }
    if (mantissaDigits == 0) return 0.0;
    bool negativeExponent = appendExponent(text, length, i, number);
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

bool readsAsOneNumber(const wchar_t* text, size_t length)
{
    if (!text) return false;
    size_t i = skipBlanks(text, length, 0);
    if (i < length && (text[i] == L'-' || text[i] == L'+')) ++i;
    size_t digits = 0;
    for (; i < length && isDigit(text[i]); ++i) ++digits;
    if (i < length && text[i] == L'.')
        for (++i; i < length && isDigit(text[i]); ++i) ++digits;
    if (digits == 0) return false;
    // An exponent belongs to the number, as leadingReal reads it.
    if (i < length && (text[i] == L'e' || text[i] == L'E')) {
        size_t j = i + 1;
        if (j < length && (text[j] == L'-' || text[j] == L'+')) ++j;
        if (j < length && isDigit(text[j]))
            for (i = j; i < length && isDigit(text[i]); ++i) {}
    }
    for (; i < length; ++i)
        if (isDigit(text[i])) return false;
    return true;
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
