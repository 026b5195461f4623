// The closed-fund page on real host parts: layout and painting, reloads from a real fund
// database (and from one whose statements fail), the update loop driven by the updater's
// events fired from another thread, and the theme.
#include "ModalDriver.h"
#include "PageHost.h"
#include "Pixels.h"
#include "filter/FilterWnd.h"
#include "page/ClosedFundPage.h"
#include "page/GifWnd.h"
#include <gtest/gtest.h>
#include <process.h>

using ClosedFund::ClosedFundPage;
using namespace PageTests;

namespace {

XComPtr<Host::IDatabase> bigDatabase();

class PageTest : public PageFixture {
protected:
    int rows() { return page_.grid().DisplayView()->getRowCount(); }
    RECT childRect(HWND child)
    {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, page_.GetHandle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    // Loads the large database into the shown page and selects a fund well inside it;
    // returns the selected fund's code.
    XStringW loadManyFundsAndSelectOne()
    {
        database_ = bigDatabase();
        page_.setDatabase(database_.get());
        page_.show();
        page_.reload(true);
        EXPECT_EQ(rows(), 100000);
        page_.grid().SetCurrSel(1234);
        XStringW selected = page_.grid().CodeOfRow(1234);
        EXPECT_FALSE(selected.empty());
        return selected;
    }

    XComPtr<Host::IDatabase> database_;
};

// Counts the reload messages a window receives while it lives.
class ReloadCounter {
public:
    explicit ReloadCounter(HWND window) : window_(window)
    {
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReloadCounter::counting)));
    }
    ReloadCounter(const ReloadCounter&) = delete;
    ReloadCounter& operator=(const ReloadCounter&) = delete;
    ~ReloadCounter() { SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_)); }
    static int count;

private:
    static LRESULT CALLBACK counting(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == ClosedFundPage::WM_APP_RELOAD) ++count;
        return CallWindowProcW(previous_, hwnd, msg, wParam, lParam);
    }
    HWND window_;
    static WNDPROC previous_;
};
int ReloadCounter::count = 0;
WNDPROC ReloadCounter::previous_ = nullptr;

} // namespace

TEST_F(PageTest, LaysOutTheStripTheBarAndTheGridAndPaintsTheTitle)
{
    EXPECT_EQ(page_.getTitle(), L"封闭式基金");
    RECT grid = childRect(page_.grid().GetHwnd());
    EXPECT_EQ(grid.top, 30);
    EXPECT_EQ(grid.bottom, 600);
    EXPECT_EQ(grid.right - grid.left, 1000);
    // The bar runs from just right of the heading and the indicator's place to the edge.
    ClosedFund::TitleStrip strip = page_.titleStrip();
    EXPECT_GT(strip.heading.right - strip.heading.left, 100) << "the heading was measured";
    EXPECT_GE(strip.indicator.x, strip.heading.right);
    RECT bar = childRect(page_.filterBar()->GetHandle());
    EXPECT_EQ(bar.left, strip.bar.left);
    EXPECT_GE(bar.left, strip.indicator.x + ClosedFund::kIndicatorSize);
    EXPECT_LT(bar.left, 300);
    EXPECT_EQ(bar.top, 2);
    EXPECT_EQ(bar.right, 1000);
    EXPECT_EQ(bar.bottom - bar.top, 26);
    // The bar reads companies as the grid shows them.
    EXPECT_EQ(page_.filterBar()->ShownValue(L"company", L"j-甲号基金"), L"甲号基金");

    // Narrower than the strip's left part: the bar gets no width, the grid still fills.
    page_.move(0, 0, strip.bar.left - 10, 400);
    EXPECT_EQ(childRect(page_.filterBar()->GetHandle()).right - childRect(page_.filterBar()->GetHandle()).left, 0);
    grid = childRect(page_.grid().GetHwnd());
    EXPECT_EQ(grid.right - grid.left, strip.bar.left - 10);
    EXPECT_EQ(grid.bottom - grid.top, 370);

    // The heading is drawn in its measured place on the theme's background, nothing right of it.
    page_.move(0, 0, 1000, 600);
    page_.show();
    auto shot = TestSupport::grabScreen(page_.GetHandle());
    COLORREF background = RGB(255, 255, 255);
    app_.themes->getCurrentTheme()->getColor("wnd_general_bg", background);
    EXPECT_GT(shot.countOther(strip.heading, background), 50);
    EXPECT_EQ(shot.countOther({strip.heading.right, 0, strip.bar.left, 30}, background), 0);
}

