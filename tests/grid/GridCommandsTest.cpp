// The closed-fund grid's context menu, its commands and the two hot keys, through a real
// right click, a real popup menu and real key states.
#include "FundGridFixture.h"
#include "ModalDriver.h"
#include "Pixels.h"
#include <shellapi.h>

using namespace FundGridTests;

namespace {

std::vector<std::vector<std::wstring>> funds()
{
    return {{L"150001", L"150001", L"甲基金"}, {L"--", L"--", L"无代码"}, {L"15<0>", L"15<0>", L"怪代码"}};
}

// Holds keys down (as the keyboard would) until the object goes.
class HeldKeys {
public:
    HeldKeys(HWND window, std::vector<WORD> keys) : keys_(std::move(keys))
    {
        SetForegroundWindow(window);
        send(0);
    }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;
    ~HeldKeys() { send(KEYEVENTF_KEYUP); }
    // Whether the platform reports every key as down now.
    bool down() const
    {
        for (WORD vk : keys_)
            if (!(GetAsyncKeyState(vk) & 0x8000)) return false;
        return true;
    }
private:
    void send(DWORD flags)
    {
        for (WORD vk : keys_) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = vk;
            in.ki.dwFlags = flags;
            SendInput(1, &in, sizeof in);
        }
        TestSupport::pumpMessages(50);
    }
    std::vector<WORD> keys_;
};

// The next popup menu the thread opens, read and closed: its items in order, a greyed one
// in parentheses ("(数据导出)"), a separator as "".
class MenuStates {
public:
    MenuStates() : timer_(SetTimer(nullptr, 0, 30, &MenuStates::onTimer)) { current() = this; }
    MenuStates(const MenuStates&) = delete;
    MenuStates& operator=(const MenuStates&) = delete;
    ~MenuStates()
    {
        KillTimer(nullptr, timer_);
        current() = nullptr;
    }
    std::vector<std::wstring> items;
    bool seen = false;

private:
    static MenuStates*& current()
    {
        static MenuStates* states = nullptr;
        return states;
    }
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        MenuStates* self = current();
        HWND window = FindWindowW(L"#32768", nullptr);
        if (!self || self->seen || !window || !IsWindowVisible(window)) return;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, 0x01E1 /* MN_GETHMENU */, 0, 0));
        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, UINT(i), text, 64, MF_BYPOSITION);
            UINT state = GetMenuState(menu, UINT(i), MF_BYPOSITION);
            bool greyed = !(state & MF_SEPARATOR) && (state & (MF_GRAYED | MF_DISABLED));
            self->items.push_back(greyed ? L"(" + std::wstring(text) + L")" : std::wstring(text));
        }
        self->seen = true;
        EndMenu();
    }
    UINT_PTR timer_;
};

} // namespace

TEST_F(FundGridTest, HotKeysMatchTheirKeyAndFirstModifier)
{
    menu_.profile.control = 1;
    menu_.profile.key = VK_F10;
    menu_.refresh.key = VK_F5;
    EXPECT_FALSE(grid_.IsProfileHotKey(VK_F10)); // Ctrl is not down
    EXPECT_TRUE(grid_.IsRefreshHotKey(VK_F5));
    EXPECT_FALSE(grid_.IsRefreshHotKey(VK_F10));
    {
        HeldKeys ctrl(parent_.hwnd(), {VK_CONTROL});
        if (!ctrl.down()) GTEST_SKIP() << "this display does not report injected key states";
        EXPECT_TRUE(grid_.IsProfileHotKey(VK_F10));
        EXPECT_FALSE(grid_.IsProfileHotKey(VK_F11));
    }
    {
        HeldKeys ctrlShift(parent_.hwnd(), {VK_CONTROL, VK_SHIFT});
        ASSERT_TRUE(ctrlShift.down());
        EXPECT_TRUE(grid_.IsProfileHotKey(VK_F10)); // other modifiers are not looked at
        EXPECT_TRUE(grid_.IsRefreshHotKey(VK_F5));  // no modifier asked: any may be held
    }
    EXPECT_FALSE(grid_.IsProfileHotKey(VK_F10)); // released: an earlier press does not count
    menu_.refresh.shift = 1;                     // the record is read again every time
    EXPECT_FALSE(grid_.IsRefreshHotKey(VK_F5));

    ClosedFund::closedFundGrid bare;
    EXPECT_FALSE(bare.IsRefreshHotKey(VK_F5)); // no application
    TestApp empty;
    bare.SetApp(&empty);
    EXPECT_FALSE(bare.IsRefreshHotKey(VK_F5)); // no menu-tool module
}

