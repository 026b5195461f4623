// The printer's terminal layout: numbers stand on their decimal points, and a person's
// column names choose the columns of the sample's funds, hidden ones too. The width and the
// note of left-out columns are checked through scripts/run (RunPrintTest).
#include "PageHost.h"
#include "PrintedLines.h"
#include "data/FundTable.h"
#include "table/ColumnChoice.h"
#include "table/ShownTable.h"
#include "table/TerminalText.h"
#include <gtest/gtest.h>

using namespace PrintedLines;
using FundTableText::Align;
using FundTableText::ShownTable;

namespace {

// The sample's funds in the printer's grid, loaded as the tools load it.
class ChosenColumns : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_ = PageTests::makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample);
        ASSERT_TRUE(db_ && db_->isOpen());
        themes_ = Host::openThemeMgr(TestSupport::shippedThemeFolder().c_str(), "light");
        ASSERT_TRUE(themes_);
        XStringW error;
        ASSERT_TRUE(
            FundTableText::loadFundGrid(grid_, db_.get(), themes_->getCurrentTheme().get(), L"2026-06-30", error))
            << Common::toUtf8(error);
        table_ = FundTableText::shownTable(grid_);
        ASSERT_GT(table_.columns.size(), 10u);
    }

    TestSupport::TempDir dir_;
    XComPtr<Host::IDatabase> db_;
    XComPtr<Host::IThemeMgr> themes_;
    ClosedFund::closedFundGrid grid_;
    ShownTable table_;
};

} // namespace

// Decimals of different lengths, whole numbers, percentages and placeholders in one column
// stand on one decimal point, right-aligned; a column with a word in it keeps its own
// alignment though it holds a number too.
TEST(TerminalText, NumbersStandOnTheirDecimalPointsAndTextsKeepTheirAlignment)
{
    ShownTable mixed;
    mixed.columns = {{L"n", L"数", Align::Center, L"数"}, {L"t", L"名", Align::Center, L"名"}};
    mixed.rows = {{L"1.5", L"甲"}, {L"-123.25%", L"乙丙"}, {L"--", L"1.5"}, {L"7", L""}, {L"", L"x"}};
    std::vector<std::wstring> printed = linesOf(FundTableText::terminalText(mixed));
    ASSERT_EQ(printed.size(), 7u);
    EXPECT_EQ(printed[0], L"      数   名");
    EXPECT_EQ(printed[2], L"   1.5     甲");
    EXPECT_EQ(printed[3], L"-123.25%  乙丙");
    EXPECT_EQ(printed[4], L"      --  1.5");
    EXPECT_EQ(printed[5], L"   7");
    EXPECT_EQ(printed[6], L"           x");
}

TEST_F(ChosenColumns, FollowTheCaptionsGivenInTheirOrder)
{
    EXPECT_EQ(FundTableText::columnNames(L" 代码，名称,, 2026-06-26 单位净值 ,"),
              (std::vector<XStringW>{L"代码", L"名称", L"2026-06-26 单位净值"}));

    // Own titles and whole captions, a hidden column, a name given twice.
    const XStringW date = grid_.DataDate();
    ShownTable chosen;
    XStringW error;
    ASSERT_TRUE(FundTableText::chosenTable(grid_, {L"折价率", date + L" 累计净值", L"剩余期限", L"折价率", L"代码"},
                                           chosen, error))
        << Common::toUtf8(error);
    ASSERT_EQ(chosen.columns.size(), 4u);
    EXPECT_EQ(chosen.columns[0].name, L"pricevaluerate");
    EXPECT_EQ(chosen.columns[1].caption, date + L" 累计净值");
    EXPECT_EQ(chosen.columns[2].name, L"date_due");
    EXPECT_EQ(chosen.columns[3].name, L"aliascode");
    ASSERT_EQ(chosen.rows.size(), table_.rows.size());
    for (size_t r = 0; r < chosen.rows.size(); ++r) {
        EXPECT_EQ(chosen.rows[r][0], table_.rows[r][9]) << r;
        EXPECT_EQ(chosen.rows[r][1], table_.rows[r][4]) << r;
        EXPECT_EQ(chosen.rows[r][3], table_.rows[r][1]) << r;
        Control::HeaderInfo2 term(L"date_due");
        XStringW shown;
        grid_.GetItemText(int(r), term, shown);
        EXPECT_EQ(chosen.rows[r][2], shown) << r;
    }
    std::vector<std::wstring> lines = linesOf(FundTableText::terminalText(chosen, 120));
    EXPECT_EQ(cellsOf(lines[0].substr(0, lines[0].find(L"折价率") + 3)), int(columnsOf(lines[1])[0].width))
        << "a column of numbers has its caption at its right";

    // Names that match nothing are named, with every title that would.
    EXPECT_FALSE(FundTableText::chosenTable(grid_, {L"代码", L"净值", L"code"}, chosen, error));
    EXPECT_EQ(error.find(L"没有这样的列：净值、code。可选的列："), 0u) << Common::toUtf8(error);
    for (const wchar_t* title : {L"序号", L"排序", L"单位净值", L"基金公司", L"剩余期限", L"持有人户数"})
        EXPECT_NE(error.find(title), std::wstring::npos) << Common::toUtf8(error);
    EXPECT_FALSE(FundTableText::chosenTable(grid_, {}, chosen, error));
    EXPECT_EQ(error.find(L"没有给出列名"), 0u) << Common::toUtf8(error);
}
