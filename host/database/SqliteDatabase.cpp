#include "SqliteDatabase.h"
#include "Database.h"
#include "SqliteStatement.h"
#include "hostapi/KernelHost.h"
#include <windows.h>

namespace FundDb {

// Long enough to outwait an updater's transaction, short enough not to freeze the page.
static const int kBusyTimeoutMs = 5000;
// The integrity check at opening reads every page; on a very large file it gives up after
// this long rather than hold up the start, and the file counts as unchecked, not damaged.
static const ULONGLONG kCheckBudgetMs = 3000;

namespace {

struct CheckClock {
    ULONGLONG deadline;
    bool expired = false;
};

int stopAfterDeadline(void* arg)
{
    auto* clock = static_cast<CheckClock*>(arg);
    clock->expired = GetTickCount64() > clock->deadline;
    return clock->expired ? 1 : 0;
}

} // namespace

// The authorizer of a reader's connection: statements that read run, anything that would
// change the file (or attach another) is refused when it is prepared. A pragma may be read
// but not set.
static int onlyReading(void*, int action, const char* name, const char* value, const char*, const char*)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT: return SQLITE_OK;
    case SQLITE_PRAGMA:
        // integrity_check's argument bounds its report; it writes nothing.
        return !value || (name && sqlite3_stricmp(name, "integrity_check") == 0) ? SQLITE_OK : SQLITE_DENY;
    default: return SQLITE_DENY;
    }
}

// True when the first read fails because SQLite cannot open the files it keeps beside a
// WAL database (the folder may not be written).
static bool cannotMakeSharedMemory(sqlite3* db)
{
    int rc = sqlite3_exec(db, "PRAGMA schema_version", nullptr, nullptr, nullptr);
    return (rc & 0xff) == SQLITE_CANTOPEN || rc == SQLITE_READONLY_CANTINIT;
}

// The file as a read-only, unchanging SQLite URI: "file:///C:/data/funds.db?immutable=1",
// UNC paths as "file:////server/share/...".
static XStringA immutableUri(const XStringW& path)
{
    XStringA utf8 = Common::toUtf8(path), uri = "file://";
    if (utf8.size() >= 2 && utf8[1] == ':') uri += '/';
    static const char hex[] = "0123456789ABCDEF";
    for (unsigned char c : utf8) {
        if (c == '\\') {
            uri += '/';
        } else if (c == '%' || c == '?' || c == '#' || c == ' ') {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        } else {
            uri += char(c);
        }
    }
    return uri + "?immutable=1";
}

// SQLite's integrity_check over the whole file, within the time budget. False with SQLite's
// first complaint when the file is damaged; a check cut short by the budget passes. Not the
// quicker quick_check: it leaves indexes unread against their tables, and a flipped byte in
// the code index makes the query's join by code list funds twice without any error.
static bool passesIntegrityCheck(sqlite3* db, XStringW& complaint)
{
    CheckClock clock{GetTickCount64() + kCheckBudgetMs};
    sqlite3_progress_handler(db, 10000, &stopAfterDeadline, &clock);
    sqlite3_stmt* stmt = nullptr;
    bool ok = true;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check(1)", -1, &stmt, nullptr) == SQLITE_OK) {
        int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            auto text = static_cast<const wchar_t*>(sqlite3_column_text16(stmt, 0));
            XStringW result = text ? XStringW(text) : XStringW();
            ok = result == L"ok";
            if (!ok) complaint = result;
        } else if (rc != SQLITE_DONE && !clock.expired) {
            ok = false;
            complaint = sqliteError(db);
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_progress_handler(db, 0, nullptr, nullptr);
    return ok;
}

XStringW sqliteError(sqlite3* db)
{
    const void* text = db ? sqlite3_errmsg16(db) : nullptr;
    return text ? XStringW(static_cast<const wchar_t*>(text)) : XStringW(L"out of memory");
}

SqliteDatabase::SqliteDatabase(const XStringW& path, Access access) : path_(path), access_(access)
{
    open_ = probe(openError_, openFailure_);
}

SqliteDatabase::~SqliteDatabase()
{
    // Live statements hold a reference to this object: what is left on the connections is
    // only what was released on other threads, and no thread uses a connection any more.
    for (auto& entry : threads_) {
        for (sqlite3_stmt* stmt : entry.second.released) sqlite3_finalize(stmt);
        if (entry.second.connection) sqlite3_close_v2(entry.second.connection);
    }
}

