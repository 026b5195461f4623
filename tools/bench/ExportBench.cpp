// The list export of 100 000 funds through the grid (cell texts by the grid's formats,
// quoting, formula guard, UTF-8, a temporary file that replaces the target), against the
// plainest loop writing the same texts: cells read from the display view, the two
// percentage columns and the dates formatted by hand, quoted, converted and written through
// a buffered stdio file. No window: the header lives in the grid's document only.
// "export-xlsx" writes the same list as a workbook (cells typed, XML, deflated) against the
// same plain text writer.
#include "Bench.h"
#include "HostData.h"
#include "grid/ClosedFundGrid.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include <windows.h>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <random>
#include <vector>

namespace {

const int kFunds = 100000;
const wchar_t* const kColumns[] = {L"code",
                                   L"aliascode",
                                   L"name",
                                   L"value",
                                   L"totalvalue",
                                   L"increase",
                                   L"increasepercent",
                                   L"price",
                                   L"pricevalue",
                                   L"pricevaluerate",
                                   L"expiredate",
                                   L"pricevalueyearincome",
                                   L"investtype",
                                   L"fundtype",
                                   L"investstyle",
                                   L"createdate",
                                   L"company"};
const int kColumnCount = int(sizeof(kColumns) / sizeof(kColumns[0]));

struct ExportSetup {
    ClosedFund::closedFundGrid grid;
    std::wstring folder;

    ExportSetup()
    {
        CoInitialize(nullptr);
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"c2bench-export";
        CreateDirectoryW(folder.c_str(), nullptr);
        fill();
        std::wstring header = ClosedFund::loadTextResource(ClosedFund::moduleInstance(), L"XML", L"GRIDHEADER");
        Common::XStringW text(header);
        text.replaceAll(L"end_date", L"2026-06-26");
        grid.SetHeader(text);
        grid.SortedView()->rebuild(1);
    }

    void fill()
    {
        Host::IDataTableHost* table = Bench::hostTable(grid.FundTable());
        if (!table) return;
        for (int c = 0; c < kColumnCount; ++c) {
            bool real = c >= 3 && c <= 9;
            table->addColumn(kColumns[c], real ? Host::VALUE_REAL : Host::VALUE_TEXT);
        }
        table->reserveRows(kFunds);
        std::mt19937 rng(46);
        std::uniform_real_distribution<double> value(0.5, 3.0), change(-0.2, 0.2);
        static const wchar_t* const names[] = {L"基金", L"稳健", L"收益", L"红利", L"债券", L"Alpha"};
        wchar_t text[64];
        for (int r = 0; r < kFunds; ++r) {
            int row = table->appendRow();
            std::swprintf(text, 64, L"%06d", 150000 + r);
            table->setTextAt(row, 0, text, std::wcslen(text));
            table->setTextAt(row, 1, text, std::wcslen(text));
            std::wstring name = std::wstring(names[rng() % 6]) + names[rng() % 6] + L"封闭";
            table->setTextAt(row, 2, name.data(), name.size());
            // Four decimals, as the fund database keeps net values, prices and rates.
            for (int c = 3; c <= 9; ++c)
                table->setDouble(row, c, std::round((c == 6 || c == 9 ? change(rng) : value(rng)) * 1e4) / 1e4);
            std::swprintf(text, 64, r % 5 ? L"20%02d-%02d-%02d" : L"0001-01-01", 20 + int(rng() % 10),
                          1 + int(rng() % 12), 1 + int(rng() % 28));
            table->setTextAt(row, 10, text, std::wcslen(text));
            table->setTextAt(row, 15, text, std::wcslen(text));
            table->setTextAt(row, 11, L" ", 1);
            table->setTextAt(row, 12, L"股票型", 3);
            table->setTextAt(row, 13, L"契约型封闭", 5);
            table->setTextAt(row, 14, L"稳健成长", 4);
            std::wstring company = std::wstring(L"H-") + names[rng() % 6] + L"基金管理有限公司";
            table->setTextAt(row, 16, company.data(), company.size());
        }
        table->commitFill();
    }
};

ExportSetup& setup()
{
    static ExportSetup s;
    return s;
}

size_t exportThroughGrid(const wchar_t* name, size_t iterations)
{
    size_t total = 0;
    for (size_t i = 0; i < iterations; ++i) {
        Common::XStringW error;
        size_t rows = 0;
        setup().grid.ExportToFile(setup().folder + L"\\" + name, 0, error, &rows);
        total += rows;
    }
    return total;
}

size_t exportText(size_t iterations) { return exportThroughGrid(L"ours.csv", iterations); }
size_t exportWorkbook(size_t iterations) { return exportThroughGrid(L"ours.xlsx", iterations); }

void appendQuoted(std::wstring& line, const std::wstring& text)
{
    line += L'"';
    line += text;
    line += L"\",";
}

// The shown columns of the default header, in order, written as plainly as can be.
size_t exportPlainly(size_t iterations)
{
    Host::IDataViewHost* view = Bench::hostView(setup().grid.DisplayView());
    if (!view) return 0;
    const wchar_t* shown[] = {L"aliascode",
                              L"name",
                              L"value",
                              L"totalvalue",
                              L"increase",
                              L"increasepercent",
                              L"price",
                              L"pricevalue",
                              L"pricevaluerate",
                              L"expiredate",
                              L"pricevalueyearincome",
                              L"investtype",
                              L"fundtype",
                              L"investstyle",
                              L"createdate",
                              L"company"};
    std::vector<int> index;
    for (const wchar_t* name : shown) index.push_back(view->getColumnIndex(name));
    size_t total = 0;
    for (size_t i = 0; i < iterations; ++i) {
        FILE* f = _wfopen((setup().folder + L"\\plain.csv").c_str(), L"wb");
        if (!f) return 0;
        std::wstring line, cell;
        std::string bytes;
        XStringW text;
        int rows = view->getRowCount();
        for (int r = 0; r < rows; ++r) {
            line = std::to_wstring(1 + view->getSourceIndex(r));
            line.insert(0, 1, L'"');
            line += L"\",";
            for (size_t c = 0; c < index.size(); ++c) {
                view->readTextAt(r, index[c], text);
                if (c == 5 || c == 8) {
                    wchar_t buf[32];
                    std::swprintf(buf, 32, L"%.2f%%", _wtof(text.c_str()) * 100);
                    cell = buf;
                } else if ((c == 9 || c == 14) && text == L"0001-01-01") {
                    cell = L"--";
                } else if (c == 15) {
                    size_t dash = text.find(L'-', 1);
                    cell = dash == std::wstring::npos ? std::wstring(text) : text.substr(dash + 1);
                } else {
                    cell = text;
                }
                appendQuoted(line, cell);
            }
            line.back() = L'\r';
            line += L'\n';
            int n = WideCharToMultiByte(CP_UTF8, 0, line.data(), int(line.size()), nullptr, 0, nullptr, nullptr);
            bytes.resize(size_t(n));
            WideCharToMultiByte(CP_UTF8, 0, line.data(), int(line.size()), &bytes[0], n, nullptr, nullptr);
            fwrite(bytes.data(), 1, bytes.size(), f);
        }
        fclose(f);
        total += size_t(rows);
    }
    return total;
}

} // namespace

BENCH_CASE(exportList, {"export", exportText, exportPlainly, 1});
BENCH_CASE(exportWorkbookList, {"export-xlsx", exportWorkbook, exportPlainly, 1});
