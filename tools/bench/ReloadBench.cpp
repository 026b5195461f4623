// The page's reload of a synthetic fund database, and how the user-interface thread answers
// meanwhile.
// - reload (100 000 funds): the page's own reload without a window (data date, the stored
//   query into a staging table, the yields, the swap, one rebuild of views sorted by a
//   column with a fund selected), against the plainest read of the same query: a
//   sqlite3_prepare/step loop reading every column as text, on a connection with the same
//   page cache and mapping.
// - ui-latency (1 000 000 funds): another thread posts a message to the page's window every
//   20 ms during a reload with the wait dialog; the figure is the longest time a message
//   waited to be handled. The baseline does the same while the thread idles in its loop.
// - reload-contract (100 000 funds, host in contract-only mode): the page's reload on the
//   client's interface alone against the host's own fillTable of the same query into a table
//   without views.
// - the reload series of the growth mode: the same pair at 10^3 to 10^6 funds.
// The databases are made once in the temporary folder and kept for later runs.
#include "Bench.h"
#include "Database.h"
#include "data/FundTable.h"
#include "hostapi/KernelHost.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include "page/ClosedFundPage.h"
#include <sqlite3.h>
#include <windows.h>
#include <process.h>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

std::wstring databasePath(int funds)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"c2bench-funds-" + std::to_wstring(funds) + L".db";
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        XStringW error;
        std::fprintf(stderr, "bench: writing a database of %d funds...\n", funds);
        if (!FundDb::writeFundDatabase(path, FundDb::Content::Synthetic, funds, false, error))
            std::fprintf(stderr, "bench: %s\n", Common::toUtf8(error).c_str());
    }
    return path;
}

// A page without a window over a database: reload(false) runs the whole reload on this
// thread, as the module's getDataTable does.
struct WindowlessPage {
    ClosedFund::ClosedFundPage page;
    XComPtr<Host::IDatabase> database;

    explicit WindowlessPage(int funds)
    {
        XStringW error;
        database = FundDb::openFundDatabase(databasePath(funds), error);
        page.setDatabase(database.get());
        page.reload(false);
        // Sorted by the discount rate, with a fund selected: the views the user has.
        if (XComPtr<Host::IFieldSorter> sorter = Host::createInstanceAs<Host::IFieldSorter>("Data.FieldSorter")) {
            sorter->setSortField(L"pricevaluerate");
            sorter->setSortOrder(1);
            page.grid().SortedView()->setSorter(sorter.get());
        }
        page.grid().SetCurrSel(funds / 2);
    }
};

size_t reloadThroughPage(int funds, size_t iterations)
{
    WindowlessPage& p = Bench::keptForSize<WindowlessPage>(funds);
    size_t rows = 0;
    for (size_t i = 0; i < iterations; ++i) {
        p.page.reload(false);
        rows += size_t(p.page.grid().DisplayView()->getRowCount());
    }
    return rows;
}

size_t readPlainly(int funds, size_t iterations)
{
    std::wstring query = ClosedFund::loadTextResource(ClosedFund::moduleInstance(), L"SQL", L"QUERY");
    XStringA path = Common::toUtf8(databasePath(funds));
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return 0;
    // The page cache and mapping the fund database's own connections have.
    sqlite3_exec(db, "PRAGMA cache_size=-32768; PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    size_t bytes = 0;
    for (size_t i = 0; i < iterations; ++i) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare16_v2(db, query.c_str(), int(query.size() * sizeof(wchar_t)), &stmt, nullptr);
        int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            for (int c = 0; c < columns; ++c) {
                sqlite3_column_text(stmt, c);
                bytes += size_t(sqlite3_column_bytes(stmt, c));
            }
        sqlite3_finalize(stmt);
    }
    sqlite3_close_v2(db);
    return bytes;
}

// The host's own fillTable of the stored query, refilling one table that no view follows:
// the floor of a reload on the client's interface alone, which fills through the same call.
struct PlainFill {
    XComPtr<Host::IDatabase> database;
    XComPtr<Host::IDataTable> table;
    std::wstring query;

