// The closed-fund grid: the stored header cycle, company names, pin lists, zoom, the entered
// row's message, and a screenshot over the sample fund database.
#include "Database.h"
#include "FundGridFixture.h"
#include "ModalDriver.h"
#include "Pixels.h"
#include "data/FundTable.h"
#include "grid/GridTexts.h"
#include "hostapi/ConfHost.h"
#include "hostapi/DataHost.h"

using namespace FundGridTests;

namespace {

std::vector<std::vector<std::wstring>> threeFunds()
{
    return {{L"150001", L"150001", L"甲基金", L"1.5", L"0.01", L"0.01", L"-0.05", L"2028-01-01", L"JH-甲号基金"},
            {L"150002", L"150002", L"乙基金", L"1.4", L"0.02", L"0.02", L"-0.06", L"2028-01-01", L"-乙号-基金"},
            {L"150003", L"150003", L"丙基金", L"1.3", L"0.03", L"0.03", L"-0.07", L"2028-01-01", L"-丙号"}};
}

void setConf(Host::IConfManager* conf, const char* path, const wchar_t* text)
{
    XComPtr<Host::IConfValue> value = Host::createInstanceAs<Host::IConfValue>("Conf.ConfValue");
    value->setString(text);
    // The host's store gives the outcome the client's setValue does not.
    XComPtr<Host::IConfKeyHost> key = conf->createKey(path).cast<Host::IConfKeyHost>();
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->store(value.get()));
}

std::vector<std::wstring> pinnedOrder(Host::ITopSorter* sorter, Host::IDataTable* table)
{
    // The client's interface has no sort entry point: the host's own sorter orders the rows.
    XComPtr<Host::ITopSorterHost> host = XComPtr<Host::ITopSorter>(sorter).cast<Host::ITopSorterHost>();
    if (!host) return {L"<not the host's sorter>"};
    std::vector<int> rows(table->getRowCount());
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = int(i);
    host->sortRows(table, rows.data(), int(rows.size()));
    std::vector<std::wstring> out;
    for (int r : rows) out.push_back(table->getRow(r)->getItem(L"code")->getText());
    return out;
}

} // namespace

TEST_F(FundGridTest, HeaderIsStoredWithEndDateAndWithoutFontsAndResetDeletesIt)
{
    fill(threeFunds());
    loadHeader();
    EXPECT_NE(grid_.GetHeader().find(L"title=\"2026-06-26\""), std::wstring::npos);
    EXPECT_NE(grid_.GetHeader().find(L"font-family"), std::wstring::npos); // on screen: concrete fonts
    EXPECT_EQ(storedHeader(), L"<none>");

    // The user hides the rank column: the control reports it, the grid stores the header.
    std::wstring shown = grid_.LoadHeaderText();
    size_t rank = shown.find(L"name=\"index_rank\"");
    ASSERT_NE(rank, std::wstring::npos);
    shown.insert(rank, L"visible=\"false\" ");
    ASSERT_EQ(grid_.SetHeaderText(shown), 1);
    grid_.OnHeaderChange();
    std::wstring stored = storedHeader();
    EXPECT_NE(stored.find(L"encoding=\"gb2312\""), std::wstring::npos);
    EXPECT_NE(stored.find(L"title=\"end_date\""), std::wstring::npos);
    EXPECT_EQ(stored.find(L"2026-06-26"), std::wstring::npos);
    for (const wchar_t* attr : {L"font-family", L"font-size", L"font-style"})
        EXPECT_EQ(stored.find(attr), std::wstring::npos) << Common::toUtf8(attr);
    EXPECT_NE(stored.find(L"font=\"_font_digital_bold\""), std::wstring::npos); // roles stay

    // The next reload shows the new data date and the stored layout.
    grid_.DataDate() = L"2026-07-01";
    loadHeader();
    EXPECT_NE(grid_.GetHeader().find(L"title=\"2026-07-01\""), std::wstring::npos);
    EXPECT_EQ(grid_.GetColumnCount(), 16); // _index and index_rank hidden

    grid_.OnResetHeader();
    EXPECT_EQ(storedHeader(), L"<none>");
    EXPECT_EQ(grid_.GetColumnCount(), 17); // default: only _index hidden
    EXPECT_NE(grid_.GetHeader().find(L"title=\"2026-07-01\""), std::wstring::npos);
    XStringW expected = defaultHeaderText();
    expected.replaceAll(L"end_date", L"2026-07-01");
    EXPECT_EQ(grid_.LoadHeaderText(), expected);
}

