// Damaged fund databases, generated from the sample deterministically (cut short at many
// offsets, bytes flipped in pages, wrong schemas, an empty file, a folder, a file another
// handle holds exclusively, codes repeated with no primary key): the fill and the page each
// give a clear error or the sample's rows, and no reader changes a byte of the file.
#include "RobustSupport.h"
#include "DamagedFiles.h"
#include "Database.h"
#include "PageHost.h"
#include "TempDir.h"
#include "data/FundTable.h"
#include "hostapi/DatabaseHost.h"
#include "hostapi/KernelHost.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include "page/ClosedFundPage.h"
#include <gtest/gtest.h>
#include <memory>

using namespace Robust;
using TestSupport::DamagedDatabase;
using TestSupport::ExclusiveHold;
using TestSupport::removeDatabaseFiles;

namespace {

const int kSampleRows = 60;

// The sample's bytes, which every damaged variant starts from.
class DamagedDatabases : public ::testing::Test {
protected:
    void SetUp() override
    {
        bytes_ = TestSupport::sampleDatabaseBytes(dir_);
        ASSERT_GT(bytes_.size(), 4096u);
    }
    std::vector<DamagedDatabase> variants(int count, uint32_t seedValue) const
    {
        return TestSupport::damagedDatabases(bytes_, kSampleRows, count, seedValue);
    }

    TestSupport::TempDir dir_;
    std::string bytes_;
};

// The page of the page suites, fed the same variants.
class DamagedDatabasesOnThePage : public PageTests::PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        bytes_ = TestSupport::sampleDatabaseBytes(dir_);
        ASSERT_GT(bytes_.size(), 4096u);
    }
    std::string bytes_;
};

// How many rows the stored query gives on db, counted by the database; -1 when it cannot.
int queryRowCount(Host::IDatabase* db)
{
    XStringW error;
    XComPtr<Host::IStatement> count = db->prepare(L"select count(*) from (" + ClosedFund::fundQuery() + L")", error);
    return count && count->step() ? _wtoi(count->getText(0).c_str()) : -1;
}

} // namespace

TEST_F(DamagedDatabases, TheFillGivesAnErrorOrTheRowsAndNeverChangesTheFile)
{
    Tally tally("damaged databases through the fill");
    std::vector<DamagedDatabase> all = variants(scaled(200, 1000), seed(20260626));
    for (size_t i = 0; i < all.size(); ++i) {
        const DamagedDatabase& v = all[i];
        std::wstring path = dir_.file(L"v" + std::to_wstring(i) + L".db");
        ASSERT_TRUE(v.make(path)) << v.name;
        bool existed = false;
        uint64_t before = fileHash(path, &existed);
        std::unique_ptr<ExclusiveHold> hold;
        if (v.name == "locked") hold = std::make_unique<ExclusiveHold>(path);
        std::string problem;
        {
            XStringW error, date, fillError, detail;
            XComPtr<Host::IDatabaseHost> db = FundDb::openFundDatabase(path, error);
            // A file another program holds is told as busy, not as damaged.
            if (v.name == "locked" && !db->isOpen() && db->getOpenFailure(detail) != Host::OpenFailure::Busy)
                problem = "a held file is not told as busy: " + Common::toUtf8(detail) + ";";
            XComPtr<Host::IDataTable> table = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
            bool filled = db && ClosedFund::queryDataDate(db.get(), date, error) &&
                          ClosedFund::fillFundTable(db.get(), table.get(), L"2026-06-26", &fillError);
            if (!filled && error.empty()) error = fillError;
            if (filled && table->getRowCount() != v.rows)
                problem = "filled with " + std::to_string(table->getRowCount()) + " rows";
            if (!filled && error.empty()) problem = "failed without an error text";
        }
        hold.reset();
        bool existsAfter = false;
        if (fileHash(path, &existsAfter) != before || existsAfter != existed) problem += " the file changed";
        if (problem.empty())
            tally.pass();
        else
            tally.fail(v.name + ":" + problem);
        EXPECT_TRUE(problem.empty()) << v.name << ": " << problem;
        removeDatabaseFiles(path);
    }
}

// The page over the same kinds of damage: each reload either shows the sample's rows or
// says in the status bar why it could not, and the grid keeps its columns throughout.
TEST_F(DamagedDatabasesOnThePage, ThePageShowsTheRowsOrSaysWhyAndKeepsItsColumns)
{
    Tally tally("damaged databases through the page");
    page_.show();
    std::vector<DamagedDatabase> all =
        TestSupport::damagedDatabases(bytes_, kSampleRows, scaled(60, 1000), seed(20260627));
    for (size_t i = 0; i < all.size(); ++i) {
        const DamagedDatabase& v = all[i];
        std::wstring path = dir_.file(L"p" + std::to_wstring(i) + L".db");
        ASSERT_TRUE(v.make(path)) << v.name;
        uint64_t before = fileHash(path);
        std::unique_ptr<ExclusiveHold> hold;
        if (v.name == "locked") hold = std::make_unique<ExclusiveHold>(path);
        std::string problem;
        {
            XStringW error;
            XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(path, error);
            statusBar_.texts.clear();
            int attempts = page_.loadAttempts();
            page_.setDatabase(db.get());
            // The load the host's start would run from the message loop; it shows no box.
            SendMessageW(page_.GetHandle(), ClosedFund::ClosedFundPage::WM_APP_DATABASE_READY, 0, 0);
            int rows = page_.grid().DisplayView()->getRowCount();
            bool said = page_.grid().GetEmptyText().find(L"无法读取基金数据") != std::wstring::npos ||
                        shownStatus().find(L"无法读取基金数据") != std::wstring::npos;
            if (page_.loadAttempts() != attempts + 1)
                problem = "no load ran";
            else if (!said && rows != v.rows)
                problem = "shows " + std::to_string(rows) + " rows without a word";
            if (page_.grid().GetColumnCount() == 0) problem += " no columns";
            page_.setDatabase(nullptr);
        }
        hold.reset();
        if (fileHash(path) != before) problem += " the file changed";
        if (problem.empty())
            tally.pass();
        else
            tally.fail(v.name + ":" + problem);
        EXPECT_TRUE(problem.empty()) << v.name << ": " << problem;
        removeDatabaseFiles(path);
    }
}

