// The whole client as a person starts it: the reference host loads mod_ClosedFund.dll with
// its loader, the module puts its page into the fund-value tab control, and the page shows
// the sample funds. Everything here is the real program on a temporary data folder.
#include "ClientLoop.h"
#include "common/ProcAddress.h"
#include "ClientSession.h"
#include "Database.h"
#include "Pixels.h"
#include "TempDir.h"
#include "filter/MultiValueFilter.h"
#include "host/ClosedFundModule.h"
#include "hostapi/DatabaseHost.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>

using namespace HostShell;

namespace {

// The closed-fund page as the tab control holds it.
Host::ITabPage* closedFundPage(ClientSession& session)
{
    FundTabCtrl* tabs = session.mainFrame()->window().tabCtrl();
    for (int i = 0; tabs && i < tabs->pageCount(); ++i)
        if (tabs->pageAt(i)->getTitle() == L"封闭式基金") return tabs->pageAt(i);
    return nullptr;
}

// Offers a key-down to the host's handlers as its loop does; true when one consumed it.
bool offerKey(ShellApp* app, HWND window, WPARAM key)
{
    MSG msg = {};
    msg.hwnd = window;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    return app->preTranslateMessage(&msg);
}

} // namespace

// One client session for the suite, as a person's one start of the program: the module is
// made once per process, so its cases share the session, in the order written, each
// checking what it needs relative to what it finds.
class Client : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new TestSupport::TempDir;
        session = new ClientSession(ShellPaths{programFolder(), dir->path()});
        opened = session->open(false);
        if (!opened) return;
        session->show(SW_SHOW);
        frame = session->mainFrame()->window().GetHwnd();
        MoveWindow(frame, 0, 0, 1240, 720, TRUE);
        TestSupport::pumpClient(session->app(), 200);
    }
    static void TearDownTestSuite()
    {
        delete session;
        session = nullptr;
        delete dir;
        dir = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(opened);
        module = session->app()->getModule("mod_ClosedFund").cast<Host::IClosedFundModule>();
        ASSERT_TRUE(module);
    }
    // The module's table once the page has shown its funds.
    XComPtr<Host::IDataTable> loadedTable()
    {
        for (int wait = 0; wait < 50 && !module->locateFund(L"184690"); ++wait)
            TestSupport::pumpClient(session->app(), 100);
        return module->getDataTable();
    }
    // A fund added by a writer of our own: the client only reads its fund database.
    void addFund(const wchar_t* code)
    {
        XComPtr<Host::IDbModule> dbModule = session->app()->getModule("mod_Database").cast<Host::IDbModule>();
        ASSERT_TRUE(dbModule);
        XStringW error;
        XComPtr<Host::IDatabase> database = FundDb::openFundDatabase(
            dbModule->getFundDatabase().cast<Host::IDatabaseHost>()->getPath(), error, FundDb::Access::ReadWrite);
        XComPtr<Host::IStatement> insert =
            database->prepare(XStringW(L"insert into tb_closedfund (code, date, value, price) values ('") + code +
                                  L"', '2026-06-26', '1.0000', '0.9000')",
                              error);
        ASSERT_TRUE(insert) << Common::toUtf8(error);
        insert->step();
    }

    static TestSupport::TempDir* dir;
    static ClientSession* session;
    static bool opened;
    static HWND frame;
    XComPtr<Host::IClosedFundModule> module;
};

TestSupport::TempDir* Client::dir = nullptr;
ClientSession* Client::session = nullptr;
bool Client::opened = false;
HWND Client::frame = nullptr;

TEST_F(Client, LoadsTheModuleAsOneObjectPerProcess)
{
    EXPECT_TRUE(session->loadErrors().empty()) << std::string(session->loadErrors().empty() ? "" : "load error");
    Host::ModuleInfo info;
    ASSERT_TRUE(module->getInfo(info));
    EXPECT_EQ(info.name, "mod_ClosedFund");
    EXPECT_EQ(info.caption, L"契约型封闭式净值模块");
    EXPECT_EQ(info.version, 5100);
    EXPECT_EQ(info.flags, 0x1000001);

    // Every call of the export gives the object the host holds, and releasing it destroys
    // nothing.
    using Entry = Host::IClosedFundModule* (*)();
    auto entry = Common::procAddress<Entry>(GetModuleHandleW(L"mod_ClosedFund.dll"), "ModuleInstance");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry(), entry());
    EXPECT_EQ(entry(), module.get());
    EXPECT_EQ(entry()->release(), 1);
    EXPECT_EQ(entry()->release(), 1);
    EXPECT_TRUE(module->getInfo(info));
}

