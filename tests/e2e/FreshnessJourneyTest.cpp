// A daily screener's fresh data in the real client2.exe, driven from outside: the title strip
// says of which date the rows on screen are and when they were loaded, a package dropped into
// the update folder as its writers do shows within moments (not at the next minute's round),
// and a package the updater sets aside is told in the status bar. The cases run in order
// against one client of their own.
#include "ClientProcess.h"
#include "ClientScreen.h"
#include "Database.h"
#include "TempDir.h"
#include "common/XString.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cwchar>
#include <memory>

using namespace Journey;

namespace {

const DWORD kStartMs = 30000;
const DWORD kShowMs = 10000;
const DWORD kStepMs = 5000;
// From the rename to the new value on the screen: the updater notices the package, applies it
// and the page reloads. The page's own round asks once a minute, far outside this.
const DWORD kFreshMs = 3000;

// What the strip's freshness line says: "数据日期 2026-12-08 · 更新于 14:32".
struct Freshness {
    std::wstring date;
    int hour = -1, minute = -1;
    bool read(const std::wstring& text)
    {
        wchar_t day[16] = {}, tail = 0;
        if (swscanf(text.c_str(), L"数据日期 %10ls · 更新于 %2d:%2d%lc", day, &hour, &minute, &tail) != 3) return false;
        date = day;
        return date.size() == 10 && date[4] == L'-' && date[7] == L'-' && hour >= 0 && hour < 24 && minute >= 0 &&
               minute < 60 && text.size() == wcslen(L"数据日期 2026-12-08 · 更新于 14:32");
    }
};

// The strip's freshness line: the page's static text that starts so.
std::wstring freshnessLine(const ClientScreen& s)
{
    HWND page = s.page();
    if (!page) return {};
    for (HWND label : descendants(page, L"Static")) {
        std::wstring text = textOf(label);
        if (text.rfind(L"数据日期 ", 0) == 0 && IsWindowVisible(label)) return text;
    }
    return {};
}

// Minutes since midnight, local time; a minute either side of the clock's turn is allowed
// for by the callers.
int minutesNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wHour * 60 + now.wMinute;
}

bool loadedAround(const Freshness& f, int before, int after)
{
    int at = f.hour * 60 + f.minute;
    return before <= after ? at >= before && at <= after : at >= before || at <= after; // past midnight
}

// The day after a "YYYY-MM-DD" date.
std::wstring dayAfter(const std::wstring& date)
{
    SYSTEMTIME day = {};
    if (swscanf(date.c_str(), L"%hu-%hu-%hu", &day.wYear, &day.wMonth, &day.wDay) != 3) return {};
    FILETIME time;
    if (!SystemTimeToFileTime(&day, &time)) return {};
    ULARGE_INTEGER ticks{{time.dwLowDateTime, time.dwHighDateTime}};
    ticks.QuadPart += 24ull * 3600 * 10000000;
    time = {ticks.LowPart, ticks.HighPart};
    FileTimeToSystemTime(&time, &day);
    wchar_t text[16];
    swprintf(text, 16, L"%04u-%02u-%02u", unsigned(day.wYear), unsigned(day.wMonth), unsigned(day.wDay));
    return text;
}

// The cells of the painted row of that code; empty when it is not painted.
std::vector<std::wstring> rowOf(const GridText& grid, const std::wstring& code)
{
    int column = grid.column(L"代码");
    for (const auto& row : grid.rows)
        if (column >= 0 && size_t(column) < row.size() && row[size_t(column)] == code) return row;
    return {};
}

// How many closed-end funds' rows the database holds of that date; -1 when it cannot say.
int fundsOfDate(const std::wstring& database, const std::wstring& date)
{
    XStringW error;
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(database, error);
    XComPtr<Host::IStatement> count =
        db ? db->prepare(L"select count(*) from tb_closedfund where date = '" + date + L"'", error)
           : XComPtr<Host::IStatement>();
    return count && count->step() ? _wtoi(count->getText(0).c_str()) : -1;
}

bool holds(const std::vector<std::wstring>& cells, const std::wstring& text)
{
    return std::find(cells.begin(), cells.end(), text) != cells.end();
}

} // namespace

class JourneyFreshness : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = std::make_unique<TestSupport::TempDir>();
        client_ = std::make_unique<ClientProcess>(dir_->path());
        if (client_->start(kStartMs)) SetWindowPos(client_->mainWindow(), nullptr, 0, 0, 1280, 900, SWP_NOZORDER);
    }
    static void TearDownTestSuite()
    {
        if (client_) client_->close(kStepMs);
        client_.reset();
        dir_.reset();
    }
    void SetUp() override
    {
        ASSERT_TRUE(client_->running()) << "client2.exe is not running";
        ASSERT_TRUE(waitUntil(kShowMs, [&] { return screen().grid() && !screen().gridText().rows.empty(); }));
    }
    void TearDown() override { dismissPopups(client_->pid()); }
    static ClientScreen screen() { return ClientScreen(client_->mainWindow(), client_->pid()); }
    static std::wstring updates() { return dir_->file(L"updates"); }

    // As the update-package protocol says: written whole under another name, its end marker
    // last, left quiet for a second, then renamed to .sql. The tick count at the rename.
    static DWORD dropPackage(const std::wstring& stem, const std::string& sql)
    {
        const std::wstring part = updates() + L"\\" + stem + L".part", package = updates() + L"\\" + stem + L".sql";
        EXPECT_TRUE(TestSupport::writeFileBytes(part, sql + "\n-- end of package\n"));
        Sleep(1100);
        DWORD renamed = GetTickCount();
        EXPECT_TRUE(MoveFileW(part.c_str(), package.c_str())) << "rename failed: " << GetLastError();
        return renamed;
    }

    static std::unique_ptr<TestSupport::TempDir> dir_;
    static std::unique_ptr<ClientProcess> client_;
};

