// Damaged fund databases, generated from the sample deterministically (cut short at many
// offsets, bytes flipped in pages, wrong schemas, an empty file, a folder, a file another
// handle holds exclusively, codes repeated with no primary key): the fill and the page each
// give a clear error or the sample's rows, and no reader changes a byte of the file.
#include "RobustSupport.h"
#include "ParentWindow.h"
#include "Database.h"
#include "TempDir.h"
#include "TestModules.h"
#include "data/FundTable.h"
#include "hostapi/DatabaseHost.h"
#include "hostapi/KernelHost.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include "page/ClosedFundPage.h"
#include <gtest/gtest.h>
#include <functional>

using namespace Robust;

namespace {

const int kSampleRows = 60;

// One damaged database: its name (the reproducer) and how to make it at a path.
struct Variant {
    std::string name;
    std::function<bool(const std::wstring& path)> make;
    int rows = kSampleRows; // what a fill that succeeds must give
};

// Runs sql on a writer connection to the file at path.
bool execOn(const std::wstring& path, const std::vector<const wchar_t*>& statements)
{
    XStringW error;
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(path, error, FundDb::Access::ReadWrite);
    if (!db || !db->isOpen()) return false;
    for (const wchar_t* sql : statements) {
        XComPtr<Host::IStatement> s = db->prepare(sql, error);
        if (!s) return false;
        s->step();
    }
    return true;
}

// Every way the sample's schema can be wrong that a careless writer produces.
const std::vector<std::vector<const wchar_t*>> kWrongSchemas = {
    {L"drop table tb_closedfund"},
    {L"drop table tb_fund"},
    {L"drop table tb_investadvisor"},
    {L"drop table tb_bonus"},
    {L"alter table tb_closedfund rename column value to netvalue"},
    {L"alter table tb_fund rename column companyguid to company"},
    {L"drop table tb_closedfund", L"create table tb_closedfund (code)"},
    {L"drop table tb_closedfund", L"create view tb_closedfund as select 1 as code"},
    {L"delete from tb_closedfund"},
    {L"update tb_closedfund set date = null, value = x'00ff', price = 'abc'"},
    {L"update tb_closedfund set increasepercent = 'not a number', pricevalueRate = x'deadbeef'"},
    {L"update tb_fund set expiredate = '9999-99-99', createdate = ''"},
};

class DamagedDatabases : public ::testing::Test {
protected:
    void SetUp() override
    {
        XStringW error;
        sample_ = dir_.file(L"sample.db");
        ASSERT_TRUE(FundDb::writeFundDatabase(sample_, FundDb::Content::StandardSample, 0, true, error));
        bytes_ = TestSupport::readFileBytes(sample_);
        ASSERT_GT(bytes_.size(), 4096u);
        pageSize_ = (uint8_t(bytes_[16]) << 8) | uint8_t(bytes_[17]);
        if (pageSize_ == 1) pageSize_ = 65536;
    }

