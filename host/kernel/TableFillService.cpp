// "Client2.TableFill": a table filled from the fund database on a thread of the caller's,
// then put in place of the shown rows on the user-interface thread. The client answers this
// name with null, and a caller then fills through IDatabase::fillTable on that thread.
//
// Safe on a worker because nothing here is shared: the database serves each thread on a
// connection of its own, and the staging table is used by one thread until it is adopted.
#include "ComponentRegistry.h"
#include "DataTable.h"
#include "common/RefCounted.h"
#include "ext/TableFill.h"
#include "hostapi/DatabaseHost.h"

namespace Kernel {

namespace {

class TableFill final : public Common::RefCounted<Host::ITableFill> {
public:
    bool isWorkerSafe() override { return true; }

    // A staging table that already holds rows is refused rather than emptied: its rows are
    // the caller's, and a fill that fails must not have lost them.
    bool fill(Host::IDatabase* database, const XStringW& sql, Host::IDataTable* staging, int maxRows,
              XStringW& error) override
    {
        auto* db = dynamic_cast<Host::IDatabaseHost*>(database);
        if (!db) {
            error = L"cannot fill the table: the database is not one of this host's";
            return false;
        }
        auto* table = dynamic_cast<DataTable*>(staging);
        if (!table) {
            error = L"cannot fill the table: it is not one of this host's tables";
            return false;
        }
        if (table->rowCount() > 0) {
            error = L"cannot fill the table: the staging table already holds rows";
            return false;
        }
        if (db->fill(sql, staging, true, maxRows)) {
            error.clear();
            return true;
        }
        error = db->getLastError();
        if (error.empty()) error = L"the query did not fill the table";
        return false;
    }

    bool adoptRows(Host::IDataTable* table, Host::IDataTable* staging, bool takeValueTypes) override
    {
        auto* target = dynamic_cast<Host::IDataTableHost*>(table);
        return target && target->adoptRows(staging, takeValueTypes);
    }

    void reserveLike(Host::IDataTable* table, Host::IDataTable* model) override
    {
        if (auto* target = dynamic_cast<Host::IDataTableHost*>(table)) target->reserveLike(model);
    }

    bool lastError(Host::IDatabase* database, XStringW& error) override
    {
        auto* db = dynamic_cast<Host::IDatabaseHost*>(database);
        if (!db) return false;
        error = db->getLastError();
        return true;
    }
};

IXUnknown* createTableFill() { return new TableFill; }

} // namespace

KERNEL_COMPONENT(Host::kTableFillProgId, createTableFill);

} // namespace Kernel
