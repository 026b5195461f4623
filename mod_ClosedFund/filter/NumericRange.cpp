#include "filter/NumericRange.h"
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace ClosedFund {

namespace {

const wchar_t kExpired[] = L"已到期";

// Exact powers of ten as doubles (10^22 is the last one a double holds exactly).
const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000; }

// Decimal digits from p into digits (counted in count); exact turns false once they no
// longer fit in 2^53.
void readDigits(const wchar_t*& p, const wchar_t* end, uint64_t& digits, int& count, bool& exact)
{
    for (; p < end && *p >= L'0' && *p <= L'9'; ++p, ++count) {
        if (digits > (uint64_t(1) << 53) / 10) exact = false;
        digits = digits * 10 + unsigned(*p - L'0');
    }
}

// An exponent ("e-3") at p, if one is there with digits; p moves past it then.
int readExponent(const wchar_t*& p, const wchar_t* end)
{
    if (p >= end || (*p != L'e' && *p != L'E')) return 0;
    const wchar_t* e = p + 1;
    bool minus = false;
    if (e < end && (*e == L'-' || *e == L'+')) minus = *e++ == L'-';
    if (e >= end || *e < L'0' || *e > L'9') return 0;
    int exponent = 0;
    for (; e < end && *e >= L'0' && *e <= L'9'; ++e)
        if (exponent < 1000) exponent = exponent * 10 + int(*e - L'0');
    p = e;
    return minus ? -exponent : exponent;
}

// The leading number of [p, end): its digits gathered into an integer and scaled by an
// exact power of ten, which is the correctly rounded value while the digits fit in 2^53
// (every price, rate and count here); longer numbers fall back to the library's reading.
bool leadingNumber(const wchar_t*& p, const wchar_t* end, double& value)
{
    const wchar_t* start = p;
    bool negative = false;
    if (p < end && (*p == L'-' || *p == L'+')) negative = *p++ == L'-';
    uint64_t digits = 0;
    int count = 0;
    bool exact = true;
    readDigits(p, end, digits, count, exact);
    int whole = count;
    if (p < end && *p == L'.') readDigits(++p, end, digits, count, exact);
    if (count == 0) {
        p = start;
        return false;
    }
    int power = readExponent(p, end) - (count - whole);
    if (!exact || power < -22 || power > 22) {
        wchar_t buffer[64];
        size_t n = std::min<size_t>(size_t(p - start), 63);
        std::copy(start, start + n, buffer);
        buffer[n] = 0;
        return std::swscanf(buffer, L"%lf", &value) == 1;
    }
    value = power < 0 ? double(digits) / kPow10[-power] : double(digits) * kPow10[power];
    if (negative) value = -value;
    return true;
}

} // namespace

bool parseTypedNumber(const Common::XStringW& text, const Common::XStringW& unit, double& value)
{
    Common::XStringW plain;
    for (wchar_t c : text)
        if (!isBlank(c) && c != L',' && c != 0xFF0C) plain += c;
    if (!unit.empty() && plain.size() > unit.size() &&
        plain.compare(plain.size() - unit.size(), unit.size(), unit) == 0)
        plain.resize(plain.size() - unit.size());
    if (!plain.empty() && (plain.back() == L'%' || plain.back() == 0xFF05)) plain.pop_back();
    const wchar_t* p = plain.c_str();
    const wchar_t* end = p + plain.size();
    return leadingNumber(p, end, value) && p == end && std::isfinite(value);
}

bool shownNumber(const wchar_t* chars, size_t length, const NumericColumn& column, double& value)
{
    const wchar_t* p = chars;
    const wchar_t* end = chars + length;
    while (p < end && isBlank(*p)) ++p;
    if (size_t(end - p) >= 3 && p[0] == kExpired[0] && p[1] == kExpired[1] && p[2] == kExpired[2]) {
        value = 0;
        return true;
    }
    if (!leadingNumber(p, end, value)) return false;
    if (column.scale != 1) value *= column.scale;
    if (column.decimals >= 0 && column.decimals <= 15) {
        double factor = kPow10[column.decimals];
        value = std::round(value * factor) / factor;
    }
    return std::isfinite(value);
}

bool inRange(const NumericRange& range, double value)
{
    return (!range.hasLow || value >= range.low) && (!range.hasHigh || value <= range.high);
}

Common::XStringW numberText(double value)
{
    wchar_t buffer[64];
    std::swprintf(buffer, 64, L"%.10f", value);
    Common::XStringW text(buffer);
    if (text.find(L'.') != Common::XStringW::npos) {
        while (!text.empty() && text.back() == L'0') text.pop_back();
        if (!text.empty() && text.back() == L'.') text.pop_back();
    }
    if (text == L"-0") text = L"0";
    return text;
}

Common::XStringW rangeCaption(const NumericColumn& column, const NumericRange& range)
{
    // A percentage sits on its number ("-15%"); a word unit after a space ("3 年").
    const bool tight = column.unit == L"%";
    auto withUnit = [&](const Common::XStringW& number) -> Common::XStringW {
        if (column.unit.empty()) return number;
        return tight ? number + column.unit : number + L" " + column.unit;
    };
    if (range.hasLow && range.hasHigh)
        return column.caption + L" " + withUnit(numberText(range.low) + L"–" + numberText(range.high));
    if (range.hasLow) return column.caption + L" ≥ " + withUnit(numberText(range.low));
    if (range.hasHigh) return column.caption + L" ≤ " + withUnit(numberText(range.high));
    return column.caption;
}

} // namespace ClosedFund
