// The client's fund database (module "mod_Database").
#pragma once
#include "host/Data.h"

namespace Host {

struct IStatement : IXUnknown {
    virtual bool step() = 0; // true while there is a row
    virtual XStringW getText(int column) = 0;
    virtual int getColumnCount() = 0;
};

struct IDatabase : IXUnknown {
    virtual bool isOpen() = 0;
    // A statement, or empty with the database's error text in error.
    virtual XComPtr<IStatement> prepare(const XStringW& sql, XStringW& error) = 0;
    // Replaces the table's rows with the result; on the first fill the columns are created,
    // named by the result columns. False (rows untouched) with getLastError on failure.
    // maxRows > 0 refuses a result of more rows; every fill is also refused past a memory
    // budget, so a query that multiplies rows (a self-join over repeated keys) cannot
    // exhaust the client's memory.
    virtual bool fillTable(const XStringW& sql, IDataTable* table, bool firstFill, int maxRows) = 0;
    virtual XStringW getLastError() = 0;
    virtual XStringW getPath() = 0;
};

} // namespace Host
