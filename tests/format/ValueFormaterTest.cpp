// The text_format language on the three value types, with cells of a real kernel table.
#include "FormatCells.h"
#include "grid/ValueFormater.h"
#include <climits>

using namespace ClosedFund;

namespace {

const NumberPunct kPunct{L'.', L',', "\3"};

class ValueFormaterTest : public ::testing::Test {
protected:
    std::wstring real(ValueFormater<double>& f, double v) { return f.Format(cells.real(v).get()); }
    std::wstring integer(ValueFormater<int>& f, int v) { return f.Format(cells.integer(v).get()); }
    std::wstring text(ValueFormater<XStringW>& f, const std::wstring& v) { return f.Format(cells.text(v).get()); }
    FormatCells cells;
    ValueFormater<double> r{kPunct};
    ValueFormater<int> i{kPunct};
    ValueFormater<XStringW> t{kPunct};
};

} // namespace

TEST_F(ValueFormaterTest, NumberPatternsAndPrecision)
{
    EXPECT_TRUE(r.SetFormat(L"%.02f%%:*100"));
    EXPECT_EQ(real(r, 0.1234), L"12.34%");
    EXPECT_EQ(real(r, -0.05), L"-5.00%");
    EXPECT_EQ(r.Format(cells.null(L"real").get()), L"--");
    EXPECT_EQ(r.Format(nullptr), L"--");

    EXPECT_FALSE(r.SetFormat(L""));                // no text_format: precision 0, fixed
    EXPECT_EQ(real(r, 1.2345), L"1");
    EXPECT_TRUE(r.SetFormat(L"%f"));
    EXPECT_EQ(real(r, 1.5), L"1.5");
    EXPECT_EQ(real(r, 0.1234567), L"0.123457");
    EXPECT_TRUE(r.SetFormat(L"%d"));
    EXPECT_EQ(real(r, 2.6), L"3");
    EXPECT_TRUE(r.SetFormat(L"%.10f"));            // only the digit before "f" counts
    EXPECT_EQ(r.precision(), 0);

    EXPECT_TRUE(i.SetFormat(L"%5.3d"));
    EXPECT_EQ(integer(i, 42), L"42");
    EXPECT_TRUE(i.SetFormat(L"%d of"));            // the "f" of "of" is the letter
    EXPECT_EQ(i.precision(), 100);
    EXPECT_EQ(integer(i, 7), L"7");
    EXPECT_TRUE(r.SetFormat(L"100%%%.1f m%%"));
    EXPECT_EQ(real(r, 2.3), L"100%2.3 m%");

    for (const wchar_t* bad : {L"abc%", L"%x", L"%%", L"50%%off"}) {
        r.SetFormat(L"[%.3f]:*2:u;1,K:1=one");
        EXPECT_FALSE(r.SetFormat(bad)) << bad;
        EXPECT_TRUE(r.prefix().empty() && r.suffix().empty()) << bad;
        EXPECT_EQ(real(r, 1.0), L"1") << bad;       // reset: no operator, scale or map
        EXPECT_EQ(r.operatorChar(), 0) << bad;
    }
}

TEST_F(ValueFormaterTest, ArithmeticOnEachType)
{
    EXPECT_TRUE(i.SetFormat(L"%d:/3"));
    EXPECT_EQ(integer(i, 10), L"3");
    EXPECT_EQ(integer(i, -10), L"-3");
    EXPECT_TRUE(i.SetFormat(L"%d:/0"));
    EXPECT_EQ(integer(i, 10), L"0");
    EXPECT_TRUE(r.SetFormat(L"%.1f:-0.5x"));
    EXPECT_EQ(real(r, 2.0), L"1.5");
    EXPECT_FALSE(r.SetFormat(L"%.1f:x5:u;1,K:1=one"));
    EXPECT_EQ(real(r, 1.0), L"1.0");               // parts 3 and 4 were not read
    EXPECT_FALSE(r.SetFormat(L"%.1f:*"));          // operator without a number works on 0
    EXPECT_EQ(r.operatorChar(), L'*');
    EXPECT_EQ(real(r, 7.0), L"0.0");
    EXPECT_TRUE(t.SetFormat(L":*100"));
    EXPECT_EQ(text(t, L"0.5"), L"0.5");

    // Integers out of range are clamped, never undefined.
    EXPECT_TRUE(i.SetFormat(L"%d:*1e300"));
    EXPECT_EQ(integer(i, 5), L"2,147,483,647");
    EXPECT_EQ(integer(i, -5), L"-2,147,483,648");
    EXPECT_EQ(integer(i, 0), L"0");                // 0 x 1e300, not a NaN
    EXPECT_TRUE(i.SetFormat(L"%d:/-1"));
    EXPECT_EQ(integer(i, INT_MIN), L"2,147,483,647");
    EXPECT_TRUE(r.SetFormat(L"%f:*1e400"));
    EXPECT_EQ(real(r, 2.0), L"inf");
    EXPECT_EQ(real(r, 0.0), L"nan");
}

