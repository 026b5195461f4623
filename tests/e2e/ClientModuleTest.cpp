// The whole client as a person starts it: the reference host loads mod_ClosedFund.dll with
// its loader, the module puts its page into the fund-value tab control, and the page shows
// the sample funds. Everything here is the real program on a temporary data folder.
#include "ClientSession.h"
#include "Pixels.h"
#include "TempDir.h"
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
    EXPECT_EQ(info.caption, L"契约型封闭式净值模块");

    // The tool-bar button's event brings the page forward, which loads the funds.
    XComPtr<Host::IEvent> command = Host::getEvent("Event_ClosedFundCmd");
    ASSERT_TRUE(command);
    command->fire(nullptr);
    pumpThroughHandlers(session.app(), 300);
    XComPtr<Host::IDataTable> table = module->getDataTable();
    ASSERT_TRUE(table);
    EXPECT_EQ(table->getRowCount(), 60);
    EXPECT_TRUE(module->locateFund(L"184690"));
    EXPECT_FALSE(module->locateFund(L"no-such-fund"));

    // The refresh hot key (F5) goes through the host's loop to the module.
    PostMessageW(frame, WM_KEYDOWN, VK_F5, 0);
    pumpThroughHandlers(session.app(), 200);
    EXPECT_EQ(module->getDataTable()->getRowCount(), 60);

    auto shot = TestSupport::grabScreen(frame);
    TestSupport::saveArtifact(shot, L"client-closed-fund-page");

    session.close();
    EXPECT_FALSE(module->getDataTable());
}
