// The text_format language on the three value types, with cells of a real kernel table.
// Each case sets its format on the same formatter (so a failing format also shows what the
// reset left behind), then formats one value.
#include "FormatCells.h"
#include "grid/ValueFormater.h"
#include <climits>
#include <functional>

using namespace ClosedFund;

namespace {

const NumberPunct kPunct{L'.', L',', "\3"};

template <class V>
struct Case {
    const wchar_t* format;
    bool parses;
    V value;
    const wchar_t* shown;
};

template <class T, class V>
void checkCases(std::initializer_list<Case<V>> cases, std::function<XComPtr<Host::IColumnItem>(V)> cell)
{
    ValueFormater<T> formater(kPunct);
    for (const Case<V>& c : cases) {
        EXPECT_EQ(formater.SetFormat(c.format), c.parses) << c.format;
        EXPECT_EQ(formater.Format(cell(c.value).get()), c.shown) << c.format << " on " << c.value;
    }
}

} // namespace

TEST(ValueFormater, RealColumns)
{
    FormatCells cells;
    checkCases<double, double>(
        {
            {L"%.02f%%:*100", true, 0.1234, L"12.34%"},
            {L"%.02f%%:*100", true, -0.05, L"-5.00%"},
            {L"", false, 1.2345, L"1"},
            {L"%f", true, 1.5, L"1.5"},
            {L"%f", true, 0.1234567, L"0.123457"},
            {L"%d", true, 2.6, L"3"},
            {L"%.10f", true, 2.6, L"3"},
            {L"%d of", true, 2.5, L"2.5"},
            {L"100%%%.1f m%%", true, 2.3, L"100%2.3 m%"},
            {L"%.2f", true, -1234567.891, L"-1,234,567.89"},
            // Failing number patterns leave the reset state: no operator, scale or map.
            {L"[%.3f]:*2:u;1,K:1=one", true, 1.5, L"[3.000]K"},
            {L"abc%", false, 1.5, L"2"},
            {L"%x", false, 1.5, L"2"},
            {L"50%%off", false, 1.5, L"2"},
            {L"%.1f:-0.5x", true, 2.0, L"1.5"},
            {L"%.1f:x5:u;1,K:1=one", false, 1.0, L"1.0"},
            {L"%.1f:*", false, 7.0, L"0.0"},
            {L"%.1f:/0", true, 7.0, L"0.0"},
            {L"%f:*1e400", true, 2.0, L"inf"},
            {L"%f:*1e400", true, 0.0, L"nan"},
            {L"%.2f::u;1000,K;1000000,M", true, 1234567, L"1.23M"},
            {L"%.2f::u;1000,K;1000000,M", true, 56000, L"56.00K"},
            {L"%.2f::u;1000,K;1000000,M", true, 12, L"12.00u"},
            {L"%.2f::u;1000,K;1000000,M", true, -56000, L"-56.00K"},
            {L"%.1f::u;1000,K", true, -2000, L"-2.0K"},
            {L"%.1f::u;0,Z", true, 5, L"5.0u"},
            {L"%.1f%%:*100::0.5=half", true, 0.5, L"half"},
            {L"%.1f%%:*100::0.5=half", true, 0.50001, L"50.0%"},
            {L"%.2f:*2:u;10,K:", false, 30, L"6.00K"},
            {L"%.1f::::extra", false, 1, L"1.0"},
        },
        [&](double v) { return cells.real(v); });
}

