#include "UpdatePackages.h"
#include "ShellPaths.h"
#include "common/ScopedWin.h"
#include "common/XString.h"
#include "hostapi/KernelHost.h"
#include <sqlite3.h>
#include <windows.h>
#include <algorithm>
#include <vector>

namespace HostShell {

namespace {

const long long kLargestPackage = 256ll << 20;
// A package is complete only when its last non-blank line is this marker and it has not
// been written to for a while: a writer that writes in place, in pieces, is caught in
// between and its package waits for the next round instead of running half.
const char kEndMarker[] = "-- end of package";
const long long kSettleTicks = 10000000; // one second, in FILETIME units
const int kSettleMs = 1000;
// A package without its marker that nobody has touched for this long was abandoned: it is
// set aside so that the packages after it are not held up for ever.
const long long kAbandonedTicks = 300 * kSettleTicks;
// Long enough to outwait another program's transaction.
const int kBusyTimeoutMs = 10000;
// How long a checkpoint waits for readers to finish what they are reading.
const int kCheckpointWaitMs = 2000;

// Moves the committed pages from the write-ahead log into the database file and empties the
// log, so that funds.db alone holds every applied update: the readers never checkpoint, and
// one of them is usually the last to close. A reader in the middle of a read holds it up
// for a while at most; pages the readers no longer need are in the file all the same, and
// the next package or the close tries again.
bool checkpoint(sqlite3* db)
{
    int logFrames = -1, moved = -1;
    sqlite3_busy_timeout(db, kCheckpointWaitMs);
    int rc = sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, &logFrames, &moved);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // Busy with every frame moved: the file is whole, only the log could not be emptied.
    if (rc == SQLITE_OK || (rc == SQLITE_BUSY && logFrames >= 0 && moved == logFrames)) return true;
    Host::logWarning((L"updater: the fund database's log could not be written into the file yet: " +
                      Common::fromUtf8(sqlite3_errmsg(db)))
                         .c_str());
    return false;
}

// The updater's connection: it checkpoints when it closes.
struct Connection {
    sqlite3* db = nullptr;
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection()
    {
        if (!db) return;
        checkpoint(db);
        sqlite3_close_v2(db);
    }
};

std::vector<std::wstring> pendingPackages(const std::wstring& dir)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*.sql").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        // The pattern also matches longer extensions on some file systems ("x.sqlite").
        std::wstring name = found.cFileName;
        bool sql = name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".sql") == 0;
        if (sql && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

enum class Read { Ok, Bad, Incomplete };

long long ticks(const FILETIME& time)
{
    return (static_cast<long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Size and last write time, to see whether a writer is still at the file.
bool fileStamp(HANDLE file, long long& size, long long& written)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return false;
    size = (static_cast<long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    written = ticks(info.ftLastWriteTime);
    return true;
}

bool endsWithMarker(const std::string& script)
{
    size_t end = script.find_last_not_of(" \t\r\n");
    if (end == std::string::npos) return false;
    size_t length = sizeof(kEndMarker) - 1;
    if (end + 1 < length) return false;
    size_t start = end + 1 - length;
    return script.compare(start, length, kEndMarker) == 0 && (start == 0 || script[start - 1] == '\n');
}

// Why a package cannot run: SQLite's or our technical text for the log, and a few words in
// Chinese for the person who reads the status bar.
struct Failure {
    std::string detail;
    std::wstring reason;
};

// The file's text as UTF-8 without a byte-order mark. Incomplete while a writer may still be
// at it (it is open for writing, was written to within the last second, changed while we
// read, or lacks its end marker), with lookAgainMs set when waiting alone will settle it;
// Bad, with the failure, for an unreadable, oversized or not UTF-8 file, or one abandoned
// without its marker.
Read readScript(const std::wstring& path, std::string& script, Failure& failure, int& lookAgainMs)
{
    failure = {"not a readable UTF-8 text file", L"不是 UTF-8 文本"};
    // No FILE_SHARE_WRITE: a writer that still holds the file open makes this open fail.
    Common::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        if (GetLastError() != ERROR_SHARING_VIOLATION) {
            failure = {"the file cannot be read", L"文件无法读取"};
            return Read::Bad;
        }
        lookAgainMs = kSettleMs;
        return Read::Incomplete;
    }
    long long size = 0, written = 0;
    if (!fileStamp(file.get(), size, written)) {
        failure = {"the file cannot be read", L"文件无法读取"};
        return Read::Bad;
    }
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    long long age = ticks(now) - written;
    if (age < kSettleTicks) {
        // A stamp in the future is looked at every second, as one just written would be.
        lookAgainMs = age < 0 ? kSettleMs : int((kSettleTicks - age) / 10000) + 1;
        return Read::Incomplete;
    }
    if (size > kLargestPackage) {
        failure = {"larger than 256 MB", L"文件超过 256 MB"};
        return Read::Bad;
    }
    script.resize(size_t(size));
    DWORD read = 0;
    long long sizeAfter = 0, writtenAfter = 0;
    if ((!script.empty() &&
         (!ReadFile(file.get(), &script[0], DWORD(script.size()), &read, nullptr) || read != script.size())) ||
        !fileStamp(file.get(), sizeAfter, writtenAfter) || sizeAfter != size || writtenAfter != written) {
        lookAgainMs = kSettleMs;
        return Read::Incomplete;
    }
    if (script.compare(0, 3, "\xEF\xBB\xBF") == 0) script.erase(0, 3);
    if (script.find('\0') != std::string::npos) return Read::Bad;
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, script.data(), int(script.size()), nullptr, 0) <= 0)
        return Read::Bad;
    if (endsWithMarker(script)) return Read::Ok;
    failure = {"no end marker", L"五分钟内未写完（缺少结束标记）"};
    return age > kAbandonedTicks ? Read::Bad : Read::Incomplete;
}

