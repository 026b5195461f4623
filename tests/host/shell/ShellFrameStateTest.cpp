// The main frame as a person sees it across runs: placement and page remembered, the frame's
// own parts in the dark theme's colours, the status bar's notice, messages and standing
// errors, the fund pool page, and the first-run sample dated the last weekday.
#include "ClientSession.h"
#include "ConfText.h"
#include "Database.h"
#include "SampleFunds.h"
#include "Pixels.h"
#include "TempDir.h"
#include "common/ScopedWin.h"
#include "host/ClosedFundModule.h"
#include "ext/StatusBar.h"
#include "hostapi/KernelHost.h"
#include "hostapi/ThemeHost.h"
#include "ClientLoop.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <algorithm>
#include <set>

using namespace HostShell;
using TestSupport::TempDir;

namespace {

// A data folder whose system configuration loads the given module libraries ("" none).
void useModules(const TempDir& dir, const wchar_t* modules)
{
    auto system = Host::openUserConf(dir.file(L"system.conf").c_str());
    writeConfText(system.get(), "Client2/System/Modules", modules);
}

using TestSupport::pumpClient;

struct Session {
    ClientSession session;
    explicit Session(const TempDir& dir) : Session(dir.path()) {}
    explicit Session(const std::wstring& folder) : session(ShellPaths{programFolder(), folder})
    {
        ok = session.open(false);
        if (ok) session.show(SW_SHOWNORMAL);
        if (ok) pumpClient(session.app(), 100);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() { session.close(); }
    MainFrameWindow& frame() { return session.mainFrame()->window(); }
    std::wstring part(int index)
    {
        wchar_t text[1024] = {};
        if (SendMessageW(frame().statusBar(), SB_GETPARTS, 0, 0) <= index) return L"<no part>";
        SendMessageW(frame().statusBar(), SB_GETTEXTW, WPARAM(index), LPARAM(text));
        return text;
    }
    std::wstring currentPage()
    {
        FundTabCtrl* tab = frame().tabCtrl();
        Host::ITabPage* page = tab->pageAt(tab->activeIndex());
        return page ? std::wstring(page->getTitle()) : std::wstring(L"<none>");
    }
    bool ok = false;
};

RECT normalRect(HWND hwnd)
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd, &placement);
    return placement.rcNormalPosition;
}

bool sameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

int luminance(COLORREF c) { return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000; }

// The share of pixels in r (client coordinates of the capture) darker than 80.
double darkShare(const TestSupport::Capture& shot, const RECT& r)
{
    int dark = 0, all = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            COLORREF c = shot.at(x, y);
            if (c == CLR_INVALID) continue;
            ++all;
            if (luminance(c) < 80) ++dark;
        }
    }
    return all ? double(dark) / all : 0.0;
}

// child's rectangle in parent's client coordinates
RECT rectIn(HWND parent, HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring listCell(HWND list, int row, int column)
{
    wchar_t text[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(row), LPARAM(&item));
    return text;
}

XStringW firstText(Host::IDatabase* db, const wchar_t* sql)
{
    XStringW error;
    auto statement = db ? db->prepare(sql, error) : XComPtr<Host::IStatement>();
    return statement && statement->step() ? statement->getText(0) : XStringW(L"<none: ") + error + L">";
}

} // namespace

TEST(ShellFrameState, PlacementAndCurrentPageComeBackOnTheNextRunAndAnOffScreenPlaceIsIgnored)
{
    TempDir dir;
    useModules(dir, L"");
    {
        Session first(dir);
        ASSERT_TRUE(first.ok);
        MoveWindow(first.frame().GetHwnd(), 120, 90, 900, 640, TRUE);
        first.session.mainFrame()->activatePage(first.session.fundsPoolPage());
    }
    {
        Session second(dir);
        ASSERT_TRUE(second.ok);
        EXPECT_TRUE(sameRect(normalRect(second.frame().GetHwnd()), RECT{120, 90, 1020, 730}));
        EXPECT_FALSE(IsZoomed(second.frame().GetHwnd()));
        EXPECT_EQ(second.currentPage(), L"基金池");
        second.frame().ShowWindow(SW_MAXIMIZE);
    }
    {
        // Maximised at the close: maximised again, restoring to the rectangle from before.
        Session third(dir);
        ASSERT_TRUE(third.ok);
        EXPECT_TRUE(IsZoomed(third.frame().GetHwnd()));
        EXPECT_TRUE(sameRect(normalRect(third.frame().GetHwnd()), RECT{120, 90, 1020, 730}));
        third.frame().ShowWindow(SW_RESTORE);
    }
    // A place on a monitor that is gone, and a window too small to use: the default.
    for (const wchar_t* stored : {L"-32000,-32000,-31000,-31300,0", L"100,100,110,105,0", L"garbage"}) {
        {
            auto conf = Host::openUserConf(dir.file(L"user.conf").c_str());
            writeConfText(conf.get(), "/Client2/UserConfig/MainFrame/Placement", stored);
        }
        Session next(dir);
        ASSERT_TRUE(next.ok);
        EXPECT_TRUE(sameRect(normalRect(next.frame().GetHwnd()), RECT{40, 30, 1240, 800})) << Common::toUtf8(stored);
        EXPECT_FALSE(IsZoomed(next.frame().GetHwnd()));
    }
}

