// Inside the database library: IDatabase over one SQLite file, one connection per thread.
#pragma once
#include "Database.h"
#include "common/RefCounted.h"
#include "common/ScopedWin.h"
#include <sqlite3.h>
#include <atomic>
#include <map>
#include <vector>

namespace FundDb {

class SqliteDatabase : public Common::RefCounted<Host::IDatabaseHost> {
public:
    SqliteDatabase(const XStringW& path, Access access);
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // IDatabase
    bool isOpen() override;
    XComPtr<Host::IStatement> prepare(const XStringW& sql, XStringW& error) override;
    void fillTable(const XStringW& sql, Host::IDataTable* table, bool firstFill, int reserved) override;

    // IDatabaseHost
    bool fill(const XStringW& sql, Host::IDataTable* table, bool firstFill, int maxRows) override;
    XStringW getLastError() override;
    XStringW getPath() override { return path_; }
    Host::OpenFailure getOpenFailure(XStringW& detail) override;
    bool reopen() override;

    // isOpen for the host's own calls, without the client's entry check.
    bool opened() const { return open_; }

    // The calling thread's connection, opened on its first use; null (with the reason in
    // error and in getLastError) when the database is not open or the connection fails.
    // Statements of this thread released on others are finalized here first.
    sqlite3* connection(XStringW& error);
    // A prepared statement on the calling thread's connection, or null with error.
    sqlite3_stmt* prepareRaw(const XStringW& sql, XStringW& error);
    // The calling thread's last error: one thread's failure never replaces what another shows.
    void setLastError(const XStringW& error);

    // Ends a statement prepared on thread's connection. The connections have no mutex, so
    // only their own thread may finalize: released on another thread, the statement waits
    // in its thread's queue until that thread next takes its connection, or until the
    // database closes (then no thread holds the database, so none is using a connection).
    // Until then a statement that was stepped keeps its read snapshot open.
    void releaseStatement(sqlite3_stmt* stmt, DWORD thread);

private:
    // What the database keeps for a thread that used it, by thread id, until it closes (a
    // later thread given a finished thread's id takes its state over).
    struct ThreadState {
        sqlite3* connection = nullptr;
        XStringW lastError;
        std::vector<sqlite3_stmt*> released; // released on other threads, not yet finalized
    };

    ~SqliteDatabase() override;
    bool probe(XStringW& error, Host::OpenFailure& failure);
    // failure, when given, is set to what a failed open means to the person.
    sqlite3* openConnection(XStringW& error, Host::OpenFailure* failure = nullptr);

    XStringW path_;
    Access access_;
    // Set before any other thread sees the database, and again only by reopen on the
    // user-interface thread while the database is closed (and no thread holds a connection).
    std::atomic<bool> open_{false};
    XStringW openError_; // why the database is not open, SQLite's words; under lock_
    Host::OpenFailure openFailure_ = Host::OpenFailure::None;
    Common::CriticalSection lock_;
    std::map<DWORD, ThreadState> threads_;
};

// SQLite's message for the connection's last failure, as wide text.
XStringW sqliteError(sqlite3* db);

} // namespace FundDb
