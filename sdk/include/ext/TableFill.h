// A service of the reference host for filling a table from the fund database, found by
// ProgID through createInstance ("Client2.TableFill"); the client answers null. Without it
// a caller fills through IDatabase::fillTable on its user-interface thread.
#pragma once
#include "host/Database.h"

namespace Host {

const char kTableFillProgId[] = "Client2.TableFill";

struct ITableFill : IXUnknown {
    // True when fill may run on a thread of the caller's other than the user-interface
    // thread (the table it fills is then used by that thread alone until it is adopted).
    virtual bool isWorkerSafe() = 0;
    // Runs sql into staging, a new table of this host's with no rows, creating its columns
    // named by the result. At most maxRows rows (0: no bound). False, with the reason in
    // error, when the query failed, the result was too large, or the database or the table
    // is not this host's; staging then holds no rows.
    virtual bool fill(IDatabase* database, const XStringW& sql, IDataTable* staging, int maxRows, XStringW& error) = 0;
    // Puts the rows of staging in place of table's without copying cells: each column takes
    // staging's column of the same name, a column staging lacks becomes NULL, a column only
    // staging has is added. With takeValueTypes the columns take staging's value types.
    // Every view over table then rebuilds. False, with nothing changed, when either table is
    // not this host's or both are the same.
    virtual bool adoptRows(IDataTable* table, IDataTable* staging, bool takeValueTypes) = 0;
    // Makes room in table for as many rows, and as much text per column, as model holds,
    // so that a refill of about the same data does not regrow its storage.
    virtual void reserveLike(IDataTable* table, IDataTable* model) = 0;
    // The database's last error text (why it is not open, or why the last statement failed).
    // False when the database is not this host's.
    virtual bool lastError(IDatabase* database, XStringW& error) = 0;
};

} // namespace Host