// The person's few words for SQL that failed; the log keeps SQLite's own text.
std::wstring sqlReason(int code, const std::string& message)
{
    switch (code & 0xff) {
    case SQLITE_AUTH: return L"含有不允许的语句（事务或附加数据库）";
    case SQLITE_CONSTRAINT: return L"违反数据约束";
    case SQLITE_MISMATCH: return L"数据类型不符";
    case SQLITE_TOOBIG: return L"数据过大";
    default: break;
    }
    auto says = [&](const char* text) { return message.find(text) != std::string::npos; };
    if (says("syntax error") || says("incomplete input") || says("unrecognized token")) return L"SQL 语法错误";
    if (says("no such table")) return L"引用了不存在的表";
    if (says("no such column")) return L"引用了不存在的列";
    return L"SQL 语句无法执行";
}

// A package runs inside the updater's transaction: it may not end, nest or widen it.
int packageAuthorizer(void*, int action, const char*, const char*, const char*, const char*)
{
    switch (action) {
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
    case SQLITE_ATTACH:
    case SQLITE_DETACH: return SQLITE_DENY;
    default: return SQLITE_OK;
    }
}

bool exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool alreadyApplied(sqlite3* db, const std::string& name)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "select 1 from tb_update_applied where name = ?", -1, &statement, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_text(statement, 1, name.c_str(), int(name.size()), SQLITE_TRANSIENT);
    bool found = sqlite3_step(statement) == SQLITE_ROW;
    sqlite3_finalize(statement);
    return found;
}

bool recordApplied(sqlite3* db, const std::string& name)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "insert into tb_update_applied (name, applied) values (?, datetime('now'))", -1,
                           &statement, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_text(statement, 1, name.c_str(), int(name.size()), SQLITE_TRANSIENT);
    bool done = sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_finalize(statement);
    return done;
}

enum class Outcome { Applied, Skipped, Failed, Retry, NotReady };

// Errors of the database or the machine rather than of the package's SQL: a damaged or full
// database must not set a good package aside for ever.
bool databaseFault(int code)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_NOMEM:
    case SQLITE_READONLY:
    case SQLITE_INTERRUPT:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
    case SQLITE_PROTOCOL:
    case SQLITE_NOTADB: return true;
    default: return false;
    }
}