TEST_F(PageTest, ReloadFillsTheTableShowsTheDateAndKeepsRowsWhenTheDatabaseFails)
{
    // Without a database nothing happens.
    page_.reload(true);
    EXPECT_EQ(rows(), 0);

    page_.setDatabase(makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample).get());
    page_.show();
    page_.reload(true);
    EXPECT_EQ(rows(), 60);
    EXPECT_EQ(page_.grid().DataDate(), L"2026-06-26");
    EXPECT_NE(page_.grid().GetHeader().find(L"2026-06-26"), std::wstring::npos);
    EXPECT_EQ(page_.grid().GetHeader().find(L"end_date"), std::wstring::npos);
    auto shot = TestSupport::grabScreen(page_.GetHandle());
    TestSupport::saveArtifact(shot, L"closed-fund-page-sample");

    // A database whose date statement cannot run: the "ERROR" box, and the rows stay.
    page_.setDatabase(makeDatabase(dir_, L"empty.db", FundDb::Content::SchemaOnly).get());
    XComPtr<Host::IDatabase> broken = makeDatabase(dir_, L"broken.db", FundDb::Content::SchemaOnly);
    XStringW error;
    XComPtr<Host::IStatement> drop = broken->prepare(L"drop table tb_closedfund", error);
    ASSERT_TRUE(drop);
    drop->step();
    page_.setDatabase(broken.get());
    TestSupport::ModalDriver driver;
    driver.answerMessageBox(IDOK);
    page_.reload(true);
    ASSERT_TRUE(driver.waitDone(2000));
    EXPECT_EQ(driver.lastCaption(), L"ERROR");
    EXPECT_NE(driver.lastText().find(L"tb_closedfund"), std::wstring::npos);
    EXPECT_EQ(rows(), 60);
}

TEST_F(PageTest, UpdateEventsReloadAVisiblePageAndWaitForAHiddenOne)
{
    database_ = makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample);
    page_.setDatabase(database_.get());
    ASSERT_EQ(updater_.thread.requests, std::vector<int>{46});
    ClosedFund::GifWnd* indicator = page_.refreshIndicator();
    ASSERT_TRUE(indicator && indicator->IsWindow());
    RECT where = childRect(indicator->GetHandle());
    // Just right of the heading, clear of the filter bar.
    EXPECT_EQ(where.left, page_.titleStrip().indicator.x);
    EXPECT_EQ(where.top, 8);
    EXPECT_LE(where.right, childRect(page_.filterBar()->GetHandle()).left);

    // Shown with an empty table: loaded at once.
    page_.show();
    EXPECT_EQ(rows(), 60);
    // A fund arrives in the database; nothing reloads until the updater says so.
    XStringW error;
    XComPtr<Host::IStatement> insert = database_->prepare(
        L"insert into tb_closedfund (code, date, value, price) values ('999001', '2026-06-26', '1.0000', '0.9000')",
        error);
    ASSERT_TRUE(insert) << std::string(error.begin(), error.end());
    insert->step();
    fireFromThread("event_update_closedfund", 46, 1, false);
    EXPECT_FALSE(IsWindowVisible(indicator->GetHandle()));
    EXPECT_EQ(rows(), 60);
    // Another kind with new data does not reload either.
    fireFromThread("event_update_closedfund", 47, 1, true);
    EXPECT_EQ(rows(), 60);
    // New closed-fund data while visible: reloaded at once.
    fireFromThread("event_update_closedfund", 46, 1, true);
    EXPECT_EQ(rows(), 61);

    // The one-shot timer asks again and shows the indicator.
    SendMessageW(page_.GetHandle(), WM_TIMER, ClosedFundPage::kUpdateTimer, 0);
    EXPECT_EQ(updater_.thread.requests.size(), 2u);
    EXPECT_TRUE(IsWindowVisible(indicator->GetHandle()));
    SendMessageW(page_.GetHandle(), WM_TIMER, 999, 0);
    EXPECT_EQ(updater_.thread.requests.size(), 2u);

    // Hidden: new data only marks the table; the query runs at the next showing.
    page_.hide();
    fireFromThread("event_update_buyredeemstate", 12, 1, true);
    EXPECT_TRUE(page_.grid().FundTable()->isEmpty());
    page_.show();
    EXPECT_FALSE(page_.grid().FundTable()->isEmpty());
    EXPECT_EQ(rows(), 61);
}

