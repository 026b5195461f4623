// The module object on a small host: a missing main frame or tab control fails
// initialisation with the right error text; on a whole host the module leaves a hidden page
// alone and locates funds by exact code in the rows the page shows.
#include "PageHost.h"
#include "Pixels.h"
#include "hostapi/DataHost.h"
#include "module/ClosedFundModule.h"
#include <gtest/gtest.h>

using namespace PageTests;

namespace {

// A main frame without the fund-value tab control; notes the controls asked for.
class FrameWithoutTabs : public TestModule<Host::IMainFrameModule> {
public:
    std::vector<std::string> asked;
    XComPtr<IXUnknown> getControl(const XStringA& name) override
    {
        asked.push_back(name.c_str());
        return {};
    }
    void activatePage(Host::ITabPage*) override {}
    void addToolButton(const XStringA&, const XStringA&, const Host::ToolButtonDesc&) override {}
};

// A tab control of one page: the page's window fills the frame; activating shows it. With
// showFirst it shows the page as it is added, as the client's own tab control does.
class OnePageTabs : public Host::ITabCtrl {
public:
    explicit OnePageTabs(HWND frame) : frame_(frame) {}
    bool showFirst = false;
    int addRef() override { return 1; }
    int release() override { return 1; }
    bool addPage(Host::ITabPage* page) override
    {
        if (!page->create(frame_, this)) return false;
        page->move(0, 0, 1000, 600);
        if (showFirst) page->show();
        return true;
    }
    void activatePage(Host::ITabPage* page) { page->show(); }

private:
    HWND frame_;
};

class TabbedFrame : public TestModule<Host::IMainFrameModule> {
public:
    explicit TabbedFrame(HWND frame) : tabs(frame) {}
    OnePageTabs tabs;
    XComPtr<IXUnknown> getControl(const XStringA& name) override
    {
        return name == "qev_tab_fundvalue" ? XComPtr<IXUnknown>(&tabs) : XComPtr<IXUnknown>();
    }
    void activatePage(Host::ITabPage* page) override { tabs.activatePage(page); }
    void addToolButton(const XStringA&, const XStringA&, const Host::ToolButtonDesc&) override {}
};

class FundDatabase : public TestModule<Host::IDbModule> {
public:
    XComPtr<Host::IDatabase> database;
    XComPtr<Host::IDatabase> getFundDatabase() override { return database; }
};

// Refresh on F5, profile on F10, as the client's menu tool has them by default.
class HotKeys : public TestModule<Host::IMenuToolModule> {
public:
    void getProfileHotKey(Host::HotKey& key) override
    {
        key = Host::HotKey();
        key.key = VK_F10;
    }
    void getRefreshHotKey(Host::HotKey& key) override
    {
        key = Host::HotKey();
        key.key = VK_F5;
    }
};

XStringW codeAt(Host::IDataView* view, int row)
{
    XStringW code;
    Host::cellReader(view)->readTextAt(row, view->getColumnIndex(L"code"), code);
    return code;
}

bool offerKey(ClosedFund::ClosedFundModuleImpl& module, WPARAM key)
{
    MSG msg = {};
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    return module.preTranslateMessage(&msg);
}

} // namespace

TEST(ModuleTest, InitializeNeedsTheMainFrameAndItsFundValueTabControl)
{
    ClosedFund::ClosedFundModuleImpl module;
    TestApp app;
    XStringW error = L"上次的错误";
    EXPECT_EQ(module.initialize(&app, error), 1);
    EXPECT_EQ(error, L"上次的错误");
    EXPECT_TRUE(app.handlers.empty());

    FrameWithoutTabs frame;
    app.modules["mod_MainFrame"] = &frame;
    EXPECT_EQ(module.initialize(&app, error), 1);
    EXPECT_EQ(error, L"无法获取qev_tab_fundvalue控件。");
    EXPECT_EQ(frame.asked, std::vector<std::string>{"qev_tab_fundvalue"});
    ASSERT_EQ(app.handlers.size(), 1u);
    EXPECT_EQ(app.handlers[0].first, 200);
    EXPECT_EQ(app.handlers[0].second, static_cast<Host::IPreMessageHandler*>(&module));
    EXPECT_FALSE(module.page().isCreated());
    // Without a database other modules get the empty table.
    XComPtr<Host::IDataTable> table = module.getDataTable();
    ASSERT_TRUE(table);
    EXPECT_EQ(table->getRowCount(), 0);
}

