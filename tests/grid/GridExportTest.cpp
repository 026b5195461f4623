// The closed-fund grid's text export and Ctrl+C: the exact bytes of each encoding and
// separator, the columns as the screen shows them (groups, order, visibility), files read
// back by Python's csv module cell for cell, failures reported with nothing half-written, success in
// the status bar, and the copied row on the clipboard.
#include "FundGridFixture.h"
#include "ExportFixture.h"
#include "ModalDriver.h"
#include "Pixels.h"
#include "filter/MultiValueFilter.h"
#include "hostapi/DataHost.h"

using namespace FundGridTests;
using TestSupport::readFileBytes;

namespace {

std::string utf16(const std::wstring& s)
{
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * sizeof(wchar_t));
}

const std::string kUtf16Bom("\xFF\xFE", 2);

} // namespace

class GridExportTest : public ExportTest {};

TEST_F(GridExportTest, WritesQuotedRecordsInEachEncodingAndSeparator)
{
    fill({L"code", L"a", L"b"}, {{L"1", L"x", L"say \"hi\""}});
    ASSERT_EQ(grid_.SetHeaderText(kTwoColumnHeader), 1);
    grid_.SortedView()->rebuild(1);
    XStringW error;
    size_t rows = 99;

    const std::wstring csv = L"\"A\",\"B\"\r\n\"x\",\"say \"\"hi\"\"\"\r\n";
    const std::wstring tab = L"\"A\"\t\"B\"\r\n\"x\"\t\"say \"\"hi\"\"\"\r\n";
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"list.csv"), 1, error, &rows)) << Common::toUtf8(error);
    EXPECT_EQ(rows, 1u);
    EXPECT_EQ(readFileBytes(dir_.file(L"list.csv")), kUtf16Bom + utf16(csv));
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"list8.csv"), 2, error));
    EXPECT_EQ(readFileBytes(dir_.file(L"list8.csv")), "\xEF\xBB\xBF" + Common::toUtf8(csv));
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"list.xLs"), 3, error)); // a UTF-16 text with tabs, not a workbook
    EXPECT_EQ(readFileBytes(dir_.file(L"list.xLs")), kUtf16Bom + utf16(tab));
    // A ".txt" is tab-separated UTF-16 whatever the type, as the tab type writes it.
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"list8.TXT"), 2, error));
    EXPECT_EQ(readFileBytes(dir_.file(L"list8.TXT")), kUtf16Bom + utf16(tab));
    // Without a dialog (a tool): ".csv" is UTF-8 with commas, ".txt" UTF-16 with tabs.
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"tool.csv"), 0, error));
    EXPECT_EQ(readFileBytes(dir_.file(L"tool.csv")), "\xEF\xBB\xBF" + Common::toUtf8(csv));
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"tool.txt"), 0, error));
    EXPECT_EQ(readFileBytes(dir_.file(L"tool.txt")), kUtf16Bom + utf16(tab));

    // Through the menu command and the real save dialog; a cancel writes nothing.
    TestSupport::ModalDriver driver;
    driver.answerSaveDialog(dir_.file(L"chosen.xls"));
    SendMessageW(grid_.GetHwnd(), WM_COMMAND, ClosedFund::CMD_EXPORT, 0);
    EXPECT_TRUE(driver.waitDone(5000));
    EXPECT_EQ(readFileBytes(dir_.file(L"chosen.xls")), kUtf16Bom + utf16(tab));
    driver.cancelDialog();
    grid_.ExportList();
    EXPECT_TRUE(driver.waitDone(5000));
    EXPECT_EQ(GetFileAttributesW(dir_.file(L"契约型封闭式基金净值.csv").c_str()), INVALID_FILE_ATTRIBUTES);

    fill({L"code", L"a", L"b"}, {});
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"empty.csv"), 1, error, &rows));
    EXPECT_EQ(rows, 0u);
    EXPECT_EQ(readFileBytes(dir_.file(L"empty.csv")), kUtf16Bom + utf16(L"\"A\",\"B\"\r\n"));
}