TEST_F(PageTest, ViewFiltersAndThemesReachTheGrid)
{
    page_.setDatabase(makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample).get());
    page_.show();
    page_.reload(false);
    ASSERT_EQ(rows(), 60);

    // Four empty pointers only open and close the brackets.
    page_.applyViewFilters(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(rows(), 60);

    // A theme change: the grid takes the dark theme's colours and the stored zoom.
    XComPtr<Host::IConfKey> fontSize = app_.userConf->createKey("/Client2/UserConfig/FontSize");
    XComPtr<Host::IConfValue> value = Host::createInstanceAs<Host::IConfValue>("Conf.ConfValue");
    value->setString(L"1.5");
    fontSize->setValue(value.get());
    ASSERT_TRUE(app_.themes->setCurrentTheme("dark"));
    page_.applyTheme(app_.themes->getCurrentTheme().get());
    EXPECT_DOUBLE_EQ(page_.grid().Zoom(), 1.5);
    COLORREF darkBg = 0;
    app_.themes->getCurrentTheme()->getColor("wnd_general_bg", darkBg);
    auto shot = TestSupport::grabScreen(page_.GetHandle());
    EXPECT_EQ(shot.at(400, 1), darkBg); // the strip above the bar, which grows with the font size
    TestSupport::saveArtifact(shot, L"closed-fund-page-dark-zoomed");

    // An empty theme still resets the zoom and redraws.
    page_.applyTheme(nullptr);
    EXPECT_DOUBLE_EQ(page_.grid().Zoom(), 1.5);
}

TEST_F(PageTest, AttachedAgainThePageStillReloadsOncePerEvent)
{
    database_ = makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample);
    page_.attachApp(&app_);
    page_.setDatabase(database_.get());
    page_.setDatabase(database_.get());
    page_.show();
    ASSERT_EQ(rows(), 60);
    ReloadCounter::count = 0;
    ReloadCounter counter(page_.GetHandle());
    fireFromThread("event_update_closedfund", 46, 1, true);
    fireFromThread("event_udpate_affiche", 3, 1, true);
    EXPECT_EQ(ReloadCounter::count, 2);
}

