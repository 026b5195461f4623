// scripts/run --print as a person runs it, from the shell: the terminal's width (COLUMNS only
// when it is set), the columns chosen by caption, a database that is not there named as it
// was typed, and the client's own database read before the sample.
#include "PrintedLines.h"
#include "ShellRun.h"
#include "Database.h"
#include <gtest/gtest.h>

using namespace PrintedLines;
using TestSupport::ShellRun;

namespace {

// Runs scripts/run on what the build holds, as the client of a data folder of the test's own.
class RunPrint : public ::testing::Test {
protected:
    ShellRun run(const std::string& command, const std::wstring& dataFolder)
    {
        std::string windowsFolder = Common::toUtf8(dataFolder);
        return TestSupport::runShell(
            scratch_, "export CLIENT2_NO_BUILD=1 CLIENT2_DATA_DIR='" + windowsFolder + "'\n" + command, 120);
    }
    ShellRun run(const std::string& command) { return run(command, emptyFolder_.path()); }

    TestSupport::TempDir scratch_, emptyFolder_;
};

std::string text(const std::wstring& wide) { return Common::toUtf8(wide); }

} // namespace

TEST_F(RunPrint, KeepsToTheTerminalsWidthAndNamesTheColumnsLeftOut)
{
    ShellRun wide = run("unset COLUMNS; scripts/run --print");
    ASSERT_EQ(wide.status, 0) << wide.err;
    std::vector<std::wstring> lines = linesOf(wide.out);
    ASSERT_GT(lines.size(), 60u) << wide.out;
    for (const std::wstring& line : lines) EXPECT_LE(cellsOf(line), 120) << text(line);
    // Numbers stand on their decimal points.
    std::vector<std::wstring> rows(lines.begin() + 2, lines.end() - 1);
    for (Span column : columnsOf(lines[1])) {
        std::vector<size_t> points = decimalPoints(rows, column);
        for (size_t point : points) EXPECT_EQ(point, points.front()) << "column at " << column.first;
    }

    ShellRun narrow = run("COLUMNS=60 scripts/run --print");
    ASSERT_EQ(narrow.status, 0) << narrow.err;
    std::vector<std::wstring> narrowLines = linesOf(narrow.out);
    ASSERT_EQ(narrowLines.size(), lines.size());
    EXPECT_LT(columnsOf(narrowLines[1]).size(), columnsOf(lines[1]).size());
    for (size_t i = 0; i + 1 < narrowLines.size(); ++i) EXPECT_LE(cellsOf(narrowLines[i]), 60) << text(narrowLines[i]);
    const std::wstring& note = narrowLines.back();
    EXPECT_EQ(note.find(L"未显示的列："), 0u) << text(note);
    for (const wchar_t* caption : {L"累计净值", L"折价率", L"基金公司"}) {
        EXPECT_EQ(narrowLines[0].find(caption), std::wstring::npos) << text(narrowLines[0]);
        EXPECT_NE(note.find(caption), std::wstring::npos) << text(note);
    }
}

TEST_F(RunPrint, ChoosesColumnsByCaptionAndRefusesUnknownOnes)
{
    ShellRun chosen = run("scripts/run --print --columns '代码,折价率,剩余期限'");
    ASSERT_EQ(chosen.status, 0) << chosen.err;
    std::vector<std::wstring> lines = linesOf(chosen.out);
    ASSERT_GT(lines.size(), 2u);
    EXPECT_EQ(columnsOf(lines[1]).size(), 3u);
    EXPECT_LT(lines[0].find(L"代码"), lines[0].find(L"折价率"));
    EXPECT_LT(lines[0].find(L"折价率"), lines[0].find(L"剩余期限"));

    ShellRun unknown = run("scripts/run --print --columns '代码,净值'");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.out.empty()) << unknown.out;
    EXPECT_NE(unknown.err.find("没有这样的列：净值。可选的列："), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("单位净值"), std::string::npos) << unknown.err;
}

TEST_F(RunPrint, NamesADatabaseItCannotReadAsItWasTyped)
{
    ShellRun missing = run("scripts/run --print --db 'no such folder/funds.db'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.empty()) << missing.out;
    EXPECT_NE(missing.err.find("找不到基金数据库：no such folder/funds.db"), std::string::npos) << missing.err;

    // The printer's own word, for a file that is there but is no database, typed as a Linux path.
    ASSERT_TRUE(TestSupport::writeFileBytes(emptyFolder_.file(L"notes.db"), "code,name\n"));
    const std::string typed = TestSupport::unixPath(emptyFolder_.file(L"notes.db"));
    ShellRun notDatabase = run("scripts/run --print --db '" + typed + "'");
    EXPECT_EQ(notDatabase.status, 1);
    EXPECT_NE(notDatabase.err.find("这个文件不是基金数据库：" + typed), std::string::npos) << notDatabase.err;
    EXPECT_EQ(notDatabase.err.find("Z:"), std::string::npos) << notDatabase.err;
}

TEST_F(RunPrint, ReadsTheClientsDatabaseBeforeTheSample)
{
    TestSupport::TempDir clientFolder;
    XStringW error;
    ASSERT_TRUE(FundDb::writeFundDatabase(clientFolder.file(L"funds.db"), FundDb::Content::Synthetic, 25, true, error))
        << Common::toUtf8(error);
    ShellRun client = run("scripts/run --print", clientFolder.path());
    ASSERT_EQ(client.status, 0) << client.err;
    EXPECT_NE(client.out.find("样本基金"), std::string::npos) << client.out;
    EXPECT_EQ(client.out.find("示例基金"), std::string::npos);
    EXPECT_EQ(linesOf(client.out).size(), 25u + 3u) << client.out;
    // Named as a Linux path, the way the script found the folder from the Windows one.
    const std::wstring folder = clientFolder.path().substr(clientFolder.path().find_last_of(L'\\') + 1);
    EXPECT_NE(client.err.find("读取客户端数据目录中的基金数据库 /"), std::string::npos) << client.err;
    EXPECT_NE(client.err.find(Common::toUtf8(folder) + "/funds.db\n"), std::string::npos) << client.err;

    // No database in the data folder: the labelled sample, and stderr says so.
    ShellRun sample = run("scripts/run --print");
    ASSERT_EQ(sample.status, 0) << sample.err;
    EXPECT_NE(sample.out.find("示例基金001"), std::string::npos) << sample.out;
    EXPECT_NE(sample.err.find("中没有基金数据库，读取样本数据库"), std::string::npos) << sample.err;
}