std::unique_ptr<TestSupport::TempDir> JourneyFreshness::dir_;
std::unique_ptr<ClientProcess> JourneyFreshness::client_;

// The strip says which date the rows are of and when they came; a package renamed into the
// update folder is on the screen within moments, with the strip's new date and time.
TEST_F(JourneyFreshness, TheStripSaysHowFreshTheRowsAreAndAPackageShowsAtOnce)
{
    ClientScreen s = screen();
    int started = minutesNow();
    std::wstring line;
    Freshness before;
    ASSERT_TRUE(waitUntil(kShowMs, [&] { return before.read(line = freshnessLine(s)); }))
        << "no freshness line in the strip: " << testing::PrintToString(line);
    // The date is the one the funds' rows carry.
    EXPECT_GT(fundsOfDate(dir_->file(L"funds.db"), before.date), 0) << testing::PrintToString(line);
    GridText grid = s.gridText();

    // A new date for every fund and a new net value for the first one painted.
    int codes = grid.column(L"代码");
    ASSERT_TRUE(codes >= 0 && !grid.rows.empty() && size_t(codes) < grid.rows[0].size());
    const std::wstring code = grid.rows[0][size_t(codes)];
    const std::wstring newDate = dayAfter(before.date);
    ASSERT_FALSE(holds(rowOf(grid, code), L"3.1416"));
    DWORD renamed =
        dropPackage(L"20991201-01-closedfund", "update tb_closedfund set date = '" + Common::toUtf8(newDate) +
                                                   "';\nupdate tb_closedfund set value = '3.1416' "
                                                   "where code = '" +
                                                   Common::toUtf8(code) + "';");
    bool shown = waitUntil(kFreshMs, [&] { return holds(rowOf(s.gridText(), code), L"3.1416"); });
    DWORD took = GetTickCount() - renamed;
    EXPECT_TRUE(shown) << "the new net value was not on the screen " << kFreshMs << " ms after the rename";
    if (!shown) {
        bool late = waitUntil(65000, [&] { return holds(rowOf(s.gridText(), code), L"3.1416"); });
        ADD_FAILURE() << (late ? "it came only after " + std::to_string(GetTickCount() - renamed) + " ms"
                               : std::string("it never came"));
    }
    std::wstring doneFile = updates() + L"\\done\\20991201-01-closedfund.sql";
    EXPECT_NE(GetFileAttributesW(doneFile.c_str()), INVALID_FILE_ATTRIBUTES);

    Freshness after;
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return after.read(line = freshnessLine(s)) && after.date == newDate; }))
        << testing::PrintToString(line) << " after " << took << " ms";
    EXPECT_TRUE(loadedAround(before, started - 1, minutesNow()));
    EXPECT_TRUE(loadedAround(after, started - 1, minutesNow())) << testing::PrintToString(line);
    s.saveScreenshot(L"title-strip-freshness");

    // F5 reloads the same rows: the date stays, and the time is the reload's.
    pressKey(s.grid(), VK_F5);
    Freshness again;
    int pressed = minutesNow();
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return again.read(freshnessLine(s)) && again.date == newDate; }));
    EXPECT_TRUE(loadedAround(again, pressed, minutesNow()));
}

// A package whose SQL cannot run is set aside and told in the status bar, in a few words; a
// later one's message names only itself, and the log keeps SQLite's own text.
TEST_F(JourneyFreshness, APackageSetAsideIsToldOnceInTheStatusBar)
{
    ClientScreen s = screen();
    dropPackage(L"20991202-01-bad", "update tb_closedfund set no_such_column = 1;");
    const std::wstring told = L"更新包 20991202-01-bad.sql 未能应用：引用了不存在的列";
    std::wstring status;
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return (status = s.statusText()) == told; }))
        << testing::PrintToString(status);
    std::wstring failedFile = updates() + L"\\failed\\20991202-01-bad.sql";
    EXPECT_NE(GetFileAttributesW(failedFile.c_str()), INVALID_FILE_ATTRIBUTES);

    // A good package and a second bad one: the bar names the second alone.
    dropPackage(L"20991202-02-good", "update tb_closedfund set price = '0.8888' where 0;");
    dropPackage(L"20991202-03-commit", "update tb_closedfund set price = '0.7777'; commit;");
    const std::wstring second = L"更新包 20991202-03-commit.sql 未能应用：含有不允许的语句（事务或附加数据库）";
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return (status = s.statusText()) == second; }))
        << testing::PrintToString(status);
    s.saveScreenshot(L"update-package-set-aside");
    std::string log = TestSupport::readFileBytes(dir_->file(L"client2.log"));
    EXPECT_NE(log.find("20991202-01-bad.sql"), std::string::npos);
    EXPECT_NE(log.find("no_such_column"), std::string::npos) << log;
}