TEST_F(ValueFormaterTest, ScaleUnits)
{
    EXPECT_TRUE(r.SetFormat(L"%.2f::u;1000,K;1000000,M"));
    EXPECT_EQ(real(r, 1234567), L"1.23M");
    EXPECT_EQ(real(r, 56000), L"56.00K");
    EXPECT_EQ(real(r, 12), L"12.00u");
    EXPECT_EQ(real(r, -56000), L"-56.00K");
    EXPECT_TRUE(i.SetFormat(L"::u;1000,K"));
    EXPECT_EQ(integer(i, 999), L"999u");
    EXPECT_EQ(integer(i, 2000), L"2K");
    EXPECT_EQ(integer(i, 2500), L"2K");
    EXPECT_EQ(integer(i, -2500), L"-2K");
    EXPECT_TRUE(r.SetFormat(L"%.1f::u;1000,K"));
    EXPECT_EQ(real(r, -2000), L"-2.0K");
    EXPECT_TRUE(i.SetFormat(L"::pcs"));            // a default unit alone is never shown
    EXPECT_EQ(integer(i, 3), L"3");
    EXPECT_TRUE(t.SetFormat(L"::u;9,K;1,M"));      // text: the last unit, text unchanged
    EXPECT_EQ(text(t, L"abc"), L"abcM");

    // A zero threshold never matches (no division by zero); the others still do.
    EXPECT_TRUE(i.SetFormat(L"::u;0,Z;10,T"));
    EXPECT_EQ(integer(i, 5), L"5u");
    EXPECT_EQ(integer(i, 0), L"0u");
    EXPECT_EQ(integer(i, 20), L"2T");
    EXPECT_TRUE(r.SetFormat(L"%.1f::u;0,Z"));
    EXPECT_EQ(real(r, 5), L"5.0u");
    EXPECT_TRUE(i.SetFormat(L"::u;-1,N"));         // INT_MIN / -1 is shown, not a trap
    EXPECT_EQ(integer(i, INT_MIN), L"2,147,483,648N");

    EXPECT_FALSE(i.SetFormat(L"::u;1000,K;5;1,X:1=one"));
    EXPECT_EQ(i.scaleCount(), 1u);                 // the entry before the failure stays
    EXPECT_EQ(integer(i, 1), L"1u");
    EXPECT_FALSE(i.SetFormat(L"::u;1,a,b"));
}

TEST_F(ValueFormaterTest, SubstitutionsAndParts)
{
    EXPECT_TRUE(i.SetFormat(L"[%d]:::1=yes;0=no"));
    EXPECT_EQ(integer(i, 1), L"yes");
    EXPECT_EQ(integer(i, 0), L"no");
    EXPECT_EQ(integer(i, 2), L"[2]");
    EXPECT_TRUE(i.SetFormat(L":::5=x;5=y"));
    EXPECT_EQ(integer(i, 5), L"x");
    EXPECT_TRUE(t.SetFormat(L":::0001-01-01=--"));
    EXPECT_EQ(text(t, L"0001-01-01"), L"--");
    EXPECT_EQ(text(t, L"2015-06-30"), L"2015-06-30");
    EXPECT_EQ(text(t, L"0001-01-01 "), L"0001-01-01 ");
    EXPECT_TRUE(r.SetFormat(L"%.1f%%:*100::0.5=half"));   // matched before the arithmetic
    EXPECT_EQ(real(r, 0.5), L"half");
    EXPECT_EQ(real(r, 0.50001), L"50.0%");

    EXPECT_FALSE(t.SetFormat(L":::a=b;c"));
    EXPECT_EQ(t.substitutionCount(), 1u);
    EXPECT_EQ(text(t, L"a"), L"b");
    EXPECT_FALSE(r.SetFormat(L"%.2f:*2:u;10,K:"));        // an empty fourth part fails
    EXPECT_EQ(real(r, 30), L"6.00K");
    EXPECT_FALSE(r.SetFormat(L"%.1f::::extra"));
    EXPECT_EQ(real(r, 1), L"1.0");

    // The reset keeps the operand and the default unit, nothing else.
    EXPECT_TRUE(r.SetFormat(L"<%.1f>:*2:kg;1,t:3=x"));
    EXPECT_TRUE(r.SetFormat(L"%d"));
    EXPECT_EQ(r.operand(), 2.0);
    EXPECT_EQ(r.defaultUnit(), L"kg");
    EXPECT_EQ(r.scaleCount() + r.substitutionCount(), 0u);
    EXPECT_EQ(real(r, 3), L"3");
}

TEST_F(ValueFormaterTest, LeadingNumbersAndGrouping)
{
    EXPECT_EQ(leadingInt(L" 12abc"), 12);
    EXPECT_EQ(leadingInt(L"-7"), -7);
    EXPECT_EQ(leadingInt(L"x1"), 0);
    EXPECT_EQ(leadingInt(L"99999999999"), INT_MAX);
    EXPECT_EQ(leadingInt(L"-99999999999"), INT_MIN);
    EXPECT_EQ(leadingReal(L"1.5e3x"), 1500.0);
    EXPECT_EQ(leadingReal(L"-.5"), -0.5);
    EXPECT_EQ(leadingReal(L"2e"), 2.0);
    EXPECT_EQ(leadingReal(L"inf"), 0.0);
    EXPECT_EQ(leadingReal(L"0x10"), 0.0);

    EXPECT_EQ(groupingFromNls(L"3;0"), "\3");
    EXPECT_EQ(groupingFromNls(L"3;2;0"), std::string("\3\2"));
    EXPECT_EQ(groupingFromNls(L"3"), std::string("\3\x7f"));
    EXPECT_EQ(groupingFromNls(L"0"), "");
    EXPECT_EQ(groupingFromNls(L""), "");

    ValueFormater<double> comma({L',', L'.', groupingFromNls(L"3;0")});
    comma.SetFormat(L"%.2f");
    EXPECT_EQ(comma.Format(cells.real(-1234567.891).get()), L"-1.234.567,89");
    ValueFormater<int> indian({L'.', L',', groupingFromNls(L"3;2;0")});
    indian.SetFormat(L"%d");
    EXPECT_EQ(indian.Format(cells.integer(12345678).get()), L"1,23,45,678");
    ValueFormater<int> once({L'.', L' ', groupingFromNls(L"3")});
    once.SetFormat(L"%d");
    EXPECT_EQ(once.Format(cells.integer(1234567).get()), L"1234 567");
}