TEST_F(PageTest, ADatabaseGivenWhileShowingLoadsFromTheMessageLoopAndTheDateFollowsTheRows)
{
    // The tab control shows the page before the host hands over the database.
    page_.show();
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(page_.grid().DataDate().empty());
    EXPECT_NE(page_.grid().GetHeader().find(L"title=\"--\""), std::wstring::npos) << "no date read yet";

    database_ = makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample);
    page_.setDatabase(database_.get());
    EXPECT_EQ(rows(), 0) << "loaded inside setDatabase, while the host is still initialising";
    TestSupport::pumpMessages(300);
    EXPECT_EQ(rows(), 60);
    EXPECT_EQ(page_.grid().DataDate(), L"2026-06-26");
    EXPECT_NE(page_.grid().GetHeader().find(L"title=\"2026-06-26\""), std::wstring::npos);

    // A fill that fails after the date was read keeps the rows and their date, and the
    // user-started reload still shows its "ERROR" box.
    XComPtr<Host::IDatabase> halfBroken = makeDatabase(dir_, L"half.db", FundDb::Content::SchemaOnly);
    XStringW error;
    for (const wchar_t* sql :
         {L"insert into tb_closedfund (code, date) values ('999001', '2030-01-02')", L"drop table tb_fund"}) {
        XComPtr<Host::IStatement> statement = halfBroken->prepare(sql, error);
        ASSERT_TRUE(statement) << Common::toUtf8(error);
        statement->step();
    }
    page_.hide();
    page_.setDatabase(halfBroken.get());
    page_.show();
    TestSupport::ModalDriver driver;
    driver.answerMessageBox(IDOK);
    page_.reload(true);
    ASSERT_TRUE(driver.waitDone(2000));
    EXPECT_EQ(driver.lastCaption(), L"ERROR");
    EXPECT_EQ(rows(), 60);
    EXPECT_EQ(page_.grid().DataDate(), L"2026-06-26");
    EXPECT_EQ(page_.grid().GetHeader().find(L"2030-01-02"), std::wstring::npos);
    EXPECT_EQ(page_.grid().GetEmptyText(), L"没有数据") << "kept rows, filtered away, are no read error";
    EXPECT_NE(shownStatus().find(L"tb_fund"), std::wstring::npos) << Common::toUtf8(shownStatus());

    // The next good load takes the failure out of the status bar.
    page_.setDatabase(makeDatabase(dir_, L"good-again.db", FundDb::Content::StandardSample).get());
    page_.reload(true);
    EXPECT_EQ(shownStatus(), L"封闭式基金：已载入 60 只基金");
}

TEST_F(PageTest, MissingAndCorruptDatabasesLeaveAnEmptyGridThatSaysWhyWithoutABox)
{
    COLORREF listBg = 0;
    app_.themes->getCurrentTheme()->getColor("list_bg", listBg);
    std::string garbage(4096, '\0');
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = char(i * 131 + 7);
    ASSERT_TRUE(TestSupport::writeFileBytes(dir_.file(L"corrupt.db"), garbage));
    page_.show();

    for (const wchar_t* name : {L"gone.db", L"corrupt.db"}) {
        XStringW error;
        XComPtr<Host::IDatabaseHost> unreadable = FundDb::openFundDatabase(dir_.file(name), error);
        ASSERT_TRUE(unreadable && !unreadable->isOpen());
        TestSupport::ModalDriver driver;
        driver.answerMessageBox(IDOK); // answers a box, should one come, instead of hanging
        statusBar_.texts.clear();
        page_.setDatabase(unreadable.get());
        TestSupport::pumpMessages(300);
        EXPECT_EQ(driver.pending(), 1u) << "a message box at start";
        EXPECT_EQ(rows(), 0);
        EXPECT_TRUE(page_.grid().DataDate().empty());
        EXPECT_NE(page_.grid().GetHeader().find(L"title=\"--\""), std::wstring::npos);
        // The database's own reason where the host can tell it; the client's interface alone
        // has no way to ask a closed database why. Said once, where the rows would be.
        const XStringW reason = Host::contractOnly() ? XStringW(L"无法打开基金数据库") : unreadable->getLastError();
        const XStringW& shown = page_.grid().GetEmptyText();
        EXPECT_NE(shown.find(reason), std::wstring::npos) << Common::toUtf8(shown);
        EXPECT_EQ(shownStatus().find(reason), std::wstring::npos) << Common::toUtf8(shownStatus());
        EXPECT_TRUE(statusBar_.texts.empty());

        // The message is painted in the middle of the body; the rest of the body is blank.
        TestSupport::Capture grid = TestSupport::printClient(page_.grid().GetHwnd());
        RECT middle = {grid.width / 4, grid.height / 2 - 40, grid.width * 3 / 4, grid.height / 2 + 40};
        RECT low = {40, grid.height - 120, grid.width - 40, grid.height - 20};
        EXPECT_GT(grid.countOther(middle, listBg), 30);
        EXPECT_EQ(grid.countOther(low, listBg), 0);
        if (std::wstring(name) == L"gone.db")
            TestSupport::saveArtifact(TestSupport::grabScreen(page_.GetHandle()), L"closed-fund-page-missing-database");
    }

    // A readable database without funds: the plain "没有数据".
    page_.setDatabase(makeDatabase(dir_, L"empty.db", FundDb::Content::SchemaOnly).get());
    TestSupport::pumpMessages(300);
    EXPECT_EQ(page_.grid().GetEmptyText(), L"没有数据");
    EXPECT_EQ(page_.grid().GetHeader().find(L"end_date"), std::wstring::npos);
}

