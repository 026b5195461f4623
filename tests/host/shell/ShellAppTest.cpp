// The application object: its module registry, its configuration defaults and texts, and
// the order in which the message loop offers messages to the registered handlers.
#include "ShellApp.h"
#include "BuiltInModule.h"
#include "TempDir.h"
#include "ext/StatusBar.h"
#include "hostapi/KernelHost.h"
#include "hostapi/ShellHost.h"
#include <gtest/gtest.h>
#include <vector>

using namespace HostShell;
using TestSupport::TempDir;

namespace {

ShellPaths tempPaths(const TempDir& dir) { return ShellPaths{programFolder(), dir.path()}; }

class NamedModule final : public BuiltInModule<Host::IModule> {
public:
    explicit NamedModule(const char* name) : BuiltInModule(name, L"") {}
};

// Records the messages it sees and consumes those of one message number.
class RecordingHandler final : public Host::IPreMessageHandler {
public:
    RecordingHandler(std::vector<int>& log, int tag, UINT consumes) : log_(log), tag_(tag), consumes_(consumes) {}
    int addRef() override { return 1; }
    int release() override { return 1; }
    bool preTranslateMessage(MSG* msg) override
    {
        if (msg->message < WM_APP) return false;
        log_.push_back(tag_);
        return msg->message == consumes_;
    }
private:
    std::vector<int>& log_;
    int tag_;
    UINT consumes_;
};

LRESULT CALLBACK countingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg >= WM_APP) ++*reinterpret_cast<int*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

TEST(ShellApp, ModulesAreFoundByTheNameTheyWereRegisteredUnder)
{
    TempDir dir;
    auto app = ShellApp::open(tempPaths(dir));
    auto first = XComPtr<NamedModule>::adopt(new NamedModule("mod_A"));
    auto second = XComPtr<NamedModule>::adopt(new NamedModule("mod_B"));
    EXPECT_TRUE(app->registerModule("mod_A", first.get()));
    EXPECT_TRUE(app->registerModule("mod_B", second.get()));
    EXPECT_FALSE(app->registerModule("mod_A", second.get())); // a taken name keeps its module
    EXPECT_FALSE(app->registerModule("", second.get()));
    EXPECT_FALSE(app->registerModule("mod_C", nullptr));

    EXPECT_EQ(app->getModule("mod_A").get(), static_cast<Host::IModule*>(first.get()));
    EXPECT_EQ(app->getModule("mod_B").get(), static_cast<Host::IModule*>(second.get()));
    EXPECT_FALSE(app->getModule("mod_a"));
    EXPECT_FALSE(app->getModule("mod_C"));
    ASSERT_EQ(app->modules().size(), 2u);
    EXPECT_EQ(app->modules()[0].first, "mod_A");

    app->clear();
    EXPECT_FALSE(app->getModule("mod_A"));

    // What contract-only mode keeps answering: the client's own modules, not the host's
    // services nor a name that differs only in case.
    for (const char* name : {"mod_MainFrame", "mod_Database", "mod_UpdateData", "mod_ClosedFund"})
        EXPECT_TRUE(Host::isClientModuleName(name)) << name;
    for (const char* name : {Host::kStatusBarModuleName, "mod_ShellTest", "mod_mainframe", ""})
        EXPECT_FALSE(Host::isClientModuleName(name)) << name;
}

TEST(ShellApp, ConfigurationStartsWithDefaultsThatModulesCannotChange)
{
    TempDir dir;
    {
        auto app = ShellApp::open(tempPaths(dir));
        auto system = app->getSystemConf();
        ASSERT_TRUE(system);
        EXPECT_TRUE(system->getKey("Client2/System/Top_Default"));
        EXPECT_TRUE(system->getKey("Client2/System/Top_Always"));
        auto modules = system->getKey("Client2/System/Modules");
        ASSERT_TRUE(modules);
        EXPECT_EQ(modules->getValue()->getString(), L"mod_ClosedFund.dll");
        EXPECT_FALSE(system->createKey("Client2/System/Other"));

        XStringW url = app->getAppText("fund_profile_url");
        EXPECT_NE(url.find(L"/html/%s/"), XStringW::npos);
        EXPECT_EQ(url.substr(url.size() - 9), L"/html/%s/");
        EXPECT_EQ(app->getAppText("no_such_text"), L"");

        auto user = app->getUserConf();
        ASSERT_TRUE(user);
        auto key = user->createKey("/Client2/UserConfig/FontSize").cast<Host::IConfKeyHost>();
        ASSERT_TRUE(key);
        auto value = Host::createInstanceAs<Host::IConfValue>("Conf.ConfValue");
        value->setString(L"1.2");
        EXPECT_TRUE(key->store(value.get()));
        auto themes = app->getThemeMgr().cast<Host::IThemeMgrHost>();
        ASSERT_TRUE(themes);
        EXPECT_GE(themes->getThemeCount(), 2);
        EXPECT_TRUE(Host::getEvent("event_theme_changed"));
    }
    // A second start keeps what the user wrote and does not duplicate the defaults.
    auto app = ShellApp::open(tempPaths(dir));
    EXPECT_EQ(app->getUserConf()->getKey("/Client2/UserConfig/FontSize")->getValue()->getDouble(), 1.2);
    EXPECT_EQ(app->getSystemConf()->getKey("Client2/System/Modules")->getValue()->getString(), L"mod_ClosedFund.dll");
}

TEST(ShellApp, HandlersSeeMessagesByNumberAndAConsumedMessageIsNotDispatched)
{
    TempDir dir;
    auto app = ShellApp::open(tempPaths(dir));
    std::vector<int> log;
    RecordingHandler late(log, 300, 0), early(log, 100, 0), middle(log, 200, WM_APP + 2), sameNumber(log, 201, 0);
    app->registerPreMessageHandler(300, &late);
    app->registerPreMessageHandler(100, &early);
    app->registerPreMessageHandler(200, &middle);
    app->registerPreMessageHandler(200, &sameNumber);
    app->registerPreMessageHandler(50, &late); // already registered: keeps its place
    app->registerPreMessageHandler(10, nullptr);

    MSG msg{};
    msg.message = WM_APP + 1;
    EXPECT_FALSE(app->preTranslateMessage(&msg));
    EXPECT_EQ(log, (std::vector<int>{100, 200, 201, 300}));
    log.clear();
    msg.message = WM_APP + 2;
    EXPECT_TRUE(app->preTranslateMessage(&msg));
    EXPECT_EQ(log, (std::vector<int>{100, 200})); // consumed by 200: later ones never see it

    // Through the real loop: a consumed message never reaches its window.
    WNDCLASSW wc{};
    wc.lpfnWndProc = countingProc;
    wc.lpszClassName = L"ShellAppTestCounter";
    RegisterClassW(&wc);
    int dispatched = 0;
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(&dispatched));
    log.clear();
    PostMessageW(window, WM_APP + 1, 0, 0);
    PostMessageW(window, WM_APP + 2, 0, 0);
    PostMessageW(window, WM_APP + 3, 0, 0);
    PostQuitMessage(7);
    EXPECT_EQ(app->runMessageLoop(), 7);
    EXPECT_EQ(dispatched, 2);
    EXPECT_EQ(log, (std::vector<int>{100, 200, 201, 300, 100, 200, 100, 200, 201, 300}));
    DestroyWindow(window);
}
