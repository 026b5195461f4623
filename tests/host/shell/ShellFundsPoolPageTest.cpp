// The host's 基金池 page and the pool behind it: the list in the colours of the theme the frame
// shows (rows, a selection the list shows without the focus, the header), following a switch;
// and a pool whose store cannot be written, which loses nothing, tells why once per reason
// and claims nothing.
#include "ClientSession.h"
#include "ConfText.h"
#include "Pixels.h"
#include "TempDir.h"
#include "ClientLoop.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <map>

using namespace HostShell;
using TestSupport::TempDir;

namespace {

struct PoolRun {
    ClientSession session;
    bool ok = false;
    PoolRun(const PoolRun&) = delete;
    PoolRun& operator=(const PoolRun&) = delete;
    explicit PoolRun(const TempDir& dir) : session(ShellPaths{programFolder(), dir.path()})
    {
        auto system = Host::openUserConf(dir.file(L"system.conf").c_str());
        writeConfText(system.get(), "Client2/System/Modules", L"");
        ok = session.open(false);
        if (ok) session.show(SW_SHOWNORMAL);
        if (ok) TestSupport::pumpClient(session.app(), 100);
    }
    ~PoolRun() { session.close(); }
    std::wstring status()
    {
        wchar_t text[512] = {};
        SendMessageW(session.mainFrame()->window().statusBar(), SB_GETTEXTW, 0, LPARAM(text));
        return text;
    }
};

COLORREF themed(ShellApp* app, const char* key)
{
    COLORREF c = CLR_INVALID;
    app->themeMgr()->getCurrentTheme()->getColor(key, c);
    return c;
}

// The colour most pixels of r have.
COLORREF groundIn(const TestSupport::Capture& shot, const RECT& r)
{
    std::map<COLORREF, int> counts;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) ++counts[shot.at(x, y)];
    COLORREF ground = CLR_INVALID;
    int most = 0;
    for (const auto& [color, count] : counts)
        if (count > most) most = count, ground = color;
    return ground;
}

RECT rowRect(HWND list, int row)
{
    RECT r{};
    r.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, WPARAM(row), LPARAM(&r));
    return r;
}

} // namespace

TEST(ShellFundsPoolPage, ListWearsTheThemeTheFrameShowsAndFollowsASwitch)
{
    TempDir dir;
    PoolRun run(dir);
    ASSERT_TRUE(run.ok);
    ShellApp* app = run.session.app();
    auto pool = app->getModule("mod_FundsPool").cast<Host::IFundsPoolModule>();
    ASSERT_TRUE(pool);
    for (const wchar_t* code : {L"184690", L"184691", L"184692"}) pool->addFund(code);
    FundListPage* page = run.session.fundsPoolPage();
    run.session.mainFrame()->activatePage(page);
    HWND list = page->list();
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
    LVITEMW select{};
    select.stateMask = LVIS_SELECTED;
    select.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 1, LPARAM(&select));
    SetFocus(run.session.mainFrame()->window().GetHwnd());

    for (const char* theme : {"dark", "light"}) {
        ASSERT_TRUE(app->themeMgr()->setCurrentTheme(theme));
        TestSupport::pumpClient(app, 100);
        EXPECT_EQ(COLORREF(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), themed(app, "list_bg")) << theme;
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        TestSupport::Capture shot = TestSupport::grabScreen(list);
        EXPECT_EQ(groundIn(shot, rowRect(list, 0)), themed(app, "list_bg_oddLine")) << theme;
        EXPECT_EQ(groundIn(shot, rowRect(list, 1)), themed(app, "list_sel_bg")) << theme << ": the selection";
        RECT header{};
        GetClientRect(HWND(SendMessageW(list, LVM_GETHEADER, 0, 0)), &header);
        InflateRect(&header, 0, -2);
        EXPECT_EQ(groundIn(shot, header), themed(app, "list_column_bg")) << theme << ": the header";
        if (std::string(theme) == "dark")
            TestSupport::saveArtifact(TestSupport::grabScreen(page->GetHwnd()), L"host-fund-pool-page-dark");
    }
}

TEST(ShellFundsPoolPage, AStoreThatCannotBeWrittenLosesNothingAndSaysWhyOnce)
{
    TempDir dir;
    const std::wstring file = dir.file(L"pool.conf");
    writeConfText(Host::openUserConf(file.c_str()).get(), kFundsPoolKey, L"150001\n160002");
    const std::string stored = TestSupport::readFileBytes(file);
    PoolRun run(dir);
    ASSERT_TRUE(run.ok);
    // The kernel's read-only store, as the system configuration is opened.
    auto pool = XComPtr<FundsPoolModule>::adopt(new FundsPoolModule(Host::openSystemConf(file.c_str())));
    XStringW error;
    pool->initialize(run.session.app(), error);
    int fired = 0;
    auto changed = Host::getHostEvent(kFundsPoolChanged);
    Host::EventCallback count = [](void*, void* context) { ++*static_cast<int*>(context); };
    changed->subscribe(count, &fired);

    EXPECT_EQ(pool->removeFunds({L"150001"}), -1);
    EXPECT_EQ(run.status(), L"无法保存基金池：配置只读");
    run.session.mainFrame()->setStatusText(L"另一条消息");
    EXPECT_EQ(pool->removeFunds({L"160002", L"150001"}), -1);
    EXPECT_EQ(run.status(), L"另一条消息") << "the same reason is told once";
    EXPECT_EQ(pool->removeFunds({L"999999"}), 0) << "a code the pool does not hold asks for no save";

    changed->unsubscribe(count, &fired);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(pool->codes(), (std::vector<XStringW>{L"150001", L"160002"}));
    EXPECT_EQ(TestSupport::readFileBytes(file), stored);
    pool->uninitialize();
}