// One package in one transaction. Skipped: recorded before, nothing runs again.
Outcome applyOne(sqlite3* db, const std::wstring& path, const std::string& name, bool& changed, Failure& failure,
                 int& lookAgainMs)
{
    std::string script;
    std::string& error = failure.detail;
    switch (readScript(path, script, failure, lookAgainMs)) {
    case Read::Bad: return Outcome::Failed;
    case Read::Incomplete: return Outcome::NotReady;
    case Read::Ok: break;
    }
    if (!exec(db, "BEGIN IMMEDIATE")) {
        error = sqlite3_errmsg(db);
        return Outcome::Retry; // the database is busy or read-only: the package waits
    }
    if (alreadyApplied(db, name)) {
        exec(db, "ROLLBACK");
        return Outcome::Skipped;
    }
    sqlite3_int64 before = sqlite3_total_changes64(db);
    sqlite3_set_authorizer(db, &packageAuthorizer, nullptr);
    bool ran = exec(db, script.c_str());
    int code = ran ? SQLITE_OK : sqlite3_errcode(db);
    sqlite3_set_authorizer(db, nullptr, nullptr);
    if (!ran) error = sqlite3_errmsg(db);
    bool rowsChanged = sqlite3_total_changes64(db) != before;
    if (!ran || !recordApplied(db, name)) {
        if (ran) error = sqlite3_errmsg(db);
        exec(db, "ROLLBACK");
        if (ran || databaseFault(code)) return Outcome::Retry;
        failure.reason = sqlReason(code, error);
        return Outcome::Failed;
    }
    if (!exec(db, "COMMIT")) {
        error = sqlite3_errmsg(db);
        exec(db, "ROLLBACK");
        return Outcome::Retry;
    }
    changed = changed || rowsChanged;
    return Outcome::Applied;
}

bool moveTo(const std::wstring& dir, const std::wstring& sub, const std::wstring& name)
{
    std::wstring target = dir + L"\\" + sub;
    ensureFolder(target);
    if (MoveFileExW((dir + L"\\" + name).c_str(), (target + L"\\" + name).c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    Host::logWarning((L"update package " + name + L" could not be moved to " + sub).c_str());
    return false;
}

} // namespace

PackageRun applyPendingPackages(const std::wstring& databasePath, const std::wstring& packageDir)
{
    PackageRun run;
    std::vector<std::wstring> names = pendingPackages(packageDir);
    if (names.empty()) return run;
    Connection c;
    if (sqlite3_open_v2(Common::toUtf8(databasePath).c_str(), &c.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        Host::logWarning((L"updater: cannot open the fund database " + databasePath).c_str());
        sqlite3_close_v2(c.db);
        c.db = nullptr;
        return run;
    }
    run.databaseOpen = true;
    sqlite3_busy_timeout(c.db, kBusyTimeoutMs);
    exec(c.db, "CREATE TABLE IF NOT EXISTS tb_update_applied (name TEXT PRIMARY KEY, applied TEXT)");
    for (const std::wstring& name : names) {
        Failure failure;
        const std::string& error = failure.detail;
        switch (
            applyOne(c.db, packageDir + L"\\" + name, Common::toUtf8(name), run.changed, failure, run.lookAgainMs)) {
        case Outcome::Applied:
            ++run.applied;
            checkpoint(c.db);
            moveTo(packageDir, L"done", name);
            break;
        case Outcome::Skipped: moveTo(packageDir, L"done", name); break;
        case Outcome::Failed:
            ++run.failed;
            Host::logWarning(
                (L"update package " + name + L" is bad and was moved to failed: " + Common::fromUtf8(error)).c_str());
            run.setAside.push_back({name, failure.reason, moveTo(packageDir, L"failed", name)});
            break;
        case Outcome::Retry:
            Host::logWarning(
                (L"update package " + name + L" could not be applied now: " + Common::fromUtf8(error)).c_str());
            return run; // later packages may build on this one: keep the order
        case Outcome::NotReady:
            ++run.waiting;
            return run; // still being written: it and the ones after it wait for the next round
        }
    }
    return run;
}

} // namespace HostShell
