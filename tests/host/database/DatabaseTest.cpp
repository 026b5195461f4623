// The fund database over real SQLite files: opening, statements, filling a kernel table,
// the database writer, connections of several threads, and the table-fill service.
#include "Database.h"
#include "DamagedFiles.h"
#include "SqliteDatabase.h"
#include "TempDir.h"
#include "ext/TableFill.h"
#include "hostapi/DataHost.h"
#include "hostapi/DatabaseHost.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <process.h>
#include <thread>
#include <vector>

using namespace Host;
using TestSupport::TempDir;

namespace {

// The fund database as the host's own callers see it: fills with a result, the error text.
XComPtr<IDatabaseHost> hostSide(const XComPtr<IDatabase>& db)
{
    XComPtr<IDatabaseHost> host = db.cast<IDatabaseHost>();
    EXPECT_TRUE(host) << "not the host's database";
    return host;
}

XComPtr<IDatabaseHost> open(const std::wstring& path, FundDb::Access access = FundDb::Access::ReadWrite)
{
    XStringW error;
    XComPtr<IDatabaseHost> db = hostSide(FundDb::openFundDatabase(path, error, access));
    EXPECT_TRUE(db && db->isOpen()) << Common::toUtf8(error);
    return db;
}

XComPtr<IDatabaseHost> makeDatabase(const TempDir& dir, FundDb::Content content, const wchar_t* name = L"funds.db")
{
    XStringW error;
    EXPECT_TRUE(FundDb::writeFundDatabase(dir.file(name), content, 0, false, error)) << Common::toUtf8(error);
    return open(dir.file(name));
}

void exec(IDatabase* db, const std::wstring& sql)
{
    XStringW error;
    XComPtr<IStatement> statement = db->prepare(sql, error);
    ASSERT_TRUE(statement) << Common::toUtf8(error);
    statement->step();
}

XStringW scalar(IDatabase* db, const std::wstring& sql)
{
    XStringW error;
    XComPtr<IStatement> statement = db->prepare(sql, error);
    EXPECT_TRUE(statement) << Common::toUtf8(error);
    return statement && statement->step() ? statement->getText(0) : XStringW(L"<no row>");
}

XStringW cellText(IDataContainer* table, int row, const wchar_t* column)
{
    XComPtr<IDataRow> r = table->getRow(row);
    XComPtr<IColumnItem> cell = r ? r->getItem(column) : nullptr;
    return cell ? (cell->isNull() ? XStringW(L"<null>") : cell->getText()) : XStringW(L"<none>");
}

void addFunds(IDatabase* db)
{
    exec(db, L"insert into tb_fund (code, name, quotient, latestholderaccountnumber) values"
             L" ('500001', '示例基金一', 2.5e9, 12000), ('500002', NULL, NULL, NULL), ('500003', '示例基金三', 7, 3)");
}

} // namespace

TEST(FundDatabase, MissingCorruptAndFolderPathsReportErrorsAndChangeNothing)
{
    TempDir dir;
    XStringW error;
    XComPtr<IDatabaseHost> missing = hostSide(FundDb::openFundDatabase(dir.file(L"none.db"), error));
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->isOpen());
    // The technical reason for the log; the person's words from the object.
    EXPECT_NE(error.find(L"cannot open"), std::wstring::npos);
    EXPECT_EQ(std::wstring(missing->getLastError()), L"无法打开基金数据库");
    XStringW detail;
    EXPECT_EQ(missing->getOpenFailure(detail), OpenFailure::Missing);
    EXPECT_EQ(detail, error);
    EXPECT_EQ(GetFileAttributesW(dir.file(L"none.db").c_str()), INVALID_FILE_ATTRIBUTES)
        << "a missing file was created";
    XStringW prepareError;
    EXPECT_FALSE(missing->prepare(L"select 1", prepareError));
    EXPECT_FALSE(prepareError.empty());
    XComPtr<IDataTable> table = createInstanceAs<IDataTable>("Data.DataTable");
    EXPECT_FALSE(missing->fill(L"select 1", table.get(), true, 0));
    missing->fillTable(L"select 1", table.get(), true, 0); // the client's form: the table tells
    EXPECT_TRUE(table->isEmpty());
    EXPECT_EQ(table->getRowCount(), 0);

    const std::string garbage = TestSupport::notADatabase(4096);
    ASSERT_TRUE(TestSupport::writeFileBytes(dir.file(L"corrupt.db"), garbage));
    XComPtr<IDatabaseHost> corrupt = hostSide(FundDb::openFundDatabase(dir.file(L"corrupt.db"), error));
    ASSERT_TRUE(corrupt);
    EXPECT_FALSE(corrupt->isOpen());
    EXPECT_NE(error.find(L"not a database"), std::wstring::npos) << Common::toUtf8(error);
    EXPECT_EQ(corrupt->getOpenFailure(detail), OpenFailure::NotFundDatabase);
    EXPECT_EQ(std::wstring(corrupt->getLastError()), L"这个文件不是基金数据库");
    EXPECT_FALSE(corrupt->prepare(L"select 1", prepareError));
    EXPECT_FALSE(corrupt->fill(L"select 1", table.get(), true, 0));
    EXPECT_EQ(TestSupport::readFileBytes(dir.file(L"corrupt.db")), garbage);

    XComPtr<IDatabaseHost> folder = FundDb::openFundDatabase(dir.path(), error);
    EXPECT_FALSE(folder->isOpen());
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(folder->getOpenFailure(detail), OpenFailure::CannotOpen);
    XComPtr<IDatabase> unnamed = FundDb::openFundDatabase(L"", error);
    EXPECT_FALSE(unnamed->isOpen());
}