namespace {

// What a failed open or first read means to the person.
Host::OpenFailure failureOf(int rc, sqlite3* db)
{
    switch (rc & 0xff) {
    case SQLITE_CORRUPT: return Host::OpenFailure::Damaged;
    case SQLITE_NOTADB: return Host::OpenFailure::NotFundDatabase;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return Host::OpenFailure::Busy;
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR: {
        int system = db ? sqlite3_system_errno(db) : 0;
        if (system == ERROR_SHARING_VIOLATION || system == ERROR_LOCK_VIOLATION) return Host::OpenFailure::Busy;
        return Host::OpenFailure::CannotOpen;
    }
    default: return Host::OpenFailure::CannotOpen;
    }
}

} // namespace

XStringW openFailureText(Host::OpenFailure failure)
{
    switch (failure) {
    case Host::OpenFailure::None: return {};
    case Host::OpenFailure::Damaged: return L"基金数据库已损坏";
    case Host::OpenFailure::NotFundDatabase: return L"这个文件不是基金数据库";
    case Host::OpenFailure::Busy: return L"基金数据库被其他程序占用";
    default: return L"无法打开基金数据库";
    }
}

// Opens the file on this thread and reads its schema: only a file that SQLite reads as a
// database counts as open. The journal mode is the file's own: the updater, which
// writes, owns it, and a reader must not rewrite the header to change it.
bool SqliteDatabase::probe(XStringW& error, Host::OpenFailure& failure)
{
    failure = Host::OpenFailure::CannotOpen;
    if (path_.empty()) {
        error = L"cannot open the fund database: no file name given";
        return false;
    }
    DWORD attributes = GetFileAttributesW(path_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = L"cannot open the fund database " + path_ + L": the file does not exist";
        failure = Host::OpenFailure::Missing;
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = L"cannot open the fund database " + path_ + L": it is a folder";
        return false;
    }
    sqlite3* db = openConnection(error, &failure);
    if (!db) return false;
    int rc = sqlite3_exec(db, "select count(*) from sqlite_schema", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        error = L"cannot open the fund database " + path_ + L": " + sqliteError(db);
        failure = failureOf(rc, db);
        sqlite3_close_v2(db);
        return false;
    }
    // A damaged file may still answer queries, with wrong rows: it is not shown as good.
    XStringW complaint;
    if (!passesIntegrityCheck(db, complaint)) {
        error = L"the fund database " + path_ + L" is damaged: " + complaint;
        failure = Host::OpenFailure::Damaged;
        sqlite3_close_v2(db);
        return false;
    }
    failure = Host::OpenFailure::None;
    Common::CriticalSection::Lock hold(lock_);
    threads_[GetCurrentThreadId()].connection = db;
    return true;
}

Host::OpenFailure SqliteDatabase::getOpenFailure(XStringW& detail)
{
    Common::CriticalSection::Lock hold(lock_);
    detail = open_ ? XStringW() : openError_;
    return open_ ? Host::OpenFailure::None : openFailure_;
}

bool SqliteDatabase::reopen()
{
    if (open_) return true;
    XStringW error;
    Host::OpenFailure failure = Host::OpenFailure::None;
    bool opened = probe(error, failure);
    Common::CriticalSection::Lock hold(lock_);
    openError_ = error;
    openFailure_ = failure;
    // What the threads were told about the closed file no longer holds.
    for (auto& entry : threads_) entry.second.lastError.clear();
    open_ = opened;
    return opened;
}

