// fundtable DB [DATE] [--shown | --export FILE | --timing]: fills the closed-fund table from
// DB with the module's own code, the yields computed as of DATE (year-month-day; default
// today), and prints it as UTF-8 tab-separated text: the column names, then one line per
// row; a NULL cell prints "--". Other tools read this form.
// --shown prints the table as the page shows it instead, laid out for a terminal: the shown
// columns of the default header, their captions, every cell as the grid formats it.
// --export FILE writes the file the grid's export writes for FILE's extension.
// --timing prints how long the query, the whole fill and the printing took.
#include "Database.h"
#include "data/FundTable.h"
#include "grid/DelimitedText.h"
#include "hostapi/DataHost.h"
#include "hostapi/KernelHost.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include "table/ShownTable.h"
#include "table/TerminalText.h"
#include <windows.h>
#include <objbase.h>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>

namespace {

void fail(const XStringW& message) { fprintf(stderr, "fundtable: %s\n", Common::toUtf8(message).c_str()); }

// Tabs and line breaks inside a cell would break the line structure.
std::string field(const XStringW& text)
{
    std::string utf8 = Common::toUtf8(text);
    for (char& c : utf8)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return utf8;
}

std::string formatTable(Host::IDataTableHost* table)
{
    std::string out;
    int columns = table->getColumnCount();
    for (int c = 0; c < columns; ++c) out += (c ? "\t" : "") + field(Host::columnName(table, c));
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
int printTiming(Host::IDatabaseHost* db, Host::IDataTableHost* table, const XStringW& referenceDate)
{
    auto scratch = Host::createHostTable();
    XStringW query = ClosedFund::loadTextResource(ClosedFund::moduleInstance(), L"SQL", L"QUERY");
    double t0 = milliseconds();
    bool queried = scratch && db->fill(query, scratch.get(), true, 0);
    double t1 = milliseconds();
    bool filled = ClosedFund::fillFundTable(db, table, referenceDate);
    double t2 = milliseconds();
    std::string text = formatTable(table);
    double t3 = milliseconds();
    fprintf(stderr, "rows %d: query %.1f ms, fill with yields %.1f ms, text %.1f ms%s\n", table->getRowCount(), t1 - t0,
            t2 - t1, t3 - t2, queried && filled ? "" : " (failed)");
    return queried && filled ? 0 : 1;
}

enum class Mode { Tsv, Shown, Export, Timing };

struct Options {
    Mode mode = Mode::Tsv;
    XStringW database;
    XStringW referenceDate;
    XStringW exportPath;
};

int usage()
{
    fprintf(stderr, "usage: fundtable DB [DATE] [--shown | --export FILE | --timing]\n"
                    "  prints the closed-fund table of DB as of DATE (default today) as tab-separated text;\n"
                    "  --shown as the page shows it, --export FILE as the grid's export writes it\n"
                    "  (.xlsx: a workbook; .csv: UTF-8 comma-separated; .txt, .xls: UTF-16 tab-separated text)\n");
    return 2;
}

// False (after a message) for anything but one database, an optional date and one mode.
bool parseOptions(int argc, wchar_t** argv, Options& options)
{
    std::vector<XStringW> positional;
    bool modeGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        Mode mode;
        if (arg == L"--shown")
            mode = Mode::Shown;
        else if (arg == L"--timing")
            mode = Mode::Timing;
        else if (arg == L"--export")
            mode = Mode::Export;
        else if (arg.size() > 1 && arg[0] == L'-' && arg[1] == L'-') {
            fail(L"unknown option " + XStringW(arg));
            return false;
        } else {
            positional.push_back(arg);
            continue;
        }
        if (modeGiven) {
            fail(L"give only one of --shown, --export and --timing");
            return false;
        }
        modeGiven = true;
        options.mode = mode;
        if (mode == Mode::Export) {
            if (i + 1 >= argc) {
                fail(L"--export needs a file name");
                return false;
            }
            options.exportPath = argv[++i];
        }
    }
    if (positional.empty() || positional.size() > 2) return false;
    options.database = positional[0];
    options.referenceDate = positional.size() == 2 ? positional[1] : ClosedFund::localReferenceDate();
    return true;
}

// The extensions the grid's save dialog offers; the export picks the kind of file by the name
// (a workbook .xlsx, UTF-8 comma-separated .csv, UTF-16 tab-separated .txt and .xls).
bool exportableName(const XStringW& path)
{
    size_t dot = path.rfind(L'.');
    size_t slash = path.find_last_of(L"\\/");
    if (dot == XStringW::npos || (slash != XStringW::npos && dot < slash)) return false;
    XStringW extension = XStringW(path.substr(dot)).toLower();
    return extension == L".xlsx" || extension == L".csv" || extension == L".txt" || extension == L".xls";
}

// The grid loaded as the page loads it, then printed or exported.
int runGrid(Host::IDatabase* db, const Options& options)
{
    if (options.mode == Mode::Export && !exportableName(options.exportPath)) {
        fail(L"cannot export to " + options.exportPath + L": the export writes .xlsx, .csv, .txt or .xls files");
        return 2;
    }
    XComPtr<Host::IThemeMgr> themes = Host::openThemeMgr(FundTableText::shippedThemeFolder().c_str(), "light");
    XComPtr<Host::ITheme> theme = themes ? themes->getCurrentTheme() : XComPtr<Host::ITheme>();
    ClosedFund::closedFundGrid grid;
    XStringW error;
    if (!FundTableText::loadFundGrid(grid, db, theme.get(), options.referenceDate, error)) {
        fail(options.database + L": " + error);
        return 1;
    }
    if (options.mode == Mode::Shown) {
        print(FundTableText::terminalText(FundTableText::shownTable(grid)));
        return 0;
    }
    size_t rows = 0;
    if (!grid.ExportToFile(options.exportPath, ClosedFund::EXPORT_BY_NAME, error, &rows)) {
        error.replaceAll(L"\r\n", L": "); // the grid's message box text, on one line
        fail(error);
        return 1;
    }
    fprintf(stderr, "fundtable: exported %zu funds to %s\n", rows, Common::toUtf8(options.exportPath).c_str());
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // The tool runs the module's code as the client's user-interface thread would.
    Host::registerHostThread();
    Options options;
    if (!parseOptions(argc, argv, options)) return usage();
    if (ClosedFund::dayNumber(options.referenceDate) <= 0) {
        fail(L"not a date: " + options.referenceDate + L" (use year-month-day, e.g. 2026-06-30)");
        return 2;
    }
    XStringW error;
    XComPtr<Host::IDatabaseHost> db = FundDb::openFundDatabase(options.database, error);
    if (!db->isOpen()) {
        fail(error);
        return 1;
    }
    if (options.mode == Mode::Shown || options.mode == Mode::Export) {
        // The grid keeps its header in an XML document of the platform's COM service.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        int result = runGrid(db.get(), options);
        CoUninitialize();
        return result;
    }
    auto table = Host::createHostTable();
    if (!table) {
        fail(L"the kernel has no Data.DataTable");
        return 1;
    }
    if (options.mode == Mode::Timing) return printTiming(db.get(), table.get(), options.referenceDate);
    if (!ClosedFund::fillFundTable(db.get(), table.get(), options.referenceDate)) {
        fail(L"cannot read the closed funds of " + options.database + L": " + db->getLastError());
        return 1;
    }
    print(formatTable(table.get()));
    return 0;
}
