// IDatabase::fillTable: a query's result into a host data table. The whole result is read
// first and only then written, so a query that fails part-way leaves the table as it was.
#include "SqliteDatabase.h"
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace FundDb {
namespace {

struct TextRef { uint32_t offset, length; };

// What a result may hold in memory before the fill gives up: well above a million funds'
// worth, well below what a 64-bit client can spare; it also keeps text offsets in 32 bits.
const size_t kResultBudgetBytes = size_t(1) << 30;

// One result cell as SQLite stored it; texts live in the result's shared text pool.
struct Cell {
    int type;   // SQLITE_NULL, SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT (blobs are read as text)
    union {
        sqlite3_int64 integer;
        double real;
        TextRef text;
    };
};

struct Result {
    std::vector<XStringW> names;
    std::vector<int> valueTypes;
    std::vector<Cell> cells;   // row after row
    std::wstring texts;
    size_t rows = 0;
    size_t bytes() const { return cells.size() * sizeof(Cell) + texts.size() * sizeof(wchar_t); }
};

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

// Appends UTF-8 text to the pool as UTF-16. Reading SQLite's UTF-8 directly spares its
// per-cell conversion buffers; a malformed sequence becomes U+FFFD.
void appendUtf8(std::wstring& out, const unsigned char* s, size_t n)
{
    size_t i = 0;
    while (i < n) {
        unsigned char c = s[i];
        if (c < 0x80) { out.push_back(wchar_t(c)); ++i; continue; }
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
        if (!ok) { out.push_back(wchar_t(0xFFFD)); ++i; continue; }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(wchar_t(0xD800 + (code >> 10)));
            out.push_back(wchar_t(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(wchar_t(code));
        }
        i += size_t(extra) + 1;
    }
}

void readColumns(sqlite3_stmt* stmt, Result& result)
{
    int count = sqlite3_column_count(stmt);
    for (int i = 0; i < count; ++i) {
        auto name = static_cast<const wchar_t*>(sqlite3_column_name16(stmt, i));
        result.names.push_back(name ? XStringW(name) : XStringW());
        result.valueTypes.push_back(valueTypeFromDeclared(sqlite3_column_decltype(stmt, i)));
    }
}

void readRow(sqlite3_stmt* stmt, Result& result)
{
    int count = int(result.names.size());
    for (int i = 0; i < count; ++i) {
        Cell cell;
        cell.type = sqlite3_column_type(stmt, i);
        if (cell.type == SQLITE_INTEGER) {
            cell.integer = sqlite3_column_int64(stmt, i);
        } else if (cell.type == SQLITE_FLOAT) {
            cell.real = sqlite3_column_double(stmt, i);
        } else if (cell.type != SQLITE_NULL) {
            cell.type = SQLITE_TEXT;
            const unsigned char* text = sqlite3_column_text(stmt, i);
            size_t bytes = size_t(sqlite3_column_bytes(stmt, i));
            cell.text.offset = uint32_t(result.texts.size());
            if (text) appendUtf8(result.texts, text, bytes);
            cell.text.length = uint32_t(result.texts.size() - cell.text.offset);
        }
        result.cells.push_back(cell);
    }
    ++result.rows;
}

// Table column of each result column; -1 for a result column whose name came earlier in
// the same result (the first one wins). Missing columns are added; on a first fill the
// value types of existing ones are set again from the query.
std::vector<int> mapColumns(const Result& result, Host::IDataTable* table, bool firstFill)
{
    std::vector<int> map;
    for (size_t i = 0; i < result.names.size(); ++i) {
        const XStringW& name = result.names[i];
        bool repeated = false;
        for (size_t j = 0; j < i; ++j) repeated = repeated || result.names[j] == name;
        if (repeated) { map.push_back(-1); continue; }
        int index = table->getColumnIndex(name);
        if (index < 0) {
            index = table->addColumn(name, result.valueTypes[i]);
        } else if (firstFill) {
            XComPtr<Host::IColumnItem> column = table->getColumn(index);
            if (column) column->setValueType(result.valueTypes[i]);
        }
        map.push_back(index);
    }
    return map;
}

void writeRows(const Result& result, const std::vector<int>& map, Host::IDataTable* table)
{
    size_t columns = map.size();
    table->reserveRows(int(result.rows));
    table->clearRows();
    const Cell* cell = result.cells.data();
    for (size_t r = 0; r < result.rows; ++r) {
        int row = table->appendRow();
        for (size_t c = 0; c < columns; ++c, ++cell) {
            int column = map[c];
            if (column < 0) continue;
            switch (cell->type) {
            case SQLITE_INTEGER: table->setInt64(row, column, cell->integer); break;
            case SQLITE_FLOAT: table->setDouble(row, column, cell->real); break;
            case SQLITE_TEXT:
                table->setTextAt(row, column, result.texts.data() + cell->text.offset, cell->text.length);
                break;
            default: table->setNull(row, column); break;
            }
        }
    }
}

} // namespace

bool SqliteDatabase::fillTable(const XStringW& sql, Host::IDataTable* table, bool firstFill, int maxRows)
{
    if (!table) {
        setLastError(L"no table to fill");
        return false;
    }
    XStringW error;
    sqlite3_stmt* stmt = prepareRaw(sql, error);
    if (!stmt) return false;
    Result result;
    readColumns(stmt, result);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if ((maxRows > 0 && result.rows >= size_t(maxRows)) || result.bytes() > kResultBudgetBytes) {
            sqlite3_finalize(stmt);
            XStringW text;
            text.format(L"the query gives more rows than expected (over %llu); the list keeps its rows",
                        static_cast<unsigned long long>(result.rows));
            setLastError(text);
            return false;
        }
        readRow(stmt, result);
    }
    if (rc != SQLITE_DONE) {
        setLastError(sqliteError(sqlite3_db_handle(stmt)));
        sqlite3_finalize(stmt);
        return false;
    }
    sqlite3_finalize(stmt);
    XComPtr<Host::IUpdateContext> bracket = table->beginUpdate();
    std::vector<int> map = mapColumns(result, table, firstFill || table->getColumnCount() == 0);
    writeRows(result, map, table);
    table->commitFill();
    if (bracket) bracket->endUpdate();
    return true;
}

} // namespace FundDb