// A reader leaves every byte of the file as it was: an empty file stays empty, and a database
// in the rollback-journal mode of another program keeps its mode. Writes through it fail.
TEST(FundDatabase, ReaderNeverChangesTheFile)
{
    TempDir dir;
    XStringW error;
    ASSERT_TRUE(TestSupport::writeFileBytes(dir.file(L"empty.db"), std::string()));
    XComPtr<IDatabase> empty = FundDb::openFundDatabase(dir.file(L"empty.db"), error);
    scalar(empty.get(), L"select count(*) from sqlite_schema");
    EXPECT_EQ(TestSupport::readFileBytes(dir.file(L"empty.db")), std::string());

    ASSERT_TRUE(FundDb::writeFundDatabase(dir.file(L"rollback.db"), FundDb::Content::StandardSample, 0, false, error));
    {
        XComPtr<IDatabaseHost> owner = open(dir.file(L"rollback.db"));
        EXPECT_EQ(scalar(owner.get(), L"PRAGMA journal_mode=DELETE"), L"delete");
    }
    std::string before = TestSupport::readFileBytes(dir.file(L"rollback.db"));
    XComPtr<IDatabaseHost> reader = open(dir.file(L"rollback.db"), FundDb::Access::ReadOnly);
    EXPECT_EQ(scalar(reader.get(), L"select count(*) from tb_closedfund"), L"60");
    XComPtr<IStatement> write = reader->prepare(L"delete from tb_closedfund", error);
    EXPECT_TRUE(!write || !write->step());
    EXPECT_EQ(scalar(reader.get(), L"PRAGMA journal_mode"), L"delete");
    reader.reset();
    EXPECT_EQ(TestSupport::readFileBytes(dir.file(L"rollback.db")), before);
}

// A file whose damage lies where the usual queries do not look (an index page) still
// answers them; the check at opening finds it, and the file is left as it was.
TEST(FundDatabase, DamagedFileIsNotOpenedAsGood)
{
    TempDir dir;
    XStringW error;
    const std::wstring path = dir.file(L"damaged.db");
    ASSERT_TRUE(FundDb::writeFundDatabase(path, FundDb::Content::StandardSample, 0, false, error));
    {
        XComPtr<IDatabaseHost> db = open(path);
        EXPECT_EQ(scalar(db.get(), L"PRAGMA journal_mode=DELETE"), L"delete");
    }
    ASSERT_TRUE(TestSupport::damageIndexPage(path));
    const std::string bytes = TestSupport::readFileBytes(path);

    XComPtr<IDatabaseHost> damaged = FundDb::openFundDatabase(path, error);
    EXPECT_FALSE(damaged->isOpen());
    EXPECT_NE(error.find(L"is damaged"), std::wstring::npos) << Common::toUtf8(error);
    XStringW detail;
    EXPECT_EQ(damaged->getOpenFailure(detail), OpenFailure::Damaged);
    EXPECT_EQ(std::wstring(damaged->getLastError()), L"基金数据库已损坏");
    EXPECT_EQ(TestSupport::readFileBytes(path), bytes);
}