    std::vector<Variant> variants(int count, uint32_t seedValue)
    {
        std::vector<Variant> out;
        std::mt19937 rng(seedValue);
        const std::string sample = bytes_;
        const size_t pages = sample.size() / pageSize_;
        auto write = [](std::string bytes) {
            return [bytes](const std::wstring& path) { return TestSupport::writeFileBytes(path, bytes); };
        };
        out.push_back({"empty file", write(std::string())});
        out.push_back({"header only", write(sample.substr(0, 100))});
        out.push_back({"text file", write("code,name\n500001,not a database\n")});
        out.push_back(
            {"a folder", [](const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr) != 0; }});
        out.push_back({"locked", write(sample)}); // held exclusively while read, below
        for (size_t i = 0; i < kWrongSchemas.size(); ++i) {
            const auto& statements = kWrongSchemas[i];
            bool emptied = std::wstring(statements[0]).find(L"delete") == 0;
            out.push_back({"wrong schema " + std::to_string(i),
                           [sample, statements](const std::wstring& path) {
                               return TestSupport::writeFileBytes(path, sample) && execOn(path, statements);
                           },
                           emptied ? 0 : kSampleRows});
        }
        for (size_t p = 1; p <= pages && int(out.size()) < count / 4; ++p)
            out.push_back({"cut at page " + std::to_string(p), write(sample.substr(0, p * pageSize_ - (p % 2)))});
        while (int(out.size()) < count) {
            std::string bytes = sample;
            std::string name;
            switch (rng() % 3) {
            case 0: {
                size_t at = rng() % bytes.size();
                bytes.resize(at);
                name = "cut at byte " + std::to_string(at);
                break;
            }
            case 1: {
                int flips = 1 + int(rng() % 8);
                name = "flips";
                for (int f = 0; f < flips; ++f) {
                    size_t at = rng() % bytes.size();
                    bytes[at] = char(bytes[at] ^ (1 + rng() % 255));
                    name += " " + std::to_string(at);
                }
                break;
            }
            default: {
                // A burst over one page's body: what a torn write leaves.
                size_t page = rng() % pages, at = page * pageSize_ + rng() % (pageSize_ - 32);
                for (size_t k = 0; k < 32; ++k) bytes[at + k] = char(rng());
                name = "burst at " + std::to_string(at);
                break;
            }
            }
            out.push_back({name, write(bytes)});
        }
        return out;
    }

    // The sample with every row of tb_closedfund copies times over and no key to stop it.
    bool writeRepeatedCodes(const std::wstring& path, int copies)
    {
        std::wstring repeat = L"with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
                              std::to_wstring(copies) + L") insert into tb_closedfund select tb_copy.* from tb_copy, n";
        return TestSupport::writeFileBytes(path, bytes_) &&
               execOn(path, {L"create table tb_copy as select * from tb_closedfund", L"drop table tb_closedfund",
                             L"create table tb_closedfund as select * from tb_copy where 0", repeat.c_str(),
                             L"drop table tb_copy"});
    }

    TestSupport::TempDir dir_;
    std::wstring sample_;
    std::string bytes_;
    size_t pageSize_ = 4096;
};