// The default header as a person reads it: the net values under their dated group, the
// order after the user moved a column, the exact visibility rule, formatted cells, the
// company without its initial; and the same file from a grid that never had a window.
TEST_F(GridExportTest, ColumnsFollowTheScreenGroupsOrderAndVisibility)
{
    fill({{L"150001", L"150001", L"甲基金", L"1.0230", L"0.01", L"0.1234", L"-0.05", L"0001-01-01", L"JH-甲号基金"}});
    loadHeader();
    XStringW error;
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"funds.csv"), 2, error));
    const std::string expected =
        "\xEF\xBB\xBF" +
        Common::toUtf8(
            L"\"排序\",\"代码\",\"名称\",\"2026-06-26 单位净值\",\"2026-06-26 "
            L"累计净值\",\"增长值\",\"增长率\",\"市价\","
            L"\"折价值\",\"折价率\",\"到期日\",\"折价年化收益率\",\"投资类型\",\"基金类型\",\"投资风格\",\"成立日期\","
            L"\"基金公司\"\r\n"
            L"\"1\",\"150001\",\"甲基金\",\"1.0230\",\"--\",\"0.01\",\"12.34%\",\"--\",\"--\",\"-5.00%\",\"--\",\"--\","
            L"\"--\",\"--\",\"--\",\"--\",\"甲号基金\"\r\n");
    EXPECT_EQ(readFileBytes(dir_.file(L"funds.csv")), expected);

    // A grid without a window, its header in the document only, as a tool uses it.
    {
        FundGrid headless;
        XComPtr<Host::IDataTableHost> table =
            XComPtr<Host::IDataTable>(headless.FundTable()).cast<Host::IDataTableHost>();
        ASSERT_TRUE(table);
        for (int c = 0; c < kFundColumnCount; ++c) table->addColumn(kFundColumns[c], Host::VALUE_TEXT);
        int row = table->appendRow();
        const wchar_t* cells[] = {L"150001", L"150001", L"甲基金",     L"1.0230",     L"0.01",
                                  L"0.1234", L"-0.05",  L"0001-01-01", L"JH-甲号基金"};
        for (int c = 0; c < kFundColumnCount; ++c) table->setTextAt(row, c, cells[c], wcslen(cells[c]));
        table->commitFill();
        XStringW header = defaultHeaderText();
        header.replaceAll(L"end_date", L"2026-06-26");
        ASSERT_EQ(headless.SetHeader(header), 1);
        ASSERT_EQ(headless.GetHwnd(), nullptr);
        ASSERT_TRUE(headless.ExportToFile(dir_.file(L"headless.csv"), 2, error)) << Common::toUtf8(error);
        EXPECT_EQ(readFileBytes(dir_.file(L"headless.csv")), expected);
    }

    // The user drags "基金公司" to the front and hides the dated group.
    grid_.MoveTopItem(16, 0); // the default header's 17th and last item
    grid_.SetTopItemVisible(5, false);
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"moved.csv"), 2, error));
    std::string moved = readFileBytes(dir_.file(L"moved.csv"));
    EXPECT_EQ(moved.substr(0, moved.find("\r\n")),
              "\xEF\xBB\xBF" +
                  Common::toUtf8(
                      L"\"基金公司\",\"排序\",\"代码\",\"名称\",\"增长值\",\"增长率\",\"市价\",\"折价值\","
                      L"\"折价率\",\"到期日\",\"折价年化收益率\",\"投资类型\",\"基金类型\",\"投资风格\",\"成立日期\""));

    // visible="TRUE" is shown on screen but not exported (the comparison is exact), inside a
    // group as at the top.
    ASSERT_EQ(grid_.SetHeaderText(L"<header><item title=\"大写\" name=\"code\" visible=\"TRUE\"/>"
                                  L"<item title=\"组\"><item title=\"甲\" name=\"name\" visible=\"true\"/>"
                                  L"<item title=\"乙\" name=\"company\" visible=\"True\"/></item></header>"),
              1);
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"visible.csv"), 2, error));
    EXPECT_EQ(readFileBytes(dir_.file(L"visible.csv")),
              "\xEF\xBB\xBF" + Common::toUtf8(L"\"组 甲\"\r\n\"甲基金\"\r\n"));
}