namespace {

// 100 000 synthetic funds, written once for the tests of this program.
XComPtr<Host::IDatabase> bigDatabase()
{
    static TestSupport::TempDir dir;
    static bool written = false;
    XStringW error;
    if (!written) {
        written = FundDb::writeFundDatabase(dir.file(L"big.db"), FundDb::Content::Synthetic, 100000, true, error);
        EXPECT_TRUE(written) << Common::toUtf8(error);
    }
    return FundDb::openFundDatabase(dir.file(L"big.db"), error);
}

// What the user-interface thread did while a reload ran: messages another thread sent to
// the page that were answered, and paint messages the wait dialog took.
struct DuringReload {
    static const UINT kProbe = WM_APP + 0x66;
    static ClosedFundPage* page;
    static int answered, dialogPaints;
    static bool askedAgain;
    static HHOOK sentHook, postedHook;

    static LRESULT CALLBACK onSent(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && sent->message == kProbe && page->isReloading()) {
            ++answered;
            // The dialog is told to paint again: only a thread that goes on taking its
            // messages paints it.
            EnumThreadWindows(GetCurrentThreadId(), &invalidateDialog, 0);
            // A reload asked for meanwhile runs once, after this one.
            if (!askedAgain) askedAgain = PostMessageW(page->GetHandle(), ClosedFundPage::WM_APP_RELOAD, 0, 0);
        }
        return CallNextHookEx(sentHook, code, wParam, lParam);
    }
    static BOOL CALLBACK invalidateDialog(HWND window, LPARAM)
    {
        wchar_t cls[16] = L"";
        if (IsWindowVisible(window) && GetClassNameW(window, cls, 16) && wcscmp(cls, L"#32770") == 0)
            InvalidateRect(window, nullptr, TRUE);
        return TRUE;
    }
    static LRESULT CALLBACK onPosted(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* msg = reinterpret_cast<const MSG*>(lParam);
        wchar_t cls[16] = L"";
        if (code == HC_ACTION && msg->message == WM_PAINT && page->isReloading() && GetClassNameW(msg->hwnd, cls, 16) &&
            wcscmp(cls, L"#32770") == 0)
            ++dialogPaints;
        return CallNextHookEx(postedHook, code, wParam, lParam);
    }
    static unsigned __stdcall sendUntilStopped(void* stop)
    {
        while (!*static_cast<volatile LONG*>(stop)) {
            DWORD_PTR result;
            SendMessageTimeoutW(page->GetHandle(), kProbe, 0, 0, SMTO_NORMAL, 250, &result);
            Sleep(5);
        }
        return 0;
    }
};
ClosedFundPage* DuringReload::page = nullptr;
int DuringReload::answered = 0;
int DuringReload::dialogPaints = 0;
bool DuringReload::askedAgain = false;
HHOOK DuringReload::sentHook = nullptr;
HHOOK DuringReload::postedHook = nullptr;

