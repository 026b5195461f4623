// update-latency: how soon new data is on the screen. A package is written whole under a
// ".part" name, left quiet for a second and renamed to ".sql", as the update-package protocol
// says; the figure is the time from the rename to the page's grid painting the new net value,
// with the host's own updater thread (mod_UpdateData) and the page in a window, at the
// sample's size (60 funds) and at 10^4 funds. Beside it, the reload alone: the same change
// written straight into the database and the page told as the update event tells it. The
// difference is the updater's part, noticing the package and applying it; the aim is under a
// second. Rounds alternate between the two, and each side's median is printed.
#include "Bench.h"
#include "Database.h"
#include "ShellApp.h"
#include "UpdateDataModule.h"
#include "common/XString.h"
#include "page/ClosedFundPage.h"
#include <sqlite3.h>
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const int kRounds = 5;
const DWORD kQuietMs = 1050;   // the writer's quiet second, and a little
const DWORD kGiveUpMs = 90000; // past the page's own minute round

LONGLONG now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double secondsBetween(LONGLONG from, LONGLONG to)
{
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return double(to - from) / double(freq.QuadPart);
}

// The grid's paints are watched for the value a round waits for: the first paint that drew
// it ends the round.
WNDPROC g_gridProc = nullptr;
ClosedFund::ClosedFundPage* g_watched = nullptr;
std::wstring g_awaited;
LONGLONG g_paintedAt = 0;

LRESULT CALLBACK watchedGrid(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcW(g_gridProc, hwnd, msg, wParam, lParam);
    if (msg == WM_PAINT && !g_awaited.empty() && !g_paintedAt && g_watched &&
        g_watched->grid().GetPaintedText().find(L"\t" + g_awaited + L"\t") != std::wstring::npos)
        g_paintedAt = now();
    return result;
}

// The client's parts for one size: a data folder with its fund database and update folder,
// the host's application and updater, and the closed-fund page shown in a window.
struct LivePage {
    HostShell::ShellPaths paths;
    XComPtr<HostShell::ShellApp> app;
    XComPtr<HostShell::UpdateDataModule> updater;
    XComPtr<Host::IDatabase> database;
    HWND frame = nullptr;
    ClosedFund::ClosedFundPage page;
    std::string code; // the fund painted first, whose net value the rounds change
    int serial = 0;
    bool ready = false;

    explicit LivePage(int funds);
    ~LivePage();
    LivePage(const LivePage&) = delete;
    LivePage& operator=(const LivePage&) = delete;
    // A net value no fund has yet, new for every round: 7.0001, 7.0002, ...
    std::string nextValue()
    {
        ++serial;
        return "7." + fourDigits(serial % 10000);
    }
    static std::string fourDigits(int n)
    {
        char text[8];
        std::snprintf(text, sizeof text, "%04d", n);
        return text;
    }
};

void pumpUntil(const std::function<bool()>& done, DWORD ms)
{
    DWORD start = GetTickCount();
    MSG msg;
    while (!done() && GetTickCount() - start < ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

std::wstring tempFolder(int funds)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"c2bench-update-" + std::to_wstring(funds) + L"-" +
           std::to_wstring(GetCurrentProcessId());
}

// The first painted row's code: the second line of the painted text, under "代码".
std::string firstPaintedCode(const std::wstring& painted)
{
    size_t headerEnd = painted.find(L"\r\n");
    if (headerEnd == std::wstring::npos) return {};
    auto cells = [](const std::wstring& line) {
        std::vector<std::wstring> out;
        size_t start = 0;
        for (size_t tab; (tab = line.find(L'\t', start)) != std::wstring::npos; start = tab + 1)
            out.push_back(line.substr(start, tab - start));
        out.push_back(line.substr(start));
        return out;
    };
    std::vector<std::wstring> header = cells(painted.substr(0, headerEnd));
    size_t rowEnd = painted.find(L"\r\n", headerEnd + 2);
    std::vector<std::wstring> row = cells(painted.substr(headerEnd + 2, rowEnd - headerEnd - 2));
    auto column = std::find(header.begin(), header.end(), L"代码");
    size_t index = size_t(column - header.begin());
    return column == header.end() || index >= row.size() ? std::string() : Common::toUtf8(row[index]);
}

LivePage::LivePage(int funds)
{
    paths = {HostShell::programFolder(), tempFolder(funds)};
    HostShell::ensureFolder(paths.updateDir());
    XStringW error;
    std::fprintf(stderr, "bench: writing a database of %d funds...\n", funds);
    FundDb::Content content = funds == 60 ? FundDb::Content::StandardSample : FundDb::Content::Synthetic;
    if (!FundDb::writeFundDatabase(paths.fundDatabase(), content, funds, true, error)) {
        std::fprintf(stderr, "bench: %s\n", Common::toUtf8(error).c_str());
        return;
    }
    app = HostShell::ShellApp::open(paths);
    updater = XComPtr<HostShell::UpdateDataModule>::adopt(
        new HostShell::UpdateDataModule(paths.fundDatabase(), paths.updateDir()));
    app->registerModule("mod_UpdateData", updater.get());
    database = FundDb::openFundDatabase(paths.fundDatabase(), error);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"c2bench-update-frame";
    RegisterClassW(&wc);
    frame = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1280, 800, nullptr,
                            nullptr, wc.hInstance, nullptr);
    page.attachApp(app.get());
    page.create(frame, nullptr);
    page.move(0, 0, 1280, 800);
    page.show();
    page.setDatabase(database.get()); // the updater's first round, and the load
    pumpUntil([&] { return page.hasLoaded() && !page.isReloading(); }, kGiveUpMs);
    pumpUntil([] { return false; }, 500); // the first round's event and the paints after it
    code = firstPaintedCode(page.grid().GetPaintedText());
    g_gridProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(page.grid().GetHwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&watchedGrid)));
    ready = !code.empty() && g_gridProc;
    if (!ready) std::fprintf(stderr, "bench: the page of %d funds painted no fund\n", funds);
}

