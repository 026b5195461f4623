// IDatabase::fillTable: a query's result into a host data table, through a staging table
// that replaces the table's rows only when the query has run to its end.
#include "SqliteDatabase.h"
#include "host/Kernel.h"
#include <cctype>
#include <cstdint>
#include <cstring>
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

// Appends UTF-8 text to out as UTF-16. Reading SQLite's UTF-8 directly spares its per-cell
// conversion buffers; a malformed sequence becomes U+FFFD. No text takes more UTF-16 code
// units than it has bytes, so the room is made once and trimmed after.
void appendUtf8(std::wstring& out, const unsigned char* s, size_t n)
{
    size_t start = out.size();
    out.resize(start + n);
    wchar_t* o = &out[0] + start;
    size_t i = 0;
    while (i < n) {
        unsigned char c = s[i];
        if (c < 0x80) { *o++ = wchar_t(c); ++i; continue; }
        int extra = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
        bool ok = extra > 0 && n - i > size_t(extra);
        uint32_t code = c & (0x3F >> extra);
        for (int k = 1; ok && k <= extra; ++k) {
            unsigned char next = s[i + k];
            ok = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (ok && extra == 2) ok = code >= 0x800 && (code < 0xD800 || code > 0xDFFF);
        if (ok && extra == 3) ok = code >= 0x10000 && code <= 0x10FFFF;
        if (!ok) { *o++ = wchar_t(0xFFFD); ++i; continue; }
        if (code >= 0x10000) {
            code -= 0x10000;
            *o++ = wchar_t(0xD800 + (code >> 10));
            *o++ = wchar_t(0xDC00 + (code & 0x3FF));
        } else {
            *o++ = wchar_t(code);
        }
        i += size_t(extra) + 1;
    }
    out.resize(size_t(o - out.data()));
}

// The result's columns in staging, which has none yet: named and typed by the query. A name
// that came earlier in the same result keeps its first column (-1: not written).
std::vector<int> addColumns(sqlite3_stmt* stmt, Host::IDataTable* staging)
{
    std::vector<int> map;
    int count = sqlite3_column_count(stmt);
    for (int i = 0; i < count; ++i) {
        auto name = static_cast<const wchar_t*>(sqlite3_column_name16(stmt, i));
        XStringW text = name ? XStringW(name) : XStringW();
        if (staging->getColumnIndex(text) >= 0) {
            map.push_back(-1);
            continue;
        }
        map.push_back(staging->addColumn(text, valueTypeFromDeclared(sqlite3_column_decltype(stmt, i))));
    }
    return map;
}

// Writes the statement's current row as a new row of the table; returns the bytes of text
// it added.
size_t writeRow(sqlite3_stmt* stmt, const std::vector<int>& map, Host::IDataTable* table, std::wstring& buffer)
{
    int row = table->appendRow();
    size_t textBytes = 0;
    for (size_t i = 0; i < map.size(); ++i) {
        int column = map[i];
        if (column < 0) continue;
        int c = int(i);
        switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER: table->setInt64(row, column, sqlite3_column_int64(stmt, c)); break;
        case SQLITE_FLOAT: table->setDouble(row, column, sqlite3_column_double(stmt, c)); break;
        case SQLITE_NULL: break;   // a new row's cells are NULL
        default: {   // texts, and blobs read as text
            const unsigned char* text = sqlite3_column_text(stmt, c);
            size_t bytes = size_t(sqlite3_column_bytes(stmt, c));
            buffer.clear();
            if (text) appendUtf8(buffer, text, bytes);
            table->setTextAt(row, column, buffer.data(), buffer.size());
            textBytes += buffer.size() * sizeof(wchar_t);
            break;
        }
        }
    }
    return textBytes;
}

// A table that has neither rows nor columns is a staging table of its own: the fill writes
// straight into it and empties it again on failure.
bool isFresh(Host::IDataTable* table) { return table->getRowCount() == 0 && table->getColumnCount() == 0; }

} // namespace

// The rows go straight from the statement into a staging table, which takes the place of
// the table's rows only once the query has run to its end: a query that fails part-way,
// or passes the row bound or the memory budget, leaves the table as it was. Memory stays
// near the old rows plus the new ones, with no copy of the result in between.
bool SqliteDatabase::fillTable(const XStringW& sql, Host::IDataTable* table, bool firstFill, int maxRows)
{
    if (!table) {
        setLastError(L"no table to fill");
        return false;
    }
    XStringW error;
    sqlite3_stmt* stmt = prepareRaw(sql, error);
    if (!stmt) return false;
    bool direct = isFresh(table);
    XComPtr<Host::IDataTable> staging =
        direct ? XComPtr<Host::IDataTable>(table) : Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    if (!staging) {
        sqlite3_finalize(stmt);
        setLastError(L"no data table to fill (the kernel's data library is missing)");
        return false;
    }
    // A refill usually brings about as many rows as it replaces.
    if (!direct) staging->reserveRows(table->getRowCount());
    std::vector<int> map = addColumns(stmt, staging.get());
    size_t rows = 0, bytes = 0, rowBytes = map.size() * kCellBytes;
    std::wstring buffer;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if ((maxRows > 0 && rows >= size_t(maxRows)) || bytes > kResultBudgetBytes) {
            sqlite3_finalize(stmt);
            if (direct) staging->clearRows();
            XStringW text;
            text.format(L"the query gives more rows than expected (over %llu); the list keeps its rows",
                        static_cast<unsigned long long>(rows));
            setLastError(text);
            return false;
        }
        bytes += rowBytes + writeRow(stmt, map, staging.get(), buffer);
        ++rows;
    }
    if (rc != SQLITE_DONE) {
        setLastError(sqliteError(sqlite3_db_handle(stmt)));
        sqlite3_finalize(stmt);
        if (direct) staging->clearRows();
        return false;
    }
    sqlite3_finalize(stmt);
    if (direct) {
        staging->commitFill();
        return true;
    }
    bool takeTypes = firstFill || table->getColumnCount() == 0;
    if (!table->adoptRows(staging.get(), takeTypes)) {
        setLastError(L"the table cannot take the new rows (it is not one of the kernel's tables)");
        return false;
    }
    return true;
}

} // namespace FundDb
