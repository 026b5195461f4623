#include "module/ClosedFundModule.h"
#include <cstdlib>

namespace ClosedFund {

namespace {

const char kPinDefaultKey[] = "Client2/System/Top_Default";
const char kPinAlwaysKey[] = "Client2/System/Top_Always";

// The text of a configuration key, when the store has the key.
bool readKeyText(Host::IConfManager* conf, const char* path, XStringW& text)
{
    XComPtr<Host::IConfKey> key = conf->getKey(path);
    if (!key) return false;
    XComPtr<Host::IConfValue> value = key->getValue();
    text = value ? value->getString() : XStringW();
    return true;
}

} // namespace

bool ClosedFundModuleImpl::getInfo(Host::ModuleInfo& info)
{
    info.name = "mod_ClosedFund";
    info.caption = L"契约型封闭式净值模块";
    info.version = 5100;
    info.flags = 0x1000001;
    return true;
}

int ClosedFundModuleImpl::initialize(Host::IApp* app, XStringW& error)
{
    app_ = app;
    page_.grid().SetApp(app);
    if (!app) return 1;
    menuTool_ = app->getModule("mod_MenuTool").cast<Host::IMenuToolModule>();
    XComPtr<Host::IThemeMgr> themes = app->getThemeMgr();
    XComPtr<Host::ITheme> theme = themes ? themes->getCurrentTheme() : XComPtr<Host::ITheme>();
    if (XComPtr<Host::IEvent> themeEvent = Host::getEvent("event_theme_changed"))
        themeEvent->subscribe(&ClosedFundModuleImpl::onThemeChanged, this);

    mainFrame_ = app->getModule("mod_MainFrame").cast<Host::IMainFrameModule>();
    if (!mainFrame_) return 1;
    app->registerPreMessageHandler(200, this);
    XComPtr<Host::ITabCtrl> tabs = mainFrame_->getControl("qev_tab_fundvalue").cast<Host::ITabCtrl>();
    if (!tabs) {
        error = L"无法获取qev_tab_fundvalue控件。";
        return 1;
    }
    page_.attachApp(app);
    tabs->addPage(&page_);
    page_.applyTheme(theme.get());
    if (XComPtr<Host::IDbModule> db = app->getModule("mod_Database").cast<Host::IDbModule>())
        page_.setDatabase(db->getFundDatabase().get());

    XComPtr<Host::IEvent> command = Host::createEvent("Event_ClosedFundCmd");
    if (command) command->subscribe(&ClosedFundModuleImpl::onClosedFundCmd, this);
    Host::ToolButtonDesc desc;
    desc.caption = L"封闭式基金";
    desc.event = command;
    mainFrame_->addToolButton("button_fund_value", "button_fund_value_closed", desc);

    if (XComPtr<Host::IConfManager> system = app->getSystemConf()) {
        XStringW pins;
        if (readKeyText(system.get(), kPinDefaultKey, pins)) page_.grid().SetDefaultPinList(pins);
        if (readKeyText(system.get(), kPinAlwaysKey, pins)) page_.grid().SetAlwaysPinList(pins);
    }
    return 0;
}

void ClosedFundModuleImpl::uninitialize()
{
    mainFrame_.reset();
    page_.releaseHostReferences();
}

XComPtr<Host::IDataTable> ClosedFundModuleImpl::getDataTable()
{
    Host::IDataTable* table = page_.grid().FundTable();
    if (!table) return {};
    if (table->isEmpty()) page_.reload(false);
    return XComPtr<Host::IDataTable>(page_.grid().FundTable());
}

bool ClosedFundModuleImpl::locateFund(const XStringW& code)
{
    Host::IDataView* display = page_.grid().DisplayView();
    if (!display) return false;
    XStringW text;
    int codeColumn = display->getColumnIndex(L"code");
    int rows = display->getRowCount();
    for (int row = 0; row < rows; ++row) {
        if (!display->readTextAt(row, codeColumn, text) || text != code) continue;
        if (mainFrame_) mainFrame_->activatePage(&page_);
        page_.grid().SetCurrSel(row);
        return true;
    }
    return false;
}

void ClosedFundModuleImpl::refresh()
{
    if (!page_.IsVisible()) return;
    page_.reload(true);
    page_.grid().Refresh(false, true);
    page_.grid().Invalidate(TRUE);
}

bool ClosedFundModuleImpl::preTranslateMessage(MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return false;
    if (!page_.IsVisible()) return false;
    UINT key = UINT(msg->wParam);
    if (page_.grid().IsProfileHotKey(key)) {
        page_.grid().OpenProfilePage();
        return true;
    }
    if (page_.grid().IsRefreshHotKey(key)) {
        refresh();
        return true;
    }
    return false;
}

void ClosedFundModuleImpl::onThemeChanged(void* theme, void* module)
{
    auto* self = static_cast<ClosedFundModuleImpl*>(module);
    if (!self) return;
    self->page_.applyTheme(static_cast<Host::ITheme*>(theme));
    self->page_.markRefreshIndicatorStale();
}

void ClosedFundModuleImpl::onClosedFundCmd(void*, void* module)
{
    auto* self = static_cast<ClosedFundModuleImpl*>(module);
    if (self && self->mainFrame_) self->mainFrame_->activatePage(&self->page_);
}

ClosedFundModuleImpl& moduleObject()
{
    // Built on first use and destroyed at process exit, after the host let go of it.
    static ClosedFundModuleImpl module;
    return module;
}

} // namespace ClosedFund