TEST(FundDatabase, WriterMakesWalDatabasesAndRefusesToOverwrite)
{
    TempDir dir;
    XStringW error;
    ASSERT_TRUE(FundDb::writeFundDatabase(dir.file(L"a.db"), FundDb::Content::StandardSample, 0, false, error));
    ASSERT_TRUE(FundDb::writeFundDatabase(dir.file(L"b.db"), FundDb::Content::StandardSample, 0, false, error));
    std::string first = TestSupport::readFileBytes(dir.file(L"a.db"));
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, TestSupport::readFileBytes(dir.file(L"b.db"))) << "the sample is not deterministic";

    EXPECT_FALSE(FundDb::writeFundDatabase(dir.file(L"a.db"), FundDb::Content::SchemaOnly, 0, false, error));
    EXPECT_NE(error.find(L"already exists"), std::wstring::npos);
    EXPECT_EQ(TestSupport::readFileBytes(dir.file(L"a.db")), first);
    EXPECT_FALSE(FundDb::writeFundDatabase(dir.file(L"c.db"), FundDb::Content::Synthetic, 0, false, error));
    EXPECT_EQ(GetFileAttributesW(dir.file(L"c.db").c_str()), INVALID_FILE_ATTRIBUTES);

    {
        XComPtr<IDatabaseHost> db = open(dir.file(L"a.db"));
        EXPECT_EQ(scalar(db.get(), L"PRAGMA journal_mode"), L"wal");
        EXPECT_EQ(scalar(db.get(), L"select count(*) from tb_closedfund"), L"60");
        EXPECT_EQ(scalar(db.get(), L"select count(distinct guid) from tb_investadvisor"), L"20");
        EXPECT_NE(scalar(db.get(), L"select value from tb_sampleinfo where key = 'content'").find(L"示例数据"),
                  std::wstring::npos);
        EXPECT_EQ(scalar(db.get(),
                         L"select count(*) from tb_fund where name not like '示例基金%'"
                         L" or companyguid not in (select guid from tb_investadvisor where name like '%示例%')"),
                  L"0")
            << "every fund and company name says it is an example";

        // A second live record or bonus of a fund would list it twice in the closed-fund
        // table: the database refuses both, while a deleted record may sit beside the live one.
        XStringW duplicates[] = {L"insert into tb_bonus select code, currdate, bonus from tb_bonus limit 1",
                                 L"insert into tb_fund (code, name) select code, name from tb_fund where isdeleted = 0 "
                                 L"and isdellisting = 0 limit 1"};
        for (const XStringW& sql : duplicates) {
            XStringW prepareError;
            XComPtr<IStatement> insert = db->prepare(sql, prepareError);
            ASSERT_TRUE(insert) << Common::toUtf8(prepareError);
            EXPECT_FALSE(insert->step());
            EXPECT_NE(db->getLastError().find(L"UNIQUE"), std::wstring::npos) << Common::toUtf8(db->getLastError());
        }
        EXPECT_EQ(scalar(db.get(), L"select count(*) from tb_bonus"), L"3");
        exec(db.get(), L"insert into tb_fund (code, name, isdeleted) select code, name, 1 from tb_fund limit 1");
        EXPECT_EQ(scalar(db.get(), L"select changes()"), L"1");
    }
    ASSERT_TRUE(FundDb::writeFundDatabase(dir.file(L"a.db"), FundDb::Content::Synthetic, 500, true, error));
    XComPtr<IDatabaseHost> db = open(dir.file(L"a.db"));
    EXPECT_EQ(scalar(db.get(), L"select count(*) from tb_closedfund"), L"500");
    EXPECT_EQ(scalar(db.get(), L"select count(*) from tb_closedfund where length(code) <> 6"), L"0");
    EXPECT_EQ(scalar(db.get(), L"select count(*) from tb_fund where expiredate = '0001-01-01'"), L"9");
}

