// The workbook export, read back by openpyxl (every cell's type, value and number format)
// and by LibreOffice's own import when it is installed (every cell as shown): the sample,
// names that a spreadsheet would turn into numbers, dates or formulas, characters XML cannot
// hold, a sorted and filtered view, moved and hidden columns, no rows. Then the rules that
// keep a file's extension and type in agreement, the save dialog's types and its memory of
// the last one, and the company of a fund whose company has no pinyin initial.
#include "Database.h"
#include "ExportFixture.h"
#include "data/FundTable.h"
#include "export/ExportTarget.h"
#include "export/WorkbookWriter.h"
#include "filter/MultiValueFilter.h"
#include "hostapi/DataHost.h"
#include <algorithm>
#include <cstdio>

using namespace FundGridTests;
using TestSupport::readFileBytes;

namespace {

const std::string kUtf16Bom("\xFF\xFE", 2);

std::string utf16(const std::wstring& s)
{
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * sizeof(wchar_t));
}

// The default header's shown columns and how a person reads each.
const std::vector<std::wstring> kDefaultCaptions = {L"排序",
                                                    L"代码",
                                                    L"名称",
                                                    L"2026-06-26 单位净值",
                                                    L"2026-06-26 累计净值",
                                                    L"增长值",
                                                    L"增长率",
                                                    L"市价",
                                                    L"折价值",
                                                    L"折价率",
                                                    L"到期日",
                                                    L"折价年化收益率",
                                                    L"投资类型",
                                                    L"基金类型",
                                                    L"投资风格",
                                                    L"成立日期",
                                                    L"基金公司"};
const std::vector<std::string> kDefaultKinds = {"number", "text",   "text",   "number", "number", "number",
                                                "number", "number", "number", "number", "date",   "number",
                                                "text",   "text",   "text",   "date",   "text"};

// What a workbook holds of a shown text: XML 1.0 has no NUL and no other control below 0x20
// but tab, LF and CR.
std::wstring xmlText(std::wstring text)
{
    text.erase(std::remove_if(text.begin(), text.end(),
                              [](wchar_t c) { return c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r'; }),
               text.end());
    return text;
}

bool officeInstalled() { return GetFileAttributesW(L"Z:\\usr\\bin\\soffice") != INVALID_FILE_ATTRIBUTES; }

// The save dialog of the export, answered on a timer inside its modal loop: records the
// offered types and the preselected one, picks a type (its place in the list, from 1; 0
// keeps the preselected), enters a name and saves; then answers the question a message box
// asks, if one does.
class SaveDialogDriver {
public:
    std::vector<std::wstring> types;
    int preselected = 0; // from 1
    std::wstring question;

    SaveDialogDriver(int type, const std::wstring& name, int answer = IDYES) : type_(type), name_(name), answer_(answer)
    {
        active_ = this;
        timer_ = SetTimer(nullptr, 0, 50, &SaveDialogDriver::tick);
    }
    ~SaveDialogDriver()
    {
        KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
    SaveDialogDriver(const SaveDialogDriver&) = delete;
    SaveDialogDriver& operator=(const SaveDialogDriver&) = delete;

private:
    static const int kTypeCombo = 0x470; // cmb1
    static const int kNameCombo = 0x47C; // cmb13
    static const int kNameEdit = 0x480;  // edt1

    static BOOL CALLBACK collect(HWND h, LPARAM list)
    {
        wchar_t cls[16] = {};
        GetClassNameW(h, cls, 16);
        if (std::wstring(cls) == L"#32770" && IsWindowVisible(h) && IsWindowEnabled(h))
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
        return TRUE;
    }
    static BOOL CALLBACK staticText(HWND h, LPARAM text)
    {
        wchar_t cls[16] = {}, buf[512] = {};
        GetClassNameW(h, cls, 16);
        if (_wcsicmp(cls, L"Static") == 0 && GetWindowTextW(h, buf, 512) > 0)
            *reinterpret_cast<std::wstring*>(text) += buf;
        return TRUE;
    }

    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (!active_) return;
        std::vector<HWND> dialogs;
        EnumThreadWindows(GetCurrentThreadId(), &SaveDialogDriver::collect, LPARAM(&dialogs));
        for (HWND dialog : dialogs) active_->answer(dialog);
    }

    void answer(HWND dialog)
    {
        if (answered_.count(dialog)) return;
        HWND combo = GetDlgItem(dialog, kTypeCombo);
        if (!combo) {
            if (!GetWindow(dialog, GW_CHILD)) return;
            EnumChildWindows(dialog, &SaveDialogDriver::staticText, LPARAM(&question));
            answered_.insert(dialog);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), LPARAM(GetDlgItem(dialog, answer_)));
            return;
        }
        answered_.insert(dialog);
        int count = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t item[256] = {};
            SendMessageW(combo, CB_GETLBTEXT, WPARAM(i), LPARAM(item));
            types.push_back(item);
        }
        preselected = int(SendMessageW(combo, CB_GETCURSEL, 0, 0)) + 1;
        if (type_) {
            SendMessageW(combo, CB_SETCURSEL, WPARAM(type_ - 1), 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kTypeCombo, CBN_SELENDOK), LPARAM(combo));
        }
        HWND name = GetDlgItem(dialog, kNameCombo);
        if (!name) name = GetDlgItem(dialog, kNameEdit);
        SetWindowTextW(name, name_.c_str());
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
    }

    static SaveDialogDriver* active_;
    int type_;
    std::wstring name_;
    int answer_;
    UINT_PTR timer_ = 0;
    std::set<HWND> answered_;
};