// Ends the page (its window, or its hold on the host) from inside a running reload: a 1 ms
// thread timer that acts at its first firing during the reload.
ClosedFundPage* g_ending = nullptr;
bool g_release = false;
bool g_ended = false;
void CALLBACK endPageMidReload(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!g_ending || !g_ending->isReloading()) return;
    KillTimer(nullptr, id);
    g_ended = true;
    if (g_release)
        g_ending->releaseHostReferences();
    else
        g_ending->DestroyWindow();
}

// Owns that timer and the page pointer: both go at the end of the test whether or not it
// fired, so no later test meets them.
class MidReloadEnding {
public:
    MidReloadEnding(ClosedFundPage& page, bool release) : timer_(SetTimer(nullptr, 0, 1, &endPageMidReload))
    {
        g_ending = &page;
        g_release = release;
        g_ended = false;
    }
    MidReloadEnding(const MidReloadEnding&) = delete;
    MidReloadEnding& operator=(const MidReloadEnding&) = delete;
    ~MidReloadEnding()
    {
        if (timer_) KillTimer(nullptr, timer_);
        g_ending = nullptr;
    }
    bool armed() const { return timer_ != 0; }
    // Whether the page was ended inside the reload.
    bool ended() const { return g_ended; }

private:
    UINT_PTR timer_;
};

} // namespace

TEST_F(PageTest, AReloadLeavesThePageAnsweringKeepsTheSelectionAndRunsARequestMadeMeanwhileOnce)
{
    if (Host::contractOnly()) GTEST_SKIP() << "on the client's interface alone the fill runs on the page's thread";
    XStringW selected = loadManyFundsAndSelectOne();
    ASSERT_FALSE(HasFailure());

    DuringReload::page = &page_;
    DuringReload::sentHook = SetWindowsHookExW(WH_CALLWNDPROC, &DuringReload::onSent, nullptr, GetCurrentThreadId());
    DuringReload::postedHook = SetWindowsHookExW(WH_GETMESSAGE, &DuringReload::onPosted, nullptr, GetCurrentThreadId());
    volatile LONG stop = 0;
    HANDLE sender = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &DuringReload::sendUntilStopped, const_cast<LONG*>(&stop), 0, nullptr));
    int attempts = page_.loadAttempts();
    page_.reload(true);
    InterlockedExchange(&stop, 1);
    WaitForSingleObject(sender, INFINITE);
    CloseHandle(sender);
    UnhookWindowsHookEx(DuringReload::sentHook);
    UnhookWindowsHookEx(DuringReload::postedHook);

    EXPECT_GT(DuringReload::answered, 0) << "no message from another thread was answered during the reload";
    EXPECT_GT(DuringReload::dialogPaints, 0) << "the wait dialog did not paint during the reload";
    ASSERT_TRUE(DuringReload::askedAgain);
    EXPECT_EQ(page_.loadAttempts(), attempts + 2) << "the reload asked for meanwhile ran once, after";
    EXPECT_FALSE(page_.isReloading());
    EXPECT_EQ(rows(), 100000);
    EXPECT_EQ(page_.grid().CodeOfRow(page_.grid().GetCurrSel()), selected);
}

// On the client's interface alone the fill runs on the page's own thread (the client's
// components are not known to be safe off it): the page answers nothing meanwhile, but the
// wait dialog is up, and the selected fund is found again in the new rows.
TEST_F(PageTest, OnTheClientsInterfaceAReloadRunsOnThePagesThreadAndKeepsTheSelection)
{
    if (!Host::contractOnly()) GTEST_SKIP() << "with the host's fill service the fill runs on a worker";
    XStringW selected = loadManyFundsAndSelectOne();
    ASSERT_FALSE(HasFailure());
    static int dialogs = 0;
    dialogs = 0;
    HHOOK hook = SetWindowsHookExW(
        WH_CBT,
        [](int code, WPARAM w, LPARAM l) -> LRESULT {
            auto* create = reinterpret_cast<CBT_CREATEWNDW*>(l);
            if (code == HCBT_CREATEWND && create->lpcs->lpszClass == WC_DIALOG) ++dialogs;
            return CallNextHookEx(nullptr, code, w, l);
        },
        nullptr, GetCurrentThreadId());
    int attempts = page_.loadAttempts();
    page_.reload(true);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(dialogs, 1) << "the wait dialog";
    EXPECT_EQ(page_.loadAttempts(), attempts + 1);
    EXPECT_FALSE(page_.isReloading());
    EXPECT_EQ(rows(), 100000);
    EXPECT_EQ(page_.grid().CodeOfRow(page_.grid().GetCurrSel()), selected);
}

