#include "export/SheetCells.h"
#include <cstring>

namespace ClosedFund {

using Common::XStringW;

SheetKind sheetKindOf(const XStringW& field)
{
    static const wchar_t* const numbers[] = {
        L"value",   L"totalvalue", L"previousvalue",  L"previoustotalvalue",   L"increase", L"increasepercent",
        L"price",   L"pricevalue", L"pricevaluerate", L"pricevalueyearincome", L"date_due", L"quotient",
        L"peoples", L"_index",     L"index_rank"};
    static const wchar_t* const dates[] = {L"date", L"previousdate", L"expiredate", L"createdate"};
    for (const wchar_t* name : numbers)
        if (field == name) return SheetKind::Number;
    for (const wchar_t* name : dates)
        if (field == name) return SheetKind::Date;
    return SheetKind::Text;
}

namespace {

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

} // namespace

int ShownNumber::formatKey() const
{
    return decimals | (grouped ? 1 << 5 : 0) | (percent ? 1 << 6 : 0) | (plus ? 1 << 7 : 0) |
           (negativeZero ? 1 << 8 : 0);
}

namespace {

// The digits of a shown number as they are read: without the sign, the point and the
// separators; a number worth writing has few of them.
struct ShownDigits {
    char digits[64];
    size_t count = 0, intDigits = 0, group = 0; // group: digits since the last separator
    size_t significantDigits = 0;
    bool fraction = false, significant = false;

    // False when the digit cannot be kept as shown.
    bool add(wchar_t c, ShownNumber& number)
    {
        // A zero before another digit would be lost in the cell ("007" reads 7).
        if (!fraction && count == 1 && digits[0] == '0') return false;
        if (count == sizeof digits) return false;
        significant = significant || c != L'0';
        significantDigits += significant;
        digits[count++] = char(c);
        if (fraction)
            ++number.decimals;
        else
            ++group;
        return true;
    }
};

// Reads digits, separators and the point from text[i] on; i ends where they end. False when
// the digits cannot be written as shown.
bool readDigits(const wchar_t* text, size_t length, size_t& i, wchar_t decimalPoint, wchar_t groupSeparator,
                ShownNumber& number, ShownDigits& d)
{
    for (; i < length; ++i) {
        wchar_t c = text[i];
        bool separator = !d.fraction && groupSeparator && c == groupSeparator && d.count && d.group <= 3 &&
                         (!number.grouped || d.group == 3);
        if (isDigit(c)) {
            if (!d.add(c, number)) return false;
        } else if (separator) {
            number.grouped = true;
            d.group = 0;
        } else if (!d.fraction && c == decimalPoint && d.count) {
            d.fraction = true;
            d.intDigits = d.count;
        } else {
            break;
        }
    }
    if (!d.fraction) d.intDigits = d.count;
    return true;
}

// The cell's value from the digits: a percentage is its hundredth, the point moving two
// places left.
void composeValue(const ShownDigits& d, bool percent, std::string& value)
{
    if (percent && d.intDigits <= 2) {
        value += "0.";
        value.append(2 - d.intDigits, '0');
        value.append(d.digits, d.count);
        return;
    }
    size_t point = percent ? d.intDigits - 2 : d.intDigits;
    value.append(d.digits, point);
    if (point < d.count) value.append(1, '.').append(d.digits + point, d.count - point);
}

} // namespace

bool readShownNumber(const wchar_t* text, size_t length, wchar_t decimalPoint, wchar_t groupSeparator,
                     ShownNumber& number)
{
    number.value.clear();
    number.decimals = 0;
    number.grouped = number.percent = number.plus = number.negativeZero = false;
    size_t i = 0;
    bool negative = false;
    if (i < length && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        number.plus = !negative;
        ++i;
    }
    ShownDigits d;
    if (!readDigits(text, length, i, decimalPoint, groupSeparator, number, d)) return false;
    if (i < length && text[i] == L'%') {
        number.percent = true;
        ++i;
    }
    // Nothing may follow; a separator must end a full group; a point needs digits after it;
    // beyond 15 significant digits a spreadsheet would not show the number as it was.
    if (i != length || !d.intDigits || (number.grouped && d.group != 3) || (d.fraction && !number.decimals) ||
        number.decimals > kMaxShownDecimals || d.significantDigits > kMaxSignificantDigits)
        return false;
    number.negativeZero = negative && !d.significant;
    if (negative && d.significant) number.value = "-";
    composeValue(d, number.percent, number.value);
    return true;
}

std::string numberFormatCode(int formatKey)
{
    int decimals = formatKey & 31;
    std::string base = formatKey & (1 << 5) ? "#,##0" : "0";
    if (decimals) base += '.' + std::string(size_t(decimals), '0');
    if (formatKey & (1 << 6)) base += '%';
    // Sections: positive; negative; zero. The sign is a literal where it must show.
    if (formatKey & (1 << 7)) return "+" + base + ";-" + base + ";+" + base;
    if (formatKey & (1 << 8)) return base + ";-" + base + ";-" + base;
    return base;
}

const char* const kDateFormatCode = "yyyy-mm-dd";

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date.
long daysFromCivil(long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + long(doe) - 719468;
}

int number(const wchar_t* text, size_t from, size_t count)
{
    int n = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (!isDigit(text[i])) return -1;
        n = n * 10 + (text[i] - L'0');
    }
    return n;
}

} // namespace

bool readShownDate(const wchar_t* text, size_t length, long& dayNumber)
{
    if (length != 10 || text[4] != L'-' || text[7] != L'-') return false;
    int y = number(text, 0, 4), m = number(text, 5, 2), d = number(text, 8, 2);
    if (y < 1900 || m < 1 || m > 12 || d < 1) return false;
    static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > monthDays[m - 1] + (m == 2 && leap ? 1 : 0)) return false;
    // Before March 1900 the workbook's day numbers count a 29 February that never was.
    if (y == 1900 && m < 3) return false;
    dayNumber = daysFromCivil(y, unsigned(m), unsigned(d)) - daysFromCivil(1899, 12, 30);
    return true;
}

} // namespace ClosedFund
