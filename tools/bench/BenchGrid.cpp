#include "BenchGrid.h"
#include "HostData.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include <cstdio>
#include <random>

namespace Bench {

FundGrid::FundGrid(int funds, int width, int height)
{
    CoInitialize(nullptr);
    parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr, nullptr,
                             nullptr);
    if (!parent || !grid.Create(L"", WS_CHILD | WS_VISIBLE, RECT{}, parent)) return;
    grid.MoveWindow(0, 0, width, height);
    Host::IDataTableHost* table = hostTable(grid.FundTable());
    if (!table) return;
    const wchar_t* const columns[] = {L"code", L"name", L"pricevaluerate"};
    for (const wchar_t* name : columns) table->addColumn(name, name[0] == L'p' ? Host::VALUE_REAL : Host::VALUE_TEXT);
    table->reserveRows(funds);
    std::mt19937 rng(17);
    wchar_t text[32];
    for (int r = 0; r < funds; ++r) {
        int row = table->appendRow();
        std::swprintf(text, 32, L"%06d", 150000 + r);
        table->setTextAt(row, 0, text, 6);
        table->setTextAt(row, 1, L"封闭基金", 4);
        table->setDouble(row, 2, -0.3 + double(rng() % 6000) / 10000.0);
    }
    table->commitFill();
    Common::XStringW header(ClosedFund::loadTextResource(ClosedFund::moduleInstance(), L"XML", L"GRIDHEADER"));
    header.replaceAll(L"end_date", L"2026-06-26");
    grid.SetHeader(header);
    grid.SortedView()->rebuild(1);
}

FundGrid::~FundGrid()
{
    if (parent) DestroyWindow(parent);
}

} // namespace Bench
