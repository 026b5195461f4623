// The main frame on real windows: the fund-value tab control driving pages as a module's
// page is driven, tool-bar buttons firing their events, the theme and font-size commands,
// and the whole client started on a temporary data folder (saved as a screenshot).
#include "ClientSession.h"
#include "ConfText.h"
#include "MainFrameModule.h"
#include "hostapi/KernelHost.h"
#include "hostapi/ShellHost.h"
#include "Pixels.h"
#include "TempDir.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <vector>

using namespace HostShell;
using TestSupport::TempDir;

namespace {

ShellPaths tempPaths(const TempDir& dir) { return ShellPaths{programFolder(), dir.path()}; }

// A page as a module makes one: a child window of the parent it is given, recording what
// the tab control asks of it.
class TestPage final : public Host::ITabPage {
public:
    explicit TestPage(const wchar_t* title) : title_(title) {}
    TestPage(const TestPage&) = delete;
    TestPage& operator=(const TestPage&) = delete;
    ~TestPage()
    {
        if (hwnd) DestroyWindow(hwnd);
    }
    int addRef() override { return 1; }
    int release() override { return 1; }
    HWND create(HWND parent, Host::ITabCtrl* tab) override
    {
        createdIn = parent;
        tabCtrl = tab;
        hwnd = CreateWindowExW(0, L"STATIC", title_, WS_CHILD, 0, 0, 0, 0, parent, nullptr, nullptr, nullptr);
        return failCreate ? nullptr : hwnd;
    }
    bool isCreated() override { return hwnd != nullptr; }
    XComPtr<Host::ITabCtrl> getTabCtrl() override { return tabCtrl; }
    void show() override
    {
        ShowWindow(hwnd, SW_SHOW);
        ++shows;
    }
    void hide() override { ShowWindow(hwnd, SW_HIDE); }
    void redraw() override {}
    void move(int x, int y, int w, int h) override
    {
        lastMove = RECT{x, y, x + w, y + h};
        SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    XStringW getTitle() override { return title_; }
    void applyViewFilters(Host::IDataFilter*, Host::IDataFilter*, Host::IDataFilter*, Host::IDataFilter*) override {}
    void rebuildDisplayView() override {}
    bool visible() const { return IsWindowVisible(hwnd) != FALSE; }

    HWND hwnd = nullptr;
    HWND createdIn = nullptr;
    Host::ITabCtrl* tabCtrl = nullptr;
    RECT lastMove{};
    int shows = 0;
    bool failCreate = false;

private:
    const wchar_t* title_;
};

struct Frame {
    TempDir dir;
    XComPtr<ShellApp> app = ShellApp::open(tempPaths(dir));
    XComPtr<MainFrameModule> module = XComPtr<MainFrameModule>::adopt(new MainFrameModule(app.get()));
    Frame()
    {
        module->createWindow(L"frame", false);
        module->window().ShowWindow(SW_SHOW);
    }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    ~Frame() { module->window().DestroyWindow(); }
    FundTabCtrl* tab() { return module->window().tabCtrl(); }
};

void countFirings(void*, void* counter) { ++*static_cast<int*>(counter); }

// A theme's name, which only the host's side of a theme tells.
std::string nameOf(Host::ITheme* theme)
{
    auto* named = dynamic_cast<Host::IThemeHost*>(theme);
    return !theme ? "<none>" : named ? std::string(named->getName()) : "<not the kernel's>";
}

std::string nameOf(const XComPtr<Host::ITheme>& theme) { return nameOf(theme.get()); }

void recordTheme(void* theme, void* out)
{
    *static_cast<std::string*>(out) = nameOf(static_cast<Host::ITheme*>(theme));
}

} // namespace

TEST(ShellFrame, TabControlCreatesShowsHidesAndMovesItsPages)
{
    Frame frame;
    auto control = frame.module->getControl("qev_tab_fundvalue");
    auto tab = control.cast<Host::ITabCtrlHost>();
    ASSERT_TRUE(tab);
    EXPECT_FALSE(frame.module->getControl("qev_tab_other"));

    TestPage first(L"封闭式基金"), second(L"开放式基金"), broken(L"坏页");
    broken.failCreate = true;
    ASSERT_TRUE(tab->addPage(&first));
    ASSERT_TRUE(tab->addPage(&second));
    EXPECT_FALSE(tab->addPage(&first));  // once only
    EXPECT_FALSE(tab->addPage(&broken)); // no window, no tab
    EXPECT_FALSE(tab->addPage(nullptr));
    EXPECT_EQ(frame.tab()->pageCount(), 2);
    EXPECT_EQ(first.createdIn, frame.tab()->GetHwnd());
    EXPECT_EQ(first.tabCtrl, static_cast<Host::ITabCtrl*>(tab.get()));
    EXPECT_EQ(GetParent(first.hwnd), frame.tab()->GetHwnd());

    // The first page is active; the second was made hidden.
    EXPECT_TRUE(first.visible());
    EXPECT_FALSE(second.visible());
    RECT area = frame.tab()->pageArea();
    EXPECT_EQ(first.lastMove.top, FundTabCtrl::kStripHeight);
    EXPECT_EQ(first.lastMove.right, area.right);
    EXPECT_GT(area.bottom - area.top, 100);

    frame.module->activatePage(&second);
    EXPECT_FALSE(first.visible());
    EXPECT_TRUE(second.visible());
    EXPECT_EQ(SendMessageW(frame.tab()->strip(), TCM_GETCURSEL, 0, 0), 1);
    TestPage stranger(L"外来页");
    EXPECT_FALSE(tab->activatePage(&stranger));
    EXPECT_TRUE(second.visible());

    // Resizing the frame moves every page, hidden ones too.
    frame.module->window().MoveWindow(0, 0, 900, 600);
    RECT client{};
    frame.tab()->GetClientRect(&client);
    EXPECT_EQ(first.lastMove.right, client.right);
    EXPECT_EQ(second.lastMove.bottom, client.bottom);

    // A click on the first tab's caption activates it, as the user would.
    RECT item{};
    SendMessageW(frame.tab()->strip(), TCM_GETITEMRECT, 0, LPARAM(&item));
    LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageW(frame.tab()->strip(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(frame.tab()->strip(), WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(first.visible());
    EXPECT_FALSE(second.visible());
    EXPECT_EQ(frame.tab()->activeIndex(), 0);
}

TEST(ShellFrame, ToolButtonsFireTheirEventWhenClickedAndKeepTheirGroups)
{
    Frame frame;
    auto closedCmd = Host::createHostEvent("ShellFrameTest_ClosedCmd");
    auto otherCmd = Host::createHostEvent("ShellFrameTest_OtherCmd");
    ASSERT_TRUE(closedCmd && otherCmd);
    int closedFired = 0, otherFired = 0;
    closedCmd->subscribe(&countFirings, &closedFired);
    otherCmd->subscribe(&countFirings, &otherFired);

    Host::ToolButtonDesc closed;
    closed.caption = L"封闭式基金";
    closed.event = closedCmd;
    Host::ToolButtonDesc other;
    other.caption = L"其他";
    other.event = otherCmd;
    ToolBar& bar = frame.module->window().toolBar();
    frame.module->addToolButton("other_group", "button_other", other);
    frame.module->addToolButton("button_fund_value", "button_fund_value_closed", closed);
    frame.module->addToolButton("other_group", "button_fund_value_closed", other); // id taken: ignored
    HWND closedButton = bar.buttonWindow("button_fund_value_closed");
    ASSERT_TRUE(closedButton);
    wchar_t caption[64];
    GetWindowTextW(closedButton, caption, 64);
    EXPECT_STREQ(caption, L"封闭式基金");

    SendMessageW(closedButton, BM_CLICK, 0, 0);
    EXPECT_EQ(closedFired, 1);
    EXPECT_EQ(otherFired, 0);
    // A real mouse click on the button, through the message queue.
    RECT r{};
    GetWindowRect(closedButton, &r);
    SetForegroundWindow(frame.module->window().GetHwnd());
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
    TestSupport::pumpMessages(300);
    EXPECT_EQ(closedFired, 2);
    EXPECT_EQ(otherFired, 0);

    // The new group came after the first one.
    RECT otherRect{};
    GetWindowRect(bar.buttonWindow("button_other"), &otherRect);
    EXPECT_LT(otherRect.right, r.left);
    closedCmd->unsubscribe(&countFirings, &closedFired);
    otherCmd->unsubscribe(&countFirings, &otherFired);
}

TEST(ShellFrame, FontSizeAndThemeCommandsStoreTheChoiceAndTellThePages)
{
    Frame frame;
    std::string told;
    auto event = Host::getHostEvent("event_theme_changed");
    ASSERT_TRUE(event);
    event->subscribe(&recordTheme, &told);
    MainFrameWindow& window = frame.module->window();

    // Through the menu command, as the user chooses "大".
    SendMessageW(window.GetHwnd(), WM_COMMAND, MAKEWPARAM(202, 0), 0);
    EXPECT_EQ(frame.app->getUserConf()->getKey("/Client2/UserConfig/FontSize")->getValue()->getDouble(), 1.2);
    EXPECT_EQ(told, nameOf(frame.app->getThemeMgr()->getCurrentTheme()));

    told.clear();
    auto themes = frame.app->getThemeMgr().cast<Host::IThemeMgrHost>();
    ASSERT_TRUE(themes);
    int dark = -1;
    for (int i = 0; i < themes->getThemeCount(); ++i) {
        if (themes->getTheme(i)->getName() == "dark") dark = i;
    }
    ASSERT_GE(dark, 0);
    EXPECT_TRUE(window.chooseTheme(dark));
    EXPECT_EQ(told, "dark");
    EXPECT_EQ(nameOf(themes->getCurrentTheme()), "dark");
    EXPECT_FALSE(window.chooseTheme(99));
    event->unsubscribe(&recordTheme, &told);

    // The next start opens with the chosen theme.
    auto again = ShellApp::open(frame.app->paths());
    EXPECT_EQ(nameOf(again->getThemeMgr()->getCurrentTheme()), "dark");
}

TEST(ShellFrame, ClientStartsWithoutItsModuleAndShowsItsOwnParts)
{
    TempDir dir;
    // A library that is not there and the test module: the client reports the first and
    // goes on with the second.
    {
        auto system = Host::openUserConf(dir.file(L"system.conf").c_str());
        ASSERT_TRUE(writeConfText(system.get(), "Client2/System/Modules", L"mod_NotBuilt.dll; shell_test_module.dll"));
    }
    // A damaged user configuration: the client starts from the defaults and says so in its log.
    TestSupport::writeFileBytes(dir.file(L"user.conf"), "not a configuration\n");
    ClientSession session(tempPaths(dir));
    ASSERT_TRUE(session.open(true));
    session.show(SW_SHOW);
    HWND frame = session.mainFrame()->window().GetHwnd();
    MoveWindow(frame, 0, 0, 1100, 700, TRUE);
    TestSupport::pumpMessages(300);

    // The sample database was written and labelled; the missing module is reported.
    EXPECT_TRUE(fileExists(dir.file(L"funds.db")));
    wchar_t title[256];
    GetWindowTextW(frame, title, 256);
    EXPECT_NE(std::wstring(title).find(L"样本数据"), std::wstring::npos);
    ASSERT_EQ(session.loadErrors().size(), 1u);
    EXPECT_NE(session.loadErrors()[0].find(L"mod_NotBuilt.dll"), XStringW::npos);
    EXPECT_TRUE(session.app()->getModule("mod_ShellTest"));
    EXPECT_EQ(readConfText(session.app()->getUserConf().get(), "/Client2/UserConfig/TestModule/State", L""),
              L"initialized with frame");
    // A module that did not load is an error that stands beside the messages.
    wchar_t status[512] = {};
    SendMessageW(session.mainFrame()->window().statusBar(), SB_GETTEXTW, 1, LPARAM(status));
    EXPECT_NE(std::wstring(status).find(L"mod_NotBuilt.dll"), std::wstring::npos);

    // The client's own page lists the sample's funds.
    FundListPage* page = session.allFundsPage();
    ASSERT_TRUE(page && page->isCreated());
    EXPECT_GT(SendMessageW(page->list(), LVM_GETITEMCOUNT, 0, 0), 20);
    std::string log = TestSupport::readFileBytes(dir.file(L"client2.log"));
    EXPECT_NE(log.find("user.conf"), std::string::npos) << log;
    EXPECT_NE(log.find("damaged"), std::string::npos) << log;
    for (const char* name :
         {"mod_MainFrame", "mod_Database", "mod_UpdateData", "mod_MenuTool", "mod_ConcernFund", "mod_FundsPool"})
        EXPECT_TRUE(session.app()->getModule(name)) << name;

    auto shot = TestSupport::grabScreen(frame);
    EXPECT_GT(shot.width, 1000);
    TestSupport::saveArtifact(shot, L"client-main-frame");
    // Closing the window ends the loop; the window, and the pages in it, stay until the
    // modules were uninitialised, each once.
    auto userConf = session.app()->getUserConf();
    SendMessageW(frame, WM_CLOSE, 0, 0);
    MSG quit{};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_EQ(readConfText(userConf.get(), "/Client2/UserConfig/TestModule/State", L""), L"initialized with frame");
    session.close();
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_EQ(readConfText(userConf.get(), "/Client2/UserConfig/TestModule/State", L""), L"uninitialized");
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {} // the one the destroyed window posted
    EXPECT_FALSE(session.app()->getModule("mod_MainFrame"));
}
