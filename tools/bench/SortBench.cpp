// Sorting the fund list: a real column and a text column holding one number per cell
// ("12.34%"), each through a sorted view and the display view over it as the grid binds
// them, against std::stable_sort of (value, index) pairs; a caption click on the grid window
// with a fund selected (sort, both views, reselection); and the sort series of the growth
// mode, the real column sorted at 10^3 to 10^6 rows.
#include "Bench.h"
#include "BenchGrid.h"
#include "grid/ClosedFundGrid.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include "HostData.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <random>
#include <vector>

namespace {

// A table of one real column "value" and one text column "rate" ("12.34%"), seen through a
// sorted and a display view with a field sorter, and the same values in plain vectors.
struct SortSetup {
    XComPtr<Host::IDataTableHost> table;
    XComPtr<Host::IDataView> sorted, display;
    XComPtr<Host::IFieldSorter> sorter;
    std::vector<double> values;
    std::vector<std::wstring> rates;

    explicit SortSetup(int rows)
    {
        table = Host::createHostTable();
        sorted = Host::createInstanceAs<Host::IDataView>("Data.DataView");
        display = Host::createInstanceAs<Host::IDataView>("Data.DataView");
        sorter = Host::createInstanceAs<Host::IFieldSorter>("Data.FieldSorter");
        if (!table || !sorted || !display || !sorter) return;
        table->addColumn(L"value", Host::VALUE_REAL);
        table->addColumn(L"rate", Host::VALUE_TEXT);
        table->reserveRows(rows);
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> value(0.3, 3.0);
        wchar_t text[32];
        for (int r = 0; r < rows; ++r) {
            int row = table->appendRow();
            values.push_back(value(rng));
            table->setDouble(row, 0, values.back());
            std::swprintf(text, 32, L"%.2f%%", -30.0 + double(rng() % 6000) / 100.0);
            rates.push_back(text);
            table->setTextAt(row, 1, text, std::wcslen(text));
        }
        table->commitFill();
        sorted->setSource(table.get());
        display->setSource(sorted.get());
        sorted->setSorter(sorter.get());
    }

    size_t sortBy(const wchar_t* field, size_t iterations)
    {
        if (!sorter) return 0;
        sorter->setSortField(field);
        size_t sink = 0;
        for (size_t i = 0; i < iterations; ++i) {
            sorter->setSortOrder(int(i & 1));
            sorted->rebuild(0);
            sink += size_t(display->getSourceIndex(0));
        }
        return sink;
    }

    // The plain way: pairs of (value, index) stable-sorted, the direction alternating too.
    size_t baselineReal(size_t iterations) const
    {
        size_t sink = 0;
        std::vector<std::pair<double, int>> keys(values.size());
        for (size_t i = 0; i < iterations; ++i) {
            for (size_t r = 0; r < values.size(); ++r) keys[r] = {values[r], int(r)};
            if (i & 1)
                std::stable_sort(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.first > b.first; });
            else
                std::stable_sort(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.first < b.first; });
            sink += size_t(keys[0].second);
        }
        return sink;
    }

    // Texts parsed as numbers by the C runtime, then sorted as above.
    size_t baselineTextNumber(size_t iterations) const
    {
        size_t sink = 0;
        std::vector<std::pair<double, int>> keys(rates.size());
        for (size_t i = 0; i < iterations; ++i) {
            for (size_t r = 0; r < rates.size(); ++r) keys[r] = {std::wcstod(rates[r].c_str(), nullptr), int(r)};
            if (i & 1)
                std::stable_sort(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.first > b.first; });
            else
                std::stable_sort(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.first < b.first; });
            sink += size_t(keys[0].second);
        }
        return sink;
    }
};

SortSetup& setup100k()
{
    static SortSetup s(100000);
    return s;
}

size_t sortReal(size_t n) { return setup100k().sortBy(L"value", n); }
size_t plainReal(size_t n) { return setup100k().baselineReal(n); }
size_t sortTextNumber(size_t n) { return setup100k().sortBy(L"rate", n); }
size_t plainTextNumber(size_t n) { return setup100k().baselineTextNumber(n); }

// 100 000 funds in the closed-fund grid's window with the default header and the middle
// fund selected; a click on the caption of "pricevaluerate" sorts (the direction toggles).
struct ClickSetup {
    Bench::FundGrid fund{100000, 4000, 400};
    Bench::ClickGrid& grid = fund.grid;
    POINT caption{-1, -1};

    ClickSetup()
    {
        grid.SetCurrSel(100000 / 2);
        for (int c = 0; c < grid.GetColumnCount(); ++c) {
            if (grid.GetColumnInfo(c)->name != L"pricevaluerate") continue;
            int l = 0, r = 0;
            if (grid.ColumnScreenSpan(c, l, r)) caption = {(l + r) / 2, grid.BodyRect().top - 5};
        }
    }
};

ClickSetup& clickSetup()
{
    static ClickSetup s;
    return s;
}

size_t clickCaption(size_t iterations)
{
    ClickSetup& s = clickSetup();
    if (s.caption.x < 0) {
        std::fprintf(stderr, "bench: sort-click found no caption (window %p, %d columns)\n", (void*)s.grid.GetHwnd(),
                     s.grid.GetColumnCount());
        return 0;
    }
    HWND w = s.grid.GetHwnd();
    size_t sink = 0;
    for (size_t i = 0; i < iterations; ++i) {
        SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(s.caption.x, s.caption.y));
        SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(s.caption.x, s.caption.y));
        sink += size_t(s.grid.GetCurrSel());
    }
    return sink;
}

// The click's baseline is the sort alone, done the plain way on the same 100 000 values.
size_t clickBaseline(size_t iterations)
{
    ClickSetup& s = clickSetup();
    Host::IDataTable* table = s.grid.FundTable();
    static std::vector<double> values;
    if (values.empty())
        for (int r = 0; r < table->getRowCount(); ++r) values.push_back(table->getRow(r)->getItemAt(2)->getDouble());
    std::vector<std::pair<double, int>> keys(values.size());
    size_t sink = 0;
    for (size_t i = 0; i < iterations; ++i) {
        for (size_t r = 0; r < values.size(); ++r) keys[r] = {values[r], int(r)};
        std::stable_sort(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.first < b.first; });
        sink += size_t(keys[0].second);
    }
    return sink;
}

size_t iterationsAt(int rows) { return size_t(std::max(1, 2000000 / rows)); }

} // namespace

BENCH_CASE(sortReal, {"sort-real", sortReal, plainReal, 20});
BENCH_CASE(sortTextNumber, {"sort-text-number", sortTextNumber, plainTextNumber, 20});
BENCH_CASE(sortClick, {"sort-click", clickCaption, clickBaseline, 20});
// The same against the same baseline, the module on the client's interface alone.
BENCH_CASE(sortClickContract, {"sort-click-contract", clickCaption, clickBaseline, 20, nullptr, true});
BENCH_SERIES(sortGrowth, {"sort",
                          [](int rows) {
                              return Bench::secondsPerIteration(
                                  [rows](size_t n) { return Bench::keptForSize<SortSetup>(rows).sortBy(L"value", n); },
                                  iterationsAt(rows));
                          },
                          [](int rows) {
                              return Bench::secondsPerIteration(
                                  [rows](size_t n) { return Bench::keptForSize<SortSetup>(rows).baselineReal(n); },
                                  iterationsAt(rows));
                          }});