// The page is the first tab: the start loads it from the loop, with nothing asked of the
// module. locateFund reads the rows the grid shows and loads nothing itself.
TEST_F(Client, ShowsTheSampleFundsAtStartAndOnTheToolBarButton)
{
    bool shown = false;
    for (int wait = 0; wait < 50 && !shown; ++wait) {
        TestSupport::pumpClient(session->app(), 100);
        shown = module->locateFund(L"184690");
    }
    EXPECT_TRUE(shown) << "the sample funds are not shown after start";

    // The tool-bar button's event brings the page forward.
    XComPtr<Host::IHostEvent> command = Host::getHostEvent("Event_ClosedFundCmd");
    ASSERT_TRUE(command);
    command->fire(nullptr);
    TestSupport::pumpClient(session->app(), 300);
    XComPtr<Host::IDataTable> table = module->getDataTable();
    ASSERT_TRUE(table);
    EXPECT_EQ(table->getRowCount(), 60);
    EXPECT_TRUE(module->locateFund(L"184690"));
    EXPECT_FALSE(module->locateFund(L"no-such-fund"));
}

// A fund with letters in its code is found by its exact code only; one the display view
// filters out is not located, though the table has it.
TEST_F(Client, LocatesShownFundsByTheirExactCode)
{
    XComPtr<Host::IDataTable> table = loadedTable();
    ASSERT_TRUE(table);
    const int before = table->getRowCount();
    addFund(L"ab9001");
    module->refresh();
    ASSERT_EQ(table->getRowCount(), before + 1);
    EXPECT_FALSE(module->locateFund(L"AB9001"));
    EXPECT_TRUE(module->locateFund(L"ab9001"));

    Host::ITabPage* page = closedFundPage(*session);
    ASSERT_TRUE(page);
    auto* onlyOne = new ClosedFund::MultiValueFilter;
    onlyOne->SetColumn(L"code");
    onlyOne->AddValue(L"ab9001");
    page->applyViewFilters(nullptr, onlyOne, nullptr, nullptr);
    EXPECT_FALSE(module->locateFund(L"184690"));
    EXPECT_TRUE(module->locateFund(L"ab9001"));
    page->applyViewFilters(onlyOne, nullptr, nullptr, nullptr);
    onlyOne->release();
    EXPECT_TRUE(module->locateFund(L"184690"));
}

// Hidden behind another page: the refresh key passes on to the host and neither it nor
// refresh queries the database, so a fund that arrives meanwhile is not listed yet. Shown
// again, the same key is the module's and reloads, also through the host's loop.
TEST_F(Client, TheRefreshKeyIsTheModulesOnlyWhileItsPageShows)
{
    XComPtr<Host::IDataTable> table = loadedTable();
    ASSERT_TRUE(table);
    const int before = table->getRowCount();
    Host::ITabPage* page = closedFundPage(*session);
    ASSERT_TRUE(page);
    addFund(L"999002");
    session->mainFrame()->activatePage(session->allFundsPage());
    EXPECT_FALSE(offerKey(session->app(), frame, VK_F5));
    module->refresh();
    EXPECT_EQ(table->getRowCount(), before);
    session->mainFrame()->activatePage(page);
    EXPECT_TRUE(offerKey(session->app(), frame, VK_F5));
    EXPECT_EQ(table->getRowCount(), before + 1);

    PostMessageW(frame, WM_KEYDOWN, VK_F5, 0);
    TestSupport::pumpClient(session->app(), 200);
    EXPECT_EQ(module->getDataTable()->getRowCount(), before + 1);
    TestSupport::saveArtifact(TestSupport::grabScreen(frame), L"client-closed-fund-page");
}

// Declared last, so it runs last: closing the client releases the module's table.
TEST_F(Client, ClosingTheClientReleasesTheTable)
{
    session->close();
    EXPECT_FALSE(module->getDataTable());
}