TEST_F(FundGridTest, ContextMenuOffersFundPoolOnlyWhenLoadedAndRunsCommands)
{
    fill(funds());
    loadHeader();
    TestSupport::ModalDriver driver;
    auto rightClick = [&](int row) {
        POINT p = rowPoint(row);
        SendMessageW(grid_.GetHwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(grid_.GetHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        EXPECT_TRUE(driver.waitDone(3000));
        TestSupport::pumpMessages(50); // the chosen command arrives as a posted WM_COMMAND
    };

    useStatusBar();
    driver.chooseMenuItem(L"添加到基金池");
    rightClick(0);
    EXPECT_EQ(driver.lastMenuItems(),
              (std::vector<std::wstring>{L"添加到基金池", L"数据导出", L"", L"转到基金档案 F10"}));
    EXPECT_EQ(pool_.added, std::vector<std::wstring>{L"150001"});
    EXPECT_EQ(shownStatus(), L"已请求添加到基金池：150001 甲基金");
    grid_.SetCurrSel(1); // code "--": no fund a person can see, nothing passed on or told
    SendMessageW(grid_.GetHwnd(), WM_COMMAND, ClosedFund::CMD_ADD_TO_FUND_POOL, 0);
    EXPECT_EQ(pool_.added, std::vector<std::wstring>{L"150001"});
    EXPECT_EQ(shownStatus(), L"已请求添加到基金池：150001 甲基金");

    driver.chooseMenuItem(L"转到基金档案 F10");
    rightClick(0);
    EXPECT_EQ(grid_.opened, std::vector<std::wstring>{L"https://fund.client2.example/html/150001/"});
    app_.texts["fund_profile_url"] = L"https://funds.example.org/html/%s/?from=%25client";
    SendMessageW(grid_.GetHwnd(), WM_COMMAND, ClosedFund::CMD_OPEN_PROFILE, 0);
    EXPECT_EQ(grid_.opened.back(), L"https://funds.example.org/html/150001/?from=%25client");
    app_.texts["fund_profile_url"] = L"calc.exe %s"; // not a web address: the fallback is used
    EXPECT_EQ(grid_.ProfileUrl(), L"https://fund.client2.example/html/150001/");

    // The shell cannot open the address: a box names it and the reason.
    grid_.shellResult = SE_ERR_NOASSOC;
    driver.answerMessageBox(IDOK);
    grid_.OpenProfilePage();
    EXPECT_TRUE(driver.waitDone(2000));
    EXPECT_EQ(driver.lastCaption(), L"提示");
    EXPECT_NE(driver.lastText().find(L"https://fund.client2.example/html/150001/"), std::wstring::npos);
    EXPECT_NE(driver.lastText().find(L"没有可以打开网页的程序"), std::wstring::npos)
        << Common::toUtf8(driver.lastText());
    grid_.shellResult = 42;
    grid_.opened.pop_back();

    grid_.SetCurrSel(1); // code "--": opens nothing
    grid_.OpenProfilePage();
    grid_.SetCurrSel(2); // a code that is not a plain fund code
    grid_.OpenProfilePage();
    EXPECT_EQ(grid_.opened.size(), 2u);

    app_.modules.erase("mod_FundsPool");
    driver.cancelMenu();
    rightClick(0);
    EXPECT_EQ(driver.lastMenuItems(), (std::vector<std::wstring>{L"数据导出", L"", L"转到基金档案 F10"}));
    SendMessageW(grid_.GetHwnd(), WM_COMMAND, ClosedFund::CMD_ADD_TO_FUND_POOL, 0);
    EXPECT_EQ(pool_.added.size(), 1u);
}

// With the host's status bar a message goes there alone: the grid keeps no line of its own
// for the page to draw a second time.
TEST_F(FundGridTest, WithTheHostsStatusBarTheGridKeepsNoStatusLine)
{
    if (Host::contractOnly()) GTEST_SKIP() << "the client has no status bar";
    fill(funds());
    loadHeader();
    useStatusBar();
    int told = 0;
    grid_.SetStatusListener([&told] { ++told; });
    grid_.SetCurrSel(0);
    grid_.AddToFundPool();
    EXPECT_EQ(statusBar_.texts, std::vector<std::wstring>{L"已请求添加到基金池：150001 甲基金"});
    EXPECT_EQ(grid_.StatusText(), L"");
    EXPECT_EQ(told, 0);
}

// The client hands out no status bar, even when the test host has one: the grid keeps the
// message for the page's title strip, tells the page, and the next message takes its place.
TEST_F(FundGridTest, OnTheContractPathTheGridKeepsTheStatusLineForThePage)
{
    if (!Host::contractOnly()) GTEST_SKIP() << "the host's status bar is handed out outside contract-only mode";
    fill(funds());
    loadHeader();
    useStatusBar();
    int told = 0;
    grid_.SetStatusListener([&told] { ++told; });
    grid_.SetCurrSel(0);
    grid_.AddToFundPool();
    EXPECT_TRUE(statusBar_.texts.empty());
    EXPECT_EQ(grid_.StatusText(), L"已请求添加到基金池：150001 甲基金");
    EXPECT_EQ(told, 1);
    grid_.SetCurrSel(2);
    grid_.AddToFundPool();
    EXPECT_EQ(grid_.StatusText(), L"已请求添加到基金池：15<0> 怪代码");
    EXPECT_EQ(told, 2);
}

// The host's pool says what became of each addition; the status line never claims a fund
// went in that did not.
TEST_F(FundGridTest, TheFundPoolsOutcomeIsWhatTheStatusLineSays)
{
    if (Host::contractOnly()) GTEST_SKIP() << "the client's pool gives no outcome (the other tests show that line)";
    fill(funds());
    loadHeader();
    useStatusBar();
    app_.modules[Host::kFundsPoolEditModuleName] = &poolEdit_;
    grid_.SetCurrSel(0);
    struct Case {
        int result;
        const wchar_t* failure;
        const wchar_t* shown;
    } cases[] = {
        {Host::FUNDSPOOL_ADDED, L"", L"已添加到基金池：150001 甲基金"},
        {Host::FUNDSPOOL_ALREADY_IN, L"", L"已在基金池中：150001 甲基金"},
        {Host::FUNDSPOOL_NOT_A_FUND, L"", L"无法添加到基金池：这一行没有基金代码"},
        {Host::FUNDSPOOL_NOT_SAVED, L"数据目录只读", L"无法添加到基金池：数据目录只读"},
        {Host::FUNDSPOOL_NOT_SAVED, L"", L"无法添加到基金池：基金池未能保存"},
    };
    for (const Case& c : cases) {
        poolEdit_.result = c.result;
        poolEdit_.failure = c.failure;
        grid_.AddToFundPool();
        EXPECT_EQ(shownStatus(), c.shown);
    }
    EXPECT_EQ(poolEdit_.added.size(), 5u);
    EXPECT_TRUE(pool_.added.empty()); // one addition each, through the pool that answers
}

// A column change the store does not keep is told once per reason, not at every drag, and
// told again after a change that was kept. The host says why; the client's interface cannot,
// and the line then says only that the configuration was not written.
TEST_F(FundGridTest, AColumnChangeThatIsNotSavedIsToldOncePerReason)
{
    fill(funds());
    loadHeader();
    useStatusBar();
    const std::wstring kept = dir_.file(L"user.conf");
    app_.userConf = Host::openSystemConf(kept.c_str()); // a store that refuses every change
    const std::wstring told = Host::contractOnly() ? L"无法保存列设置：用户配置未能写入" : L"无法保存列设置：配置只读";
    grid_.OnHeaderChange();
    EXPECT_EQ(shownStatus(), told);
    grid_.SetCurrSel(0);
    grid_.AddToFundPool(); // another line takes the status bar
    grid_.OnHeaderChange();
    grid_.OnResetHeader();
    EXPECT_NE(shownStatus(), told);

    app_.userConf = Host::openUserConf(kept.c_str());
    grid_.OnHeaderChange();
    EXPECT_NE(storedHeader(), L"<none>");
    app_.userConf = Host::openSystemConf(kept.c_str());
    grid_.OnResetHeader(); // the stored header cannot be removed
    EXPECT_EQ(shownStatus(), told);
}

// The row's commands act on the fund the person sees on the row under the pointer: greyed
// for a row whose "代码" shows "--" (whatever code the table holds behind it), below the
// rows, and with the export in an empty grid; choosing them anyway (a command message) does
// nothing and tells nothing.
TEST_F(FundGridTest, ContextMenuGreysTheRowsCommandsWhereNoFundIsShown)
{
    fill({{L"150001", L"150001", L"甲基金"}, {L"--", L"--", L"无代码"}, {L"150009", L"\x01", L"无档案"}});
    loadHeader();
    useStatusBar();
    ASSERT_EQ(text(2, L"aliascode"), L"--");
    auto menuAt = [&](POINT p) {
        MenuStates states;
        SendMessageW(grid_.GetHwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(grid_.GetHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        EXPECT_TRUE(states.seen);
        return states.items;
    };
    const std::vector<std::wstring> all = {L"添加到基金池", L"数据导出", L"", L"转到基金档案 F10"};
    const std::vector<std::wstring> listOnly = {L"(添加到基金池)", L"数据导出", L"", L"(转到基金档案 F10)"};
    EXPECT_EQ(menuAt(rowPoint(0)), all);
    EXPECT_EQ(menuAt(rowPoint(1)), listOnly);
    EXPECT_EQ(menuAt(rowPoint(2)), listOnly);

    // Row 2 holds a code the grid does not show: it is neither added, reported nor opened.
    ASSERT_EQ(grid_.GetCurrSel(), 2);
    SendMessageW(grid_.GetHwnd(), WM_COMMAND, ClosedFund::CMD_ADD_TO_FUND_POOL, 0);
    SendMessageW(grid_.GetHwnd(), WM_COMMAND, ClosedFund::CMD_OPEN_PROFILE, 0);
    EXPECT_TRUE(pool_.added.empty());
    EXPECT_TRUE(grid_.opened.empty());
    EXPECT_EQ(shownStatus(), L"<none>");

    // Below the rows no row is under the pointer, even with a fund selected; the menu key
    // opens the menu on the selected row.
    grid_.SetCurrSel(0);
    EXPECT_EQ(menuAt(rowPoint(6)), listOnly);
    EXPECT_EQ(grid_.GetCurrSel(), 0);
    {
        MenuStates states;
        SendMessageW(grid_.GetHwnd(), WM_CONTEXTMENU, WPARAM(grid_.GetHwnd()), MAKELPARAM(-1, -1));
        EXPECT_EQ(states.items, all);
    }

    fill(std::vector<std::vector<std::wstring>>{});
    EXPECT_EQ(menuAt(rowPoint(0)),
              (std::vector<std::wstring>{L"(添加到基金池)", L"(数据导出)", L"", L"(转到基金档案 F10)"}));
}