TEST(FundDatabase, StatementsReadTextsNullsNumbersAndReportErrors)
{
    TempDir dir;
    XComPtr<IDatabaseHost> db = makeDatabase(dir, FundDb::Content::SchemaOnly);
    XStringW error;
    XComPtr<IStatementHost> s = db->prepare(L"select 'abc', NULL, 12, 1.5, '示例基金'", error).cast<IStatementHost>();
    ASSERT_TRUE(s) << Common::toUtf8(error);
    EXPECT_EQ(s->getColumnCount(), 5);
    ASSERT_TRUE(s->step());
    EXPECT_EQ(s->getText(0), L"abc");
    EXPECT_EQ(s->getText(1), L"");
    EXPECT_EQ(s->getText(2), L"12");
    EXPECT_EQ(s->getText(3), L"1.5");
    EXPECT_EQ(s->getText(4), L"示例基金");
    EXPECT_EQ(s->getText(5), L"");
    EXPECT_FALSE(s->step());
    EXPECT_FALSE(s->step());

    EXPECT_FALSE(db->prepare(L"selec date from tb_closedfund", error));
    EXPECT_NE(error.find(L"syntax error"), std::wstring::npos) << Common::toUtf8(error);
    EXPECT_FALSE(db->prepare(L"select \"date\" from nowhere", error));
    EXPECT_NE(error.find(L"no such table: nowhere"), std::wstring::npos) << Common::toUtf8(error);
    error.clear();
    EXPECT_FALSE(db->prepare(L"  -- nothing\n", error));
    EXPECT_FALSE(error.empty());
}

TEST(FundDatabase, FillTableNamesAndTypesColumnsKeepsStorageAndReplacesRows)
{
    TempDir dir;
    XComPtr<IDatabaseHost> db = makeDatabase(dir, FundDb::Content::SchemaOnly);
    addFunds(db.get());
    XComPtr<IDataTableHost> table = createHostTable();
    ASSERT_TRUE(table);
    const wchar_t* sql = L"select code, quotient, latestholderaccountnumber as peoples, name, ' ' as blank"
                         L" from tb_fund order by code";
    ASSERT_TRUE(db->fill(sql, table.get(), true, 0)) << Common::toUtf8(db->getLastError());
    ASSERT_EQ(table->getColumnCount(), 5);
    const wchar_t* names[] = {L"code", L"quotient", L"peoples", L"name", L"blank"};
    const int types[] = {VALUE_TEXT, VALUE_REAL, VALUE_INT, VALUE_TEXT, VALUE_TEXT};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(columnName(table.get(), i), names[i]);
        EXPECT_EQ(table->getColumn(i)->getValueType(), types[i]) << i;
    }
    EXPECT_FALSE(table->isEmpty());
    ASSERT_EQ(table->getRowCount(), 3);
    EXPECT_EQ(cellText(table.get(), 0, L"name"), L"示例基金一");
    EXPECT_EQ(cellText(table.get(), 1, L"name"), L"<null>");
    EXPECT_EQ(cellText(table.get(), 1, L"quotient"), L"<null>");
    EXPECT_EQ(table->getRow(0)->getItem(L"quotient")->getDouble(), 2.5e9);
    EXPECT_EQ(table->getRow(0)->getItem(L"peoples")->getInt(), 12000);
    EXPECT_EQ(cellText(table.get(), 2, L"quotient"), L"7.0") << "a REAL column keeps SQLite's real";
    EXPECT_EQ(cellText(table.get(), 2, L"blank"), L" ");

    // A refill replaces the rows and keeps the columns, also when told it is a first fill.
    exec(db.get(), L"delete from tb_fund where code = '500002'");
    ASSERT_TRUE(db->fill(sql, table.get(), false, 0));
    EXPECT_EQ(table->getRowCount(), 2);
    table->invalidate(0);
    ASSERT_TRUE(db->fill(sql, table.get(), table->isEmpty(), 0));
    EXPECT_EQ(table->getColumnCount(), 5);
    EXPECT_EQ(cellText(table.get(), 1, L"code"), L"500003");
    EXPECT_FALSE(table->isEmpty());

    // The client's form fills the same way; only its result is not told.
    exec(db.get(), L"insert into tb_fund (code, name) values ('500004', '示例基金四')");
    db->fillTable(sql, table.get(), false, 0);
    ASSERT_EQ(table->getRowCount(), 3);
    EXPECT_EQ(cellText(table.get(), 2, L"name"), L"示例基金四");
}

