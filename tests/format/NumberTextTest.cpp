// The formatter writes numbers itself for speed; what it writes must be exactly what a wide
// stream imbued with the same punctuation writes. Also: generated formats never break it.
#include "FormatCells.h"
#include "grid/ValueFormater.h"
#include <windows.h>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <random>
#include <sstream>

using namespace ClosedFund;

namespace {

template <class V>
std::wstring viaStream(const std::locale& locale, V v, int decimals = -1)
{
    std::wostringstream s;
    s.imbue(locale);
    if (decimals >= 0) s << std::fixed << std::setprecision(decimals);
    s << v;
    return s.str();
}

// Fixed samples, then random magnitudes; every seventh is any bit pattern (subnormal, NaN...).
std::vector<double> sampleReals(size_t count)
{
    std::vector<double> values = {0.0,       -0.0,   -1e-9,    1e-5,      1234567.0,   0.1234567, 999999.5,
                                  9999995.0, 2.5,    0.125,    1.005,     -1e20,       1.5e20,    DBL_MAX,
                                  -DBL_MAX,  5e-324, HUGE_VAL, -HUGE_VAL, std::nan("")};
    std::mt19937_64 rng(20261201);
    while (values.size() < count) {
        double v = (double(rng() % 20001) / 1000 - 10) * std::pow(10.0, int(rng() % 37) - 12);
        uint64_t bits = rng();
        if (values.size() % 7 == 0) std::memcpy(&v, &bits, sizeof(v));
        values.push_back(v);
    }
    return values;
}

} // namespace

TEST(NumberText, MatchesTheImbuedStream)
{
    std::vector<double> reals = sampleReals(1500);
    std::vector<long long> ints = {0, -1, 999, -1000, INT_MAX, INT_MIN, LLONG_MAX, LLONG_MIN};
    std::mt19937_64 rng(7);
    while (ints.size() < 500) ints.push_back(static_cast<long long>(rng()) >> (rng() % 63));
    std::vector<NumberPunct> puncts = {userNumberPunct(),       {L'.', L',', "\3"},          {L',', L'.', "\3"},
                                       {L'.', L',', "\3\2"},    {L'.', L'\x00a0', "\3\x7f"}, {L'.', L',', ""},
                                       {L'\x00b7', L'\'', "\1"}};
    for (const NumberPunct& punct : puncts) {
        std::locale locale = makeNumberLocale(punct);
        int mismatches = 0;
        for (size_t n = 0; n < reals.size() && mismatches < 5; ++n) {
            for (int decimals = -1; decimals <= 9; ++decimals) {
                std::wstring ours;
                appendReal(ours, reals[n], decimals, punct);
                mismatches += ours != viaStream(locale, reals[n], decimals);
                EXPECT_EQ(ours, viaStream(locale, reals[n], decimals)) << reals[n] << " decimals " << decimals;
            }
        }
        for (long long v : ints) {
            std::wstring ours;
            appendInteger(ours, v, punct);
            EXPECT_EQ(ours, viaStream(locale, v));
        }
    }
}

TEST(NumberText, FormatterFollowsTheUserLocale)
{
    FormatCells cells;
    ValueFormater<double> percent;
    ValueFormater<int> integer;
    percent.SetFormat(L"%.02f%%:*100");
    integer.SetFormat(L"%d");
    for (double v : sampleReals(400)) {
        XComPtr<Host::IColumnItem> cell = cells.real(v); // the table keeps a NaN as NULL
        EXPECT_EQ(percent.Format(cell.get()),
                  cell->isNull() ? L"--" : viaStream(userNumberLocale(), v * 100, 2) + L"%");
    }
    EXPECT_EQ(integer.Format(cells.integer(-1234567).get()), viaStream(userNumberLocale(), -1234567));

    // The punctuation really is the user's: NLS itself, with the locale's own number of
    // decimals, writes a positive four-digit value the same way (one separator at most).
    wchar_t digits[8] = {};
    ASSERT_GT(GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_IDIGITS, digits, 8), 0);
    ValueFormater<double> local;
    EXPECT_TRUE(local.SetFormat(L"%." + std::wstring(digits) + L"f"));
    wchar_t nls[64] = {};
    ASSERT_GT(GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, L"1234.5", nullptr, nls, 64), 0);
    EXPECT_EQ(local.Format(cells.real(1234.5).get()), std::wstring(nls));
}

// A random format text from the language's own characters, sometimes very long.
static std::wstring randomFormat(std::mt19937& rng)
{
    static const wchar_t* const tokens[] = {L":", L";", L",", L"=", L"%", L"%%",     L"f",    L"d",
                                            L".", L"0", L"1", L"5", L"9", L"-",      L"+",    L"*",
                                            L"/", L"e", L"x", L"K", L" ", L"\x4e07", L"1e400"};
    size_t length = rng() % 50 == 0 ? 4000 : rng() % 30;
    std::wstring format;
    while (format.size() < length) format += tokens[rng() % (sizeof(tokens) / sizeof(tokens[0]))];
    return format;
}

TEST(NumberText, GeneratedFormatsNeverBreakTheFormatter)
{
    FormatCells cells;
    std::vector<XComPtr<Host::IColumnItem>> reals, ints, texts;
    for (double v : sampleReals(40)) reals.push_back(cells.real(v));
    for (int v : {0, 1, -1, 7, 1000, -2500, INT_MAX, INT_MIN}) ints.push_back(cells.integer(v));
    for (const wchar_t* v : {L"", L"0", L"-3.5", L"0001-01-01", L"\x57fa\x91d1", L"1e400"})
        texts.push_back(cells.text(v));
    texts.push_back(cells.text(std::wstring(5000, L'9')));
    for (auto* list : {&reals, &ints, &texts}) {
        for (const wchar_t* column : {L"real", L"int", L"text"}) list->push_back(cells.null(column));
    }
    auto check = [](auto& formater, const std::wstring& format, const std::vector<XComPtr<Host::IColumnItem>>& list) {
        formater.SetFormat(format);
        for (const XComPtr<Host::IColumnItem>& cell : list) {
            XStringW shown = formater.Format(cell.get());
            // All shown comes from the format (at most twice: prefix and suffix, unit), the
            // cell's text and one number.
            ASSERT_LE(shown.size(), 2 * format.size() + cell->getText().size() + 400) << format.c_str();
            ASSERT_TRUE(!cell->isNull() || shown == L"--") << format.c_str();
        }
    };
    std::mt19937 rng(4242);
    ValueFormater<double> real;
    ValueFormater<int> integer;
    ValueFormater<XStringW> text;
    for (int n = 0; n < 3000; ++n) {
        std::wstring format = randomFormat(rng);
        check(real, format, reals);
        check(integer, format, ints);
        check(text, format, texts);
    }
}