TEST_F(FundGridTest, CompanyNamesPinListsZoomAndEnteredRow)
{
    fill(threeFunds());
    loadHeader();
    EXPECT_EQ(text(0, L"company"), L"甲号基金");
    EXPECT_EQ(text(1, L"company"), L"基金"); // the search starts after the first character
    EXPECT_EQ(text(2, L"company"), L"-丙号");
    EXPECT_EQ(ClosedFund::shortCompanyName(L"无横线"), L"无横线");

    grid_.SetDefaultPinList(L"  code =  150003 ,150002 , 150009 ");
    EXPECT_EQ(pinnedOrder(grid_.DefaultPinSorter(), grid_.FundTable()),
              (std::vector<std::wstring>{L"150003", L"150002", L"150001"}));
    grid_.SetDefaultPinList(L"code 150001"); // no "=": nothing changes
    EXPECT_EQ(pinnedOrder(grid_.DefaultPinSorter(), grid_.FundTable()),
              (std::vector<std::wstring>{L"150003", L"150002", L"150001"}));
    grid_.SetAlwaysPinList(L"name=丙基金");
    EXPECT_EQ(pinnedOrder(grid_.AlwaysPinSorter(), grid_.FundTable())[0], L"150003");
    XStringW field;
    std::vector<XStringW> values;
    ASSERT_TRUE(ClosedFund::parsePinList(L" code = ", field, values));
    EXPECT_EQ(field, L"code");
    EXPECT_EQ(values, std::vector<XStringW>{L""});
    ASSERT_TRUE(ClosedFund::parsePinList(L"code=1,", field, values));
    EXPECT_EQ(values, (std::vector<XStringW>{L"1", L""}));

    grid_.LoadZoom();
    EXPECT_EQ(grid_.Zoom(), 1.0); // no key
    setConf(app_.userConf.get(), ClosedFund::kFontSizeKey, L"1.25");
    grid_.LoadZoom();
    EXPECT_EQ(grid_.Zoom(), 1.25);
    setConf(app_.userConf.get(), ClosedFund::kFontSizeKey, L"abc");
    grid_.LoadZoom();
    EXPECT_EQ(grid_.Zoom(), 1.25); // a value that is no zoom keeps the last one

    // Enter on a row: the message, and nothing opens.
    TestSupport::ModalDriver driver;
    driver.answerMessageBox(IDOK);
    grid_.SetCurrSel(0);
    SendMessageW(grid_.GetHwnd(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(driver.waitDone(3000));
    EXPECT_EQ(driver.lastCaption(), L"提示");
    EXPECT_EQ(driver.lastText(), L"契约型封闭式基金无走势图！");
    EXPECT_TRUE(grid_.opened.empty());
}

TEST_F(FundGridTest, ScreenshotOfSampleFundsInTheThemedGrid)
{
    XStringW error;
    ASSERT_TRUE(FundDb::writeFundDatabase(dir_.file(L"funds.db"), FundDb::Content::StandardSample, 0, false, error));
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(dir_.file(L"funds.db"), error);
    ASSERT_TRUE(ClosedFund::readDataDate(db.get(), grid_.DataDate()));
    ASSERT_TRUE(ClosedFund::fillFundTable(db.get(), grid_.FundTable(), L"2026-06-30"));
    loadHeader();
    watch_.codes = {grid_.CodeOfRow(2)};
    grid_.ThemeBlock().ReadColors(theme());
    grid_.MoveWindow(0, 0, 1240, 420);
    MoveWindow(parent_.hwnd(), 0, 0, 1240, 420, TRUE);
    grid_.SetCurrSel(1);
    grid_.Refresh(false, true);
    ASSERT_GT(grid_.GetRowsCount(), 10);

    TestSupport::Capture cap = TestSupport::printClient(grid_.GetHwnd());
    EXPECT_TRUE(TestSupport::saveArtifact(cap, L"closed-fund-grid"));
    RECT body = grid_.BodyRect();
    EXPECT_EQ(cap.at(body.left + 3, body.top + 2), RGB(0xFF, 0xFF, 0xFF));                         // first line
    EXPECT_EQ(cap.at(body.left + 3, body.top + grid_.RowHeight() + 2), RGB(0xCC, 0xE0, 0xF8));     // selected
    EXPECT_EQ(cap.at(body.left + 3, body.top + 2 * grid_.RowHeight() + 2), RGB(0xFF, 0xFF, 0xFF)); // third
    EXPECT_EQ(cap.at(body.left + 3, body.top + 3 * grid_.RowHeight() + 2), RGB(0xF4, 0xF7, 0xFB)); // fourth
    EXPECT_EQ(cap.at(body.left + 3, body.top - 3), RGB(0xE6, 0xEB, 0xF2));                         // header
}
