// Memory of the fund table, in bytes per fund (the columns say ns/op; these rows are bytes):
// 10^5 and 10^6 synthetic funds loaded from a fund database by the module's fill, as process
// private bytes gained per fund (ours) against the UTF-8 bytes of every cell's text (baseline);
// and the peak during a second fill of the loaded table, as a reload does, against the loaded
// table's own bytes (the ratio is peak over steady).
#include "Bench.h"
#include "Database.h"
#include "HostData.h"
#include "data/FundTable.h"
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <string>

namespace {

struct Usage {
    double privateBytes;
};

Usage usage()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // Committed private bytes: Wine leaves PrivateUsage at 0 but fills PagefileUsage, which
    // Windows reports as the same figure.
    return {double(counters.PagefileUsage)};
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

double utf8Bytes(Host::IDataTableHost* table)
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

// The highest committed private bytes seen while work runs: a thread samples every
// millisecond. The process's own peak counter cannot serve, as it keeps earlier rounds' peaks.
template <class Work>
double peakDuring(Work work)
{
    struct Sampler {
        volatile LONG running = 1;
        double peak = 0;
        static DWORD WINAPI run(void* self)
        {
            auto* s = static_cast<Sampler*>(self);
            while (s->running) {
                s->peak = std::max(s->peak, usage().privateBytes);
                Sleep(1);
            }
            return 0;
        }
    } sampler;
    sampler.peak = usage().privateBytes;
    HANDLE thread = CreateThread(nullptr, 0, &Sampler::run, &sampler, 0, nullptr);
    work();
    sampler.running = 0;
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    return std::max(sampler.peak, usage().privateBytes);
}

// One round: a new table filled; ours is the private bytes it gained per fund, against the
// UTF-8 bytes of its cells' texts. With peak, the loaded table is filled again, as a reload
// does: ours is then the highest the process rose above its start during that second fill,
// against what the loaded table holds (so the ratio is peak over steady).
void sampleFill(int funds, bool peak, double& ours, double& baseline)
{
    ours = baseline = 0;
    XComPtr<Host::IDatabase> db = openFunds(funds);
    if (!db) return;
    const double before = usage().privateBytes;
    XComPtr<Host::IDataTableHost> table = Host::createHostTable();
    if (!table || !ClosedFund::fillFundTable(db.get(), table.get(), L"2026-06-26")) return;
    const double steady = usage().privateBytes - before;
    const int rows = table->getRowCount();
    if (rows <= 0) return;
    if (!peak) {
        ours = steady / rows;
        baseline = utf8Bytes(table.get()) / rows;
        return;
    }
    const double highest = peakDuring([&] { ClosedFund::fillFundTable(db.get(), table.get(), L"2026-06-26"); });
    ours = (highest - before) / rows;
    baseline = steady / rows;
}

} // namespace

BENCH_CASE(memory5, {"memory-1e5", nullptr, nullptr, 1, [](double& o, double& b) { sampleFill(100000, false, o, b); }});
BENCH_CASE(memory6,
           {"memory-1e6", nullptr, nullptr, 1, [](double& o, double& b) { sampleFill(1000000, false, o, b); }});
BENCH_CASE(memoryPeak,
           {"memory-peak-1e6", nullptr, nullptr, 1, [](double& o, double& b) { sampleFill(1000000, true, o, b); }});