SaveDialogDriver* SaveDialogDriver::active_ = nullptr;

} // namespace

class WorkbookExportTest : public ExportTest {
protected:
    ExpectedSheet expectedSheet(const std::vector<std::wstring>& captions, const std::vector<std::string>& kinds)
    {
        ExpectedSheet sheet;
        sheet.sheet = L"封闭式基金";
        sheet.kinds = kinds;
        sheet.widths = shownWidths();
        sheet.rows = shown(captions);
        for (auto& record : sheet.rows)
            for (std::wstring& cell : record) cell = xmlText(cell);
        return sheet;
    }

    // Written as a workbook, then read by openpyxl and by LibreOffice (when installed).
    void expectReadBack(const std::wstring& name, const ExpectedSheet& expected)
    {
        XStringW error;
        size_t rows = 0;
        ASSERT_TRUE(grid_.ExportToFile(dir_.file(name), ClosedFund::EXPORT_WORKBOOK, error, &rows))
            << Common::toUtf8(error);
        EXPECT_EQ(rows, expected.rows.size() - 1);
        EXPECT_EQ(readBackWorkbook(dir_, dir_.file(name), expected), "OK") << Common::toUtf8(name);
        if (!officeInstalled()) {
            std::printf("[ SKIPPED  ] LibreOffice's reading of %s: soffice is not installed "
                        "(apt-get install libreoffice-calc-nogui)\n",
                        Common::toUtf8(name).c_str());
            return;
        }
        EXPECT_EQ(readBackInOffice(dir_, dir_.file(name), expected), "OK") << Common::toUtf8(name);
    }
};

// The labelled sample as the page loads it, with the remaining term, fund units (in 亿份,
// as shown) and holders shown too: every cell typed as a person reads it.
TEST_F(WorkbookExportTest, TheSampleReadsBackAsTheScreenShowsIt)
{
    XStringW error;
    ASSERT_TRUE(FundDb::writeFundDatabase(dir_.file(L"funds.db"), FundDb::Content::StandardSample, 0, false, error));
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(dir_.file(L"funds.db"), error);
    ASSERT_TRUE(ClosedFund::readDataDate(db.get(), grid_.DataDate()));
    ASSERT_TRUE(ClosedFund::fillFundTable(db.get(), grid_.FundTable(), L"2026-06-30"));
    loadHeader();
    for (int item = 17; item <= 19; ++item) grid_.SetTopItemVisible(item, true);
    ASSERT_GT(grid_.GetRowsCount(), 50);

    std::vector<std::wstring> captions = kDefaultCaptions;
    captions.insert(captions.end(), {L"剩余期限", L"基金份额(亿份)", L"持有人户数"});
    std::vector<std::string> kinds = kDefaultKinds;
    kinds.insert(kinds.end(), {"number", "number", "number"});
    ExpectedSheet expected = expectedSheet(captions, kinds);
    // The sample holds what the test is about: numbers, percentages, dates and placeholders.
    std::set<std::wstring> seen;
    for (size_t r = 1; r < expected.rows.size(); ++r) {
        seen.insert(expected.rows[r][10]);
        seen.insert(expected.rows[r][6].substr(expected.rows[r][6].size() - 1));
    }
    EXPECT_TRUE(seen.count(L"--") && seen.count(L"%"));
    expectReadBack(L"sample.xlsx", expected);
}