LivePage::~LivePage()
{
    if (updater) updater->uninitialize();
    if (frame) DestroyWindow(frame);
    page.releaseHostReferences();
    database.reset();
    updater.reset();
    app.reset();
    for (const wchar_t* sub : {L"\\done", L"\\failed"}) {
        std::wstring dir = paths.updateDir() + sub;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do DeleteFileW((dir + L"\\" + found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(dir.c_str());
    }
    RemoveDirectoryW(paths.updateDir().c_str());
    for (const wchar_t* name : {L"\\funds.db", L"\\funds.db-wal", L"\\funds.db-shm", L"\\user.conf", L"\\user.conf.bak",
                                L"\\system.conf", L"\\client2.log"})
        DeleteFileW((paths.dataDir + name).c_str());
    RemoveDirectoryW(paths.dataDir.c_str());
}

// Seconds from start() to the paint of value; a round that never shows it counts as the
// give-up time, so that a broken updater cannot look fast.
double untilPainted(LivePage& p, const std::string& value, const std::function<void()>& start)
{
    g_watched = &p.page;
    g_awaited = Common::fromUtf8(value);
    g_paintedAt = 0;
    LONGLONG started = now();
    start();
    pumpUntil([] { return g_paintedAt != 0; }, kGiveUpMs);
    LONGLONG ended = g_paintedAt ? g_paintedAt : now();
    g_awaited.clear();
    return secondsBetween(started, ended);
}

std::string valueUpdate(const LivePage& p, const std::string& value)
{
    return "update tb_closedfund set value = '" + value + "' where code = '" + p.code + "';\n";
}

double renameToPaint(LivePage& p)
{
    std::string value = p.nextValue();
    std::wstring stem = L"bench-" + std::to_wstring(p.serial);
    std::wstring part = p.paths.updateDir() + L"\\" + stem + L".part";
    std::wstring package = p.paths.updateDir() + L"\\" + stem + L".sql";
    std::string text = valueUpdate(p, value) + "-- end of package\n";
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
    pumpUntil([] { return false; }, kQuietMs);
    return untilPainted(p, value, [&] { MoveFileW(part.c_str(), package.c_str()); });
}

double reloadToPaint(LivePage& p)
{
    std::string value = p.nextValue();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(Common::toUtf8(p.paths.fundDatabase()).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, 10000);
        sqlite3_exec(db, valueUpdate(p, value).c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(db);
    // What the update event's handler sends the page when rows changed.
    return untilPainted(p, value,
                        [&] { PostMessageW(p.page.GetHandle(), ClosedFund::ClosedFundPage::WM_APP_RELOAD, 0, 0); });
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

int updateLatency()
{
    std::printf("case\tours (ns/op)\tbaseline (ns/op)\tratio (ours/baseline)\tnoticing and applying (ms)\n");
    for (int funds : {60, 10000}) {
        std::vector<double> ours, base;
        {
            LivePage page(funds);
            if (!page.ready) return 1;
            for (int round = 0; round < kRounds; ++round) {
                ours.push_back(renameToPaint(page));
                base.push_back(reloadToPaint(page));
            }
        }
        double o = median(ours), b = median(base);
        std::printf("update-latency-%s\t%.1f\t%.1f\t%.2f\t%.0f\n", funds == 60 ? "sample" : "1e4", o * 1e9, b * 1e9,
                    b > 0 ? o / b : 0.0, (o - b) * 1e3);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

BENCH_MODE(updateLatency, "update-latency", updateLatency);