// Texts come from SQLite's UTF-8: every length and plane comes back as it was stored, and
// bytes that are no UTF-8 (a blob, a cut sequence, a surrogate's encoding) become U+FFFD
// one byte at a time instead of reading past the cell.
TEST(FundDatabase, FillReadsEveryUtf8TextAndReplacesMalformedBytes)
{
    TempDir dir;
    XComPtr<IDatabaseHost> db = makeDatabase(dir, FundDb::Content::SchemaOnly);
    XComPtr<IDataTableHost> table = createHostTable();
    ASSERT_TRUE(table);
    const wchar_t* sql = L"select '', 'a', '基金', 'x\U0001F4C8y', cast(x'41e59f' as text), cast(x'eda080ff' as text),"
                         L" x'c3'";
    ASSERT_TRUE(db->fill(sql, table.get(), true, 0)) << Common::toUtf8(db->getLastError());
    ASSERT_EQ(table->getColumnCount(), 7);
    XStringW text;
    const std::wstring expected[] = {
        L"", L"a", L"基金", L"x\U0001F4C8y", L"A\uFFFD\uFFFD", L"\uFFFD\uFFFD\uFFFD\uFFFD", L"\uFFFD"};
    for (int c = 0; c < 7; ++c) {
        table->readTextAt(0, c, text);
        EXPECT_EQ(std::wstring(text), expected[c]) << c;
    }
}

TEST(FundDatabase, FailedFillKeepsTheRows)
{
    TempDir dir;
    XComPtr<IDatabaseHost> db = makeDatabase(dir, FundDb::Content::SchemaOnly);
    addFunds(db.get());
    XComPtr<IDataTableHost> table = createHostTable();
    ASSERT_TRUE(table);
    ASSERT_TRUE(db->fill(L"select code, name from tb_fund order by code", table.get(), true, 0));

    EXPECT_FALSE(db->fill(L"select code from tb_missing", table.get(), false, 0));
    EXPECT_NE(db->getLastError().find(L"no such table"), std::wstring::npos);
    // This one fails at its last row, after two good ones were read.
    EXPECT_FALSE(db->fill(L"select code, case when code = '500003' then abs(-9223372036854775802 - length(code))"
                          L" else name end as name from tb_fund",
                          table.get(), false, 0));
    EXPECT_NE(db->getLastError().find(L"overflow"), std::wstring::npos) << Common::toUtf8(db->getLastError());
    EXPECT_FALSE(db->fill(L"", table.get(), false, 0));
    EXPECT_FALSE(db->fill(L"select 1", nullptr, false, 0));
    // A result that multiplies rows stops at its bound instead of filling memory.
    EXPECT_FALSE(db->fill(L"with recursive n(i) as (select 1 union all select i + 1 from n) select i from n",
                          table.get(), false, 1000));
    EXPECT_NE(db->getLastError().find(L"more rows than expected"), std::wstring::npos);
    // The client's form fails the same way, keeping the rows, with the text to read after it.
    db->fillTable(L"select code from tb_missing", table.get(), false, 0);
    EXPECT_NE(db->getLastError().find(L"no such table"), std::wstring::npos);

    ASSERT_EQ(table->getRowCount(), 3);
    EXPECT_EQ(table->getColumnCount(), 2);
    EXPECT_EQ(cellText(table.get(), 0, L"name"), L"示例基金一");
    EXPECT_EQ(cellText(table.get(), 2, L"code"), L"500003");
}

namespace {

struct WriterJob {
    IDatabaseHost* db;
    IStatement* othersStatement;
    bool prepared = false;
    bool steppedOthers = true;
    XStringW refusal = {};
};

unsigned __stdcall insertOnOwnThread(void* arg)
{
    auto* job = static_cast<WriterJob*>(arg);
    job->steppedOthers = job->othersStatement->step();
    job->refusal = job->db->getLastError();
    XStringW error;
    XComPtr<IStatement> insert = job->db->prepare(L"insert into tb_fund (code, name) values ('600001', '线程')", error);
    job->prepared = bool(insert);
    if (insert) insert->step();
    return 0;
}

} // namespace

// Each thread gets its own connection; with WAL a reader in the middle of a statement does
// not keep another thread from writing, and the next statement sees the new row. A
// statement is stepped only on the thread that prepared it: the connections have no lock.
TEST(FundDatabase, ThreadsWriteWhileAnotherReads)
{
    TempDir dir;
    XComPtr<IDatabaseHost> db = makeDatabase(dir, FundDb::Content::SchemaOnly);
    addFunds(db.get());
    XStringW error;
    XComPtr<IStatement> reading = db->prepare(L"select code from tb_fund order by code", error);
    ASSERT_TRUE(reading && reading->step());

    WriterJob job{db.get(), reading.get()};
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, insertOnOwnThread, &job, 0, nullptr));
    ASSERT_TRUE(thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_TRUE(job.prepared);
    EXPECT_FALSE(job.steppedOthers);
    EXPECT_NE(job.refusal.find(L"only on the thread that prepared it"), std::wstring::npos);
    EXPECT_EQ(std::wstring(db->getLastError()), L"") << "the refusal is the other thread's error";

    int rows = 1;
    while (reading->step()) ++rows;
    EXPECT_EQ(rows, 3) << "the open statement reads its own snapshot";
    EXPECT_EQ(scalar(db.get(), L"select name from tb_fund where code = '600001'"), L"线程");
}