// Holds the file without sharing while it lives: the "locked" variant.
struct ExclusiveHold {
    HANDLE file = INVALID_HANDLE_VALUE;
    explicit ExclusiveHold(const std::wstring& path)
    {
        file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;
    ~ExclusiveHold()
    {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
};

void removeDatabaseFiles(const std::wstring& path)
{
    for (const wchar_t* suffix : {L"", L"-wal", L"-shm", L"-journal"}) DeleteFileW((path + suffix).c_str());
    RemoveDirectoryW(path.c_str());
}

// How many rows the stored query gives on db, counted by the database; -1 when it cannot.
int queryRowCount(Host::IDatabase* db)
{
    XStringW error;
    XComPtr<Host::IStatement> count = db->prepare(L"select count(*) from (" + ClosedFund::fundQuery() + L")", error);
    return count && count->step() ? _wtoi(count->getText(0).c_str()) : -1;
}

// The page's last status line as the user sees it: in the host's status bar, or without one
// (the client has none, and in contract-only mode the app does not hand it out) in the
// page's own title strip.
std::wstring shownStatus(const TestSupport::StatusBar& bar, const ClosedFund::ClosedFundPage& page)
{
    if (!Host::contractOnly()) return bar.texts.empty() ? std::wstring() : bar.texts.back();
    return page.StatusText();
}

} // namespace

TEST_F(DamagedDatabases, TheFillGivesAnErrorOrTheRowsAndNeverChangesTheFile)
{
    Tally tally("damaged databases through the fill");
    std::vector<Variant> all = variants(scaled(200, 1000), seed(20260626));
    for (size_t i = 0; i < all.size(); ++i) {
        const Variant& v = all[i];
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
TEST_F(DamagedDatabases, ThePageShowsTheRowsOrSaysWhyAndKeepsItsColumns)
{
    Tally tally("damaged databases through the page");
    TestSupport::TempDir confDir;
    TestSupport::TestApp app;
    TestSupport::StatusBar statusBar;
    app.userConf = Host::openUserConf(confDir.file(L"user.conf").c_str());
    app.themes = Host::openThemeMgr(shippedThemeFolder().c_str(), "light");
    app.modules[Host::kStatusBarModuleName] = &statusBar;
    TestSupport::ParentWindow parent(RECT{0, 0, 900, 500});
    ClosedFund::ClosedFundPage page;
    page.attachApp(&app);
    ASSERT_TRUE(page.create(parent.hwnd(), nullptr));
    page.move(0, 0, 900, 500);
    page.applyTheme(app.themes->getCurrentTheme().get());
    page.show();

    std::vector<Variant> all = variants(scaled(60, 1000), seed(20260627));
    for (size_t i = 0; i < all.size(); ++i) {
        const Variant& v = all[i];
        std::wstring path = dir_.file(L"p" + std::to_wstring(i) + L".db");
        ASSERT_TRUE(v.make(path)) << v.name;
        uint64_t before = fileHash(path);
        std::unique_ptr<ExclusiveHold> hold;
        if (v.name == "locked") hold = std::make_unique<ExclusiveHold>(path);
        std::string problem;
        {
            XStringW error;
            XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(path, error);
            statusBar.texts.clear();
            int attempts = page.loadAttempts();
            page.setDatabase(db.get());
            // The load the host's start would run from the message loop; it shows no box.
            SendMessageW(page.GetHandle(), ClosedFund::ClosedFundPage::WM_APP_DATABASE_READY, 0, 0);
            int rows = page.grid().DisplayView()->getRowCount();
            bool said = page.grid().GetEmptyText().find(L"无法读取基金数据") != std::wstring::npos ||
                        shownStatus(statusBar, page).find(L"无法读取基金数据") != std::wstring::npos;
            if (page.loadAttempts() != attempts + 1)
                problem = "no load ran";
            else if (!said && rows != v.rows)
                problem = "shows " + std::to_string(rows) + " rows without a word";
            if (page.grid().GetColumnCount() == 0) problem += " no columns";
            page.setDatabase(nullptr);
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
    page.DestroyWindow();
}

// Every sample row 400 times over, with no primary key: the query's self-join by code
// multiplies them, and the fill stops at its row bound with an error instead of reading
// millions of rows; the table keeps what it had.
TEST_F(DamagedDatabases, RepeatedCodesStopTheFillAtItsBound)
{
    Tally tally("repeated codes");
    std::wstring path = dir_.file(L"repeated.db");
    ASSERT_TRUE(writeRepeatedCodes(path, 400));
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
        XComPtr<Host::IDatabase> sample = FundDb::openFundDatabase(sample_, error);
        ASSERT_TRUE(ClosedFund::fillFundTable(sample.get(), table.get(), L"2026-06-26", &error)) << narrow(error);
        ASSERT_EQ(table->getRowCount(), kSampleRows);
    }
    std::wstring path = dir_.file(L"repeated.db");
    ASSERT_TRUE(writeRepeatedCodes(path, 20));
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
    ASSERT_TRUE(writeRepeatedCodes(path, 20));
    XStringW error;
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(path, error);
    ASSERT_TRUE(db && db->isOpen()) << narrow(error);
    int rows = queryRowCount(db.get());
    ASSERT_GT(rows, ClosedFund::fundRowBound(db.get()));
    XComPtr<Host::IDataTable> table = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    EXPECT_TRUE(ClosedFund::fillFundTable(db.get(), table.get(), L"2026-06-26", &error)) << narrow(error);
    EXPECT_EQ(table->getRowCount(), rows);
}
