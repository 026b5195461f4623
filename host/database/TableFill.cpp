// IDatabase::fillTable: a query's result into a host data table, through a staging table
// that replaces the table's rows only when the query has run to its end.
#include "SqliteDatabase.h"
#include "hostapi/DataHost.h"
#include "hostapi/KernelHost.h"
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace FundDb {
namespace {

// What a result may hold in memory before the fill gives up: well above a million funds'
// worth, well below what a 64-bit client can spare.
const size_t kResultBudgetBytes = size_t(1) << 30;
// What a table keeps per cell besides its text: a storage byte and an 8-byte slot.
const size_t kCellBytes = 9;

// The table's value type for a declared column type, by SQLite's affinity rules: integers
// are 2, reals and numerics 1, texts, blobs and expressions without a declared type 0.
int valueTypeFromDeclared(const char* declared)
{
    if (!declared) return Host::VALUE_TEXT;
    std::string upper(declared);
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    auto has = [&](const char* word) { return upper.find(word) != std::string::npos; };
    if (has("INT")) return Host::VALUE_INT;
    if (has("CHAR") || has("CLOB") || has("TEXT") || has("BLOB") || upper.empty()) return Host::VALUE_TEXT;
    return Host::VALUE_REAL;
}

// The result's columns in staging, which has none yet: named and typed by the query. A name
// that came earlier in the same result keeps its first column (-1: not written).
std::vector<int> addColumns(sqlite3_stmt* stmt, Host::IDataTableHost* staging)
{
    std::vector<int> map;
    std::set<std::wstring> named;
    int count = sqlite3_column_count(stmt);
    for (int i = 0; i < count; ++i) {
        auto name = static_cast<const wchar_t*>(sqlite3_column_name16(stmt, i));
        XStringW text = name ? XStringW(name) : XStringW();
        if (!named.insert(text).second) {
            map.push_back(-1);
            continue;
        }
        map.push_back(staging->addColumn(text, valueTypeFromDeclared(sqlite3_column_decltype(stmt, i))));
    }
    return map;
}

// The statement's current row as the cells of a new row (cells holds one per column of the
// table), adding to textBytes the UTF-16 bytes its texts may take. A text points into the
// statement's row, valid until the next step: the table copies it when the row is appended.
// Each cell is read through its value, one call to the statement per cell: the connection
// serves this thread alone, which is what reading an unprotected value asks. False when
// SQLite ran out of memory making a text.
bool readRow(sqlite3_stmt* stmt, const std::vector<int>& map, std::vector<Host::CellValue>& cells, size_t& textBytes)
{
    for (size_t i = 0; i < map.size(); ++i) {
        if (map[i] < 0) continue;
        sqlite3_value* value = sqlite3_column_value(stmt, int(i));
        Host::CellValue& cell = cells[size_t(map[i])];
        switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
            cell.kind = Host::CELL_INT;
            cell.integer = sqlite3_value_int64(value);
            break;
        case SQLITE_FLOAT:
            cell.kind = Host::CELL_REAL;
            cell.real = sqlite3_value_double(value);
            break;
        case SQLITE_NULL: cell.kind = Host::CELL_NULL; break;
        default: // texts, and blobs read as text
            cell.kind = Host::CELL_TEXT;
            cell.utf8 = reinterpret_cast<const char*>(sqlite3_value_text(value));
            cell.bytes = size_t(sqlite3_value_bytes(value));
            if (!cell.utf8 && cell.bytes > 0) return false;
            textBytes += cell.bytes * sizeof(wchar_t);
            break;
        }
    }
    return true;
}

} // namespace

// The client's interface drops the outcome: a caller learns of a failure from the table,
// whose rows stay as they were, or from a statement prepared first.
void SqliteDatabase::fillTable(const XStringW& sql, Host::IDataTable* table, bool firstFill, int)
{
    Host::checkContractThread("IDatabase::fillTable");
    fill(sql, table, firstFill, 0);
}

// The rows go straight from the statement into a staging table, which takes the place of
// the table's rows only once the query has run to its end: a query that fails part-way,
// or passes the row bound or the memory budget, leaves the table as it was. Memory stays
// near the old rows plus the new ones, with no copy of the result in between.
bool SqliteDatabase::fill(const XStringW& sql, Host::IDataTable* table, bool firstFill, int maxRows)
{
    auto* target = dynamic_cast<Host::IDataTableHost*>(table);
    if (!target) {
        setLastError(table ? L"the table cannot take the rows (it is not one of the kernel's tables)"
                           : L"no table to fill");
        return false;
    }
    XStringW error;
    sqlite3_stmt* stmt = prepareRaw(sql, error);
    if (!stmt) return false;
    // A table that has neither rows nor columns is a staging table of its own: the fill
    // writes straight into it and empties it again on failure.
    int oldRows = target->getRowCount();
    bool direct = oldRows == 0 && target->getColumnCount() == 0;
    XComPtr<Host::IDataTableHost> staging = direct ? XComPtr<Host::IDataTableHost>(target) : Host::createHostTable();
    if (!staging) {
        sqlite3_finalize(stmt);
        setLastError(L"no data table to fill (the kernel's data library is missing)");
        return false;
    }
    // A refill usually brings about as many rows as it replaces.
    if (!direct) staging->reserveRows(oldRows);
    std::vector<int> map = addColumns(stmt, staging.get());
    std::vector<Host::CellValue> cells(size_t(staging->getColumnCount()), Host::CellValue{});
    auto fail = [&](const XStringW& reason) {
        sqlite3_finalize(stmt);
        if (direct) staging->clearRows();
        setLastError(reason);
        return false;
    };
    size_t rows = 0, bytes = 0, rowBytes = map.size() * kCellBytes;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if ((maxRows > 0 && rows >= size_t(maxRows)) || bytes > kResultBudgetBytes) {
            XStringW text;
            text.format(L"the query gives more rows than expected (over %llu); the list keeps its rows",
                        static_cast<unsigned long long>(rows));
            return fail(text);
        }
        bytes += rowBytes;
        if (!readRow(stmt, map, cells, bytes))
            return fail(L"out of memory reading the query's rows; the list keeps its rows");
        staging->appendRowValues(cells.data(), int(cells.size()));
        ++rows;
    }
    if (rc != SQLITE_DONE) return fail(sqliteError(sqlite3_db_handle(stmt)));
    sqlite3_finalize(stmt);
    if (direct) {
        staging->commitFill();
        return true;
    }
    bool takeTypes = firstFill || target->getColumnCount() == 0;
    if (!target->adoptRows(staging.get(), takeTypes)) {
        setLastError(L"the table cannot take the new rows (it is not one of the kernel's tables)");
        return false;
    }
    return true;
}

} // namespace FundDb
