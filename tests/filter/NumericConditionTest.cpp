// Numeric conditions compare the number a person reads in a cell, in the unit it is shown:
// typed as on screen, matched against the shown (scaled, rounded) value, "--" never passing.
#include "FilterWndTest.h"
#include "filter/NumericFilter.h"

using ClosedFund::NumericColumn;
using ClosedFund::NumericFilter;
using ClosedFund::NumericRange;

namespace {

NumericColumn column(const wchar_t* name, const wchar_t* caption, const wchar_t* unit, double scale, int decimals)
{
    NumericColumn c;
    c.name = name;
    c.caption = caption;
    c.unit = unit;
    c.scale = scale;
    c.decimals = decimals;
    return c;
}

const NumericColumn kRate = column(L"pricevaluerate", L"折价率", L"%", 100, 2);
const NumericColumn kTerm = column(L"date_due", L"剩余期限", L"年", 1, -1);
const NumericColumn kSize = column(L"quotient", L"基金份额", L"亿份", 1e-8, 2);

NumericRange range(bool hasLow, double low, bool hasHigh, double high)
{
    NumericRange r;
    r.hasLow = hasLow;
    r.low = low;
    r.hasHigh = hasHigh;
    r.high = high;
    return r;
}

} // namespace

TEST(NumericCondition, NumbersReadAsAPersonTypesAndSeesThem)
{
    struct Typed {
        const wchar_t* text;
        const wchar_t* unit;
        bool ok;
        double value;
    } typed[] = {
        {L"-15", L"%", true, -15}, {L"-15%", L"%", true, -15},     {L" 1,234.5 ", L"", true, 1234.5},
        {L"3 年", L"年", true, 3}, {L"12亿份", L"亿份", true, 12}, {L"1.05", L"", true, 1.05},
        {L"", L"", false, 0},      {L"--", L"", false, 0},         {L"1.2.3", L"", false, 0},
        {L"abc", L"", false, 0},   {L"5年", L"%", false, 0},
    };
    for (const Typed& t : typed) {
        double value = 0;
        EXPECT_EQ(ClosedFund::parseTypedNumber(t.text, t.unit, value), t.ok) << Common::toUtf8(t.text);
        if (t.ok) {
            EXPECT_DOUBLE_EQ(value, t.value) << Common::toUtf8(t.text);
        }
    }

    struct Shown {
        const wchar_t* stored;
        const NumericColumn& column;
        bool shows;
        double value;
    } shown[] = {
        {L"-0.208206", kRate, true, -20.82},
        {L"-0.149996", kRate, true, -15.0},
        {L"0.019778", kRate, true, 1.98},
        {L"3400000000.0", kSize, true, 34},
        {L"2.81", kTerm, true, 2.81},
        {L"已到期", kTerm, true, 0},
        {L"--", kTerm, false, 0},
        {L"", kRate, false, 0},
        {L" ", kTerm, false, 0},
    };
    for (const Shown& s : shown) {
        double value = 0;
        const std::wstring text = s.stored;
        EXPECT_EQ(ClosedFund::shownNumber(text.data(), text.size(), s.column, value), s.shows) << Common::toUtf8(text);
        if (s.shows) {
            EXPECT_DOUBLE_EQ(value, s.value) << Common::toUtf8(text);
        }
    }

    EXPECT_EQ(ClosedFund::rangeCaption(kRate, range(false, 0, true, -15)), L"折价率 ≤ -15%");
    EXPECT_EQ(ClosedFund::rangeCaption(kTerm, range(true, 1, true, 3)), L"剩余期限 1–3 年");
    EXPECT_EQ(ClosedFund::rangeCaption(kSize, range(true, 12.5, false, 0)), L"基金份额 ≥ 12.5 亿份");
}

// Through the host's table, and in contract-only mode through the client's interface: the
// filter keeps the rows whose shown number lies in the range, ends included.
TEST(NumericCondition, TheFilterKeepsTheRowsWhoseShownNumberIsInRange)
{
    XComPtr<Host::IDataTable> table = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    auto* host = dynamic_cast<Host::IDataTableHost*>(table.get());
    ASSERT_TRUE(host);
    ClosedFund::noteFundRowsReplaced();
    host->addColumn(L"pricevaluerate", Host::VALUE_TEXT);
    host->addColumn(L"date_due", Host::VALUE_TEXT);
    const wchar_t* rows[][2] = {{L"-0.208206", L"2.81"}, {L"-0.15", L"已到期"}, {L"-0.149996", L"0.5"},
                                {L"-0.1", L"--"},        {L"--", L"1"},         {L"", L"3.2"}};
    for (const auto& cells : rows) {
        int row = host->appendRow();
        for (int c = 0; c < 2; ++c) host->setTextAt(row, c, cells[c], wcslen(cells[c]));
    }
    host->commitFill();
    auto kept = [&](const NumericColumn& c, const NumericRange& r) {
        XComPtr<NumericFilter> filter = XComPtr<NumericFilter>::adopt(new NumericFilter(c));
        filter->SetRange(r);
        std::vector<int> shown = {0, 1, 2, 3, 4, 5};
        int count = int(shown.size());
        filter->filterRows(table.get(), shown.data(), &count);
        shown.resize(size_t(count));
        return shown;
    };
    // -0.149996 shows as -15.00%: it is kept, as a person reading the screen expects.
    EXPECT_EQ(kept(kRate, range(false, 0, true, -15)), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(kept(kRate, range(true, -16, true, -10)), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(kept(kTerm, range(false, 0, true, 1)), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(kept(kTerm, range(true, 1, true, 3)), (std::vector<int>{0, 4}));
    // A column the table lacks narrows nothing.
    EXPECT_EQ(kept(kSize, range(true, 1, false, 0)).size(), 6u);
}