// Names holding every character that breaks a naive writer, a formula, a long name and an
// empty cell, in a sorted and filtered view: Python's csv module reads back each cell as the
// grid shows it, in all three kinds of file; the formulas come back with the apostrophe that
// keeps a spreadsheet from running them, the numbers and "--" without one.
TEST_F(GridExportTest, FilesReadBackByACsvReaderHoldTheShownTexts)
{
    const std::vector<std::wstring> columns = {L"code",       L"aliascode",       L"name",
                                               L"value",      L"increasepercent", L"pricevaluerate",
                                               L"expiredate", L"investtype",      L"company"};
    const std::wstring longName(500, L'长');
    fill(columns,
         {{L"150001", L"150001", L"逗号,基金", L"1.0230", L"0.1234", L"-0.05", L"2027-01-01", L"股票型", L"JH-甲号"},
          {L"150002", L"150002", L"引号\"甲\"基金", L"-0.0280", L"-0.0205", L"0.01", L"0001-01-01", L"股票型",
           L"YH-乙号"},
          {L"150003", L"150003", std::wstring(L"制表\t符\0尾", 6), L"1,234.5", L"0", L"-0.10", L"2028-01-01", L"股票型",
           L"-丙-号"},
          {L"150004", L"150004", L"回车\r换行\n基金", L"", L"0.2", L"0.02", L"", L"股票型", L"丁号"},
          {L"150005", L"150005", L"=1+2", L"+A1", L"0.3", L"0.03", L"2029-01-01", L"股票型", L"WH-戊号"},
          {L"150006", L"150006", L"@SUM(A1)", L"-x", L"0.4", L"0.04", L"2029-01-01", L"股票型", L"-号"},
          {L"150007", L"150007", L"\t=制表开头", L"\x01", L"0.5", L"0.05", L"2029-01-01", L"股票型", L"ZH-己号"},
          {L"150008", L"150008", longName, L"1.5", L"0.6", L"0.06", L"2029-01-01", L"股票型", L"-2"},
          {L"150009", L"150009", L"债券基金", L"1.0", L"0.7", L"0.07", L"2029-01-01", L"债券型", L"QH-庚号"}});
    loadHeader();
    grid_.sort(L"pricevaluerate", 1);
    ClosedFund::MultiValueFilter* stocks = new ClosedFund::MultiValueFilter;
    stocks->SetColumn(L"investtype");
    stocks->AddValue(L"股票型");
    grid_.DisplayView()->addFilter(stocks);
    grid_.DisplayView()->rebuild(1);
    ASSERT_EQ(grid_.GetRowsCount(), 8);
    ASSERT_EQ(grid_.CodeOfRow(0), L"150008"); // the highest discount rate first

    Records expected = shown({L"排序", L"代码", L"名称", L"2026-06-26 单位净值", L"2026-06-26 累计净值", L"增长值",
                              L"增长率", L"市价", L"折价值", L"折价率", L"到期日", L"折价年化收益率", L"投资类型",
                              L"基金类型", L"投资风格", L"成立日期", L"基金公司"});
    const std::set<std::wstring> formulas = {L"=1+2", L"+A1", L"@SUM(A1)", L"-x", L"\t=制表开头", L"-号"};
    int guarded = 0;
    for (size_t r = 1; r < expected.size(); ++r)
        for (std::wstring& cell : expected[r])
            if (formulas.count(cell)) {
                cell.insert(0, 1, L'\'');
                ++guarded;
            }
    EXPECT_EQ(guarded, 6);
    // A NUL ends a text early in every reader: it is left out.
    for (auto& record : expected)
        for (std::wstring& cell : record) cell = withoutNuls(cell);

    XStringW error;
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"u16.csv"), 1, error));
    EXPECT_EQ(readBackText(dir_, dir_.file(L"u16.csv"), "utf-16", "comma", expected), "OK");
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"u8.csv"), 2, error));
    EXPECT_EQ(readBackText(dir_, dir_.file(L"u8.csv"), "utf-8-sig", "comma", expected), "OK");
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"tab.txt"), 3, error));
    EXPECT_EQ(readBackText(dir_, dir_.file(L"tab.txt"), "utf-16", "tab", expected), "OK");

    stocks->ClearValues(); // nothing passes
    grid_.DisplayView()->rebuild(1);
    ASSERT_EQ(grid_.GetRowsCount(), 0);
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"none.csv"), 2, error));
    EXPECT_EQ(readBackText(dir_, dir_.file(L"none.csv"), "utf-8-sig", "comma", Records{expected[0]}), "OK");
    grid_.DisplayView()->removeFilter(stocks);
    stocks->release();
}