TEST(ModuleTest, LeavesAHiddenPageAloneAndLocatesAFundWhereTheShowingReloadPutIt)
{
    TestSupport::TempDir dir;
    for (const char* name : {"event_update_closedfund", "event_udpate_affiche", "event_update_buyredeemstate"})
        Host::createEvent(name);
    TestSupport::ParentWindow window(RECT{0, 0, 1000, 600});
    TestApp app;
    app.themes = Host::openThemeMgr(shippedThemeFolder().c_str(), "light");
    app.userConf = Host::openUserConf(dir.file(L"user.conf").c_str());
    TabbedFrame frame(window.hwnd());
    FundDatabase funds;
    funds.database = makeDatabase(dir, L"funds.db", FundDb::Content::StandardSample);
    HotKeys keys;
    app.modules["mod_MainFrame"] = &frame;
    app.modules["mod_Database"] = &funds;
    app.modules["mod_MenuTool"] = &keys;
    {
        ClosedFund::ClosedFundModuleImpl module;
        XStringW error;
        ASSERT_EQ(module.initialize(&app, error), 0);
        ClosedFund::ClosedFundPage& page = module.page();
        Host::IDataView* display = page.grid().DisplayView();
        frame.activatePage(&page);
        ASSERT_EQ(display->getRowCount(), 60);
        XStringW gone = codeAt(display, 5), wanted = codeAt(display, 10);

        // Hidden, with a fund taken out of the database: the refresh key is not the module's
        // and neither it nor refresh queries.
        page.hide();
        XStringW sqlError;
        XComPtr<Host::IStatement> remove =
            funds.database->prepare(L"delete from tb_closedfund where code = '" + gone + L"'", sqlError);
        ASSERT_TRUE(remove);
        remove->step();
        EXPECT_FALSE(offerKey(module, VK_F5));
        module.refresh();
        EXPECT_EQ(display->getRowCount(), 60);

        // New data reported while hidden; locating a fund shows the page, whose reload moves
        // the fund up a row: it is selected where it is now.
        fireFromThread("event_udpate_affiche", 0, 1, true);
        EXPECT_TRUE(page.grid().FundTable()->isEmpty());
        EXPECT_TRUE(module.locateFund(wanted));
        EXPECT_TRUE(page.IsVisible());
        EXPECT_EQ(display->getRowCount(), 59);
        EXPECT_EQ(codeAt(display, page.grid().GetCurrSel()), wanted);
        EXPECT_FALSE(module.locateFund(gone));
        EXPECT_TRUE(offerKey(module, VK_F5));

        module.uninitialize();
        EXPECT_FALSE(module.getDataTable());
    }
}

TEST(ModuleTest, ThePageShownBeforeItsDatabaseLoadsFromTheLoopAndTheButtonLoadsANeverLoadedPage)
{
    TestSupport::TempDir dir;
    TestSupport::ParentWindow window(RECT{0, 0, 1000, 600});
    TestApp app;
    app.themes = Host::openThemeMgr(shippedThemeFolder().c_str(), "light");
    app.userConf = Host::openUserConf(dir.file(L"user.conf").c_str());
    TabbedFrame frame(window.hwnd());
    frame.tabs.showFirst = true;
    FundDatabase funds;
    funds.database = makeDatabase(dir, L"funds.db", FundDb::Content::StandardSample);
    app.modules["mod_MainFrame"] = &frame;
    app.modules["mod_Database"] = &funds;

    // The host's order: the page is shown by addPage, the database comes later in initialize.
    for (bool pressButton : {false, true}) {
        ClosedFund::ClosedFundModuleImpl module;
        XStringW error;
        ASSERT_EQ(module.initialize(&app, error), 0);
        ClosedFund::ClosedFundPage& page = module.page();
        Host::IDataView* display = page.grid().DisplayView();
        ASSERT_TRUE(page.IsVisible());
        EXPECT_EQ(display->getRowCount(), 0);
        if (pressButton) {
            // Pressed before the loop ran: the shown page never loaded, so the button loads it.
            Host::getHostEvent("Event_ClosedFundCmd")->fire(nullptr);
            EXPECT_EQ(display->getRowCount(), 60);
        }
        int attempts = page.loadAttempts();
        TestSupport::pumpMessages(300);
        EXPECT_EQ(display->getRowCount(), 60);
        EXPECT_EQ(page.loadAttempts(), pressButton ? attempts : attempts + 1) << "loaded once";
        EXPECT_EQ(page.grid().DataDate(), L"2026-06-26");

        // Once loaded, the button only brings the page forward.
        attempts = page.loadAttempts();
        Host::getHostEvent("Event_ClosedFundCmd")->fire(nullptr);
        EXPECT_EQ(page.loadAttempts(), attempts);
        module.uninitialize();
    }
}
