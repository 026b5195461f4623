// The context menu of the closed-fund grid, its commands and the two hot keys.
#include "grid/ClosedFundGrid.h"
#include "grid/GridTexts.h"
#include "common/ScopedWin.h"
#include "data/CellReader.h"
#include "ext/FundsPoolEdit.h"
#include "ext/StatusBar.h"
#include <shellapi.h>

namespace ClosedFund {

using Common::XStringW;

namespace {

// Only the first modifier the record asks for is tested, in the order Ctrl, Alt, Shift; a key
// counts as held only while it is down now (the high bit), not because it went down earlier.
bool modifiersHeld(const Host::HotKey& hotKey)
{
    int vk = hotKey.control ? VK_CONTROL : hotKey.alt ? VK_MENU : hotKey.shift ? VK_SHIFT : 0;
    return vk == 0 || (GetAsyncKeyState(vk) & 0x8000) != 0;
}

// Shift+F10 opens the grid's context menu (as the menu key does). A hot key on plain F10,
// which would take any modifier, must leave that chord to the menu; a hot key that asks
// for a modifier of its own is the user's explicit choice and keeps it.
bool isContextMenuChord(const Host::HotKey& hotKey)
{
    bool asksModifier = hotKey.control || hotKey.alt || hotKey.shift;
    return !asksModifier && GetKeyState(VK_SHIFT) < 0;
}

// The shell's failures as a person can read them; the number stays for anything else.
XStringW shellFailureText(INT_PTR result)
{
    switch (result) {
    case 0:
    case SE_ERR_OOM: return L"系统资源不足";
    case SE_ERR_FNF: return L"找不到要打开的文件";
    case SE_ERR_PNF: return L"找不到路径";
    case SE_ERR_ACCESSDENIED: return L"拒绝访问";
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC: return L"系统中没有可以打开网页的程序";
    case SE_ERR_DDEBUSY:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDETIMEOUT: return L"浏览器没有响应";
    default: break;
    }
    XStringW text;
    text.format(L"错误代码 %d", int(result));
    return text;
}

// An empty code or the "--" of a missing one names no fund.
bool isFundCode(const XStringW& code) { return !code.empty() && code != L"--"; }

XStringW cellText(Host::IDataView* view, int row, const wchar_t* column)
{
    XStringW text;
    if (view) CellReader(view).readText(row, view->getColumnIndex(column), text);
    return text;
}

} // namespace

XComPtr<Host::IFundsPoolModule> closedFundGrid::FundsPool()
{
    // Asked for each time, so a pool loaded or unloaded meanwhile is seen; the caller holds
    // the reference while it uses the module.
    if (!app_) return XComPtr<Host::IFundsPoolModule>();
    return app_->getModule("mod_FundsPool").cast<Host::IFundsPoolModule>();
}

XStringW closedFundGrid::ShownFundCode(int row)
{
    if (row < 0 || row >= GetRowsCount()) return XStringW();
    XStringW code = CodeOfRow(row);
    if (!isFundCode(code)) return XStringW();
    Host::IDataView* view = DisplayView();
    if (!view || view->getColumnIndex(L"aliascode") < 0) return code;
    Control::HeaderInfo2 shownCode(L"aliascode");
    XStringW shown;
    GetItemText(row, shownCode, shown);
    return isFundCode(shown) ? shown : XStringW();
}

// The menu is about the row under the point: a click below the rows has none, whatever row
// is current. The row's commands are greyed where it shows no fund, the export where the
// grid has no rows.
void closedFundGrid::OnContextMenu(int x, int y)
{
    int hitRow = -1, hitColumn = -1;
    bool onCurrentRow = HitTest(x, y, hitRow, hitColumn) == HitCell && hitRow == GetCurrSel();
    UINT fundItem = MF_STRING | (onCurrentRow && !ShownFundCode(hitRow).empty() ? 0 : MF_GRAYED);
    UINT listItem = MF_STRING | (GetRowsCount() > 0 ? 0 : MF_GRAYED);
    POINT pt = {x, y};
    ClientToScreen(&pt);
    Common::ScopedMenu menu(CreatePopupMenu());
    if (!menu.get()) return;
    if (FundsPool()) AppendMenuW(menu.get(), fundItem, CMD_ADD_TO_FUND_POOL, L"添加到基金池");
    AppendMenuW(menu.get(), listItem, CMD_EXPORT, L"数据导出");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), fundItem, CMD_OPEN_PROFILE, L"转到基金档案 F10");
    TrackPopupMenu(menu.get(), 0, pt.x, pt.y, 0, GetHwnd(), nullptr);
}