// Names a spreadsheet would turn into numbers, dates, times or formulas, every character
// that breaks a naive writer, a name of 2,000 characters, characters outside the BMP, NUL and
// the workbook's own escape as text, empty and NULL cells and odd values in number columns,
// in a sorted and filtered view; then with a column moved and a group hidden; then with no
// row passing the filter.
TEST_F(WorkbookExportTest, HardTextsAndValuesReadBackInEveryView)
{
    const std::vector<std::wstring> columns = {L"code",       L"aliascode",       L"name",
                                               L"value",      L"increasepercent", L"pricevaluerate",
                                               L"expiredate", L"investtype",      L"company"};
    const std::wstring longName(2000, L'长');
    const std::wstring outsideBmp = L"\xD840\xDC00\xD83D\xDCC8基金"; // U+20000, U+1F4C8
    fill(columns,
         {{L"150001", L"000123", L"逗号,基金", L"1.0230", L"0.1234", L"-0.05", L"2027-01-01", L"股票型", L"JH-甲号"},
          {L"150002", L"000124", L"引号\"甲\"基金", L"-0.0280", L"-0.0205", L"0.01", L"0001-01-01", L"股票型",
           L"YH-乙号"},
          {L"150003", L"150003", L"制表\t符", L"1,234.5", L"0", L"-0.10", L"2028-02-29", L"股票型", L"\x01"},
          {L"150004", L"150004", L"回车\r换行\n基金\r\n", L"", L"0.2", L"0.02", L"", L"股票型", L""},
          {L"150005", L"150005", L"1E5", L"007", L"0.3", L"-0.0000001", L"2029-02-30", L"股票型", L"=1+1"},
          {L"150006", L"150006", L"1/2", L"1e5", L"0.4", L"0.04", L"1899-12-31", L"股票型", L"@A1"},
          {L"150007", L"150007", L"10:30", L"abc", L"\x01", L"0.05", L"2029-01-01", L"股票型", L"(5)"},
          {L"150008", L"150008", longName, L"+0.50", L"0.6", L"0.06", L"2029-01-01", L"股票型", outsideBmp},
          {L"150009", L"150009", std::wstring(L"空\0字符", 4), L"\x01", L"0.7", L"0.07", L"2029-01-01", L"股票型",
           L" 前后空格 "},
          {L"150010", L"150010", L"_x000D_与_x005F_", L"0", L"0.8", L"0.08", L"2029-01-01", L"股票型",
           L"\x02控制\x1F字符"},
          {L"150011", L"150011", L"债券基金", L"1.0", L"0.9", L"0.09", L"2029-01-01", L"债券型", L"QH-庚号"}});
    loadHeader();
    grid_.sort(L"pricevaluerate", 1);
    ClosedFund::MultiValueFilter* stocks = new ClosedFund::MultiValueFilter;
    stocks->SetColumn(L"investtype");
    stocks->AddValue(L"股票型");
    grid_.DisplayView()->addFilter(stocks);
    grid_.DisplayView()->rebuild(1);
    ASSERT_EQ(grid_.GetRowsCount(), 10);
    ASSERT_EQ(grid_.CodeOfRow(0), L"150010"); // the highest discount rate first
    ExpectedSheet expected = expectedSheet(kDefaultCaptions, kDefaultKinds);
    EXPECT_EQ(expected.rows[5][2], L"1/2"); // sorted: 150006 is the fifth fund
    expectReadBack(L"hard.xlsx", expected);

    // The user drags "基金公司" to the front and hides the dated group.
    grid_.MoveTopItem(16, 0);
    grid_.SetTopItemVisible(5, false);
    std::vector<std::wstring> captions = kDefaultCaptions;
    std::vector<std::string> kinds = kDefaultKinds;
    captions.erase(captions.begin() + 3, captions.begin() + 5);
    kinds.erase(kinds.begin() + 3, kinds.begin() + 5);
    captions.insert(captions.begin(), captions.back());
    kinds.insert(kinds.begin(), kinds.back());
    captions.pop_back();
    kinds.pop_back();
    expected = expectedSheet(captions, kinds);
    ASSERT_EQ(expected.rows[0].size(), size_t(grid_.GetColumnCount()));
    expectReadBack(L"moved.xlsx", expected);

    stocks->ClearValues(); // nothing passes
    grid_.DisplayView()->rebuild(1);
    ASSERT_EQ(grid_.GetRowsCount(), 0);
    expectReadBack(L"none.xlsx", expectedSheet(captions, kinds));
    grid_.DisplayView()->removeFilter(stocks);
    stocks->release();
}

