#include "grid/UserNumpunct.h"
#include <windows.h>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ClosedFund {

std::string groupingFromNls(const std::wstring& nlsGrouping)
{
    std::string sizes;
    int current = 0;
    bool inNumber = false;
    for (wchar_t c : nlsGrouping) {
        if (c >= L'0' && c <= L'9') {
            current = current * 10 + (c - L'0');
            if (current > 99) current = 99; // a group is a few digits; keep it a small char
            inNumber = true;
        } else if (c == L';') {
            sizes.push_back(char(current));
            current = 0;
            inNumber = false;
        }
    }
    if (inNumber) sizes.push_back(char(current));
    if (sizes.empty() || sizes[0] == 0) return std::string();
    // NLS repeats the last group only when the list ends in 0; numpunct always repeats
    // the last size, so a list without the 0 ends in CHAR_MAX to stop after it.
    if (sizes.back() == 0)
        sizes.pop_back();
    else
        sizes.push_back(char(CHAR_MAX));
    return sizes;
}

// One NLS text of the user's default locale; empty when it cannot be read.
static std::wstring userLocaleText(LCTYPE type)
{
    wchar_t buf[32] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buf, 32) <= 0) return std::wstring();
    return buf;
}

NumberPunct readUserNumberPunct()
{
    NumberPunct punct;
    std::wstring decimal = userLocaleText(LOCALE_SDECIMAL);
    std::wstring thousand = userLocaleText(LOCALE_STHOUSAND);
    if (!decimal.empty()) punct.decimalPoint = decimal[0];
    // Without a separator there is nothing to group with.
    if (thousand.empty()) return punct;
    punct.thousandsSep = thousand[0];
    punct.grouping = groupingFromNls(userLocaleText(LOCALE_SGROUPING));
    return punct;
}

const NumberPunct& userNumberPunct()
{
    static const NumberPunct punct = readUserNumberPunct();
    return punct;
}

std::locale makeNumberLocale(const NumberPunct& punct)
{
    return std::locale(std::locale::classic(), new UserNumpunct(punct));
}

const std::locale& userNumberLocale()
{
    static const std::locale locale = makeNumberLocale(userNumberPunct());
    return locale;
}

static bool usesGrouping(const std::string& g)
{
    return !g.empty() && static_cast<signed char>(g[0]) > 0 && g[0] != CHAR_MAX;
}

// Appends the digits [first, last) with separators inserted the way the standard
// library's num_put groups them (sizes from the right, the last size repeating).
static void appendGroupedDigits(std::wstring& out, const char* first, const char* last, const NumberPunct& punct)
{
    const std::string& g = punct.grouping;
    if (!usesGrouping(g)) {
        for (const char* p = first; p != last; ++p) out.push_back(wchar_t(static_cast<unsigned char>(*p)));
        return;
    }
    // Walk group sizes from the right to find where the leading, ungrouped run ends.
    size_t idx = 0, repeats = 0;
    const char* lead = last;
    while (lead - first > g[idx] && static_cast<signed char>(g[idx]) > 0 && g[idx] != CHAR_MAX) {
        lead -= g[idx];
        if (idx < g.size() - 1)
            ++idx;
        else
            ++repeats;
    }
    const char* p = first;
    while (p != lead) out.push_back(wchar_t(*p++));
    while (repeats--) {
        out.push_back(punct.thousandsSep);
        for (int i = static_cast<unsigned char>(g[idx]); i > 0; --i) out.push_back(wchar_t(*p++));
    }
    while (idx--) {
        out.push_back(punct.thousandsSep);
        for (int i = static_cast<unsigned char>(g[idx]); i > 0; --i) out.push_back(wchar_t(*p++));
    }
}

void appendInteger(std::wstring& out, long long v, const NumberPunct& punct)
{
    // Digits of the magnitude, computed unsigned so the most negative value is safe.
    unsigned long long magnitude =
        v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    char digits[24];
    char* end = digits + sizeof(digits);
    char* p = end;
    do {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (v < 0) out.push_back(L'-');
    appendGroupedDigits(out, p, end, punct);
}

// Fixed notation without the C library, for the common case: |v| scaled by 10^decimals is
// below 2^52, so the one rounding of the product moves it by less than margin, and it is not
// that close to a half, so rounding it gives what exact decimal rounding gives. False when
// it cannot be sure; the caller then asks the C library.
static bool appendFixedFast(std::wstring& out, double v, int decimals, const NumberPunct& punct)
{
    static const double kPow10[10] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    static const unsigned long long kPow10Int[10] = {1,      10,      100,      1000,      10000,
                                                     100000, 1000000, 10000000, 100000000, 1000000000};
    double scaled = std::fabs(v) * kPow10[decimals];
    if (!(scaled < 4503599627370496.0)) return false; // also NaN and infinities
    double whole = std::floor(scaled);
    double fraction = scaled - whole; // exact below 2^52
    double margin = scaled * 4.5e-16;
    if (std::fabs(fraction - 0.5) <= margin) return false;
    unsigned long long units = static_cast<unsigned long long>(whole) + (fraction > 0.5 ? 1 : 0);
    unsigned long long intPart = units / kPow10Int[decimals];
    unsigned long long fracPart = units % kPow10Int[decimals];
    char digits[32];
    char* end = digits + sizeof(digits);
    char* p = end;
    do {
        *--p = char('0' + intPart % 10);
        intPart /= 10;
    } while (intPart);
    if (std::signbit(v)) out.push_back(L'-'); // printf keeps the sign of -0.001 and -0.0
    appendGroupedDigits(out, p, end, punct);
    if (decimals == 0) return true;
    out.push_back(punct.decimalPoint);
    size_t at = out.size();
    out.append(size_t(decimals), L'0');
    for (size_t i = at + size_t(decimals); fracPart; fracPart /= 10) out[--i] = wchar_t(L'0' + fracPart % 10);
    return true;
}

void appendReal(std::wstring& out, double v, int decimals, const NumberPunct& punct)
{
    if (decimals >= 0 && decimals <= 9 && appendFixedFast(out, v, decimals, punct)) return;
    // The stream converts with the C library in the "C" locale, then puts the locale's
    // decimal point in place of '.' and groups the integer digits. %.9f of the largest
    // double is about 320 characters.
    char text[400];
    int len = decimals >= 0 ? std::snprintf(text, sizeof(text), "%.*f", decimals, v)
                            : std::snprintf(text, sizeof(text), "%.*g", 6, v);
    if (len <= 0) return;
    if (len >= int(sizeof(text))) len = int(sizeof(text)) - 1;
    const char* point = static_cast<const char*>(std::memchr(text, '.', size_t(len)));
    // Scientific texts such as "1e+20" or "-5e-05", and "inf"/"nan", are not grouped.
    bool group = point || len < 3 || (text[1] >= '0' && text[1] <= '9' && text[2] >= '0' && text[2] <= '9');
    const char* digits = text;
    if (*digits == '-' || *digits == '+') out.push_back(wchar_t(*digits++));
    const char* intEnd = point ? point : text + len;
    if (group) {
        appendGroupedDigits(out, digits, intEnd, punct);
    } else {
        for (const char* p = digits; p != intEnd; ++p) out.push_back(wchar_t(*p));
    }
    if (!point) return;
    out.push_back(punct.decimalPoint);
    for (const char* p = point + 1; p != text + len; ++p) out.push_back(wchar_t(*p));
}

} // namespace ClosedFund