// A file that cannot be written shows why, names the path, and leaves the old file as it was
// with no temporary file beside it; a written one is confirmed in the status bar and its
// folder is where the next dialog opens.
TEST_F(GridExportTest, FailuresAreShownAndLeaveNothingHalfWritten)
{
    useStatusBar();
    fill({L"code", L"a", L"b"}, {{L"1", L"x", L"y"}, {L"2", L"z", L"w"}});
    ASSERT_EQ(grid_.SetHeaderText(kTwoColumnHeader), 1);
    grid_.SortedView()->rebuild(1);

    const std::wstring readOnly = dir_.file(L"只读.csv");
    ASSERT_TRUE(TestSupport::writeFileBytes(readOnly, "old bytes"));
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    TestSupport::ModalDriver driver;
    driver.answerSaveDialog(readOnly);
    driver.answerMessageBox(IDYES); // the dialog's own "replace it?"
    driver.answerMessageBox(IDOK);  // our message
    grid_.ExportList();
    EXPECT_TRUE(driver.waitDone(5000));
    EXPECT_EQ(driver.lastCaption(), L"数据导出");
    EXPECT_NE(driver.lastText().find(readOnly), std::wstring::npos) << Common::toUtf8(driver.lastText());
    EXPECT_EQ(readFileBytes(readOnly), "old bytes");
    EXPECT_EQ(shownStatus(), L"<none>");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    exportFails(dir_.file(L"no such folder\\list.csv"));
    {
        const std::wstring locked = dir_.file(L"locked.csv");
        ASSERT_TRUE(TestSupport::writeFileBytes(locked, "in use"));
        HANDLE h = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        exportFails(locked);
        CloseHandle(h);
        EXPECT_EQ(readFileBytes(locked), "in use");
    }
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(dir_.file(L"*.tmp").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "a temporary file was left behind";
    if (find != INVALID_HANDLE_VALUE) FindClose(find);

    const std::wstring good = dir_.file(L"好.csv");
    driver.answerSaveDialog(good);
    grid_.ExportList();
    EXPECT_TRUE(driver.waitDone(5000));
    EXPECT_EQ(shownStatus(), L"已导出 2 只基金到 " + good);
    XComPtr<Host::IConfKey> key = app_.userConf->getKey(ClosedFund::kExportFolderKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(std::wstring(key->getValue()->getString()), dir_.path());
}

// Ctrl+C puts the captions and the current row on the clipboard as tab-separated records,
// quoted like the export, which a csv reader gets back.
TEST_F(GridExportTest, CtrlCCopiesTheCurrentRowWithItsCaptions)
{
    fill({L"code", L"a", L"b"}, {{L"1", L"x", L"y"}, {L"2", L"第二\t行", L"=A1"}});
    ASSERT_EQ(grid_.SetHeaderText(kTwoColumnHeader), 1);
    grid_.SortedView()->rebuild(1);
    grid_.SetCurrSel(1);
    SetFocus(grid_.GetHwnd());
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(grid_.GetHwnd(), WM_KEYDOWN, 'C', 1);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);

    std::wstring copied;
    ASSERT_TRUE(OpenClipboard(nullptr));
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            copied = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    EXPECT_EQ(copied, L"\"A\"\t\"B\"\r\n\"第二\t行\"\t\"'=A1\"\r\n");
    ASSERT_TRUE(TestSupport::writeFileBytes(dir_.file(L"clip.txt"), kUtf16Bom + utf16(copied)));
    EXPECT_EQ(
        readBackText(dir_, dir_.file(L"clip.txt"), "utf-16", "tab", Records{{L"A", L"B"}, {L"第二\t行", L"'=A1"}}),
        "OK");
}

// A list far longer than one piece of the writer (a megabyte of text) comes back whole, in
// order, with no record cut at a piece boundary.
TEST_F(GridExportTest, ALongListComesBackWhole)
{
    std::vector<std::vector<std::wstring>> rows;
    for (int i = 0; i < 6000; ++i) {
        std::wstring code = std::to_wstring(100000 + i);
        rows.push_back({code, code, std::wstring(150 + i % 7, L'名') + L",\"" + code, L"1.0", L"0.1", L"-0.01",
                        L"2029-01-01", L"JH-甲号"});
    }
    fill(rows);
    loadHeader();
    Records expected = shown({L"排序", L"代码", L"名称", L"2026-06-26 单位净值", L"2026-06-26 累计净值", L"增长值",
                              L"增长率", L"市价", L"折价值", L"折价率", L"到期日", L"折价年化收益率", L"投资类型",
                              L"基金类型", L"投资风格", L"成立日期", L"基金公司"});
    XStringW error;
    size_t written = 0;
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"long.csv"), 1, error, &written));
    EXPECT_EQ(written, 6000u);
    EXPECT_GT(readFileBytes(dir_.file(L"long.csv")).size(), size_t(2) << 20); // more than one piece of UTF-16
    EXPECT_EQ(readBackText(dir_, dir_.file(L"long.csv"), "utf-16", "comma", expected), "OK");
}