// The sheet is named after the page's title, without the characters a sheet name cannot
// hold; a workbook that cannot be written leaves the old file and says why; a list longer
// than a sheet is refused before anything is written.
TEST_F(WorkbookExportTest, SheetNameFailuresAndTheSheetsLimit)
{
    fill({L"code", L"a", L"b"}, {{L"1", L"x", L"y"}});
    ASSERT_EQ(grid_.SetHeaderText(kTwoColumnHeader), 1);
    grid_.SortedView()->rebuild(1);
    grid_.SetAccessibleName(L"封闭式基金:净值/列表[2026]*?'");
    ExpectedSheet expected;
    expected.sheet = L"封闭式基金净值列表2026";
    expected.kinds = {"text", "text"};
    expected.widths = {80, 80};
    expected.rows = {{L"A", L"B"}, {L"x", L"y"}};
    XStringW error;
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"named.xlsx"), 0, error)) << Common::toUtf8(error);
    EXPECT_EQ(readBackWorkbook(dir_, dir_.file(L"named.xlsx"), expected), "OK");
    EXPECT_EQ(ClosedFund::sheetNameFor(std::wstring(40, L'长')), std::wstring(31, L'长'));
    EXPECT_EQ(ClosedFund::sheetNameFor(L"[]"), L"工作表1");

    const std::wstring readOnly = dir_.file(L"只读.xlsx");
    ASSERT_TRUE(TestSupport::writeFileBytes(readOnly, "old bytes"));
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    exportFails(readOnly, ClosedFund::EXPORT_WORKBOOK);
    EXPECT_EQ(readFileBytes(readOnly), "old bytes");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    exportFails(dir_.file(L"no such folder\\list.xlsx"), ClosedFund::EXPORT_WORKBOOK);

    std::wstring why;
    EXPECT_TRUE(ClosedFund::WorkbookWriter::fits(1048575, 17, why));
    EXPECT_FALSE(ClosedFund::WorkbookWriter::fits(1048576, 17, why));
    EXPECT_NE(why.find(L"1048575"), std::wstring::npos) << Common::toUtf8(why);
    EXPECT_FALSE(ClosedFund::WorkbookWriter::fits(10, 16385, why));
}

