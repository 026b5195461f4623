// The client's fund database (module "mod_Database").
#pragma once
#include "host/Data.h"

namespace Host {

struct IStatement : IXUnknown {
    virtual bool step() = 0; // true while there is a row
    virtual XStringW getText(int column) = 0;
};

struct IDatabase : IXUnknown {
    virtual bool isOpen() = 0;
    // A statement, or empty with the database's error text in error.
    virtual XComPtr<IStatement> prepare(const XStringW& sql, XStringW& error) = 0;
    // Replaces the table's rows with the result; on the first fill the columns are created,
    // named by the result columns. reserved is 0. The client's interface gives no result
    // and no error text: a caller learns of a failure only from the table (prepare the
    // statement first to have the error text).
    virtual void fillTable(const XStringW& sql, IDataTable* table, bool firstFill, int reserved) = 0;
};

} // namespace Host
