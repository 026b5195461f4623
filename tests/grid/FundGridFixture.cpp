#include "FundGridFixture.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include "data/FundTable.h"
#include "hostapi/DataHost.h"

namespace FundGridTests {

const wchar_t* const kFundColumns[] = {L"code",           L"aliascode",  L"name",
                                       L"value",          L"increase",   L"increasepercent",
                                       L"pricevaluerate", L"expiredate", L"company"};
const int kFundColumnCount = int(sizeof(kFundColumns) / sizeof(kFundColumns[0]));

const wchar_t kTwoColumnHeader[] =
    L"<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n"
    L"<header><item title=\"A\" name=\"a\" width=\"80\"/><item title=\"B\" name=\"b\" width=\"80\"/></header>";

std::wstring defaultHeaderText()
{
    return ClosedFund::loadTextResource(ClosedFund::moduleInstance(), L"XML", L"GRIDHEADER");
}

void FundGridTest::SetUp()
{
    app_.themes = Host::openThemeMgr(shippedThemeFolder().c_str(), "light");
    ASSERT_TRUE(app_.themes);
    app_.userConf = Host::openUserConf(dir_.file(L"user.conf").c_str());
    ASSERT_TRUE(app_.userConf);
    app_.modules["mod_ConcernFund"] = &watch_;
    app_.modules["mod_FundsPool"] = &pool_;
    app_.modules["mod_MenuTool"] = &menu_;
    theme_ = app_.themes->getCurrentTheme();
    ASSERT_TRUE(grid_.Create(L"", WS_CHILD | WS_VISIBLE, RECT{}, parent_.hwnd()));
    grid_.MoveWindow(0, 0, 900, 400);
    grid_.SetApp(&app_);
    grid_.ApplyTheme(theme_.get());
    grid_.ThemeBlock().ReadColors(theme_.get());
    grid_.DataDate() = L"2026-06-26";
}

void FundGridTest::TearDown() { grid_.DestroyWindow(); }

void FundGridTest::fill(const std::vector<std::vector<std::wstring>>& rows)
{
    fill(std::vector<std::wstring>(kFundColumns, kFundColumns + kFundColumnCount), rows);
}

void FundGridTest::fill(const std::vector<std::wstring>& columns, const std::vector<std::vector<std::wstring>>& rows)
{
    fillGrid(grid_, columns, rows);
}

void FundGridTest::fillGrid(ClosedFund::closedFundGrid& grid, const std::vector<std::wstring>& columns,
                            const std::vector<std::vector<std::wstring>>& rows)
{
    // Cell by cell through the host's own table interface: the client's has no way to do it.
    XComPtr<Host::IDataTableHost> table = XComPtr<Host::IDataTable>(grid.FundTable()).cast<Host::IDataTableHost>();
    ASSERT_TRUE(table);
    if (table->getColumnCount() == 0)
        for (const std::wstring& name : columns) table->addColumn(name, Host::VALUE_TEXT);
    table->clearRows();
    for (const auto& cells : rows) {
        int row = table->appendRow();
        for (int c = 0; c < int(columns.size()) && c < int(cells.size()); ++c) {
            if (cells[c] == L"\x01")
                table->setNull(row, c);
            else
                table->setTextAt(row, c, cells[c].c_str(), cells[c].size());
        }
    }
    // The value filter's remembered texts are stale before the views rebuild over new rows.
    ClosedFund::noteFundRowsReplaced();
    table->commitFill();
}

void FundGridTest::loadHeader()
{
    ASSERT_EQ(grid_.SetHeaderText(grid_.LoadHeaderText()), 1);
    grid_.SortedView()->rebuild(1);
}

std::wstring FundGridTest::text(int row, const wchar_t* column)
{
    Control::HeaderInfo2 info(column);
    XStringW out;
    grid_.GetItemText(row, info, out);
    return out;
}

COLORREF FundGridTest::color(int row, const wchar_t* column)
{
    Control::HeaderInfo2 info(column);
    COLORREF c = CLR_INVALID;
    grid_.GetItemColor(row, info, text(row, column), c);
    return c;
}

std::vector<std::wstring> FundGridTest::codes()
{
    std::vector<std::wstring> out;
    for (int i = 0; i < grid_.GetRowsCount(); ++i) out.push_back(grid_.CodeOfRow(i));
    return out;
}

std::wstring FundGridTest::storedHeader()
{
    XComPtr<Host::IConfKey> key = app_.userConf->getKey(ClosedFund::kCustomHeaderKey);
    return key ? std::wstring(key->getValue()->getString()) : std::wstring(L"<none>");
}

POINT FundGridTest::rowPoint(int row) const
{
    RECT body = grid_.BodyRect();
    return {300, int(body.top + row * grid_.RowHeight() + grid_.RowHeight() / 2)};
}

std::wstring FundGridTest::shownStatus() const
{
    if (!Host::contractOnly()) return statusBar_.texts.empty() ? L"<none>" : statusBar_.texts.back();
    return grid_.StatusText().empty() ? L"<none>" : std::wstring(grid_.StatusText());
}

} // namespace FundGridTests