TEST(ValueFormater, IntegerColumns)
{
    FormatCells cells;
    checkCases<int, int>(
        {
            {L"%5.3d", true, 42, L"42"},
            {L"%d of", true, 7, L"7"},
            {L"%d:/3", true, 10, L"3"},
            {L"%d:/3", true, -10, L"-3"},
            {L"%d:/0", true, 10, L"0"},
            {L"%d:*1e300", true, 5, L"2,147,483,647"},
            {L"%d:*1e300", true, -5, L"-2,147,483,648"},
            {L"%d:*1e300", true, 0, L"0"},
            {L"%d:/-1", true, INT_MIN, L"2,147,483,647"},
            {L"::u;1000,K", true, 999, L"999u"},
            {L"::u;1000,K", true, 2000, L"2K"},
            {L"::u;1000,K", true, 2500, L"2K"},
            {L"::u;1000,K", true, -2500, L"-2K"},
            {L"::pcs", true, 3, L"3"},
            // A zero threshold never matches; a negative one matches all, and INT_MIN / -1 is shown.
            {L"::u;0,Z;10,T", true, 5, L"5u"},
            {L"::u;0,Z;10,T", true, 0, L"0u"},
            {L"::u;0,Z;10,T", true, 20, L"2T"},
            {L"::u;-1,N", true, INT_MIN, L"2,147,483,648N"},
            {L"::u;1000,K;5;1,X:1=one", false, 2000, L"2K"},
            {L"::u;1,a,b", false, 5, L"5"},
            {L"[%d]:::1=yes;0=no", true, 1, L"yes"},
            {L"[%d]:::1=yes;0=no", true, 0, L"no"},
            {L"[%d]:::1=yes;0=no", true, 2, L"[2]"},
            {L":::5=x;5=y", true, 5, L"x"},
        },
        [&](int v) { return cells.integer(v); });
}

TEST(ValueFormater, TextColumnsNullsAndReset)
{
    FormatCells cells;
    checkCases<XStringW, const wchar_t*>(
        {
            {L":::0001-01-01=--", true, L"0001-01-01", L"--"},
            {L":::0001-01-01=--", true, L"2015-06-30", L"2015-06-30"},
            {L":::0001-01-01=--", true, L"0001-01-01 ", L"0001-01-01 "},
            {L":*100", true, L"0.5", L"0.5"},
            {L"::u;9,K;1,M", true, L"abc", L"abcM"},
            {L":::a=b;c", false, L"a", L"b"},
            {L"<%s>", false, L"a", L"a"},
        },
        [&](const wchar_t* v) { return cells.text(v); });

    ValueFormater<double> real(kPunct);
    EXPECT_TRUE(real.SetFormat(L"<%.1f>:*2:kg;1,t:3=x"));
    EXPECT_EQ(real.Format(cells.null(L"real").get()), L"--");
    EXPECT_EQ(real.Format(cells.null(L"text").get()), L"--");
    EXPECT_EQ(real.Format(nullptr), L"--");
    EXPECT_FALSE(real.SetFormat(L"")); // resets all but the operand and the default unit
    EXPECT_EQ(real.operand(), 2.0);
    EXPECT_EQ(real.defaultUnit(), L"kg");
    EXPECT_EQ(real.Format(cells.real(3).get()), L"3");
}

TEST(ValueFormater, LeadingNumbersAndNlsGrouping)
{
    EXPECT_EQ(leadingInt(L" 12abc"), 12);
    EXPECT_EQ(leadingInt(L"99999999999"), INT_MAX);
    EXPECT_EQ(leadingInt(L"-99999999999"), INT_MIN);
    EXPECT_EQ(leadingReal(L"1.5e3x"), 1500.0);
    EXPECT_EQ(leadingReal(L"-.5e"), -0.5);
    EXPECT_EQ(leadingReal(L"inf"), 0.0);
    EXPECT_EQ(leadingReal(L"0x10"), 0.0);

    EXPECT_EQ(groupingFromNls(L"3;0"), "\3");
    EXPECT_EQ(groupingFromNls(L"3;2;0"), std::string("\3\2"));
    EXPECT_EQ(groupingFromNls(L"3"), std::string("\3\x7f"));
    EXPECT_EQ(groupingFromNls(L"0"), "");
    EXPECT_EQ(groupingFromNls(L""), "");
}