// The status bar is asked for each time, as the other siblings are: the client has none.
void closedFundGrid::ShowStatus(const XStringW& text)
{
    XComPtr<Host::IStatusBarModule> statusBar =
        app_ ? app_->getModule(Host::kStatusBarModuleName).cast<Host::IStatusBarModule>()
             : XComPtr<Host::IStatusBarModule>();
    if (statusBar) {
        statusBar->setStatusText(text);
        return;
    }
    statusText_ = text;
    if (statusListener_) statusListener_();
}

// The pool shows nothing of its own: the status line says what became of the fund, by the
// code and name the grid shows. The client's pool gives no outcome; the host's edit module
// does, and without it the line says only what was asked. A row without a fund the person
// can see adds nothing (its menu item is greyed).
void closedFundGrid::AddToFundPool()
{
    XComPtr<Host::IFundsPoolModule> pool = FundsPool();
    int row = GetCurrSel();
    XStringW shownCode = ShownFundCode(row);
    if (!pool || shownCode.empty()) return;
    XStringW code = CodeOfRow(row);
    const XStringW fund = shownCode + L" " + cellText(DisplayView(), row, L"name");
    XComPtr<Host::IFundsPoolEditModule> edit =
        app_->getModule(Host::kFundsPoolEditModuleName).cast<Host::IFundsPoolEditModule>();
    if (!edit) {
        pool->addFund(code);
        ShowStatus(L"已请求添加到基金池：" + fund);
        return;
    }
    XStringW failure;
    switch (edit->addFund(code, failure)) {
    case Host::FUNDSPOOL_ADDED: ShowStatus(L"已添加到基金池：" + fund); return;
    case Host::FUNDSPOOL_ALREADY_IN: ShowStatus(L"已在基金池中：" + fund); return;
    case Host::FUNDSPOOL_NOT_A_FUND: ShowStatus(L"无法添加到基金池：这一行没有基金代码"); return;
    default: ShowStatus(L"无法添加到基金池：" + (failure.empty() ? XStringW(L"基金池未能保存") : failure)); return;
    }
}

XStringW closedFundGrid::ProfileUrl()
{
    int row = GetCurrSel();
    if (ShownFundCode(row).empty()) return XStringW();
    XStringW code = CodeOfRow(row);
    XStringW urlTemplate = app_ ? app_->getAppText("fund_profile_url") : XStringW();
    return profileUrl(urlTemplate, code);
}

// A page that does not open says so: otherwise F10 on a machine without a browser looks
// like a key that does nothing.
void closedFundGrid::OpenProfilePage()
{
    XStringW url = ProfileUrl();
    if (url.empty()) return;
    INT_PTR result = OpenUrl(url);
    if (result > 32) return;
    XStringW text = L"无法打开基金档案页面：\n" + url + L"\n\n原因：" + shellFailureText(result);
    MessageBoxW(GetHwnd(), text.c_str(), L"提示", MB_OK | MB_ICONWARNING);
}

INT_PTR closedFundGrid::OpenUrl(const XStringW& url)
{
    return INT_PTR(ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

bool closedFundGrid::MatchesHotKey(UINT key, bool profile)
{
    if (!app_) return false;
    if (!menuTool_) menuTool_ = app_->getModule("mod_MenuTool").cast<Host::IMenuToolModule>();
    if (!menuTool_) return false;
    Host::HotKey& record = profile ? profileKey_ : refreshKey_;
    if (profile)
        menuTool_->getProfileHotKey(record);
    else
        menuTool_->getRefreshHotKey(record);
    if (key == VK_F10 && isContextMenuChord(record)) return false;
    return key == record.key && modifiersHeld(record);
}

bool closedFundGrid::IsProfileHotKey(UINT key) { return MatchesHotKey(key, true); }
bool closedFundGrid::IsRefreshHotKey(UINT key) { return MatchesHotKey(key, false); }

// A numeric column's header menu offers its condition, as 更多筛选 ▸ 数值条件 does.
void closedFundGrid::AppendHeaderMenuItems(HMENU menu, const XStringW& column)
{
    if (column.empty() || !numericOffered_ || !numericOffered_(column)) return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kHeaderMenuOwn, L"数值条件…(&N)");
}

void closedFundGrid::OnHeaderMenuCommand(UINT id, const XStringW& column)
{
    if (id == kHeaderMenuOwn && askNumeric_) askNumeric_(column);
}

} // namespace ClosedFund
