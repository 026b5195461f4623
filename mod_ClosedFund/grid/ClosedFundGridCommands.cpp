// The context menu of the closed-fund grid, its commands and the two hot keys.
#include "grid/ClosedFundGrid.h"
#include "grid/GridTexts.h"
#include <shellapi.h>

namespace ClosedFund {

using Common::XStringW;

namespace {

// A popup menu destroyed when the owner goes.
class PopupMenu {
public:
    PopupMenu() : menu_(CreatePopupMenu()) {}
    ~PopupMenu() { if (menu_) DestroyMenu(menu_); }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    HMENU get() const { return menu_; }
private:
    HMENU menu_;
};

// Only the first modifier the record asks for is tested, in the order Ctrl, Alt, Shift; a key
// counts as held only while it is down now (the high bit), not because it went down earlier.
bool modifiersHeld(const Host::HotKey& hotKey)
{
    int vk = hotKey.control ? VK_CONTROL : hotKey.alt ? VK_MENU : hotKey.shift ? VK_SHIFT : 0;
    return vk == 0 || (GetAsyncKeyState(vk) & 0x8000) != 0;
}

} // namespace

XComPtr<Host::IFundsPoolModule> closedFundGrid::FundsPool()
{
    // Asked for each time, so a pool loaded or unloaded meanwhile is seen; the caller holds
    // the reference while it uses the module.
    if (!app_)
        return XComPtr<Host::IFundsPoolModule>();
    return app_->getModule("mod_FundsPool").cast<Host::IFundsPoolModule>();
}

void closedFundGrid::OnContextMenu(int x, int y)
{
    POINT pt = {x, y};
    ClientToScreen(&pt);
    PopupMenu menu;
    if (!menu.get())
        return;
    if (FundsPool())
        AppendMenuW(menu.get(), MF_STRING, CMD_ADD_TO_FUND_POOL, L"添加到基金池");
    AppendMenuW(menu.get(), MF_STRING, CMD_EXPORT, L"数据导出");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, CMD_OPEN_PROFILE, L"转到基金档案 F10");
    TrackPopupMenu(menu.get(), 0, pt.x, pt.y, 0, GetHwnd(), nullptr);
}

void closedFundGrid::AddToFundPool()
{
    XComPtr<Host::IFundsPoolModule> pool = FundsPool();
    int row = GetCurrSel();
    if (pool && row >= 0)
        pool->addFund(CodeOfRow(row));
}

XStringW closedFundGrid::ProfileUrl()
{
    int row = GetCurrSel();
    if (row < 0)
        return XStringW();
    XStringW code = CodeOfRow(row);
    if (code.empty() || code == L"--")
        return XStringW();
    XStringW urlTemplate = app_ ? app_->getAppText("fund_profile_url") : XStringW();
    return profileUrl(urlTemplate, code);
}

void closedFundGrid::OpenProfilePage()
{
    XStringW url = ProfileUrl();
    if (!url.empty())
        OpenUrl(url);
}

void closedFundGrid::OpenUrl(const XStringW& url)
{
    ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool closedFundGrid::MatchesHotKey(UINT key, bool profile)
{
    if (!app_)
        return false;
    if (!menuTool_)
        menuTool_ = app_->getModule("mod_MenuTool").cast<Host::IMenuToolModule>();
    if (!menuTool_)
        return false;
    Host::HotKey& record = profile ? profileKey_ : refreshKey_;
    if (profile)
        menuTool_->getProfileHotKey(record);
    else
        menuTool_->getRefreshHotKey(record);
    return key == record.key && modifiersHeld(record);
}

bool closedFundGrid::IsProfileHotKey(UINT key) { return MatchesHotKey(key, true); }
bool closedFundGrid::IsRefreshHotKey(UINT key) { return MatchesHotKey(key, false); }

} // namespace ClosedFund
