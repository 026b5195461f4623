// Row filtering, the work of every view rebuild while a condition is set: a keyword search
// over six columns, a one-value filter and a numeric condition, each over 100 000 rows of a
// kernel table seen through a kernel view, against a plain loop over the same texts held in
// vectors.
#include "Bench.h"
#include "HostData.h"
#include "filter/MultiValueFilter.h"
#include "filter/NumericFilter.h"
#include "filter/SearchFilterImpl.h"
#include <cwchar>
#include <random>
#include <vector>

namespace {

const int kRows = 100000;
const int kColumns = 6;
const wchar_t* const kColumnNames[kColumns] = {L"code", L"name", L"company", L"investtype", L"style", L"type"};
const wchar_t* const kKeywords[2] = {L"zx9", L"growth"};

// Synthetic fund texts: codes, mixed Chinese and Latin names, 20 distinct fund types.
struct FundTexts {
    std::vector<std::wstring> cells[kColumns];
    std::vector<std::wstring> rates; // discount rates as the database stores them ("-0.208206")
    XComPtr<Host::IDataTableHost> table;
    XComPtr<Host::IDataView> view;

    FundTexts()
    {
        static const wchar_t* const words[] = {L"基金", L"Value", L"稳健", L"Index", L"收益", L"Growth",
                                               L"示例", L"Alpha", L"债券", L"Bond",  L"红利", L"Smart"};
        std::mt19937 rng(5);
        wchar_t text[64];
        for (int r = 0; r < kRows; ++r) {
            std::swprintf(text, 64, L"%06d", 100000 + r);
            cells[0].push_back(text);
            cells[1].push_back(std::wstring(words[rng() % 12]) + words[rng() % 12] + words[rng() % 12]);
            cells[2].push_back(std::wstring(words[rng() % 12]) + L"基金管理有限公司");
            cells[3].push_back(r % 3 ? L"股票型" : L"混合型");
            cells[4].push_back(r % 4 ? L"Balanced" : L"Large Cap Growth");
            std::swprintf(text, 64, L"封闭式类型%02d", int(rng() % 20));
            cells[5].push_back(text);
            std::swprintf(text, 64, L"%.6f", -0.4 + double(rng() % 500000) / 1000000.0);
            rates.push_back(r % 50 ? text : L"--");
        }
        table = Host::createHostTable();
        view = Host::createInstanceAs<Host::IDataView>("Data.DataView");
        if (!table || !view) return;
        for (const wchar_t* name : kColumnNames) table->addColumn(name, Host::VALUE_TEXT);
        table->addColumn(L"rate", Host::VALUE_TEXT);
        table->reserveRows(kRows);
        for (int r = 0; r < kRows; ++r) {
            int row = table->appendRow();
            for (int c = 0; c < kColumns; ++c) table->setTextAt(row, c, cells[c][r].data(), cells[c][r].size());
            table->setTextAt(row, kColumns, rates[size_t(r)].data(), rates[size_t(r)].size());
        }
        table->commitFill();
        view->setSource(table.get());
    }
};

FundTexts& fundTexts()
{
    static FundTexts texts;
    return texts;
}

// One iteration is one rebuild of the view with only this filter installed.
size_t rebuildWith(Host::IDataFilter* filter, size_t iterations)
{
    FundTexts& f = fundTexts();
    if (!f.view) return 0;
    f.view->addFilter(filter);
    size_t kept = 0;
    for (size_t i = 0; i < iterations; ++i) {
        f.view->rebuild(0);
        kept += size_t(f.view->getRowCount());
    }
    f.view->removeFilter(filter);
    return kept;
}

size_t keywordFilter(size_t iterations)
{
    XComPtr<ClosedFund::SearchFilterImpl> filter =
        XComPtr<ClosedFund::SearchFilterImpl>::adopt(new ClosedFund::SearchFilterImpl);
    for (const wchar_t* name : kColumnNames) filter->AddColumn(name);
    for (const wchar_t* keyword : kKeywords) filter->AddKeyword(keyword);
    return rebuildWith(filter.get(), iterations);
}

// The same search done the plainest way: copy each text, lower-case it, look for each keyword.
size_t keywordLoop(size_t iterations)
{
    FundTexts& f = fundTexts();
    size_t kept = 0;
    std::vector<int> rows(kRows);
    for (size_t i = 0; i < iterations; ++i) {
        int count = 0;
        for (int r = 0; r < kRows; ++r) {
            bool hit = false;
            for (int c = 0; c < kColumns && !hit; ++c) {
                XStringW text(f.cells[c][r]);
                text.makeLower();
                for (const wchar_t* keyword : kKeywords) {
                    if (std::wcsstr(text.c_str(), keyword)) {
                        hit = true;
                        break;
                    }
                }
            }
            if (hit) rows[size_t(count++)] = r;
        }
        kept += size_t(count);
    }
    return kept;
}

const wchar_t* const kAcceptedType = L"封闭式类型07";

size_t valueFilter(size_t iterations)
{
    XComPtr<ClosedFund::MultiValueFilter> filter =
        XComPtr<ClosedFund::MultiValueFilter>::adopt(new ClosedFund::MultiValueFilter);
    filter->SetColumn(L"type");
    filter->AddValue(kAcceptedType);
    return rebuildWith(filter.get(), iterations);
}

size_t valueLoop(size_t iterations)
{
    FundTexts& f = fundTexts();
    const std::wstring accepted(kAcceptedType);
    size_t kept = 0;
    std::vector<int> rows(kRows);
    for (size_t i = 0; i < iterations; ++i) {
        int count = 0;
        for (int r = 0; r < kRows; ++r) {
            if (f.cells[5][r] == accepted) rows[size_t(count++)] = r;
        }
        kept += size_t(count);
    }
    return kept;
}

// 折价率 ≤ -15% as a person types it: the shown number (the stored rate ×100, two decimals).
size_t numericFilter(size_t iterations)
{
    ClosedFund::NumericColumn column;
    column.name = L"rate";
    column.caption = L"折价率";
    column.unit = L"%";
    column.scale = 100;
    column.decimals = 2;
    ClosedFund::NumericRange range;
    range.hasHigh = true;
    range.high = -15;
    XComPtr<ClosedFund::NumericFilter> filter =
        XComPtr<ClosedFund::NumericFilter>::adopt(new ClosedFund::NumericFilter(column));
    filter->SetRange(range);
    return rebuildWith(filter.get(), iterations);
}

size_t numericLoop(size_t iterations)
{
    FundTexts& f = fundTexts();
    size_t kept = 0;
    std::vector<int> rows(kRows);
    for (size_t i = 0; i < iterations; ++i) {
        int count = 0;
        for (int r = 0; r < kRows; ++r) {
            wchar_t* end = nullptr;
            const wchar_t* text = f.rates[size_t(r)].c_str();
            double value = std::wcstod(text, &end);
            if (end != text && value <= -0.15) rows[size_t(count++)] = r;
        }
        kept += size_t(count);
    }
    return kept;
}

} // namespace

BENCH_CASE(filterNumeric, {"filter-numeric", numericFilter, numericLoop, 20});
BENCH_CASE(filterKeyword, {"filter-keyword", keywordFilter, keywordLoop, 5});
BENCH_CASE(filterValue, {"filter-value", valueFilter, valueLoop, 20});
// The same against the same baseline, the module on the client's interface alone.
BENCH_CASE(filterValueContract, {"filter-value-contract", valueFilter, valueLoop, 20, nullptr, true});