// Each thread reads its own last error: another thread's failure, before or after, never
// takes its place, also through the fill service; a closed database tells every thread why.
TEST(FundDatabase, EachThreadReadsItsOwnLastError)
{
    TempDir dir;
    XComPtr<IDatabaseHost> db = makeDatabase(dir, FundDb::Content::SchemaOnly);
    addFunds(db.get());
    XComPtr<IDataTable> mineTable = createInstanceAs<IDataTable>("Data.DataTable");
    XComPtr<IDataTable> othersTable = createInstanceAs<IDataTable>("Data.DataTable");
    ASSERT_TRUE(mineTable && othersTable);
    EXPECT_FALSE(db->fill(L"select code from tb_missing", mineTable.get(), true, 0));
    const XStringW mine = db->getLastError();
    ASSERT_NE(mine.find(L"no such table"), std::wstring::npos) << Common::toUtf8(mine);

    XStringW othersAtStart, othersFailure, othersAfterSuccess;
    std::thread other([&] {
        othersAtStart = db->getLastError();
        EXPECT_FALSE(db->fill(L"selec code from tb_fund", othersTable.get(), true, 0));
        othersFailure = db->getLastError();
        EXPECT_TRUE(db->fill(L"select code from tb_fund", othersTable.get(), true, 0));
        othersAfterSuccess = db->getLastError();
    });
    other.join();
    EXPECT_EQ(std::wstring(othersAtStart), L"") << "a new thread starts with another's error";
    EXPECT_NE(othersFailure.find(L"syntax error"), std::wstring::npos) << Common::toUtf8(othersFailure);
    EXPECT_EQ(std::wstring(othersAfterSuccess), std::wstring(othersFailure));
    EXPECT_EQ(std::wstring(db->getLastError()), std::wstring(mine));

    if (auto service = createInstanceAs<ITableFill>(kTableFillProgId)) {
        XStringW workerError, workerLast, last;
        std::thread worker([&] {
            XComPtr<IDataTable> staging = createInstanceAs<IDataTable>("Data.DataTable");
            EXPECT_FALSE(service->fill(db.get(), L"select absent from tb_fund", staging.get(), 0, workerError));
            EXPECT_TRUE(service->lastError(db.get(), workerLast));
        });
        worker.join();
        EXPECT_NE(workerError.find(L"no such column"), std::wstring::npos) << Common::toUtf8(workerError);
        EXPECT_EQ(std::wstring(workerLast), std::wstring(workerError));
        EXPECT_TRUE(service->lastError(db.get(), last));
        EXPECT_EQ(std::wstring(last), std::wstring(mine));
    }

    XStringW why;
    XComPtr<IDatabaseHost> closed = hostSide(FundDb::openFundDatabase(dir.file(L"none.db"), why));
    ASSERT_TRUE(closed && !closed->isOpen());
    ASSERT_FALSE(why.empty());
    XStringW closedAtStart, closedOwn;
    std::thread reader([&] {
        closedAtStart = closed->getLastError();
        EXPECT_FALSE(closed->fill(L"select 1", nullptr, true, 0));
        closedOwn = closed->getLastError();
    });
    reader.join();
    EXPECT_EQ(std::wstring(closedAtStart), L"无法打开基金数据库");
    EXPECT_NE(closedOwn.find(L"no table to fill"), std::wstring::npos) << Common::toUtf8(closedOwn);
    EXPECT_EQ(std::wstring(closed->getLastError()), L"无法打开基金数据库");
}

namespace {

// The statements still open on a connection, by SQLite's own list.
int openStatements(sqlite3* connection)
{
    int count = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(connection, nullptr); s; s = sqlite3_next_stmt(connection, s)) ++count;
    return count;
}

std::vector<XComPtr<IStatement>> prepareMany(IDatabase* db, int count)
{
    std::vector<XComPtr<IStatement>> statements;
    XStringW error;
    for (int i = 0; i < count; ++i) {
        statements.push_back(db->prepare(L"select code from tb_fund order by code", error));
        EXPECT_TRUE(statements.back()) << Common::toUtf8(error);
        if (statements.back() && i % 2) statements.back()->step(); // half of them hold a read open
    }
    return statements;
}

} // namespace

