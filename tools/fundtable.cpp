// fundtable DB [DATE] [--shown [--columns LIST] [--width N] | --export FILE | --timing]:
// fills the closed-fund table from DB with the module's own code, the yields computed as of
// DATE (year-month-day; default today), and prints it as UTF-8 tab-separated text: the
// column names, then one line per row; a NULL cell prints "--". Other tools read this form.
// --shown prints the table as the page shows it instead, laid out for a terminal: the shown
// columns of the default header (or the columns LIST names by caption), their captions,
// every cell as the grid formats it, in N cells (default: COLUMNS when it is set, else 120).
// --export FILE writes the file the grid's export writes for FILE's extension.
// --timing prints how long the query, the whole fill and the printing took.
// Messages are Chinese, as the client's are, and name paths as they were typed.
#include "Database.h"
#include "data/FundTable.h"
#include "grid/DelimitedText.h"
#include "hostapi/DataHost.h"
#include "hostapi/DatabaseHost.h"
#include "hostapi/KernelHost.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include "table/ColumnChoice.h"
#include "table/GivenPath.h"
#include "table/ShownTable.h"
#include "table/TerminalText.h"
#include <windows.h>
#include <objbase.h>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>

using FundTableText::GivenPath;

namespace {

const int kDefaultWidth = 120;

void fail(const XStringW& message) { fprintf(stderr, "fundtable：%s\n", Common::toUtf8(message).c_str()); }

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
    fprintf(stderr, "%d 行：查询 %.1f ms，连同收益率填表 %.1f ms，成文 %.1f ms%s\n", table->getRowCount(), t1 - t0,
            t2 - t1, t3 - t2, queried && filled ? "" : "（失败）");
    return queried && filled ? 0 : 1;
}

enum class Mode { Tsv, Shown, Export, Timing };

struct Options {
    Mode mode = Mode::Tsv;
    GivenPath database;
    XStringW referenceDate;
    GivenPath exportPath;
    std::vector<XStringW> columns; // empty: the default header's shown columns
    int width = kDefaultWidth;
};

int usage()
{
    fprintf(stderr,
            "用法：fundtable 数据库 [日期] [--shown [--columns 列,列…] [--width N] | --export 文件 | --timing]\n"
            "  按日期（年-月-日，默认今天）计算收益率，把数据库中的封闭式基金表打印为制表符分隔的文本；\n"
            "  --shown 按页面显示的样子排版给终端看，宽 N 格（默认取环境变量 COLUMNS，没有则 120），\n"
            "          --columns 只印这些列（页面上的列名，按给出的顺序）；\n"
            "  --export 文件 写出网格“数据导出”写的文件（.xlsx 工作簿；.csv UTF-8 逗号分隔；\n"
            "          .txt、.xls UTF-16 制表符分隔）；--timing 打印各步用时。\n");
    return 2;
}

// The terminal's width when the shell exported it.
int widthFromEnvironment()
{
    wchar_t text[32];
    DWORD n = GetEnvironmentVariableW(L"COLUMNS", text, 32);
    int width = n > 0 && n < 32 ? _wtoi(text) : 0;
    return width > 0 ? width : kDefaultWidth;
}

// The value after option i; false (after a message) when there is none.
bool valueOf(int argc, wchar_t** argv, int& i, XStringW& value, const wchar_t* what)
{
    if (i + 1 >= argc) {
        fail(XStringW(argv[i]) + L" 后面要跟" + what);
        return false;
    }
    value = argv[++i];
    return true;
}

// False (after a message) for anything but one database, an optional date and one mode.
// --columns or --width at argv[i] (its value follows); false after telling what is wrong.
bool parseLayoutOption(int argc, wchar_t** argv, int& i, Options& options)
{
    bool width = std::wstring(argv[i]) == L"--width";
    XStringW value;
    if (!valueOf(argc, argv, i, value, width ? L"一个正整数（宽多少格）" : L"列名，用逗号分开")) return false;
    if (!width) {
        options.columns = FundTableText::columnNames(value);
        return true;
    }
    options.width = _wtoi(value.c_str());
    if (options.width <= 0 || value.find_first_not_of(L"0123456789") != XStringW::npos) {
        fail(L"--width 要一个正整数：" + value);
        return false;
    }
    return true;
}

// The mode an option names; false for none.
bool modeOption(const std::wstring& arg, Mode& mode)
{
    if (arg == L"--shown")
        mode = Mode::Shown;
    else if (arg == L"--timing")
        mode = Mode::Timing;
    else if (arg == L"--export")
        mode = Mode::Export;
    else
        return false;
    return true;
}

