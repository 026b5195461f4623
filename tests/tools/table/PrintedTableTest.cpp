// The fund table the tools print: the same columns, captions and cell texts as the page's
// grid loaded from the same sample database, and a terminal layout that counts a Chinese
// character as two cells.
#include "PageHost.h"
#include "PrintedLines.h"
#include "data/FundTable.h"
#include "page/ClosedFundPage.h"
#include "table/ShownTable.h"
#include "table/TerminalText.h"
#include <gtest/gtest.h>

using namespace PageTests;
using FundTableText::Align;
using FundTableText::displayWidth;
using PrintedLines::linesOf;

namespace {

class PrintedTable : public PageFixture {};

} // namespace

TEST_F(PrintedTable, MatchesWhatThePageShowsForTheSampleDatabase)
{
    XComPtr<Host::IDatabase> db = makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample);
    ASSERT_TRUE(db && db->isOpen());
    page_.setDatabase(db.get());
    page_.reload(false);
    ClosedFund::closedFundGrid& shown = page_.grid();
    ASSERT_GT(shown.GetRowsCount(), 0);

    ClosedFund::closedFundGrid printed;
    XStringW error;
    ASSERT_TRUE(FundTableText::loadFundGrid(printed, db.get(), app_.themes->getCurrentTheme().get(),
                                            ClosedFund::localReferenceDate(), error))
        << Common::toUtf8(error);
    FundTableText::ShownTable table = FundTableText::shownTable(printed);

    // The page's shown columns in its order; the hidden running number is not among them, and
    // the net values carry the database's data date as their group caption.
    ASSERT_EQ(int(table.columns.size()), shown.GetColumnCount());
    for (int c = 0; c < shown.GetColumnCount(); ++c) EXPECT_EQ(table.columns[c].name, shown.GetColumnInfo(c)->name);
    XStringW date;
    ASSERT_TRUE(ClosedFund::readDataDate(db.get(), date));
    ASSERT_FALSE(date.empty());
    EXPECT_EQ(table.columns[0].caption, L"排序");
    EXPECT_EQ(table.columns[3].caption, date + L" 单位净值");
    EXPECT_EQ(table.columns[4].caption, date + L" 累计净值");
    EXPECT_EQ(table.columns.back().caption, L"基金公司");
    EXPECT_EQ(table.columns[2].align, Align::Left); // the name
    EXPECT_EQ(table.columns[1].align, Align::Center);

    // Every cell as the page's grid shows it; the company without its pinyin initial.
    ASSERT_EQ(int(table.rows.size()), shown.GetRowsCount());
    int shortened = 0;
    for (int r = 0; r < shown.GetRowsCount(); ++r) {
        for (int c = 0; c < shown.GetColumnCount(); ++c) {
            Control::HeaderInfo2 column = *shown.GetColumnInfo(c);
            XStringW expected;
            shown.GetItemText(r, column, expected);
            EXPECT_EQ(table.rows[r][c], expected) << "row " << r << " column " << Common::toUtf8(column.name);
        }
        XComPtr<Host::IColumnItem> stored = shown.DisplayView()->getRow(r)->getItem(L"company");
        if (stored && !stored->isNull() && stored->getText().find(L'-') == 1) {
            EXPECT_EQ(table.rows[r].back(), stored->getText().substr(2));
            ++shortened;
        }
    }
    EXPECT_GT(shortened, 0);

    // The terminal text holds the caption line, a rule and one line per fund.
    EXPECT_EQ(linesOf(FundTableText::terminalText(table)).size(), table.rows.size() + 2);
}

TEST(PrintedTableText, CountsWideCharactersAsTwoCellsWhenAligning)
{
    EXPECT_EQ(displayWidth(U'A'), 1);
    EXPECT_EQ(displayWidth(U'中'), 2);
    EXPECT_EQ(displayWidth(U'\x3000'), 2);                  // ideographic space
    EXPECT_EQ(displayWidth(U'\xFF21'), 2);                  // fullwidth A
    EXPECT_EQ(displayWidth(U'\xFF71'), 1);                  // halfwidth katakana
    EXPECT_EQ(displayWidth(U'\x0301'), 0);                  // combining acute
    EXPECT_EQ(displayWidth(XStringW(L"\xD840\xDC00x")), 3); // a supplementary ideograph, then x
    EXPECT_EQ(displayWidth(XStringW(L"e\x0301%")), 2);

    FundTableText::ShownTable table;
    table.columns = {{L"name", L"名称", Align::Left, L"名称"},
                     {L"code", L"代码", Align::Right, L"代码"},
                     {L"t", L"类", Align::Center, L"类"}};
    table.rows = {{L"甲基金", L"1", L"股"}, {L"AB", L"150001", L"x"}, {L"a\tb", L"\xD840\xDC00", L""}};
    std::vector<std::wstring> lines = linesOf(FundTableText::terminalText(table));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], L"名称      代码  类");
    EXPECT_EQ(lines[1], L"------  ------  --");
    EXPECT_EQ(lines[2], L"甲基金       1  股");
    EXPECT_EQ(lines[3], L"AB      150001  x");
    EXPECT_EQ(lines[4], L"a b         \xD840\xDC00"); // the tab shown as a blank; no trailing blanks
}