// Every sample row 400 times over, with no primary key: the query's self-join by code
// multiplies them, and the fill stops at its row bound with an error instead of reading
// millions of rows; the table keeps what it had.
TEST_F(DamagedDatabases, RepeatedCodesStopTheFillAtItsBound)
{
    Tally tally("repeated codes");
    std::wstring path = dir_.file(L"repeated.db");
    ASSERT_TRUE(TestSupport::writeRepeatedCodes(path, bytes_, 400));
    uint64_t before = fileHash(path);
    XStringW error;
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(path, error);
    ASSERT_TRUE(db && db->isOpen()) << narrow(error);
    // The host's own fill, which takes a bound (the client's fillTable takes none).
    XComPtr<Host::IDatabaseHost> host = db.cast<Host::IDatabaseHost>();
    ASSERT_TRUE(host);
    XComPtr<Host::IDataTable> table = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    XStringW query = ClosedFund::fundQuery();
    const int bound = 100000;
    bool filled = host->fill(query, table.get(), true, bound);
    std::string problem;
    if (filled)
        problem = "filled " + std::to_string(table->getRowCount()) + " rows past the bound";
    else if (host->getLastError().empty())
        problem = "refused without an error text";
    if (table->getRowCount() != 0) problem += " the table took rows";
    db.reset();
    if (fileHash(path) != before) problem += " the file changed";
    if (problem.empty())
        tally.pass();
    else
        tally.fail("400 copies of each row:" + problem);
    EXPECT_TRUE(problem.empty()) << problem << " " << narrow(error);
}

// The module's own fill over repeated codes: with the host's fill service it stops at the
// module's row bound (ten rows per fund) with the service's reason, and the list keeps the
// rows it had.
TEST_F(DamagedDatabases, RepeatedCodesStopTheModulesFillAndTheListKeepsItsRows)
{
    if (Host::contractOnly()) GTEST_SKIP() << "the client's fillTable takes no row bound";
    XStringW error;
    XComPtr<Host::IDataTable> table = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    {
        const std::wstring samplePath = dir_.file(L"sample.db");
        ASSERT_TRUE(TestSupport::writeFileBytes(samplePath, bytes_));
        XComPtr<Host::IDatabase> sample = FundDb::openFundDatabase(samplePath, error);
        ASSERT_TRUE(ClosedFund::fillFundTable(sample.get(), table.get(), L"2026-06-26", &error)) << narrow(error);
        ASSERT_EQ(table->getRowCount(), kSampleRows);
    }
    std::wstring path = dir_.file(L"repeated.db");
    ASSERT_TRUE(TestSupport::writeRepeatedCodes(path, bytes_, 20));
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(path, error);
    ASSERT_TRUE(db && db->isOpen()) << narrow(error);
    ASSERT_GT(queryRowCount(db.get()), ClosedFund::fundRowBound(db.get()));
    error.clear();
    EXPECT_FALSE(ClosedFund::fillFundTable(db.get(), table.get(), L"2026-06-26", &error));
    EXPECT_NE(error.find(L"more rows than expected"), std::wstring::npos) << narrow(error);
    EXPECT_EQ(table->getRowCount(), kSampleRows);
}

// The contract path has no bound to give: the fill reads every row the query gives (the
// host still refuses a result past its memory budget), and the list shows them all.
TEST_F(DamagedDatabases, OnTheContractPathRepeatedCodesFillWithoutABound)
{
    if (!Host::contractOnly()) GTEST_SKIP() << "the host's fill service bounds the rows outside contract-only mode";
    std::wstring path = dir_.file(L"repeated.db");
    ASSERT_TRUE(TestSupport::writeRepeatedCodes(path, bytes_, 20));
    XStringW error;
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(path, error);
    ASSERT_TRUE(db && db->isOpen()) << narrow(error);
    int rows = queryRowCount(db.get());
    ASSERT_GT(rows, ClosedFund::fundRowBound(db.get()));
    XComPtr<Host::IDataTable> table = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    EXPECT_TRUE(ClosedFund::fillFundTable(db.get(), table.get(), L"2026-06-26", &error)) << narrow(error);
    EXPECT_EQ(table->getRowCount(), rows);
}
