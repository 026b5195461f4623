// Cell formatting, the work of every visible cell on every repaint: the two formats of the
// default header against the plainest code that gives the same text.
#include "Bench.h"
#include "HostData.h"
#include "grid/ValueFormater.h"
#include <cwchar>
#include <random>
#include <vector>

namespace {

const int kRows = 1000;

// Cells of a kernel table holding discount rates (reals) and expiry dates (texts, a fifth of
// them the "0001-01-01" placeholder), fetched once: the cases measure formatting only.
struct FundCells {
    XComPtr<Host::IDataTableHost> table;
    std::vector<XComPtr<Host::IColumnItem>> rates;
    std::vector<XComPtr<Host::IColumnItem>> dates;

    FundCells() : table(Host::createHostTable())
    {
        if (!table) return;
        table->addColumn(L"pricevaluerate", Host::VALUE_REAL);
        table->addColumn(L"expiredate", Host::VALUE_TEXT);
        std::mt19937 rng(46);
        std::uniform_real_distribution<double> rate(-0.35, 0.12);
        for (int i = 0; i < kRows; ++i) {
            int row = table->appendRow();
            table->setDouble(row, 0, rate(rng));
            wchar_t date[16];
            if (i % 5 == 0)
                std::swprintf(date, 16, L"0001-01-01");
            else
                std::swprintf(date, 16, L"20%02d-%02d-%02d", 10 + int(rng() % 20), 1 + int(rng() % 12),
                              1 + int(rng() % 28));
            table->setTextAt(row, 1, date, std::wcslen(date));
        }
        table->commitFill();
        for (int i = 0; i < kRows; ++i) {
            XComPtr<Host::IDataRow> r = table->getRow(i);
            rates.push_back(r->getItem(L"pricevaluerate"));
            dates.push_back(r->getItem(L"expiredate"));
        }
    }
};

FundCells& fundCells()
{
    static FundCells cells;
    return cells;
}

size_t formatRates(size_t iterations)
{
    static ClosedFund::ValueFormater<double> formater;
    static bool ready = formater.SetFormat(L"%.02f%%:*100");
    size_t total = ready ? 1 : 0;
    for (size_t i = 0; i < iterations; ++i) total += formater.Format(fundCells().rates[i % kRows].get()).size();
    return total;
}

size_t printRates(size_t iterations)
{
    size_t total = 0;
    for (size_t i = 0; i < iterations; ++i) {
        Host::IColumnItem* cell = fundCells().rates[i % kRows].get();
        wchar_t buf[64];
        std::wstring text = cell->isNull() ? std::wstring(L"--") : std::wstring();
        if (text.empty()) {
            std::swprintf(buf, 64, L"%.2f%%", cell->getDouble() * 100);
            text = buf;
        }
        total += text.size();
    }
    return total;
}

size_t formatDates(size_t iterations)
{
    static ClosedFund::ValueFormater<XStringW> formater;
    static bool ready = formater.SetFormat(L":::0001-01-01=--");
    size_t total = ready ? 1 : 0;
    for (size_t i = 0; i < iterations; ++i) total += formater.Format(fundCells().dates[i % kRows].get()).size();
    return total;
}

size_t copyDates(size_t iterations)
{
    size_t total = 0;
    for (size_t i = 0; i < iterations; ++i) {
        std::wstring text = fundCells().dates[i % kRows]->getText();
        total += text.size();
    }
    return total;
}

} // namespace

BENCH_CASE(formatReal, {"format-real", formatRates, printRates, 200000});
BENCH_CASE(formatText, {"format-text", formatDates, copyDates, 500000});