    explicit PlainFill(int funds)
    {
        XStringW error;
        database = FundDb::openFundDatabase(databasePath(funds), error);
        table = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
        query = ClosedFund::loadTextResource(ClosedFund::moduleInstance(), L"SQL", L"QUERY");
    }
};

size_t fillPlainly(int funds, size_t iterations)
{
    PlainFill& p = Bench::keptForSize<PlainFill>(funds);
    if (!p.database || !p.table) return 0;
    size_t rows = 0;
    for (size_t i = 0; i < iterations; ++i) {
        p.database->fillTable(p.query, p.table.get(), p.table->isEmpty(), 0);
        rows += size_t(p.table->getRowCount());
    }
    return rows;
}

// The latency probe: a message carrying the time it was posted, and the longest wait seen.
const UINT kProbe = WM_APP + 0x77;
LONGLONG g_longestWait = 0;
WNDPROC g_pageProc = nullptr;
volatile LONG g_probing = 0;

LONGLONG now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

LRESULT CALLBACK probedPage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kProbe) {
        g_longestWait = std::max(g_longestWait, now() - LONGLONG(lParam));
        return 0;
    }
    return CallWindowProcW(g_pageProc, hwnd, msg, wParam, lParam);
}

unsigned __stdcall postEvery20ms(void* window)
{
    while (g_probing) {
        PostMessageW(static_cast<HWND>(window), kProbe, 0, LPARAM(now()));
        Sleep(20);
    }
    return 0;
}

struct ShownPage {
    HWND frame = nullptr;
    ClosedFund::ClosedFundPage page;
    XComPtr<Host::IDatabase> database;

    ShownPage()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"c2bench-frame";
        RegisterClassW(&wc);
        frame = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1000, 600,
                                nullptr, nullptr, wc.hInstance, nullptr);
        XStringW error;
        database = FundDb::openFundDatabase(databasePath(1000000), error);
        page.create(frame, nullptr);
        page.move(0, 0, 1000, 600);
        page.show();
        page.setDatabase(database.get());
        g_pageProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(page.GetHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&probedPage)));
    }
};

ShownPage& shown()
{
    static ShownPage page;
    return page;
}

void pumpFor(DWORD ms)
{
    DWORD end = GetTickCount() + ms;
    MSG msg;
    while (int(end - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

// Runs work while probing the page's window; returns the longest wait in nanoseconds.
template <class Work>
size_t longestWaitDuring(Work work)
{
    HWND window = shown().page.GetHandle();
    g_longestWait = 0;
    g_probing = 1;
    HANDLE poster = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, postEvery20ms, window, 0, nullptr));
    work();
    g_probing = 0;
    WaitForSingleObject(poster, INFINITE);
    CloseHandle(poster);
    pumpFor(50); // the probes still queued are handled (and counted) too
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return size_t(double(g_longestWait) * 1e9 / double(freq.QuadPart));
}

// One round: the longest wait during a reload, then while the thread idles as long.
void latencies(double& ours, double& baseline)
{
    ours = double(longestWaitDuring([] { shown().page.reload(true); }));
    baseline = double(longestWaitDuring([] { pumpFor(2000); }));
}

size_t unused(size_t) { return 0; }

} // namespace

// The page's reload on the client's interface alone (the fill on the page's thread, the
// yields written cell by cell) against the host's fillTable of the same query.
BENCH_CASE(reloadContract, {"reload-contract", [](size_t n) { return reloadThroughPage(100000, n); },
                            [](size_t n) { return fillPlainly(100000, n); }, 1, nullptr, true});
BENCH_CASE(reload, {"reload", [](size_t n) { return reloadThroughPage(100000, n); },
                    [](size_t n) { return readPlainly(100000, n); }, 1});
size_t reloadsAt(int funds) { return size_t(std::max(1, 100000 / funds)); }

BENCH_SERIES(reloadGrowth, {"reload",
                            [](int funds) {
                                return Bench::secondsPerIteration(
                                    [funds](size_t n) { return reloadThroughPage(funds, n); }, reloadsAt(funds));
                            },
                            [](int funds) {
                                return Bench::secondsPerIteration([funds](size_t n) { return readPlainly(funds, n); },
                                                                  reloadsAt(funds));
                            }});
BENCH_CASE(uiLatency, {"ui-latency", unused, unused, 1, latencies});
