// Inside the database library: IDatabase over one SQLite file, one connection per thread.
#pragma once
#include "Database.h"
#include "common/RefCounted.h"
#include "common/ScopedWin.h"
#include <sqlite3.h>
#include <map>

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

    // isOpen for the host's own calls, without the client's entry check.
    bool opened() const { return open_; }

    // The calling thread's connection, opened on its first use; null (with the reason in
    // error and in getLastError) when the database is not open or the connection fails.
    sqlite3* connection(XStringW& error);
    // A prepared statement on the calling thread's connection, or null with error.
    sqlite3_stmt* prepareRaw(const XStringW& sql, XStringW& error);
    void setLastError(const XStringW& error);

private:
    ~SqliteDatabase() override;
    bool probe();
    sqlite3* openConnection(XStringW& error);

    XStringW path_;
    Access access_;
    bool open_ = false;
    Common::CriticalSection lock_;
    std::map<DWORD, sqlite3*> connections_; // by thread id; closed with the object
    XStringW lastError_;
};

// SQLite's message for the connection's last failure, as wide text.
XStringW sqliteError(sqlite3* db);

} // namespace FundDb
