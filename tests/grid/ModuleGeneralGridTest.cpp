// The general data grid over the kernel's views: column attributes, cell texts and colours,
// the running number and rank, sorting and reloading with the selected fund kept.
#include "FundGridFixture.h"
#include "grid/ColumnFormat.h"
#include "hostapi/ThemeHost.h"

using namespace FundGridTests;

namespace {

// Drops the rows whose code is one of codes (a real filter of the display view), reading
// cells as a module's filter must: through the client's interface.
class DropCodes : public Host::IDataFilter {
public:
    explicit DropCodes(std::set<std::wstring> codes) : codes_(std::move(codes)) {}
    int addRef() override { return 1; }
    int release() override { return 1; }
    void filterRows(Host::IDataContainer* c, int* rows, int* count) override
    {
        int column = c->getColumnIndex(L"code"), kept = 0;
        for (int i = 0; i < *count; ++i) {
            XComPtr<Host::IDataRow> row = c->getRow(rows[i]);
            XComPtr<Host::IColumnItem> cell = row ? row->getItemAt(column) : nullptr;
            if (!cell || !codes_.count(cell->getText())) rows[kept++] = rows[i];
        }
        *count = kept;
    }
private:
    std::set<std::wstring> codes_;
};

COLORREF hex(unsigned rgb) { return RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// code, aliascode, name, value, increase, increasepercent, pricevaluerate, expiredate, company
std::vector<std::vector<std::wstring>> fourFunds()
{
    return {{L"150001", L"150001", L"甲基金", L"1.5", L"0.01", L"0.0123", L"-0.05", L"2028-01-01", L"J-甲号"},
            {L"150002", L"150002", L"乙基金", L"1.5", L"-0.02", L"-0.012", L"-0.20", L"0001-01-01", L"Y-乙号"},
            {L"150003", L"150003", L"丙基金", L"1.5", L"0", L"0", L"-0.10", L"2027-05-05", L"B-丙号"},
            {L"150004", L"150004", L"丁基金", L"1.5", L"\x01", L"\x01", L"-0.01", L"2026-12-31", L"D-丁号"}};
}

} // namespace

TEST_F(FundGridTest, ColumnAttributesAreReadAsWritten)
{
    EXPECT_EQ(ClosedFund::dataTypeOf(L"double"), Host::VALUE_REAL);
    EXPECT_EQ(ClosedFund::dataTypeOf(L"D"), Host::VALUE_TEXT);
    EXPECT_EQ(ClosedFund::dataTypeOf(L"int"), Host::VALUE_INT);
    fill(fourFunds());
    ASSERT_EQ(grid_.SetHeaderText(
                  L"<header>"
                  L"<item title=\"v\" name=\"value\" data_type=\"double\" text_format=\"%.1f:*2\"/>"
                  L"<item title=\"i\" name=\"increase\" data_type=\"D\" text_format=\"%.1f:*2\" sortable=\"False\"/>"
                  L"<item title=\"p\" name=\"increasepercent\" data_type=\"i\" sortable=\"no\"/>"
                  L"<item title=\"r\" name=\"pricevaluerate\" sortable=\"false\"/>"
                  L"<item title=\"e\" name=\"expiredate\" text_format=\":::0001-01-01=--\"/>"
                  L"<item title=\"c\" name=\"code\"/>"
                  L"</header>"),
              1);
    grid_.SortedView()->rebuild(1);
    EXPECT_EQ(text(0, L"value"), L"3.0");     // real: operator and one decimal
    EXPECT_EQ(text(0, L"increase"), L"0.01"); // 'D' is text: the format's number part has no effect
    EXPECT_EQ(text(1, L"increasepercent"), L"0");
    EXPECT_EQ(text(3, L"increasepercent"), L"--"); // NULL
    EXPECT_EQ(text(1, L"expiredate"), L"--");
    EXPECT_EQ(text(0, L"expiredate"), L"2028-01-01");
    EXPECT_EQ(text(0, L"company"), L"甲号"); // no header item: the field's own text, shortened

    std::vector<std::wstring> before = codes();
    EXPECT_TRUE(grid_.sort(L"increase", 1)); // 'False' keeps the column sortable
    EXPECT_TRUE(grid_.sort(L"increasepercent", 1));
    before = codes();
    EXPECT_FALSE(grid_.sort(L"pricevaluerate", 0)); // only "false" turns sorting off
    EXPECT_FALSE(grid_.sort(L"nosuchcolumn", 0));   // no header item
    EXPECT_EQ(codes(), before);
}

TEST_F(FundGridTest, SignColoursColourKeysAndWatchedFunds)
{
    fill(fourFunds());
    loadHeader();
    const COLORREF zero = hex(0x333333), positive = hex(0xD01010), negative = hex(0x008A00);
    auto signOf = [&](const wchar_t* shown) {
        Control::HeaderInfo2 info(L"increase");
        COLORREF c = CLR_INVALID;
        grid_.GetItemColor(0, info, shown, c);
        return c;
    };
    for (const wchar_t* t : {L"--", L"", L"0.00%", L"-0.00%", L"abc"}) EXPECT_EQ(signOf(t), zero) << Common::toUtf8(t);
    EXPECT_EQ(signOf(L"-1.20%"), negative);
    EXPECT_EQ(signOf(L"3.4"), positive);
    EXPECT_EQ(signOf(L"+3.4"), positive);
    EXPECT_EQ(signOf(L" -1.2"), positive); // the sign must be the first character
    EXPECT_EQ(color(1, L"increasepercent"), negative);
    EXPECT_EQ(color(0, L"value"), hex(0x333333)); // list_prev_data
    EXPECT_EQ(color(0, L"name"), hex(0x1A3E8C));  // list_name

    watch_.codes = {L"150002"};
    grid_.ThemeBlock().SetColor("list_highlight", RGB(1, 2, 3));
    EXPECT_EQ(color(1, L"aliascode"), hex(0xC05A00)); // the general grid's highlight
    EXPECT_EQ(color(1, L"name"), RGB(1, 2, 3));       // the closed-fund grid's block colour
    EXPECT_EQ(color(1, L"code"), RGB(1, 2, 3));
    EXPECT_EQ(color(1, L"increase"), negative); // other cells as usual
    EXPECT_EQ(color(0, L"name"), hex(0x1A3E8C));

    // A new theme recolours cached formats and the value colours of every grid.
    XComPtr<Host::IThemeMgrHost> themes = app_.themes.cast<Host::IThemeMgrHost>();
    ASSERT_TRUE(themes && themes->setCurrentTheme("dark"));
    auto dark = app_.themes->getCurrentTheme();
    COLORREF darkPrev = 0, darkNegative = 0;
    ASSERT_TRUE(dark->getColor("list_prev_data", darkPrev) && dark->getColor("list_value_negative", darkNegative));
    grid_.ApplyTheme(dark.get());
    EXPECT_EQ(color(0, L"value"), darkPrev);
    EXPECT_EQ(color(1, L"increasepercent"), darkNegative);
    EXPECT_EQ(ClosedFund::GeneralDataGrid::NegativeColor(), darkNegative);
}

TEST_F(FundGridTest, RunningNumberAndRankFollowTheViews)
{
    fill(fourFunds());
    loadHeader();
    ASSERT_TRUE(grid_.sort(L"pricevaluerate", 0)); // -0.20, -0.10, -0.05, -0.01
    EXPECT_EQ(codes(), (std::vector<std::wstring>{L"150002", L"150003", L"150001", L"150004"}));
    DropCodes dropThird({L"150003"});
    grid_.DisplayView()->addFilter(&dropThird);
    grid_.DisplayView()->rebuild(1);
    ASSERT_EQ(grid_.GetRowsCount(), 3);
    EXPECT_EQ(text(0, L"_index") + text(1, L"_index") + text(2, L"_index"), L"123");
    EXPECT_EQ(text(0, L"index_rank") + text(1, L"index_rank") + text(2, L"index_rank"), L"134");
    // "排序" numbers the table's own order: its caption puts the rows back in it.
    EXPECT_TRUE(grid_.sort(L"index_rank", 1));
    EXPECT_EQ(codes(), (std::vector<std::wstring>{L"150001", L"150002", L"150004"}));
    EXPECT_EQ(text(0, L"index_rank") + text(1, L"index_rank") + text(2, L"index_rank"), L"124");
    grid_.DisplayView()->removeFilter(&dropThird);
    grid_.DisplayView()->rebuild(1);
}

TEST_F(FundGridTest, SortAndReloadKeepTheSelectedFund)
{
    fill(fourFunds());
    loadHeader();
    grid_.SetCurrSel(0);                           // 150001
    ASSERT_TRUE(grid_.sort(L"pricevaluerate", 1)); // descending: -0.01 first
    EXPECT_EQ(codes(), (std::vector<std::wstring>{L"150004", L"150001", L"150003", L"150002"}));
    EXPECT_EQ(grid_.CodeOfRow(grid_.GetCurrSel()), L"150001");

    // A reload that moves the fund: the selection follows it, not its old row.
    auto moved = fourFunds();
    moved[0][6] = L"-0.90";
    fill(moved);
    EXPECT_EQ(codes(), (std::vector<std::wstring>{L"150004", L"150003", L"150002", L"150001"}));
    EXPECT_EQ(grid_.GetCurrSel(), 3);

    // A reload without the fund: rows are counted again, so the now missing last row goes.
    moved.erase(moved.begin());
    fill(moved);
    EXPECT_EQ(grid_.GetRowsCount(), 3);
    EXPECT_EQ(grid_.GetCurrSel(), -1);
}

// A fund without an expiry is stored as "0001-01-01" and shown as "--": with the host's
// placeholder service it sorts with the empty values, last in either direction.
TEST_F(FundGridTest, AnExpiryShownAsAPlaceholderSortsLastEitherWay)
{
    if (Host::contractOnly()) GTEST_SKIP() << "without the host's placeholder service its own order stands";
    fill(fourFunds());
    loadHeader();
    ASSERT_TRUE(grid_.sort(L"expiredate", 0));
    EXPECT_EQ(codes(), (std::vector<std::wstring>{L"150004", L"150003", L"150001", L"150002"}));
    ASSERT_TRUE(grid_.sort(L"expiredate", 1));
    EXPECT_EQ(codes(), (std::vector<std::wstring>{L"150001", L"150003", L"150004", L"150002"}));
    EXPECT_EQ(text(3, L"expiredate"), L"--");
}

// On the contract path the host's own order stands: the stored "0001-01-01" sorts as the
// earliest date (first ascending, last descending), and is still shown as "--".
TEST_F(FundGridTest, OnTheContractPathAPlaceholderExpirySortsAsStored)
{
    if (!Host::contractOnly()) GTEST_SKIP() << "the host's placeholder service is found outside contract-only mode";
    fill(fourFunds());
    loadHeader();
    ASSERT_TRUE(grid_.sort(L"expiredate", 0));
    EXPECT_EQ(codes(), (std::vector<std::wstring>{L"150002", L"150004", L"150003", L"150001"}));
    EXPECT_EQ(text(0, L"expiredate"), L"--");
    ASSERT_TRUE(grid_.sort(L"expiredate", 1));
    EXPECT_EQ(codes(), (std::vector<std::wstring>{L"150001", L"150003", L"150004", L"150002"}));
}