// With the closed-fund module, as the client first starts: the screenshots show its page.
TEST(ShellFrameState, DarkThemeDarkensTabStripStatusAndToolBarAndFollowsASwitch)
{
    TempDir dir;
    useModules(dir, L"mod_ClosedFund.dll");
    Session run(dir);
    ASSERT_TRUE(run.ok);
    MainFrameWindow& frame = run.frame();
    HWND hwnd = frame.GetHwnd();
    MoveWindow(hwnd, 0, 0, 1240, 760, TRUE);
    if (auto command = Host::getHostEvent("Event_ClosedFundCmd")) command->fire(nullptr);
    pumpClient(run.session.app(), 500);
    // A refresh as the user asks for one, so that the screenshots show the funds' texts.
    if (auto module = run.session.app()->getModule("mod_ClosedFund").cast<Host::IClosedFundModule>()) module->refresh();
    pumpClient(run.session.app(), 300);
    RECT window{};
    GetWindowRect(hwnd, &window);
    TestSupport::saveArtifact(TestSupport::grabScreenArea(window), L"client-first-start");
    RECT strip = rectIn(hwnd, frame.tabCtrl()->strip());
    RECT status = rectIn(hwnd, frame.statusBar());
    RECT tools = rectIn(hwnd, frame.toolBar().GetHwnd());
    auto light = TestSupport::grabScreen(hwnd);
    EXPECT_LT(darkShare(light, strip), 0.2);
    EXPECT_LT(darkShare(light, status), 0.2);

    auto themes = run.session.app()->getThemeMgr().cast<Host::IThemeMgrHost>();
    ASSERT_TRUE(themes);
    int dark = -1;
    for (int i = 0; i < themes->getThemeCount(); ++i)
        if (themes->getTheme(i)->getName() == "dark") dark = i;
    ASSERT_GE(dark, 0);
    ASSERT_TRUE(frame.chooseTheme(dark));
    pumpClient(run.session.app(), 300);
    auto shot = TestSupport::grabScreen(hwnd);
    // Captions and borders stay light: most of each part, not all, is dark.
    EXPECT_GT(darkShare(shot, strip), 0.6);
    EXPECT_GT(darkShare(shot, status), 0.6);
    EXPECT_GT(darkShare(shot, tools), 0.6);

    TestSupport::saveArtifact(TestSupport::grabScreenArea(window), L"client-dark-theme");
}

// A theme or font size the data folder cannot keep is told in the status bar, once per
// reason: the theme still shows for this run, the font size stays as it was.
TEST(ShellFrameState, AChoiceTheDataFolderCannotKeepIsToldOncePerReason)
{
    std::wstring folder, why;
    if (!TestSupport::readOnlyFolder(folder, why)) GTEST_SKIP() << Common::toUtf8(why);
    Session run(folder);
    ASSERT_TRUE(run.ok);
    auto themes = run.session.app()->themeMgr();
    ASSERT_TRUE(themes && themes->getTheme(1));
    EXPECT_TRUE(run.frame().chooseTheme(1));
    EXPECT_EQ(themes->getCurrentTheme().cast<Host::IThemeHost>()->getName(), themes->getTheme(1)->getName());
    EXPECT_EQ(run.part(0), L"无法保存主题：数据目录只读");
    EXPECT_FALSE(run.frame().chooseFontSize(1.25));
    EXPECT_EQ(run.part(0), L"无法保存字体大小：数据目录只读");
    EXPECT_TRUE(run.frame().chooseTheme(0)); // the same reason again: the bar keeps its line
    EXPECT_EQ(run.part(0), L"无法保存字体大小：数据目录只读");
}

