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

struct IDatabaseHost : IDatabase {
    // fillTable with its outcome: false (rows untouched) with getLastError on failure.
    // maxRows > 0 refuses a result of more rows; every fill is also refused past a memory
    // budget, so a query that multiplies rows (a self-join over repeated keys) cannot
    // exhaust the client's memory. Safe on any thread (one connection per thread).
    virtual bool fill(const XStringW& sql, IDataTable* table, bool firstFill, int maxRows) = 0;
    virtual XStringW getLastError() = 0;
    virtual XStringW getPath() = 0;
};

} // namespace Host
