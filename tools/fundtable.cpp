// fundtable DB [DATE]: fills the closed-fund table from DB with the module's own code, the
// yields computed as of DATE (year-month-day; default today), and prints it as UTF-8
// tab-separated text: the column names, then one line per row; a NULL cell prints "--".
// With --timing it prints how long the query, the whole fill and the printing took instead.
#include "Database.h"
#include "data/FundTable.h"
#include "host/Kernel.h"
#include "module/ModuleHandle.h"
#include "module/Resources.h"
#include <windows.h>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace {

void fail(const XStringW& message)
{
    fprintf(stderr, "fundtable: %s\n", Common::toUtf8(message).c_str());
}

// Tabs and line breaks inside a cell would break the line structure.
std::string field(const XStringW& text)
{
    std::string utf8 = Common::toUtf8(text);
    for (char& c : utf8) if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return utf8;
}

std::string formatTable(Host::IDataTable* table)
{
    std::string out;
    int columns = table->getColumnCount();
    for (int c = 0; c < columns; ++c) {
        XComPtr<Host::IColumnItem> column = table->getColumn(c);
        out += (c ? "\t" : "") + field(column ? column->getName() : XStringW());
    }
    out += '\n';
    int rows = table->getRowCount();
    for (int r = 0; r < rows; ++r) {
        XComPtr<Host::IDataRow> row = table->getRow(r);
        for (int c = 0; c < columns; ++c) {
            XComPtr<Host::IColumnItem> cell = row ? row->getItemAt(c) : nullptr;
            if (c) out += '\t';
            out += !cell || cell->isNull() ? std::string("--") : field(cell->getText());
        }
        out += '\n';
    }
    return out;
}

void print(const std::string& text)
{
    _setmode(_fileno(stdout), _O_BINARY);
    fwrite(text.data(), 1, text.size(), stdout);
    fflush(stdout);
}

double milliseconds()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// The stored query alone into a scratch table, then the module's whole fill, then printing.
int printTiming(Host::IDatabase* db, Host::IDataTable* table, const XStringW& referenceDate)
{
    auto scratch = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    XStringW query = ClosedFund::loadTextResource(ClosedFund::moduleInstance(), L"SQL", L"QUERY");
    double t0 = milliseconds();
    bool queried = db->fillTable(query, scratch.get(), true, 0);
    double t1 = milliseconds();
    bool filled = ClosedFund::fillFundTable(db, table, referenceDate);
    double t2 = milliseconds();
    std::string text = formatTable(table);
    double t3 = milliseconds();
    fprintf(stderr, "rows %d: query %.1f ms, fill with yields %.1f ms, text %.1f ms%s\n", table->getRowCount(),
            t1 - t0, t2 - t1, t3 - t2, queried && filled ? "" : " (failed)");
    return queried && filled ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    bool timing = argc > 1 && std::wstring(argv[argc - 1]) == L"--timing";
    if (timing) --argc;
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: fundtable DB [DATE] [--timing]\n  prints the closed-fund table of DB as of DATE (default today)\n");
        return 2;
    }
    XStringW referenceDate = argc == 3 ? XStringW(argv[2]) : ClosedFund::localReferenceDate();
    if (ClosedFund::dayNumber(referenceDate) <= 0) {
        fail(L"not a date: " + referenceDate + L" (use year-month-day, e.g. 2026-06-30)");
        return 2;
    }
    XStringW error;
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(argv[1], error);
    if (!db->isOpen()) {
        fail(error);
        return 1;
    }
    auto table = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    if (!table) {
        fail(L"the kernel has no Data.DataTable");
        return 1;
    }
    if (timing) return printTiming(db.get(), table.get(), referenceDate);
    if (!ClosedFund::fillFundTable(db.get(), table.get(), referenceDate)) {
        fail(L"cannot read the closed funds of " + XStringW(argv[1]) + L": " + db->getLastError());
        return 1;
    }
    print(formatTable(table.get()));
    return 0;
}
