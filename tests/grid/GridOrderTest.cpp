// The order of the closed-fund grid's rows through real caption clicks and the real header
// menu: captions toggle as before, "排序" and "恢复原始顺序" put the rows back in the table's
// own order (default pins first) without an arrow, and the order is kept for the next start.
#include "FundGridFixture.h"
#include "ModalDriver.h"
#include "Pixels.h"

using namespace FundGridTests;
using Texts = std::vector<std::wstring>;

namespace {

// code, aliascode, name, value, increase, increasepercent, pricevaluerate
std::vector<std::vector<std::wstring>> fourFunds()
{
    return {{L"150001", L"150001", L"甲基金", L"1.5", L"0.01", L"0.01", L"-0.05"},
            {L"150002", L"150002", L"乙基金", L"1.5", L"0.02", L"0.02", L"-0.20"},
            {L"150003", L"150003", L"丙基金", L"1.5", L"0.03", L"0.03", L"-0.10"},
            {L"150004", L"150004", L"丁基金", L"1.5", L"0.04", L"0.04", L"-0.01"}};
}

const Texts kOwnOrder = {L"150003", L"150001", L"150002", L"150004"}; // the pinned fund first
const Texts kByRateDown = {L"150004", L"150001", L"150003", L"150002"};
const Texts kByRateUp = {L"150002", L"150003", L"150001", L"150004"};

// The shown column of the field, -1 when not shown.
int shownColumn(FundGrid& grid, const std::wstring& name)
{
    for (int c = 0; c < grid.GetColumnCount(); ++c)
        if (grid.GetColumnInfo(c)->name == name) return c;
    return -1;
}

POINT captionPoint(FundGrid& grid, const std::wstring& name)
{
    int l = 0, r = 0;
    grid.ColumnScreenSpan(shownColumn(grid, name), l, r);
    return {(l + r) / 2, int(grid.BodyRect().top) - 5};
}

void clickCaption(FundGrid& grid, const std::wstring& name)
{
    POINT p = captionPoint(grid, name);
    SendMessageW(grid.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageW(grid.GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

// The ink at the caption's right end, where its sort arrow stands (the caption spans the
// header's height, inside the grid's one-pixel border).
int arrowInk(FundGrid& grid, const std::wstring& name)
{
    int l = 0, r = 0;
    grid.ColumnScreenSpan(shownColumn(grid, name), l, r);
    int bottom = grid.BodyRect().top;
    TestSupport::Capture shot = TestSupport::printClient(grid.GetHwnd());
    RECT arrow = {r - 14, 3, r - 4, bottom - 2};
    return shot.countOther(arrow, shot.at(l + 2, 3));
}

// A centred title of these captions does not reach their right end: ink there is the arrow.
bool showsArrow(FundGrid& grid, const std::wstring& name) { return arrowInk(grid, name) > 4; }

// The header menu's items; the item choose names is chosen (none: the menu is closed).
Texts headerMenu(FundGrid& grid, const std::wstring& choose = L"", const std::wstring& column = L"name")
{
    TestSupport::ModalDriver driver;
    if (choose.empty())
        driver.cancelMenu();
    else
        driver.chooseMenuItem(choose);
    POINT p = captionPoint(grid, column);
    SendMessageW(grid.GetHwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageW(grid.GetHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_TRUE(driver.waitDone(3000));
    return driver.lastMenuItems();
}

} // namespace

class GridOrderTest : public FundGridTest {
protected:
    void SetUp() override
    {
        FundGridTest::SetUp();
        grid_.SetDefaultPinList(L"code=150003");
        fill(fourFunds());
        loadHeader();
    }
    std::wstring keptOrder()
    {
        XComPtr<Host::IConfKey> key = app_.userConf->getKey(ClosedFund::kSortOrderKey);
        return key ? std::wstring(key->getValue()->getString()) : std::wstring(L"<none>");
    }
};

TEST_F(GridOrderTest, TheRankCaptionAndTheHeaderMenuPutTheRowsBackInTheirOwnOrder)
{
    ASSERT_EQ(codes(), kOwnOrder);
    Texts items = headerMenu(grid_);
    EXPECT_EQ(std::count(items.begin(), items.end(), L"恢复原始顺序"), 0) << "nothing to restore yet";
    const int rankInk = arrowInk(grid_, L"index_rank"); // its title only

    // Another caption toggles as it always did, from its own start direction.
    clickCaption(grid_, L"pricevaluerate");
    EXPECT_EQ(codes(), kByRateDown);
    EXPECT_TRUE(showsArrow(grid_, L"pricevaluerate"));
    EXPECT_EQ(keptOrder(), L"pricevaluerate,desc");
    clickCaption(grid_, L"pricevaluerate");
    EXPECT_EQ(codes(), kByRateUp);
    EXPECT_EQ(keptOrder(), L"pricevaluerate,asc");

    // "排序": back to the table's order with the pinned fund first, the selection kept, no
    // arrow anywhere, nothing kept.
    grid_.SetCurrSel(1); // 150003
    clickCaption(grid_, L"index_rank");
    EXPECT_EQ(codes(), kOwnOrder);
    EXPECT_EQ(grid_.CodeOfRow(grid_.GetCurrSel()), L"150003");
    EXPECT_FALSE(showsArrow(grid_, L"pricevaluerate"));
    EXPECT_EQ(arrowInk(grid_, L"index_rank"), rankInk);
    EXPECT_EQ(keptOrder(), L"<none>");

    // A click after it starts the column afresh; the header menu's item does what "排序" does.
    clickCaption(grid_, L"pricevaluerate");
    EXPECT_EQ(codes(), kByRateDown);
    items = headerMenu(grid_, L"恢复原始顺序");
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items[1], L"恢复原始顺序");
    EXPECT_EQ(codes(), kOwnOrder);
    EXPECT_FALSE(showsArrow(grid_, L"pricevaluerate"));
    EXPECT_EQ(keptOrder(), L"<none>");
    clickCaption(grid_, L"pricevaluerate");
    EXPECT_EQ(codes(), kByRateDown) << "the column starts again from its own direction";
}

// The next start (another grid on the same configuration) shows the kept order, its arrow,
// and the caption goes on toggling from there. A kept value that cannot be read leaves the
// table's own order and stays as it was.
TEST_F(GridOrderTest, TheKeptOrderComesBackAtTheNextStart)
{
    clickCaption(grid_, L"pricevaluerate");
    clickCaption(grid_, L"pricevaluerate");
    ASSERT_EQ(keptOrder(), L"pricevaluerate,asc");

    auto restart = [&](FundGrid& again) {
        ASSERT_TRUE(again.Create(L"", WS_CHILD | WS_VISIBLE, RECT{}, parent_.hwnd()));
        again.MoveWindow(0, 0, 900, 400);
        again.SetApp(&app_);
        again.ApplyTheme(theme());
        again.ThemeBlock().ReadColors(theme());
        again.DataDate() = L"2026-06-26";
        again.SetDefaultPinList(L"code=150003");
        fillGrid(again, std::vector<std::wstring>(kFundColumns, kFundColumns + kFundColumnCount), fourFunds());
        ASSERT_EQ(again.SetHeaderText(again.LoadHeaderText()), 1);
        again.SortedView()->rebuild(1);
        again.RestoreSavedSort();
    };
    auto shown = [](FundGrid& grid) {
        Texts out;
        for (int i = 0; i < grid.GetRowsCount(); ++i) out.push_back(grid.CodeOfRow(i));
        return out;
    };
    {
        FundGrid again;
        restart(again);
        EXPECT_EQ(shown(again), kByRateUp);
        EXPECT_TRUE(showsArrow(again, L"pricevaluerate"));
        clickCaption(again, L"pricevaluerate");
        EXPECT_EQ(shown(again), kByRateDown) << "the arrow's direction is the rows' direction";
        EXPECT_EQ(keptOrder(), L"pricevaluerate,desc");
        again.DestroyWindow();
    }
    for (const wchar_t* damaged : {L"pricevaluerate", L"pricevaluerate,sideways", L"no_such_column,asc"}) {
        XComPtr<Host::IConfValue> value = Host::createInstanceAs<Host::IConfValue>("Conf.ConfValue");
        value->setString(damaged);
        app_.userConf->getKey(ClosedFund::kSortOrderKey)->setValue(value.get());
        FundGrid again;
        restart(again);
        EXPECT_EQ(shown(again), kOwnOrder) << Common::toUtf8(damaged);
        EXPECT_FALSE(showsArrow(again, L"pricevaluerate"));
        EXPECT_EQ(keptOrder(), damaged);
        again.DestroyWindow();
    }
}

// A numeric column's header menu offers its condition (the page opens the filter bar's
// dialog for it); other columns' menus do not.
TEST_F(GridOrderTest, ANumericColumnsHeaderMenuOffersItsCondition)
{
    std::vector<std::wstring> asked;
    grid_.SetNumericConditionHandler([](const XStringW& column) { return column == L"pricevaluerate"; },
                                     [&](const XStringW& column) { asked.push_back(column); });
    const std::wstring item = L"数值条件…(&N)";
    Texts items = headerMenu(grid_, L"", L"name");
    EXPECT_EQ(std::count(items.begin(), items.end(), item), 0);
    items = headerMenu(grid_, item, L"pricevaluerate");
    EXPECT_EQ(std::count(items.begin(), items.end(), item), 1);
    EXPECT_EQ(asked, (std::vector<std::wstring>{L"pricevaluerate"}));
}
