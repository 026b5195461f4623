// The whole client as a person starts it: the reference host loads mod_ClosedFund.dll with
// its loader, the module puts its page into the fund-value tab control, and the page shows
// the sample funds. Everything here is the real program on a temporary data folder.
#include "ClientSession.h"
#include "Pixels.h"
#include "TempDir.h"
#include "filter/MultiValueFilter.h"
#include "host/ClosedFundModule.h"
#include <gtest/gtest.h>

using namespace HostShell;

namespace {

void pumpThroughHandlers(ShellApp* app, DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (app->preTranslateMessage(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    } while (GetTickCount() - start < ms);
}

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

TEST(Client, LoadsTheClosedFundModuleAndShowsTheSampleFunds)
{
    TestSupport::TempDir dir;
    ClientSession session(ShellPaths{programFolder(), dir.path()});
    ASSERT_TRUE(session.open(false));
    session.show(SW_SHOW);
    HWND frame = session.mainFrame()->window().GetHwnd();
    MoveWindow(frame, 0, 0, 1240, 720, TRUE);
    pumpThroughHandlers(session.app(), 200);

    EXPECT_TRUE(session.loadErrors().empty()) << std::string(session.loadErrors().empty() ? "" : "load error");
    XComPtr<Host::IClosedFundModule> module = session.app()->getModule("mod_ClosedFund").cast<Host::IClosedFundModule>();
    ASSERT_TRUE(module);
    Host::ModuleInfo info;
    ASSERT_TRUE(module->getInfo(info));
    EXPECT_EQ(info.name, "mod_ClosedFund");
    EXPECT_EQ(info.caption, L"契约型封闭式净值模块");
    EXPECT_EQ(info.version, 5100);
    EXPECT_EQ(info.flags, 0x1000001);

    // One module object per process: every call of the export gives the object the host
    // holds, and releasing it destroys nothing.
    using Entry = Host::IClosedFundModule* (*)();
    auto entry = reinterpret_cast<Entry>(GetProcAddress(GetModuleHandleW(L"mod_ClosedFund.dll"), "ModuleInstance"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry(), entry());
    EXPECT_EQ(entry(), module.get());
    EXPECT_EQ(entry()->release(), 1);
    EXPECT_EQ(entry()->release(), 1);
    EXPECT_TRUE(module->getInfo(info));

    // The page is the first tab: the start loads it from the loop, with nothing asked of the
    // module. locateFund reads the rows the grid shows and loads nothing itself.
    bool shown = false;
    for (int wait = 0; wait < 50 && !shown; ++wait) {
        pumpThroughHandlers(session.app(), 100);
        shown = module->locateFund(L"184690");
    }
    EXPECT_TRUE(shown) << "the sample funds are not shown after start";

    // The tool-bar button's event brings the page forward.
    XComPtr<Host::IEvent> command = Host::getEvent("Event_ClosedFundCmd");
    ASSERT_TRUE(command);
    command->fire(nullptr);
    pumpThroughHandlers(session.app(), 300);
    XComPtr<Host::IDataTable> table = module->getDataTable();
    ASSERT_TRUE(table);
    EXPECT_EQ(table->getRowCount(), 60);
    EXPECT_TRUE(module->locateFund(L"184690"));
    EXPECT_FALSE(module->locateFund(L"no-such-fund"));

    // A fund with letters in its code is found by its exact code only.
    XComPtr<Host::IDbModule> dbModule = session.app()->getModule("mod_Database").cast<Host::IDbModule>();
    ASSERT_TRUE(dbModule);
    XComPtr<Host::IDatabase> database = dbModule->getFundDatabase();
    XStringW error;
    XComPtr<Host::IStatement> insert = database->prepare(
        L"insert into tb_closedfund (code, date, value, price) values ('ab9001', '2026-06-26', '1.0000', '0.9000')", error);
    ASSERT_TRUE(insert);
    insert->step();
    module->refresh();
    ASSERT_EQ(table->getRowCount(), 61);
    EXPECT_FALSE(module->locateFund(L"AB9001"));
    EXPECT_TRUE(module->locateFund(L"ab9001"));

    // A fund the display view filters out is not located, though the table has it.
    Host::ITabPage* page = closedFundPage(session);
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

    // Hidden behind another page: the refresh key passes on to the host and neither it nor
    // refresh queries the database, so a fund that arrives meanwhile is not listed yet.
    insert = database->prepare(
        L"insert into tb_closedfund (code, date, value, price) values ('999002', '2026-06-26', '1.0000', '0.9000')", error);
    ASSERT_TRUE(insert);
    insert->step();
    session.mainFrame()->activatePage(session.allFundsPage());
    EXPECT_FALSE(offerKey(session.app(), frame, VK_F5));
    module->refresh();
    EXPECT_EQ(table->getRowCount(), 61);
    // Shown again: the same key is the module's and reloads.
    session.mainFrame()->activatePage(page);
    EXPECT_TRUE(offerKey(session.app(), frame, VK_F5));
    EXPECT_EQ(table->getRowCount(), 62);

    // The refresh hot key (F5) goes through the host's loop to the module.
    PostMessageW(frame, WM_KEYDOWN, VK_F5, 0);
    pumpThroughHandlers(session.app(), 200);
    EXPECT_EQ(module->getDataTable()->getRowCount(), 62);

    auto shot = TestSupport::grabScreen(frame);
    TestSupport::saveArtifact(shot, L"client-closed-fund-page");

    session.close();
    EXPECT_FALSE(module->getDataTable());
}