// The module uninitialised mid-reload (the host references let go): the reload ends without
// touching the table, which keeps its rows.
TEST_F(PageTest, APageReleasedDuringAReloadDropsTheNewRows)
{
    if (Host::contractOnly()) GTEST_SKIP() << "nothing runs inside a reload on the page's own thread";
    page_.setDatabase(makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample).get());
    page_.show();
    page_.reload(true);
    ASSERT_EQ(rows(), 60);
    XComPtr<Host::IDataTable> table(page_.grid().FundTable());
    database_ = bigDatabase();
    page_.setDatabase(database_.get());
    MidReloadEnding ending(page_, true);
    ASSERT_TRUE(ending.armed());
    page_.reload(true);
    ASSERT_TRUE(ending.ended()) << "the reload ended before the page was released";
    EXPECT_FALSE(page_.isReloading());
    EXPECT_EQ(page_.grid().FundTable(), nullptr);
    EXPECT_EQ(table->getRowCount(), 60);
}

// The page window destroyed mid-reload: the reload ends at once and the worker's rows go;
// the page object, destroyed after, waits for the worker.
TEST_F(PageTest, APageDestroyedDuringAReloadDropsTheNewRows)
{
    if (Host::contractOnly()) GTEST_SKIP() << "nothing runs inside a reload on the page's own thread";
    page_.setDatabase(makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample).get());
    page_.show();
    page_.reload(true);
    ASSERT_EQ(rows(), 60);
    database_ = bigDatabase();
    page_.setDatabase(database_.get());
    MidReloadEnding ending(page_, false);
    ASSERT_TRUE(ending.armed());
    page_.reload(true);
    ASSERT_TRUE(ending.ended()) << "the reload ended before the page window was destroyed";
    EXPECT_FALSE(page_.IsWindow());
    EXPECT_FALSE(page_.isReloading());
    EXPECT_EQ(page_.grid().FundTable()->getRowCount(), 60);
}

// A fill that fails on the worker (codes repeated past the row bound) says why in the
// "ERROR" box and the status bar; the rows and their date stay.
TEST_F(PageTest, AFailedFillKeepsTheRowsAndTheDate)
{
    if (Host::contractOnly()) GTEST_SKIP() << "the client's fill has no row bound";
    page_.setDatabase(makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample).get());
    page_.show();
    page_.reload(true);
    ASSERT_EQ(rows(), 60);
    database_ = makeDatabase(dir_, L"keyless.db", FundDb::Content::StandardSample);
    XStringW error;
    for (const wchar_t* sql :
         {L"create table keyless as select * from tb_closedfund", L"drop table tb_closedfund",
          L"alter table keyless rename to tb_closedfund", L"update tb_closedfund set date = '2026-07-01'"}) {
        XComPtr<Host::IStatement> statement = database_->prepare(sql, error);
        ASSERT_TRUE(statement) << Common::toUtf8(error);
        statement->step();
    }
    for (int i = 0; i < 6; ++i)
        database_->prepare(L"insert into tb_closedfund select * from tb_closedfund", error)->step();
    page_.setDatabase(database_.get());
    TestSupport::ModalDriver driver;
    driver.answerMessageBox(IDOK);
    page_.reload(true);
    ASSERT_TRUE(driver.waitDone(5000));
    EXPECT_EQ(driver.lastCaption(), L"ERROR");
    EXPECT_NE(driver.lastText().find(L"more rows than expected"), std::wstring::npos)
        << Common::toUtf8(driver.lastText());
    EXPECT_EQ(rows(), 60);
    EXPECT_EQ(page_.grid().DataDate(), L"2026-06-26");
}

