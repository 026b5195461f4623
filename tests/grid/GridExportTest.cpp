// The closed-fund grid's export: the exact bytes of each encoding and separator, the save
// dialog, the columns it leaves out and an empty list.
#include "FundGridFixture.h"
#include "ModalDriver.h"

using namespace FundGridTests;
using TestSupport::readFileBytes;

namespace {

std::string utf16(const std::wstring& s)
{
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * sizeof(wchar_t));
}

const std::string kUtf16Bom("\xFF\xFE", 2);

} // namespace

TEST_F(FundGridTest, ExportWritesExactBytesForEachEncodingAndSeparator)
{
    fill({L"code", L"a", L"b"}, {{L"1", L"x", L"y"}});
    ASSERT_EQ(grid_.SetHeaderText(kTwoColumnHeader), 1);
    grid_.SortedView()->rebuild(1);

    ASSERT_TRUE(grid_.ExportTo(dir_.file(L"list.csv"), 1));
    EXPECT_EQ(readFileBytes(dir_.file(L"list.csv")), kUtf16Bom + utf16(L"\"A\",\"B\",\r\n\"x\",\"y\",\r\n"));
    ASSERT_TRUE(grid_.ExportTo(dir_.file(L"list8.csv"), 2));
    EXPECT_EQ(readFileBytes(dir_.file(L"list8.csv")), "\xEF\xBB\xBF\"A\",\"B\",\r\n\"x\",\"y\",\r\n");
    ASSERT_TRUE(grid_.ExportTo(dir_.file(L"list.xLs"), 3));   // a UTF-16 text with tabs, not a workbook
    EXPECT_EQ(readFileBytes(dir_.file(L"list.xLs")), kUtf16Bom + utf16(L"\"A\"\t\"B\"\t\r\n\"x\"\t\"y\"\t\r\n"));
    ASSERT_TRUE(grid_.ExportTo(dir_.file(L"list8.xls"), 2));
    EXPECT_EQ(readFileBytes(dir_.file(L"list8.xls")), "\xEF\xBB\xBF\"A\"\t\"B\"\t\r\n\"x\"\t\"y\"\t\r\n");
    EXPECT_FALSE(grid_.ExportTo(dir_.file(L"no such folder\\list.csv"), 1));

    // Through the menu command and the real save dialog; a cancel writes nothing.
    TestSupport::ModalDriver driver;
    driver.answerSaveDialog(dir_.file(L"chosen.xls"));
    SendMessageW(grid_.GetHwnd(), WM_COMMAND, ClosedFund::CMD_EXPORT, 0);
    EXPECT_TRUE(driver.waitDone(5000));
    EXPECT_EQ(readFileBytes(dir_.file(L"chosen.xls")), kUtf16Bom + utf16(L"\"A\"\t\"B\"\t\r\n\"x\"\t\"y\"\t\r\n"));
    driver.cancelDialog();
    grid_.ExportList();
    EXPECT_TRUE(driver.waitDone(5000));
    EXPECT_EQ(GetFileAttributesW(dir_.file(L"契约型封闭式基金净值.csv").c_str()), INVALID_FILE_ATTRIBUTES);

    fill({L"code", L"a", L"b"}, {});
    ASSERT_TRUE(grid_.ExportTo(dir_.file(L"empty.csv"), 1));
    EXPECT_EQ(readFileBytes(dir_.file(L"empty.csv")), kUtf16Bom + utf16(L"\"A\",\"B\",\r\n"));
}

TEST_F(FundGridTest, ExportLeavesOutHiddenAndGroupColumnsAndWritesShownTexts)
{
    fill({{L"150001", L"150001", L"甲基金", L"1.0230", L"0.01", L"0.1234", L"-0.05", L"0001-01-01", L"JH-甲号基金"}});
    loadHeader();
    ASSERT_TRUE(grid_.ExportTo(dir_.file(L"funds.csv"), 1));
    std::string bytes = readFileBytes(dir_.file(L"funds.csv"));
    ASSERT_GT(bytes.size(), 2u);
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    std::wstring header = text.substr(0, text.find(L"\r\n"));
    EXPECT_EQ(header, L"\"排序\",\"代码\",\"名称\",\"增长值\",\"增长率\",\"市价\",\"折价值\",\"折价率\",\"到期日\","
                      L"\"折价年化收益率\",\"投资类型\",\"基金类型\",\"投资风格\",\"成立日期\",\"基金公司\",");
    std::wstring row = text.substr(header.size() + 2);
    // Formatted as on screen (the percentage, the placeholder date), the company without its
    // initial; fields the table lacks show as "--", as on screen.
    EXPECT_EQ(row, L"\"1\",\"150001\",\"甲基金\",\"0.01\",\"12.34%\",\"--\",\"--\",\"-5.00%\",\"--\",\"--\",\"--\",\"--\","
                   L"\"--\",\"--\",\"甲号基金\",\r\n");

    ASSERT_EQ(grid_.SetHeaderText(L"<header><item title=\"大写\" name=\"code\" visible=\"TRUE\"/>"
                                  L"<item title=\"小写\" name=\"name\" visible=\"true\"/></header>"), 1);
    ASSERT_TRUE(grid_.ExportTo(dir_.file(L"visible.csv"), 2));
    EXPECT_EQ(readFileBytes(dir_.file(L"visible.csv")),
              "\xEF\xBB\xBF" + Common::toUtf8(L"\"小写\",\r\n\"甲基金\",\r\n"));
}
