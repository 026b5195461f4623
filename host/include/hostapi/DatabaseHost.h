// The fund database as the reference host sees it, beyond the client's interface.
#pragma once
#ifndef C2_HOST_INTERNAL
#error "a host-internal header: a module sees only the client's interface (sdk/include/host) and ext/"
#endif
#include "host/Database.h"

namespace Host {

struct IStatementHost : IStatement {
    virtual int getColumnCount() = 0;
};

// Why a fund database is not open, in the kinds a person is told apart.
enum class OpenFailure {
    None,            // it is open
    Missing,         // no file of that name
    Damaged,         // SQLite finds the file damaged
    NotFundDatabase, // not a SQLite database at all
    Busy,            // another program holds the file
    CannotOpen,      // anything else (a folder of that name, no access, ...)
};

struct IDatabaseHost : IDatabase {
    // fillTable with its outcome: false (rows untouched) with getLastError on failure.
    // maxRows > 0 refuses a result of more rows; every fill is also refused past a memory
    // budget, so a query that multiplies rows (a self-join over repeated keys) cannot
    // exhaust the client's memory. Safe on any thread (one connection per thread).
    virtual bool fill(const XStringW& sql, IDataTable* table, bool firstFill, int maxRows) = 0;
    // The calling thread's last error; for a database that is not open, why, in the words a
    // person is shown ("基金数据库已损坏"). The technical reason is in getOpenFailure.
    virtual XStringW getLastError() = 0;
    virtual XStringW getPath() = 0;
    // Why the database is not open, with SQLite's or the system's own words in detail.
    virtual OpenFailure getOpenFailure(XStringW& detail) = 0;
    // Opens a database that is not open again (its file was replaced); true when it is
    // open. User-interface thread: no other thread holds a connection of a closed database.
    virtual bool reopen() = 0;
};

} // namespace Host