namespace {

// Runs one statement through a connection of its own when the wait dialog of a reload is
// created: after the page read the date, before it read the rows.
struct CommitWhenWaiting {
    static Host::IDatabase* writer;
    static const wchar_t* sql;
    static bool committed;

    static LRESULT CALLBACK onCreate(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        if (code == HCBT_CREATEWND && create->lpcs->lpszClass == WC_DIALOG && writer && !committed) {
            XStringW error;
            XComPtr<Host::IStatement> statement = writer->prepare(sql, error);
            if (statement) statement->step();
            committed = true;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static void reloadCommitting(ClosedFundPage& page, Host::IDatabase* database, const wchar_t* statement)
    {
        writer = database;
        sql = statement;
        committed = false;
        HHOOK hook = SetWindowsHookExW(WH_CBT, &onCreate, nullptr, GetCurrentThreadId());
        page.reload(true);
        UnhookWindowsHookEx(hook);
        writer = nullptr;
    }
};
Host::IDatabase* CommitWhenWaiting::writer = nullptr;
const wchar_t* CommitWhenWaiting::sql = nullptr;
bool CommitWhenWaiting::committed = false;

} // namespace

// The updater commits between the page's date read and its fill: the page shows the date
// its rows were read with, whether the fill brings the new rows or fails and keeps the old
// ones, on the worker and on the page's own thread alike.
TEST_F(PageTest, AnUpdateBetweenTheDateAndTheRowsShowsTheDateOfTheRows)
{
    database_ = makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample);
    page_.setDatabase(database_.get());
    page_.show();
    page_.reload(true);
    ASSERT_EQ(page_.grid().DataDate(), L"2026-06-26");
    XStringW error;
    XComPtr<Host::IDatabaseHost> writer =
        FundDb::openFundDatabase(dir_.file(L"funds.db"), error, FundDb::Access::ReadWrite);
    ASSERT_TRUE(writer && writer->isOpen()) << Common::toUtf8(error);
    auto rowsDate = [this] { return page_.grid().FundTable()->getRow(0)->getItem(L"date")->getText(); };

    // A new date and new rows: the rows' date is shown.
    CommitWhenWaiting::reloadCommitting(page_, writer.get(), L"update tb_closedfund set date = '2026-07-01'");
    ASSERT_TRUE(CommitWhenWaiting::committed) << "no wait dialog: nothing was committed";
    ASSERT_EQ(rows(), 60);
    EXPECT_EQ(rowsDate(), L"2026-07-01") << "the update came before the rows";
    EXPECT_EQ(page_.grid().DataDate(), L"2026-07-01");
    EXPECT_NE(page_.grid().GetHeader().find(L"2026-07-01"), std::wstring::npos);

    // The next date is read, then the fill fails and the old rows stay (the client's fill
    // says nothing of it): their date stays with them.
    writer->prepare(L"update tb_closedfund set date = '2026-07-02'", error)->step();
    TestSupport::ModalDriver driver;
    driver.answerMessageBox(IDOK); // the service's fill tells of its failure
    CommitWhenWaiting::reloadCommitting(page_, writer.get(), L"drop table tb_fund");
    ASSERT_TRUE(CommitWhenWaiting::committed);
    if (!Host::contractOnly()) {
        EXPECT_TRUE(driver.waitDone(2000));
    }
    ASSERT_EQ(rows(), 60);
    EXPECT_EQ(rowsDate(), L"2026-07-01");
    EXPECT_EQ(page_.grid().DataDate(), L"2026-07-01");
    EXPECT_EQ(page_.grid().GetHeader().find(L"2026-07-02"), std::wstring::npos);
}
