// Memory of the fund table, in bytes per fund (the columns say ns/op; these rows are bytes):
// 10^5 and 10^6 synthetic funds loaded from a fund database by the module's fill, as process
// private bytes gained per fund (ours) against the UTF-8 bytes of every cell's text (baseline);
// and the process peak over the start, per fund, after a second fill of the loaded table.
#include "Bench.h"
#include "data/FundTable.h"
#include "Database.h"
#include "host/Data.h"
#include "host/Kernel.h"
#include <windows.h>
#include <psapi.h>
#include <cstdio>
#include <string>

namespace {

struct Usage {
    double privateBytes;
    double peakBytes;
};

Usage usage()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // Committed private bytes: Wine leaves PrivateUsage at 0 but fills PagefileUsage, which
    // Windows reports as the same figure.
    return {double(counters.PagefileUsage), double(counters.PeakPagefileUsage)};
}

// The database is made once per size and kept in the temporary folder for later runs.
XComPtr<Host::IDatabase> openFunds(int funds)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    XStringW path = XStringW(temp) + L"c2bench-funds-" + std::to_wstring(funds) + L".db";
    XStringW error;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !FundDb::writeFundDatabase(path, FundDb::Content::Synthetic, funds, false, error)) {
        std::fprintf(stderr, "bench: cannot make the fund database: %ls\n", error.c_str());
        return {};
    }
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(path, error);
    if (!db || !db->isOpen()) {
        std::fprintf(stderr, "bench: cannot open the fund database: %ls\n", error.c_str());
        return {};
    }
    return db;
}

double utf8Bytes(Host::IDataTable* table)
{
    double bytes = 0;
    XStringW text;
    for (int r = 0; r < table->getRowCount(); ++r) {
        for (int c = 0; c < table->getColumnCount(); ++c) {
            table->readTextAt(r, c, text);
            if (!text.empty())
                bytes += WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
        }
    }
    return bytes;
}

// One round: a new table filled (private bytes gained per fund), then filled again (the
// peak gained over the first fill's start, per fund: the reload's transient cost).
void sampleFill(int funds, bool peak, double& ours, double& baseline)
{
    ours = baseline = 0;
    XComPtr<Host::IDatabase> db = openFunds(funds);
    if (!db) return;
    Usage before = usage();
    XComPtr<Host::IDataTable> table = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    if (!table || !ClosedFund::fillFundTable(db.get(), table.get(), L"2026-06-26")) return;
    Usage loaded = usage();
    if (peak) {
        ClosedFund::fillFundTable(db.get(), table.get(), L"2026-06-26");
        loaded = usage();
    }
    int rows = table->getRowCount();
    if (rows <= 0) return;
    double gained = peak ? loaded.peakBytes - before.privateBytes : loaded.privateBytes - before.privateBytes;
    ours = gained / rows;
    baseline = utf8Bytes(table.get()) / rows;
}

} // namespace

BENCH_CASE(memory5, {"memory-1e5", nullptr, nullptr, 1,
                     [](double& o, double& b) { sampleFill(100000, false, o, b); }});
BENCH_CASE(memory6, {"memory-1e6", nullptr, nullptr, 1,
                     [](double& o, double& b) { sampleFill(1000000, false, o, b); }});
BENCH_CASE(memoryPeak, {"memory-peak-1e6", nullptr, nullptr, 1,
                        [](double& o, double& b) { sampleFill(1000000, true, o, b); }});
