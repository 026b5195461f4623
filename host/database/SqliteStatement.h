// Inside the database library: one prepared statement on a thread's connection. It keeps
// its database alive, so the connection outlives it. The connection has no mutex of its
// own, so the statement runs only on the thread that prepared it: stepped on another, it
// gives no row and an error instead of racing that thread on the connection. Released on
// another thread, it is finalized later on its own (see SqliteDatabase::releaseStatement).
#pragma once
#include "SqliteDatabase.h"
#include "hostapi/KernelHost.h"

namespace FundDb {

class SqliteStatement : public Common::RefCounted<Host::IStatementHost> {
public:
    SqliteStatement(SqliteDatabase* owner, sqlite3_stmt* stmt) : owner_(owner), stmt_(stmt) {}
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // True while there is a row. A failure ends the statement like its last row and is
    // left in the database's getLastError.
    bool step() override
    {
        Host::checkContractThread("IStatement::step");
        if (done_) return false;
        if (GetCurrentThreadId() != thread_) {
            owner_->setLastError(L"a statement runs only on the thread that prepared it");
            return false;
        }
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        done_ = true;
        if (rc != SQLITE_DONE) owner_->setLastError(sqliteError(sqlite3_db_handle(stmt_)));
        return false;
    }

    // The column of the current row as UTF-16 text; NULL and a column out of range give "".
    XStringW getText(int column) override
    {
        Host::checkContractThread("IStatement::getText");
        if (done_ || GetCurrentThreadId() != thread_ || column < 0 || column >= sqlite3_column_count(stmt_)) return {};
        auto text = static_cast<const wchar_t*>(sqlite3_column_text16(stmt_, column));
        if (!text) return {};
        return XStringW(text, size_t(sqlite3_column_bytes16(stmt_, column)) / sizeof(wchar_t));
    }

    int getColumnCount() override { return sqlite3_column_count(stmt_); }

private:
    ~SqliteStatement() override { owner_->releaseStatement(stmt_, thread_); }

    XComPtr<SqliteDatabase> owner_;
    sqlite3_stmt* stmt_;
    DWORD thread_ = GetCurrentThreadId();
    bool done_ = false;
};

} // namespace FundDb