// A statement released on another thread is finalized on its own thread, when that thread
// next uses the database or when the database closes; its thread's work goes on meanwhile.
TEST(FundDatabase, StatementReleasedOnAnotherThreadIsFinalizedOnItsOwn)
{
    TempDir dir;
    XComPtr<IDatabaseHost> db = makeDatabase(dir, FundDb::Content::SchemaOnly);
    addFunds(db.get());
    auto* sqlite = dynamic_cast<FundDb::SqliteDatabase*>(db.get());
    ASSERT_TRUE(sqlite);
    XStringW error;
    sqlite3* mine = sqlite->connection(error);
    ASSERT_TRUE(mine) << Common::toUtf8(error);
    ASSERT_EQ(openStatements(mine), 0);

    std::vector<XComPtr<IStatement>> handed = prepareMany(db.get(), 20);
    std::thread([&] { handed.clear(); }).join();
    EXPECT_EQ(openStatements(mine), 20) << "finalized on the releasing thread";
    EXPECT_EQ(scalar(db.get(), L"select count(*) from tb_fund"), L"3");
    EXPECT_EQ(openStatements(mine), 0);

    // Released one by one while this thread keeps reading and writing on its connection.
    handed = prepareMany(db.get(), 200);
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(started);
    std::thread releaser([&] {
        SetEvent(started);
        for (size_t left = handed.size(); left > 0; --left) {
            handed.pop_back();
            if (left % 4 == 0) Sleep(1); // spread over the other thread's work
        }
    });
    WaitForSingleObject(started, INFINITE);
    XComPtr<IDataTableHost> table = createHostTable();
    ASSERT_TRUE(table);
    for (int i = 0; i < 50; ++i) {
        exec(db.get(), L"insert into tb_fund (code, name) values ('" + std::to_wstring(700000 + i) + L"', '示例')");
        ASSERT_TRUE(db->fill(L"select code from tb_fund", table.get(), true, 0)) << Common::toUtf8(db->getLastError());
        EXPECT_EQ(table->getRowCount(), 4 + i);
    }
    releaser.join();
    CloseHandle(started);
    EXPECT_EQ(scalar(db.get(), L"select count(*) from tb_fund"), L"53");
    EXPECT_EQ(openStatements(mine), 0);

    // Left queued at close: the database still closes every connection, so the file is free.
    handed = prepareMany(db.get(), 10);
    std::thread([&] { handed.clear(); }).join();
    sqlite = nullptr;
    db.reset();
    EXPECT_TRUE(DeleteFileW(dir.file(L"funds.db").c_str())) << "the file is still open: " << GetLastError();
}

namespace {

// A table and a database of the caller's own making, with the client's interface and
// nothing more: the fill service must tell them from the host's.
class ForeignTable final : public IDataTable {
public:
    int addRef() override { return 1; }
    int release() override { return 1; }
    XComPtr<IDataRow> getRow(int) override { return nullptr; }
    int getRowCount() override { return 0; }
    XComPtr<IColumnItem> getColumn(int) override { return nullptr; }
    int getColumnIndex(const XStringW&) override { return -1; }
    bool isEmpty() override { return true; }
    void invalidate(int) override {}
    XComPtr<IUpdateContext> beginUpdate() override { return nullptr; }
};

class ForeignDatabase final : public IDatabase {
public:
    int addRef() override { return 1; }
    int release() override { return 1; }
    bool isOpen() override { return true; }
    XComPtr<IStatement> prepare(const XStringW&, XStringW& error) override
    {
        error = L"not prepared";
        return nullptr;
    }
    void fillTable(const XStringW&, IDataTable*, bool, int) override { ++fills; }
    int fills = 0;
};

} // namespace

