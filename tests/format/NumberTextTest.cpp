// The formatter writes numbers itself for speed; what it writes must be exactly what a wide
// stream imbued with the same punctuation writes. Also: generated formats never break it.
#include "FormatCells.h"
#include "grid/ValueFormater.h"
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

using namespace ClosedFund;

namespace {

std::wstring viaStream(const std::locale& locale, double v, int decimals)
{
    std::wostringstream s;
    s.imbue(locale);
    if (decimals >= 0) {
        s << std::fixed;
        s.precision(decimals);
    }
    s << v;
    return s.str();
}

std::vector<double> sampleReals(size_t count)
{
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> values = {0.0, -0.0, 1e-5, 1234567.0, 0.1234567, 999999.5, 9999995.0, 0.5, 1.5, 2.5,
                                  -1e20, 1.5e20, DBL_MAX, -DBL_MAX, DBL_MIN, 5e-324, inf, -inf, std::nan("")};
    std::mt19937_64 rng(20261201);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 24);
    while (values.size() < count) {
        double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        if (values.size() % 7 == 0) {   // any bit pattern: subnormals, NaNs, huge values
            uint64_t bits = rng();
            std::memcpy(&v, &bits, sizeof(v));
        }
        values.push_back(v);
    }
    return values;
}

std::vector<NumberPunct> samplePuncts()
{
    return {userNumberPunct(), {L'.', L',', "\3"}, {L',', L'.', "\3"}, {L'.', L',', "\3\2"},
            {L'.', L'\x00a0', "\3\x7f"}, {L'.', L',', ""}, {L'\x00b7', L'\'', "\1"}};
}

} // namespace

TEST(NumberText, MatchesTheImbuedStream)
{
    std::vector<double> reals = sampleReals(1500);
    std::mt19937_64 rng(7);
    std::vector<long long> ints = {0, 1, -1, 999, 1000, -1000, INT_MAX, INT_MIN, LLONG_MAX, LLONG_MIN};
    while (ints.size() < 500) ints.push_back(static_cast<long long>(rng()) >> (rng() % 63));

    for (const NumberPunct& punct : samplePuncts()) {
        std::locale locale = makeNumberLocale(punct);
        int mismatches = 0;
        for (double v : reals) {
            for (int decimals = -1; decimals <= 9 && mismatches < 5; ++decimals) {
                std::wstring ours;
                appendReal(ours, v, decimals, punct);
                std::wstring expected = viaStream(locale, v, decimals);
                if (ours != expected) ++mismatches;
                EXPECT_EQ(ours, expected) << "value " << v << " decimals " << decimals;
            }
        }
        for (long long v : ints) {
            std::wstring ours;
            appendInteger(ours, v, punct);
            std::wostringstream s;
            s.imbue(locale);
            s << v;
            EXPECT_EQ(ours, s.str());
        }
    }
}

TEST(NumberText, FormatterFollowsTheUserLocale)
{
    FormatCells cells;
    ValueFormater<double> percent, plain;
    ValueFormater<int> integer;
    percent.SetFormat(L"%.02f%%:*100");
    plain.SetFormat(L"%f");
    integer.SetFormat(L"%d");
    for (double v : sampleReals(400)) {
        XComPtr<Host::IColumnItem> cell = cells.real(v);
        if (cell->isNull()) {   // the table keeps a NaN as NULL, as SQLite does
            EXPECT_EQ(percent.Format(cell.get()), L"--");
            continue;
        }
        EXPECT_EQ(percent.Format(cell.get()), viaStream(userNumberLocale(), v * 100, 2) + L"%");
        EXPECT_EQ(plain.Format(cell.get()), viaStream(userNumberLocale(), v, -1));
    }
    std::wostringstream s;
    s.imbue(userNumberLocale());
    s << 1234567;
    EXPECT_EQ(integer.Format(cells.integer(1234567).get()), s.str());
}

// A random format text built from the language's own characters, sometimes very long.
static std::wstring randomFormat(std::mt19937& rng)
{
    static const wchar_t* const tokens[] = {L":", L";", L",", L"=", L"%", L"%%", L"f", L"d", L".", L"0", L"1", L"5",
                                            L"9", L"-", L"+", L"*", L"/", L"e", L"x", L"K", L" ", L"\x4e07", L"1e400"};
    const size_t tokenCount = sizeof(tokens) / sizeof(tokens[0]);
    size_t length = rng() % 50 == 0 ? 4000 : rng() % 30;
    std::wstring format;
    while (format.size() < length) format += tokens[rng() % tokenCount];
    return format;
}

TEST(NumberText, GeneratedFormatsNeverBreakTheFormatter)
{
    FormatCells cells;
    std::vector<XComPtr<Host::IColumnItem>> realCells, intCells, textCells;
    for (double v : sampleReals(40)) realCells.push_back(cells.real(v));
    for (int v : {0, 1, -1, 7, 1000, -2500, INT_MAX, INT_MIN}) intCells.push_back(cells.integer(v));
    for (const wchar_t* v : {L"", L"0", L"-3.5", L"0001-01-01", L"\x57fa\x91d1", L"1e400"}) textCells.push_back(cells.text(v));
    textCells.push_back(cells.text(std::wstring(5000, L'9')));
    for (const wchar_t* column : {L"real", L"int", L"text"}) {
        realCells.push_back(cells.null(column));
        intCells.push_back(cells.null(column));
        textCells.push_back(cells.null(column));
    }

    std::mt19937 rng(4242);
    ValueFormater<double> real;
    ValueFormater<int> integer;
    ValueFormater<XStringW> text;
    auto check = [](auto& formater, const std::wstring& format, const std::vector<XComPtr<Host::IColumnItem>>& cellList) {
        formater.SetFormat(format);
        for (const XComPtr<Host::IColumnItem>& cell : cellList) {
            XStringW shown = formater.Format(cell.get());
            // Everything shown comes from the format (twice at most: prefix/suffix and
            // unit, or a replacement), the value and one number.
            ASSERT_LE(shown.size(), 2 * format.size() + cell->getText().size() + 400) << format.c_str();
            if (cell->isNull()) {
                ASSERT_EQ(shown, L"--");
            }
        }
    };
    for (int n = 0; n < 3000; ++n) {
        std::wstring format = randomFormat(rng);
        check(real, format, realCells);
        check(integer, format, intCells);
        check(text, format, textCells);
    }
}
