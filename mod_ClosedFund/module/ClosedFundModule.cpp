#include "module/ClosedFundModule.h"
#include "common/CallbackGuard.h"
#include "base/HostServices.h"
#include "base/ModuleLog.h"
#include "data/CellReader.h"
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

const char kThemeEvent[] = "event_theme_changed";
const char kCommandEvent[] = "Event_ClosedFundCmd";

} // namespace

// The process's module lives until exit; any other (a test's) leaves its subscriptions
// behind, cleared, since the kernel keeps calling them.
ClosedFundModuleImpl::~ClosedFundModuleImpl()
{
    for (EventCell<ClosedFundModuleImpl*>* cell : {themeCell_, commandCell_})
        if (cell) cell->setTarget(nullptr);
}

bool ClosedFundModuleImpl::getInfo(Host::ModuleInfo& info)
{
    return Common::guardCallback(L"IClosedFundModule::getInfo", false, [&]() -> bool {
        info.name = "mod_ClosedFund";
        info.caption = L"契约型封闭式净值模块";
        info.version = 5100;
        info.flags = 0x1000001;
        return true;
    });
}

int ClosedFundModuleImpl::initialize(Host::IApp* app, XStringW& error)
{
    return Common::guardCallback(L"IClosedFundModule::initialize", 1, [&]() -> int {
        // The host calls this on its user-interface thread: the services are looked for here.
        routeEscapedExceptionsToLog();
        HostServices::get();
        app_ = app;
        page_.grid().SetApp(app);
        if (!app) return 1;
        menuTool_ = app->getModule("mod_MenuTool").cast<Host::IMenuToolModule>();
        XComPtr<Host::IThemeMgr> themes = app->getThemeMgr();
        XComPtr<Host::ITheme> theme = themes ? themes->getCurrentTheme() : XComPtr<Host::ITheme>();
        // One subscription however often the host initialises the module: a second would apply
        // each theme and activate the page twice.
        if (!themeCell_) themeCell_ = ModuleCell::subscribe(Host::getEvent(kThemeEvent).get(), &onThemeChanged, this);

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

        XComPtr<Host::IEvent> command = Host::createEvent(kCommandEvent);
        if (!commandCell_) commandCell_ = ModuleCell::subscribe(command.get(), &onClosedFundCmd, this);
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
    });
}

// Every host reference goes, the menu tool's and the application's too: the module object
// outlives the host, which must be free to tear itself down now rather than be released
// from this library's exit code.
void ClosedFundModuleImpl::uninitialize()
{
    Common::guardCallback(L"IClosedFundModule::uninitialize", [&] {
        mainFrame_.reset();
        page_.releaseHostReferences();
        menuTool_.reset();
        app_.reset();
    });
}

XComPtr<Host::IDataTable> ClosedFundModuleImpl::getDataTable()
{
    return Common::guardCallback(L"IClosedFundModule::getDataTable", XComPtr<Host::IDataTable>(),
                                 [&]() -> XComPtr<Host::IDataTable> {
                                     Host::IDataTable* table = page_.grid().FundTable();
                                     if (!table) return {};
                                     if (table->isEmpty()) page_.reload(false);
                                     return XComPtr<Host::IDataTable>(page_.grid().FundTable());
                                 });
}

namespace {

// The first row of the view whose "code" is exactly code; -1 when none is.
int findFundRow(Host::IDataView* view, const XStringW& code)
{
    XStringW text;
    CellReader cells(view);
    int codeColumn = view->getColumnIndex(L"code");
    int rows = view->getRowCount();
    for (int row = 0; row < rows; ++row)
        if (cells.readText(row, codeColumn, text) && text == code) return row;
    return -1;
}

} // namespace

bool ClosedFundModuleImpl::locateFund(const XStringW& code)
{
    return Common::guardCallback(L"IClosedFundModule::locateFund", false, [&]() -> bool {
        Host::IDataView* display = page_.grid().DisplayView();
        int row = display ? findFundRow(display, code) : -1;
        if (row < 0) return false;
        if (mainFrame_) mainFrame_->activatePage(&page_);
        // Showing a page whose data went stale while it was hidden reloads it, which may move
        // the fund to another row or take it away: select it where it is now.
        XStringW now;
        if (!CellReader(display).readText(row, display->getColumnIndex(L"code"), now) || now != code)
            row = findFundRow(display, code);
        if (row < 0) return false;
        page_.grid().SetCurrSel(row);
        return true;
    });
}

void ClosedFundModuleImpl::refresh()
{
    Common::guardCallback(L"IClosedFundModule::refresh", [&] {
        if (!page_.IsVisible()) return;
        page_.reload(true);
        page_.grid().Refresh(false, true);
        page_.grid().Invalidate(TRUE);
    });
}

bool ClosedFundModuleImpl::preTranslateMessage(MSG* msg)
{
    return Common::guardCallback(L"IPreMessageHandler::preTranslateMessage", false, [&]() -> bool {
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
    });
}

void ClosedFundModuleImpl::onThemeChanged(void* theme, ClosedFundModuleImpl* self)
{
    self->page_.applyTheme(static_cast<Host::ITheme*>(theme));
    self->page_.markRefreshIndicatorStale();
}

// The button brings the page forward. A page that was already the shown tab gets no
// showing, so one that never loaded (its database came late, or could not be read then)
// loads now, unless the showing just tried.
void ClosedFundModuleImpl::onClosedFundCmd(void*, ClosedFundModuleImpl* self)
{
    if (!self->mainFrame_) return;
    int attempts = self->page_.loadAttempts();
    self->mainFrame_->activatePage(&self->page_);
    if (!self->page_.hasLoaded() && self->page_.loadAttempts() == attempts && self->page_.IsShownTab())
        self->page_.reload(true);
}

ClosedFundModuleImpl& moduleObject()
{
    // Built on first use and destroyed at process exit, after the host let go of it.
    static ClosedFundModuleImpl module;
    return module;
}

} // namespace ClosedFund
