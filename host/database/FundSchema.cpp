// The fund database's tables and the writer of new database files.
#include "Database.h"
#include "SampleFunds.h"
#include "SqliteDatabase.h"
#include <windows.h>

namespace FundDb {

// Net values, prices and their differences are TEXT with four decimals, as fund users read
// them ("1.0230"); a cell reads them as numbers when asked. Change rates are REAL fractions.
// Dates are TEXT "YYYY-MM-DD"; "0001-01-01" stands for no date. Flags are 0/1 and never
// NULL, since the closed-fund query tests them with "not".
static const char kSchema[] = R"sql(
CREATE TABLE tb_sampleinfo (
    key   TEXT PRIMARY KEY,
    value TEXT
);
CREATE TABLE tb_investadvisor (
    guid   TEXT PRIMARY KEY,
    pycode TEXT,
    name   TEXT
);
CREATE TABLE tb_fund (
    code                      TEXT NOT NULL,
    aliascode                 TEXT,
    name                      TEXT,
    investtype                TEXT,
    investstyle               TEXT,
    expiredate                TEXT,
    fundtype                  TEXT,
    createdate                TEXT,
    quotient                  REAL,
    latestholderaccountnumber INTEGER,
    pycode                    TEXT,
    companyguid               TEXT,
    isdellisting              INTEGER NOT NULL DEFAULT 0,
    isdeleted                 INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX ix_fund_code ON tb_fund (code);
-- The closed-fund query joins a fund's live record and its bonus of the data date by code:
-- a second one of either would list the fund twice.
CREATE UNIQUE INDEX ux_fund_live ON tb_fund (code) WHERE isdellisting = 0 AND isdeleted = 0;
CREATE TABLE tb_closedfund (
    code               TEXT PRIMARY KEY,
    date               TEXT,
    value              TEXT,
    totalvalue         TEXT,
    previousvalue      TEXT,
    previoustotalvalue TEXT,
    previousdate       TEXT,
    increase           TEXT,
    increasepercent    REAL,
    price              TEXT,
    pricevalue         TEXT,
    pricevalueRate     REAL,
    isdeleted          INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE tb_bonus (
    code     TEXT NOT NULL,
    currdate TEXT NOT NULL,
    bonus    TEXT
);
CREATE UNIQUE INDEX ix_bonus_code_date ON tb_bonus (code, currdate);
)sql";

const char* fundSchemaSql() { return kSchema; }

namespace {

bool exec(sqlite3* db, const char* sql, XStringW& error)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error = sqliteError(db);
    return false;
}

bool fileExists(const XStringW& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string todaysDataDate()
{
    SYSTEMTIME today{};
    GetLocalTime(&today);
    return lastWeekdayOnOrBefore(today.wYear, today.wMonth, today.wDay);
}

// Schema and content in one transaction; the file is switched to WAL at the end, as the
// client opens it.
bool buildDatabase(const XStringW& path, Content content, int syntheticFunds, XStringW& error)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(Common::toUtf8(path).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        error = L"cannot create " + path + L": " + sqliteError(db);
        sqlite3_close_v2(db);
        return false;
    }
    bool ok = exec(db, "PRAGMA journal_mode=MEMORY; PRAGMA synchronous=OFF; BEGIN", error) && exec(db, kSchema, error);
    if (ok && content == Content::StandardSample) ok = insertStandardSample(db, kSampleDataDate, error);
    if (ok && content == Content::CurrentSample) ok = insertStandardSample(db, todaysDataDate(), error);
    if (ok && content == Content::Synthetic) ok = insertSyntheticFunds(db, syntheticFunds, error);
    ok = ok && exec(db, "COMMIT; PRAGMA synchronous=FULL; PRAGMA journal_mode=WAL", error);
    if (sqlite3_close_v2(db) != SQLITE_OK && ok) {
        error = L"cannot close " + path;
        ok = false;
    }
    return ok;
}

// A WAL left by an earlier database of that name would be replayed into the new one.
bool removeStaleJournal(const XStringW& path, XStringW& error)
{
    for (const wchar_t* suffix : {L"-wal", L"-shm", L"-journal"}) {
        XStringW side = path + suffix;
        if (fileExists(side) && !DeleteFileW(side.c_str())) {
            error = L"cannot replace " + path + L": " + side + L" is in use";
            return false;
        }
    }
    return true;
}

} // namespace

bool writeFundDatabase(const XStringW& path, Content content, int syntheticFunds, bool overwrite, XStringW& error)
{
    if (path.empty()) {
        error = L"no file name given";
        return false;
    }
    if (content == Content::Synthetic && syntheticFunds <= 0) {
        error = L"the number of funds must be positive";
        return false;
    }
    if (fileExists(path) && !overwrite) {
        error = path + L" already exists";
        return false;
    }
    XStringW temp;
    temp.format(L"%ls.tmp%lu", path.c_str(), GetCurrentProcessId());
    DeleteFileW(temp.c_str());
    if (!buildDatabase(temp, content, syntheticFunds, error)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    if (!removeStaleJournal(path, error)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    DWORD flags = MOVEFILE_WRITE_THROUGH | (overwrite ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(temp.c_str(), path.c_str(), flags)) {
        error.format(L"cannot move the new database to %ls (error %lu)", path.c_str(), GetLastError());
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

} // namespace FundDb
