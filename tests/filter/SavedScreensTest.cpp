// Saved screens as stored text: every condition comes back exactly, whatever the texts hold,
// and a line that cannot be read is set apart, never guessed at.
#include "filter/SavedScreens.h"
#include <gtest/gtest.h>

using ClosedFund::SavedScreen;
using Common::XStringW;

TEST(SavedScreens, ComeBackExactlyAndDamagedLinesAreSetApart)
{
    SavedScreen screen;
    screen.name = L"深折价 | 50%=好\t";
    screen.values = {{L"company", {L"甲号-基金", L"a|b=c%d"}}, {L"investstyle", {L"成长型"}}};
    screen.keywords = {L"500 基金", L"line\nbreak"};
    ClosedFund::NumericRange range;
    range.hasHigh = true;
    range.high = -15.5;
    screen.ranges = {{L"pricevaluerate", range}};
    range.hasLow = true;
    range.low = 1;
    range.high = 3;
    screen.ranges.push_back({L"date_due", range});
    screen.search = L"150%0A";
    screen.sortColumn = L"pricevaluerate";
    screen.sortDescending = true;
    SavedScreen plain;
    plain.name = L"全部";

    const std::wstring text = ClosedFund::encodeScreens({screen, plain}) + L"name=坏%G1\n" + L"v=company|甲\n" +
                              L"name=坏的范围\tn=date_due|abc|\n" + L"name=新版本\tx=unknown field\n";
    std::vector<XStringW> broken;
    std::vector<SavedScreen> back = ClosedFund::decodeScreens(text, broken);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].name, screen.name);
    EXPECT_EQ(back[0].values, screen.values);
    EXPECT_EQ(back[0].keywords, screen.keywords);
    ASSERT_EQ(back[0].ranges.size(), 2u);
    EXPECT_FALSE(back[0].ranges[0].second.hasLow);
    EXPECT_DOUBLE_EQ(back[0].ranges[0].second.high, -15.5);
    EXPECT_DOUBLE_EQ(back[0].ranges[1].second.low, 1);
    EXPECT_DOUBLE_EQ(back[0].ranges[1].second.high, 3);
    EXPECT_EQ(back[0].search, screen.search);
    EXPECT_EQ(back[0].sortColumn, screen.sortColumn);
    EXPECT_TRUE(back[0].sortDescending);
    EXPECT_EQ(back[1].name, L"全部");
    EXPECT_TRUE(back[1].sortColumn.empty());
    EXPECT_EQ(back[2].name, L"新版本"); // a later version's field is left alone
    EXPECT_EQ(broken, (std::vector<XStringW>{L"name=坏%G1", L"v=company|甲", L"name=坏的范围\tn=date_due|abc|"}));
}