// The extension decides the kind of file, the type only what the extension leaves open; a
// name the rules do not know gets the type's extension, so a file never claims to be what it
// is not. The dialog's numbering keeps the text types' old numbers.
TEST_F(WorkbookExportTest, ExtensionAndTypeAgree)
{
    using ClosedFund::exportTargetFor;
    struct Case {
        const wchar_t* path;
        int type;
        const wchar_t* written;
        bool workbook;
        wchar_t separator;
        bool utf8;
    } cases[] = {
        {L"C:\\a\\list.xlsx", 1, L"C:\\a\\list.xlsx", true, 0, false},
        {L"C:\\a\\list.XLSX", 3, L"C:\\a\\list.XLSX", true, 0, false},
        {L"C:\\a\\list.csv", 1, L"C:\\a\\list.csv", false, L',', false},
        {L"C:\\a\\list.csv", 3, L"C:\\a\\list.csv", false, L',', false},
        {L"C:\\a\\list.csv", 2, L"C:\\a\\list.csv", false, L',', true},
        {L"C:\\a\\list.csv", 4, L"C:\\a\\list.csv", false, L',', true},
        {L"C:\\a\\list.csv", 0, L"C:\\a\\list.csv", false, L',', true},
        {L"C:\\a\\list.txt", 2, L"C:\\a\\list.txt", false, L'\t', false},
        {L"C:\\a\\list.Xls", 4, L"C:\\a\\list.Xls", false, L'\t', false},
        {L"C:\\a\\list.pdf", 1, L"C:\\a\\list.pdf.csv", false, L',', false},
        {L"C:\\a\\list.pdf", 2, L"C:\\a\\list.pdf.csv", false, L',', true},
        {L"C:\\a\\list.pdf", 3, L"C:\\a\\list.pdf.txt", false, L'\t', false},
        {L"C:\\a\\list.pdf", 4, L"C:\\a\\list.pdf.xlsx", true, 0, false},
        {L"C:\\a\\list", 0, L"C:\\a\\list.xlsx", true, 0, false},
        {L"C:\\a\\list.", 3, L"C:\\a\\list.txt", false, L'\t', false},
        {L"C:\\a.b\\list", 9, L"C:\\a.b\\list.xlsx", true, 0, false},
    };
    for (const Case& c : cases) {
        ClosedFund::ExportTarget target = exportTargetFor(c.path, c.type);
        SCOPED_TRACE(Common::toUtf8(std::wstring(c.path)) + " type " + std::to_string(c.type));
        EXPECT_EQ(target.path, c.written);
        EXPECT_EQ(target.workbook, c.workbook);
        if (c.workbook) continue;
        EXPECT_EQ(target.text.separator, c.separator);
        EXPECT_EQ(target.text.utf8, c.utf8);
    }
    for (int type = 1; type <= 4; ++type)
        EXPECT_EQ(ClosedFund::exportTypeOfDialogIndex(ClosedFund::dialogIndexOfExportType(type)), type);
    EXPECT_EQ(ClosedFund::dialogIndexOfExportType(ClosedFund::EXPORT_WORKBOOK), 1u);
    EXPECT_EQ(ClosedFund::exportTypeOfDialogIndex(0), ClosedFund::EXPORT_WORKBOOK);

    // Through the export itself: the CSV chosen as "list.pdf" is "list.pdf.csv".
    fill({L"code", L"a", L"b"}, {{L"1", L"x", L"y"}});
    ASSERT_EQ(grid_.SetHeaderText(kTwoColumnHeader), 1);
    grid_.SortedView()->rebuild(1);
    XStringW error;
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"list.pdf"), 1, error)) << Common::toUtf8(error);
    EXPECT_EQ(GetFileAttributesW(dir_.file(L"list.pdf").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(readFileBytes(dir_.file(L"list.pdf.csv")), kUtf16Bom + utf16(L"\"A\",\"B\"\r\n\"x\",\"y\"\r\n"));
}

// The dialog offers the workbook first and preselected, then the three text types in their
// old order, each saying what it writes; it opens next time on the type chosen last, which
// is kept beside the folder. A name it had to extend is asked about before an existing file
// is replaced; characters left out are counted in the confirmation.
TEST_F(WorkbookExportTest, TheDialogOffersTheWorkbookFirstAndRemembersTheType)
{
    useStatusBar();
    fill({L"code", L"a", L"b"}, {{L"1", std::wstring(L"x\0", 2), L"y"}});
    ASSERT_EQ(grid_.SetHeaderText(kTwoColumnHeader), 1);
    grid_.SortedView()->rebuild(1);
    const std::wstring csv8 = L"\"A\",\"B\"\r\n\"x\",\"y\"\r\n", tab = L"\"A\"\t\"B\"\r\n\"x\"\t\"y\"\r\n";
    {
        SaveDialogDriver driver(3, dir_.file(L"选择"));
        grid_.ExportList();
        EXPECT_EQ(driver.types,
                  (std::vector<std::wstring>{L"Excel 工作簿 (*.xlsx)", L"UTF-16 逗号分隔文本 (*.csv)",
                                             L"UTF-8 逗号分隔文本 (*.csv)", L"UTF-16 制表符分隔文本 (*.txt;*.xls)"}));
        EXPECT_EQ(driver.preselected, 1);
    }
    EXPECT_EQ(readFileBytes(dir_.file(L"选择.csv")), "\xEF\xBB\xBF" + Common::toUtf8(csv8));
    EXPECT_EQ(shownStatus(), L"已导出 1 只基金到 " + dir_.file(L"选择.csv") + L"（略去 1 个无法写入的控制字符）");
    XComPtr<Host::IConfKey> key = app_.userConf->getKey(ClosedFund::kExportTypeKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(std::wstring(key->getValue()->getString()), L"2");

    {
        SaveDialogDriver driver(4, dir_.file(L"表.pdf"));
        grid_.ExportList();
        EXPECT_EQ(driver.preselected, 3); // the UTF-8 type, chosen last time
        EXPECT_TRUE(driver.question.empty());
    }
    EXPECT_EQ(readFileBytes(dir_.file(L"表.pdf.txt")), kUtf16Bom + utf16(tab));
    ASSERT_TRUE(TestSupport::writeFileBytes(dir_.file(L"表.pdf.txt"), "keep"));
    {
        SaveDialogDriver driver(0, dir_.file(L"表.pdf"), IDNO);
        grid_.ExportList();
        EXPECT_EQ(driver.preselected, 4);
        EXPECT_NE(driver.question.find(dir_.file(L"表.pdf.txt")), std::wstring::npos)
            << Common::toUtf8(driver.question);
    }
    EXPECT_EQ(readFileBytes(dir_.file(L"表.pdf.txt")), "keep");
    {
        SaveDialogDriver driver(1, dir_.file(L"书"));
        grid_.ExportList();
    }
    EXPECT_EQ(readFileBytes(dir_.file(L"书.xlsx")).substr(0, 2), "PK");
    EXPECT_EQ(std::wstring(app_.userConf->getKey(ClosedFund::kExportTypeKey)->getValue()->getString()), L"4");
}

// A company stored without a pinyin initial ("" || '-' || name) shows whole: the grid, and
// so the filter bar and every export, which read the grid's text, never cut it at a '-'
// inside the name.
TEST_F(WorkbookExportTest, ACompanyWithoutInitialShowsWhole)
{
    XStringW error;
    ASSERT_TRUE(FundDb::writeFundDatabase(dir_.file(L"funds.db"), FundDb::Content::StandardSample, 0, false, error));
    {
        XComPtr<Host::IDatabaseHost> db =
            FundDb::openFundDatabase(dir_.file(L"funds.db"), error, FundDb::Access::ReadWrite);
        for (const wchar_t* sql : {L"insert into tb_investadvisor (guid, pycode, name) values ('x1', '', '甲号-基金'), "
                                   L"('x2', '', '乙号基金'), ('x3', 'bh', '丙号-基金')",
                                   L"update tb_fund set companyguid = 'x1' where code = '150001'",
                                   L"update tb_fund set companyguid = 'x2' where code = '150002'",
                                   L"update tb_fund set companyguid = 'x3' where code = '150003'"}) {
            XComPtr<Host::IStatement> statement = db->prepare(sql, error);
            ASSERT_TRUE(statement) << Common::toUtf8(error);
            statement->step();
        }
    }
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(dir_.file(L"funds.db"), error);
    ASSERT_TRUE(ClosedFund::fillFundTable(db.get(), grid_.FundTable(), L"2026-06-30"));
    loadHeader();
    auto companyOf = [this](const wchar_t* code) {
        for (int row = 0; row < grid_.GetRowsCount(); ++row)
            if (grid_.CodeOfRow(row) == code) return text(row, L"company");
        return std::wstring(L"<no such fund>");
    };
    EXPECT_EQ(companyOf(L"150001"), L"甲号-基金");
    EXPECT_EQ(companyOf(L"150002"), L"乙号基金");
    EXPECT_EQ(companyOf(L"150003"), L"丙号-基金");
    ASSERT_TRUE(grid_.ExportToFile(dir_.file(L"companies.csv"), 2, error));
    std::string written = readFileBytes(dir_.file(L"companies.csv"));
    EXPECT_NE(written.find(Common::toUtf8(L"\"甲号-基金\"\r\n")), std::string::npos);
    // The company is the last column: none of them starts with a dash but the placeholder.
    for (size_t end = written.find("\r\n"), from = 0; end != std::string::npos;
         from = end + 2, end = written.find("\r\n", from)) {
        std::string last = written.substr(from, end - from);
        last = last.substr(last.rfind(",\"") + 2);
        EXPECT_TRUE(last[0] != '-' || last == "--\"") << last;
    }
}