// A new connection to the existing file; SQLITE_OPEN_CREATE is left out on purpose.
sqlite3* SqliteDatabase::openConnection(XStringW& error, Host::OpenFailure* failure)
{
    sqlite3* db = nullptr;
    XStringA utf8 = Common::toUtf8(path_);
    // A reader still opens read-write where it can: under Wine a read-only connection, or
    // one with query_only set, does not see another process's commits to a WAL database, so
    // the page would never see the updater's rows. What keeps it from writing is an
    // authorizer that allows only reading, and no checkpoint when it closes (which would write
    // other connections' pages into the file). A file it may not write is opened read-only.
    // A connection serves only the thread it was opened for (statements refuse other
    // threads), so it goes without SQLite's per-call connection mutex: a fill reads millions
    // of cells, and under Wine each lock and unlock costs as much as reading the cell.
    int rc = sqlite3_open_v2(utf8.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK && access_ == Access::ReadOnly) {
        sqlite3_close_v2(db);
        db = nullptr;
        rc = sqlite3_open_v2(utf8.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    }
    // A WAL database in a folder nobody may write cannot be read at all: SQLite cannot make
    // the shared-memory file beside it. Nothing can change it there either, so a reader
    // takes it as it stands.
    if (rc == SQLITE_OK && access_ == Access::ReadOnly && cannotMakeSharedMemory(db)) {
        sqlite3_close_v2(db);
        db = nullptr;
        rc = sqlite3_open_v2(immutableUri(path_).c_str(), &db,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr);
        if (rc == SQLITE_OK)
            Host::logWarning((L"the fund database " + path_ +
                              L" is in a folder that cannot be written; it is read as it stands (updates cannot be "
                              L"applied there)")
                                 .c_str());
    }
    if (rc != SQLITE_OK) {
        error = L"cannot open the fund database " + path_ + L": " + sqliteError(db);
        if (failure) *failure = failureOf(rc, db);
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    // The closed-fund query looks up four other rows for every fund: with the file mapped
    // and a page cache that holds a large database, a refill does not go back to the file.
    sqlite3_exec(db, "PRAGMA cache_size=-32768; PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    if (access_ == Access::ReadOnly) {
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_set_authorizer(db, &onlyReading, nullptr);
    }
    return db;
}

sqlite3* SqliteDatabase::connection(XStringW& error)
{
    if (!open_) {
        error = getLastError();
        setLastError(error);
        return nullptr;
    }
    DWORD thread = GetCurrentThreadId();
    sqlite3* db = nullptr;
    std::vector<sqlite3_stmt*> released;
    {
        Common::CriticalSection::Lock hold(lock_);
        ThreadState& state = threads_[thread];
        db = state.connection;
        released.swap(state.released);
    }
    // Only this thread touches its connection, so the finalizing needs no lock.
    for (sqlite3_stmt* stmt : released) sqlite3_finalize(stmt);
    if (db) return db;
    db = openConnection(error);
    Common::CriticalSection::Lock hold(lock_);
    if (!db) {
        threads_[thread].lastError = error;
        return nullptr;
    }
    threads_[thread].connection = db;
    return db;
}

void SqliteDatabase::releaseStatement(sqlite3_stmt* stmt, DWORD thread)
{
    if (thread == GetCurrentThreadId()) {
        sqlite3_finalize(stmt);
        return;
    }
    Common::CriticalSection::Lock hold(lock_);
    threads_[thread].released.push_back(stmt);
}

sqlite3_stmt* SqliteDatabase::prepareRaw(const XStringW& sql, XStringW& error)
{
    sqlite3* db = connection(error);
    if (!db) return nullptr;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare16_v3(db, sql.c_str(), int(sql.size() * sizeof(wchar_t)), 0, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        error = sqliteError(db);
        setLastError(error);
        return nullptr;
    }
    if (!stmt) {
        // Only white space or comments: nothing that could run or fill a table.
        error = L"no SQL statement to run";
        setLastError(error);
        return nullptr;
    }
    return stmt;
}

bool SqliteDatabase::isOpen()
{
    Host::checkContractThread("IDatabase::isOpen");
    return open_;
}

XComPtr<Host::IStatement> SqliteDatabase::prepare(const XStringW& sql, XStringW& error)
{
    Host::checkContractThread("IDatabase::prepare");
    sqlite3_stmt* stmt = prepareRaw(sql, error);
    if (!stmt) return {};
    return XComPtr<Host::IStatement>::adopt(new SqliteStatement(this, stmt));
}

// A thread that has not failed yet is told why a closed database is not open.
XStringW SqliteDatabase::getLastError()
{
    Common::CriticalSection::Lock hold(lock_);
    auto it = threads_.find(GetCurrentThreadId());
    if (it != threads_.end() && !it->second.lastError.empty()) return it->second.lastError;
    return open_ ? XStringW() : openFailureText(openFailure_);
}

void SqliteDatabase::setLastError(const XStringW& error)
{
    Common::CriticalSection::Lock hold(lock_);
    threads_[GetCurrentThreadId()].lastError = error;
}

XComPtr<Host::IDatabaseHost> openFundDatabase(const XStringW& path, XStringW& error, Access access)
{
    auto* db = new SqliteDatabase(path, access);
    error.clear();
    db->getOpenFailure(error);
    return XComPtr<Host::IDatabaseHost>::adopt(db);
}

} // namespace FundDb