// 文件 → 移开损坏的数据库: the damaged file is renamed with what SQLite kept beside it, never
// deleted; the sample takes its place in the database object the pages hold, and the
// standing error goes.
TEST(ShellFrameState, ADamagedDatabaseIsSetAsideAndTheSampleTakesItsPlace)
{
    TempDir dir;
    useModules(dir, L"");
    const std::string damaged = "this is no database\n" + std::string(8192, 'x');
    ASSERT_TRUE(TestSupport::writeFileBytes(dir.file(L"funds.db"), damaged));
    ASSERT_TRUE(TestSupport::writeFileBytes(dir.file(L"funds.db-wal"), "stale log"));
    Session run(dir);
    ASSERT_TRUE(run.ok);
    auto database = run.session.app()->getModule("mod_Database").cast<Host::IDbModule>()->getFundDatabase();
    ASSERT_FALSE(database->isOpen());
    ASSERT_NE(run.part(1), L"<no part>");
    int updates = 0;
    auto updated = Host::createHostEvent("event_update_closedfund");
    Host::EventCallback count = [](void*, void* context) { ++*static_cast<int*>(context); };
    updated->subscribe(count, &updates);

    SendMessageW(run.frame().GetHwnd(), WM_COMMAND, 301, 0);
    updated->unsubscribe(count, &updates);
    EXPECT_TRUE(database->isOpen()); // the same object, now over the sample
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(run.part(1), L"<no part>");
    EXPECT_EQ(run.part(0).find(L"已将损坏的数据库改名为 " + dir.file(L"funds.db.damaged-")), 0u)
        << Common::toUtf8(run.part(0));
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(dir.file(L"funds.db.damaged-*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> aside;
    do aside.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    // The file, its log and the shared memory SQLite made beside them.
    std::sort(aside.begin(), aside.end());
    ASSERT_EQ(aside.size(), 3u);
    EXPECT_EQ(TestSupport::readFileBytes(dir.file(aside[0])), damaged);
    EXPECT_EQ(aside[2], aside[0] + L"-wal");
    EXPECT_EQ(TestSupport::readFileBytes(dir.file(aside[2])), "stale log");

    // A sound database is not set aside again.
    SendMessageW(run.frame().GetHwnd(), WM_COMMAND, 301, 0);
    EXPECT_EQ(run.part(0), L"无法移开损坏的数据库：基金数据库没有损坏");
}

TEST(ShellFrameState, StartNoticeGivesWayToMessagesAndTimeButDatabaseErrorsStand)
{
    // A fund database that is not one.
    TempDir dir;
    useModules(dir, L"");
    std::string junk(8192, 'x');
    ASSERT_TRUE(TestSupport::writeFileBytes(dir.file(L"funds.db"), "this is no database\n" + junk));
    {
        Session run(dir);
        ASSERT_TRUE(run.ok);
        EXPECT_EQ(run.part(0), L"就绪");
        // One plain sentence: what is wrong and what to do; the technical reason is logged.
        std::wstring error = run.part(1);
        EXPECT_EQ(error.find(L"这个文件不是基金数据库："), 0u) << Common::toUtf8(error);
        EXPECT_NE(error.find(L"移开损坏的数据库"), std::wstring::npos) << Common::toUtf8(error);
        EXPECT_EQ(error.find(L"not a database"), std::wstring::npos) << Common::toUtf8(error);

        // The notice's time is up (its timer, sent at once): the notice goes, the error stays.
        SendMessageW(run.frame().GetHwnd(), WM_TIMER, 1, 0);
        EXPECT_EQ(run.part(0), L"");
        EXPECT_EQ(run.part(1), error);
        // A module's message is shown beside the error and outlives a late timer.
        run.session.mainFrame()->setStatusText(L"已添加到基金池");
        SendMessageW(run.frame().GetHwnd(), WM_TIMER, 1, 0);
        EXPECT_EQ(run.part(0), L"已添加到基金池");
        EXPECT_EQ(run.part(1), error);
        // The same through "mod_StatusBar", the way a page module finds the status bar.
        auto statusBar = run.session.app()->getModule(Host::kStatusBarModuleName).cast<Host::IStatusBarModule>();
        ASSERT_TRUE(statusBar);
        statusBar->setStatusText(L"已导出到文件");
        EXPECT_EQ(run.part(0), L"已导出到文件");
        EXPECT_EQ(run.part(1), error);
    }

    // No database, and the sample cannot be written in its place (its temporary file is
    // held open by someone else): the status bar says the file is missing and why.
    TempDir empty;
    useModules(empty, L"");
    XStringW temp;
    temp.format(L"%ls.tmp%lu", empty.file(L"funds.db").c_str(), GetCurrentProcessId());
    Common::ScopedHandle held(
        CreateFileW(temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
    {
        Session run(empty);
        ASSERT_TRUE(run.ok);
        std::wstring error = run.part(1);
        EXPECT_EQ(error.find(L"没有基金数据库，也无法建立样本数据库："), 0u) << Common::toUtf8(error);
        EXPECT_NE(error.find(L"打开数据文件夹"), std::wstring::npos) << Common::toUtf8(error);
    }
    held.reset();

    // A sound database: no error part at all, and the sample notice names the new file.
    TempDir good;
    useModules(good, L"");
    Session run(good);
    ASSERT_TRUE(run.ok);
    EXPECT_NE(run.part(0).find(good.file(L"funds.db")), std::wstring::npos);
    EXPECT_EQ(run.part(1), L"<no part>");
}

// A fund database file of 0 bytes holds nothing: the client writes the labelled sample in its
// place and says so as it does for a missing one. A file with any bytes in it that is not a
// sound database is left exactly as it was, with its error standing.
TEST(ShellFrameState, EmptyDatabaseFileGetsTheSampleButADamagedOneIsKept)
{
    TempDir dir;
    useModules(dir, L"");
    ASSERT_TRUE(TestSupport::writeFileBytes(dir.file(L"funds.db"), std::string()));
    {
        Session run(dir);
        ASSERT_TRUE(run.ok);
        EXPECT_NE(run.part(0).find(L"样本数据库"), std::wstring::npos) << Common::toUtf8(run.part(0));
        EXPECT_NE(run.part(0).find(dir.file(L"funds.db")), std::wstring::npos) << Common::toUtf8(run.part(0));
        EXPECT_EQ(run.part(1), L"<no part>");
        wchar_t title[256] = {};
        GetWindowTextW(run.frame().GetHwnd(), title, 256);
        EXPECT_NE(std::wstring(title).find(L"样本数据"), std::wstring::npos);
        run.session.mainFrame()->activatePage(run.session.allFundsPage());
        EXPECT_GT(SendMessageW(run.session.allFundsPage()->list(), LVM_GETITEMCOUNT, 0, 0), 0);
    }
    EXPECT_NE(TestSupport::readFileBytes(dir.file(L"client2.log")).find("empty fund database"), std::string::npos);

    XStringW error;
    ASSERT_TRUE(FundDb::writeFundDatabase(dir.file(L"sample.db"), FundDb::Content::StandardSample, 0, false, error));
    const std::string sample = TestSupport::readFileBytes(dir.file(L"sample.db"));
    ASSERT_GT(sample.size(), 8192u);
    for (const std::string& bytes : {std::string(1, '\0'), std::string("x"), sample.substr(0, 4096),
                                     sample.substr(0, 100) + std::string(sample.size() - 100, '\0')}) {
        SCOPED_TRACE(bytes.size());
        TempDir damaged;
        const std::wstring path = damaged.file(L"funds.db");
        ASSERT_TRUE(TestSupport::writeFileBytes(path, bytes));
        {
            DbModule module(path);
            auto db = module.getFundDatabase();
            EXPECT_FALSE(db->isOpen());
            EXPECT_FALSE(module.madeSample());
            EXPECT_FALSE(module.openError().empty());
        }
        EXPECT_EQ(TestSupport::readFileBytes(path), bytes);
    }
}

TEST(ShellFrameState, FundsPoolPageListsCodesAsTheyAreAdded)
{
    TempDir dir;
    useModules(dir, L"");
    Session run(dir);
    ASSERT_TRUE(run.ok);
    FundListPage* page = run.session.fundsPoolPage();
    ASSERT_TRUE(page && page->isCreated());
    auto pool = run.session.app()->getModule("mod_FundsPool").cast<Host::IFundsPoolModule>();
    ASSERT_TRUE(pool);

    // Added while the page is hidden: listed when it is shown.
    pool->addFund(L"184690");
    run.session.mainFrame()->activatePage(page);
    ASSERT_EQ(SendMessageW(page->list(), LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(listCell(page->list(), 0, 0), L"184690");
    EXPECT_EQ(listCell(page->list(), 0, 1), L"示例基金003");
    EXPECT_EQ(listCell(page->list(), 0, 5), L"丙号示例基金管理有限公司");

    // Added while it is shown: listed at once, after the first, even when the database
    // does not know the code (a quote in it is only text).
    pool->addFund(L"x'9");
    ASSERT_EQ(SendMessageW(page->list(), LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(listCell(page->list(), 1, 0), L"x'9");
    EXPECT_EQ(listCell(page->list(), 1, 1), L"--");
    pool->addFund(L"184690"); // already there: still two rows
    EXPECT_EQ(SendMessageW(page->list(), LVM_GETITEMCOUNT, 0, 0), 2);

    // The next run lists the stored pool.
    run.session.close();
    Session again(dir);
    ASSERT_TRUE(again.ok);
    again.session.mainFrame()->activatePage(again.session.fundsPoolPage());
    EXPECT_EQ(SendMessageW(again.session.fundsPoolPage()->list(), LVM_GETITEMCOUNT, 0, 0), 2);
}

TEST(ShellFrameState, FirstRunSampleIsDatedTheLastWeekdayWithItsCasesKept)
{
    // The calendar rule on dates whose answer is known: weekends and a leap day.
    EXPECT_EQ(FundDb::lastWeekdayOnOrBefore(2026, 6, 26), "2026-06-26"); // Friday
    EXPECT_EQ(FundDb::lastWeekdayOnOrBefore(2026, 6, 27), "2026-06-26"); // Saturday
    EXPECT_EQ(FundDb::lastWeekdayOnOrBefore(2026, 6, 28), "2026-06-26"); // Sunday
    EXPECT_EQ(FundDb::lastWeekdayOnOrBefore(2026, 6, 29), "2026-06-29"); // Monday
    EXPECT_EQ(FundDb::lastWeekdayOnOrBefore(2024, 3, 2), "2024-03-01");  // Saturday
    EXPECT_EQ(FundDb::lastWeekdayOnOrBefore(2020, 3, 1), "2020-02-28");  // Sunday after 29 Feb (a Saturday)
    EXPECT_EQ(FundDb::lastWeekdayOnOrBefore(2000, 1, 1), "1999-12-31");

    // Today's answer, worked out with the system's own calendar.
    SYSTEMTIME day{};
    GetLocalTime(&day);
    day.wHour = 12;
    while (day.wDayOfWeek == 0 || day.wDayOfWeek == 6) {
        FILETIME ft{};
        SystemTimeToFileTime(&day, &ft);
        ULARGE_INTEGER t{};
        t.LowPart = ft.dwLowDateTime;
        t.HighPart = ft.dwHighDateTime;
        t.QuadPart -= 864000000000ULL; // one day
        ft.dwLowDateTime = t.LowPart;
        ft.dwHighDateTime = t.HighPart;
        FileTimeToSystemTime(&ft, &day);
    }
    XStringW expected;
    expected.format(L"%04u-%02u-%02u", day.wYear, day.wMonth, day.wDay);

    TempDir dir;
    DbModule module(dir.file(L"funds.db"));
    auto db = module.getFundDatabase();
    ASSERT_TRUE(module.madeSample());
    EXPECT_EQ(firstText(db.get(), L"select value from tb_sampleinfo where key = 'datadate'"), expected);
    EXPECT_EQ(firstText(db.get(), L"select group_concat(distinct date) from tb_closedfund"), expected);

    // The same awkward cases as the fixed sample: as many expired, unexpired, undated and
    // empty expiries, and previous dates a week before.
    XStringW error;
    ASSERT_TRUE(FundDb::writeFundDatabase(dir.file(L"fixed.db"), FundDb::Content::StandardSample, 0, false, error));
    auto fixed = FundDb::openFundDatabase(dir.file(L"fixed.db"), error);
    const wchar_t* const kCaseCounts =
        L"select sum(expiredate = '0001-01-01') || ',' || sum(expiredate = '') || ',' || sum(expiredate = '2099-12-31')"
        L" || ',' || sum(expiredate > '0001-01-01' and expiredate < (select value from tb_sampleinfo where key = "
        L"'datadate'))"
        L" || ',' || sum(createdate < (select value from tb_sampleinfo where key = 'datadate'))"
        L" || ',' || sum(investstyle is null) from tb_fund";
    XStringW cases = firstText(fixed.get(), kCaseCounts);
    EXPECT_EQ(firstText(db.get(), kCaseCounts), cases);
    EXPECT_EQ(firstText(fixed.get(), L"select value from tb_sampleinfo where key = 'datadate'"), L"2026-06-26");
    const wchar_t* const kWeekBefore = L"select count(*) from tb_closedfund where previousdate is not null and "
                                       L"julianday(date) - julianday(previousdate) <> 7";
    EXPECT_EQ(firstText(db.get(), kWeekBefore), L"0");
    EXPECT_EQ(firstText(db.get(), L"select count(*) from tb_closedfund where previousdate is not null"),
              firstText(fixed.get(), L"select count(*) from tb_closedfund where previousdate is not null"));
}