bool parseOptions(int argc, wchar_t** argv, Options& options)
{
    std::vector<XStringW> positional;
    bool modeGiven = false, layoutGiven = false;
    options.width = widthFromEnvironment();
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--columns" || arg == L"--width") {
            if (!parseLayoutOption(argc, argv, i, options)) return false;
            layoutGiven = true;
            continue;
        }
        Mode mode = Mode::Tsv;
        if (!modeOption(arg, mode)) {
            if (arg.size() > 1 && arg[0] == L'-' && arg[1] == L'-') {
                fail(L"没有这个选项：" + XStringW(arg));
                return false;
            }
            positional.push_back(arg);
            continue;
        }
        if (modeGiven) {
            fail(L"--shown、--export 和 --timing 只能给一个");
            return false;
        }
        modeGiven = true;
        options.mode = mode;
        XStringW value;
        if (mode == Mode::Export) {
            if (!valueOf(argc, argv, i, value, L"文件名")) return false;
            options.exportPath = FundTableText::givenPath(value);
        }
    }
    if (layoutGiven && options.mode != Mode::Shown) {
        fail(L"--columns 和 --width 只用于 --shown");
        return false;
    }
    if (positional.empty() || positional.size() > 2) return false;
    options.database = FundTableText::givenPath(positional[0]);
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

// Why the database did not open, as the client tells it, with the path as it was given.
XStringW openFailure(Host::IDatabaseHost* db, const GivenPath& path)
{
    XStringW detail;
    switch (db->getOpenFailure(detail)) {
    case Host::OpenFailure::Missing: return L"找不到基金数据库：" + path.given;
    case Host::OpenFailure::Damaged: return L"基金数据库已损坏：" + path.given;
    case Host::OpenFailure::NotFundDatabase: return L"这个文件不是基金数据库：" + path.given;
    case Host::OpenFailure::Busy: return L"基金数据库被其他程序占用：" + path.given;
    default: return L"无法打开基金数据库：" + path.given;
    }
}

// The grid loaded as the page loads it, then printed or exported.
int runGrid(Host::IDatabase* db, const Options& options)
{
    if (options.mode == Mode::Export && !exportableName(options.exportPath.opened)) {
        fail(L"无法导出到 " + options.exportPath.given + L"：导出只写 .xlsx、.csv、.txt 或 .xls 文件");
        return 2;
    }
    XComPtr<Host::IThemeMgr> themes = Host::openThemeMgr(FundTableText::shippedThemeFolder().c_str(), "light");
    XComPtr<Host::ITheme> theme = themes ? themes->getCurrentTheme() : XComPtr<Host::ITheme>();
    ClosedFund::closedFundGrid grid;
    XStringW error;
    if (!FundTableText::loadFundGrid(grid, db, theme.get(), options.referenceDate, error)) {
        fail(options.database.given + L"：" + error);
        return 1;
    }
    if (options.mode == Mode::Shown) {
        FundTableText::ShownTable table;
        if (options.columns.empty())
            table = FundTableText::shownTable(grid);
        else if (!FundTableText::chosenTable(grid, options.columns, table, error)) {
            fail(error);
            return 2;
        }
        print(FundTableText::terminalText(table, options.width));
        return 0;
    }
    size_t rows = 0;
    if (!grid.ExportToFile(options.exportPath.opened, ClosedFund::EXPORT_BY_NAME, error, &rows)) {
        error.replaceAll(L"\r\n", L"："); // the grid's message box text, on one line
        fail(FundTableText::asGiven(error, options.exportPath));
        return 1;
    }
    fprintf(stderr, "fundtable：已导出 %zu 只基金到 %s\n", rows, Common::toUtf8(options.exportPath.given).c_str());
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
        fail(L"不是日期：" + options.referenceDate + L"（请写成 年-月-日，例如 2026-06-30）");
        return 2;
    }
    XStringW error;
    XComPtr<Host::IDatabaseHost> db = FundDb::openFundDatabase(options.database.opened, error);
    if (!db->isOpen()) {
        fail(openFailure(db.get(), options.database));
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
        fail(L"内核没有 Data.DataTable");
        return 1;
    }
    if (options.mode == Mode::Timing) return printTiming(db.get(), table.get(), options.referenceDate);
    if (!ClosedFund::fillFundTable(db.get(), table.get(), options.referenceDate)) {
        fail(L"无法读取 " + options.database.given + L" 中的封闭式基金：" + db->getLastError());
        return 1;
    }
    print(formatTable(table.get()));
    return 0;
}