// "Client2.TableFill": a query run into a staging table on a worker thread, whose rows then
// take the place of a shown table's; refused, with a reason and nothing lost, for a failed or
// oversized query, a staging table that holds rows, and a table or database made elsewhere.
TEST(FundDatabase, TableFillServiceFillsOnAWorkerAndAdoptsOnlyTheHostsOwnTables)
{
    auto service = createInstanceAs<ITableFill>(kTableFillProgId);
    if (contractOnly()) {
        EXPECT_FALSE(service) << "the client has no such service";
        return;
    }
    ASSERT_TRUE(service);
    EXPECT_TRUE(service->isWorkerSafe());
    TempDir dir;
    XComPtr<IDatabaseHost> db = makeDatabase(dir, FundDb::Content::SchemaOnly);
    addFunds(db.get());
    const wchar_t* sql = L"select code, name, quotient from tb_fund order by code";
    XComPtr<IDataTable> shown = createInstanceAs<IDataTable>("Data.DataTable");
    ASSERT_TRUE(shown);
    ASSERT_TRUE(db->fill(L"select code, '旧' as name from tb_fund where code = '500001'", shown.get(), true, 0));
    XComPtr<IDataView> view = createInstanceAs<IDataView>("Data.DataView");
    ASSERT_TRUE(view);
    view->setSource(shown.get());

    XComPtr<IDataTable> staging = createInstanceAs<IDataTable>("Data.DataTable");
    bool filled = false;
    XStringW error;
    std::thread worker([&] { filled = service->fill(db.get(), sql, staging.get(), 0, error); });
    worker.join();
    ASSERT_TRUE(filled) << Common::toUtf8(error);
    EXPECT_EQ(staging->getRowCount(), 3);
    EXPECT_EQ(cellText(view.get(), 0, L"name"), L"旧") << "a fill leaves the shown rows alone";

    ASSERT_TRUE(service->adoptRows(shown.get(), staging.get(), true));
    ASSERT_EQ(view->getRowCount(), 3);
    EXPECT_EQ(cellText(view.get(), 0, L"name"), L"示例基金一");
    EXPECT_EQ(cellText(view.get(), 1, L"name"), L"<null>");
    EXPECT_EQ(cellText(view.get(), 2, L"quotient"), L"7.0") << "a column only the staging table had";
    EXPECT_EQ(staging->getRowCount(), 0);

    // A failed query and one past its bound: the reason, and no rows taken.
    XStringW last;
    for (int bound : {0, 2}) {
        XComPtr<IDataTable> fresh = createInstanceAs<IDataTable>("Data.DataTable");
        EXPECT_FALSE(service->fill(db.get(), bound ? sql : L"select code from tb_missing", fresh.get(), bound, error));
        EXPECT_NE(error.find(bound ? L"more rows than expected" : L"no such table"), std::wstring::npos)
            << Common::toUtf8(error);
        EXPECT_EQ(fresh->getRowCount(), 0);
        EXPECT_TRUE(service->lastError(db.get(), last));
        EXPECT_EQ(last, error);
    }
    // A staging table that holds rows keeps them.
    XComPtr<IDataTable> holding = createInstanceAs<IDataTable>("Data.DataTable");
    ASSERT_TRUE(db->fill(sql, holding.get(), true, 0));
    error.clear();
    EXPECT_FALSE(service->fill(db.get(), sql, holding.get(), 0, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(holding->getRowCount(), 3);

    ForeignTable foreignTable;
    ForeignDatabase foreignDb;
    XComPtr<IDataTable> fresh = createInstanceAs<IDataTable>("Data.DataTable");
    for (bool foreignIsTheDatabase : {true, false}) {
        error.clear();
        EXPECT_FALSE(service->fill(foreignIsTheDatabase ? static_cast<IDatabase*>(&foreignDb) : db.get(), sql,
                                   foreignIsTheDatabase ? fresh.get() : &foreignTable, 0, error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(service->fill(nullptr, sql, fresh.get(), 0, error));
    EXPECT_FALSE(service->fill(db.get(), sql, nullptr, 0, error));
    EXPECT_EQ(foreignDb.fills, 0);
    EXPECT_EQ(fresh->getRowCount(), 0);
    EXPECT_FALSE(service->lastError(&foreignDb, last));
    EXPECT_FALSE(service->adoptRows(&foreignTable, holding.get(), true));
    EXPECT_FALSE(service->adoptRows(shown.get(), &foreignTable, true));
    EXPECT_FALSE(service->adoptRows(shown.get(), shown.get(), true));
    EXPECT_FALSE(service->adoptRows(nullptr, holding.get(), true));
    service->reserveLike(shown.get(), &foreignTable);
    service->reserveLike(&foreignTable, shown.get());
    EXPECT_EQ(holding->getRowCount(), 3);
    ASSERT_EQ(view->getRowCount(), 3);
    EXPECT_EQ(cellText(view.get(), 2, L"code"), L"500003");
}
