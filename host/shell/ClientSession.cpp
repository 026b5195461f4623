#include "ClientSession.h"
#include "common/CallbackGuard.h"
#include <shellapi.h>

namespace HostShell {

namespace {

const wchar_t kAllFundsSql[] = L"select f.aliascode, f.name, f.fundtype, f.investtype, f.investstyle, a.name "
                               L"from tb_fund f left join tb_investadvisor a on a.guid = f.companyguid "
                               L"where f.isdellisting = 0 and f.isdeleted = 0 order by f.aliascode";

const std::vector<ListColumn> kFundColumns = {{L"代码", 80},      {L"名称", 200},     {L"基金类型", 110},
                                              {L"投资类型", 110}, {L"投资风格", 110}, {L"基金公司", 180}};

// The pool's codes in the order they were added, each with what the database knows of it:
// a code it does not hold is still listed, with empty cells.
XStringW fundsPoolSql(const std::vector<XStringW>& codes)
{
    if (codes.empty()) return L"select null, null, null, null, null, null where 0";
    XStringW values;
    for (size_t i = 0; i < codes.size(); ++i) {
        XStringW code;
        for (wchar_t c : codes[i]) code += c == L'\'' ? XStringW(L"''") : XStringW(1, c);
        values += (i ? L", (" : L"(") + std::to_wstring(i) + L", '" + code + L"')";
    }
    return L"with pool(pos, code) as (values " + values +
           L") "
           L"select p.code, f.name, f.fundtype, f.investtype, f.investstyle, a.name from pool p "
           L"left join tb_fund f on f.aliascode = p.code and f.isdellisting = 0 and f.isdeleted = 0 "
           L"left join tb_investadvisor a on a.guid = f.companyguid order by p.pos";
}

} // namespace

ClientSession::ClientSession(const ShellPaths& paths) : paths_(paths) {}

ClientSession::~ClientSession() { close(); }

bool ClientSession::open(bool quitOnDestroy)
{
    if (open_) return true;
    open_ = true;
    // The thread that opens the session is the client's user-interface thread.
    Host::registerHostThread();
    Common::setEscapeLog(&Host::logWarning);
    // The log first: a damaged configuration is reported while the stores open.
    ensureFolder(paths_.dataDir);
    Host::setLogFile(paths_.logFile().c_str());
    app_ = ShellApp::open(paths_);
    auto userConf = app_->getUserConf();
    database_ = XComPtr<DbModule>::adopt(new DbModule(paths_.fundDatabase()));
    updater_ = XComPtr<UpdateDataModule>::adopt(new UpdateDataModule(paths_.fundDatabase(), paths_.updateDir()));
    mainFrame_ = XComPtr<MainFrameModule>::adopt(new MainFrameModule(app_.get()));
    app_->registerModule("mod_Database", database_.get());
    app_->registerModule("mod_UpdateData", updater_.get());
    app_->registerModule("mod_MainFrame", mainFrame_.get());
    app_->registerModule("mod_MenuTool", XComPtr<MenuToolModule>::adopt(new MenuToolModule(userConf)).get());
    app_->registerModule("mod_ConcernFund", XComPtr<ConcernFundModule>::adopt(new ConcernFundModule(userConf)).get());
    fundsPool_ = XComPtr<FundsPoolModule>::adopt(new FundsPoolModule(userConf));
    app_->registerModule("mod_FundsPool", fundsPool_.get());
    app_->registerModule(Host::kFundsPoolEditModuleName,
                         XComPtr<FundsPoolEditModule>::adopt(new FundsPoolEditModule(fundsPool_)).get());
    // The reference host's own sibling: a module that finds it shows its messages in the bar.
    app_->registerModule(Host::kStatusBarModuleName,
                         XComPtr<StatusBarModule>::adopt(new StatusBarModule(mainFrame_.get())).get());
    for (auto& entry : app_->modules()) {
        XStringW error;
        entry.second->initialize(app_.get(), error);
    }

    XStringW title = L"Client2 基金资讯";
    if (database_->holdsSample()) title += L" — 样本数据（虚构基金，仅供演示）";
    if (!mainFrame_->createWindow(title.c_str(), quitOnDestroy)) {
        Host::logWarning(L"the main window cannot be created");
        return false;
    }
    // The notice goes first: a module may put its own message there while it loads, and
    // that one is newer.
    showStartNotice();
    mainFrame_->window().setDataFolderActions(
        {[this] { return database_->canSetAside(); }, [this] { setDatabaseAside(); }, [this] { openDataFolder(); }});
    loadErrors_ = loader_.loadConfigured(app_.get());
    addAllFundsPage();
    addFundsPoolPage();
    mainFrame_->window().restoreCurrentPage();
    reportErrors();
    return true;
}

// Adds the page with a tool-bar button that brings it forward; the button's event, or null
// when the page could not be added.
XComPtr<Host::IHostEvent> ClientSession::addListPage(FundListPage* page, const char* command, const char* buttonId,
                                                     void (*handler)(void*, void*))
{
    FundTabCtrl* tab = mainFrame_->window().tabCtrl();
    if (!tab || !tab->addPage(page)) return {};
    XComPtr<Host::IHostEvent> event = Host::createHostEvent(command);
    if (!event) return {};
    event->subscribe(handler, this);
    Host::ToolButtonDesc desc;
    desc.caption = page->getTitle();
    desc.event = event;
    mainFrame_->addToolButton(kFundValueButtonGroup, buttonId, desc);
    return event;
}

// The client's own page of every fund, behind its own tool-bar button.
void ClientSession::addAllFundsPage()
{
    allFunds_ = XComPtr<FundListPage>::adopt(
        new FundListPage(L"全部基金", L"全部基金一览", kAllFundsSql, kFundColumns, database_->getFundDatabase()));
    allFundsCmd_ = addListPage(allFunds_.get(), "Event_AllFundsCmd", "button_fund_value_all", &onAllFundsCmd);
}

// The fund pool, which a page fills (its context menu's "添加到基金池"): listed again
// whenever a code comes or goes.
void ClientSession::addFundsPoolPage()
{
    poolPage_ = XComPtr<FundListPage>::adopt(
        new FundListPage(L"基金池", L"基金池：在基金列表的右键菜单中“添加到基金池”", fundsPoolSql(fundsPool_->codes()),
                         kFundColumns, database_->getFundDatabase()));
    poolCmd_ = addListPage(poolPage_.get(), "Event_FundsPoolCmd", "button_fund_value_pool", &onFundsPoolCmd);
    poolChanged_ = Host::createHostEvent(kFundsPoolChanged);
    if (poolChanged_) poolChanged_->subscribe(&onFundsPoolChanged, this);
}

void ClientSession::onFundsPoolCmd(void*, void* self)
{
    auto* session = static_cast<ClientSession*>(self);
    session->mainFrame_->activatePage(session->poolPage_.get());
}

void ClientSession::onFundsPoolChanged(void*, void* self)
{
    auto* session = static_cast<ClientSession*>(self);
    if (session->poolPage_) session->poolPage_->setSql(fundsPoolSql(session->fundsPool_->codes()));
}

void ClientSession::onAllFundsCmd(void*, void* self)
{
    auto* session = static_cast<ClientSession*>(self);
    session->mainFrame_->activatePage(session->allFunds_.get());
}

void ClientSession::showStartNotice()
{
    XStringW text = L"就绪";
    if (database_->madeSample()) text += L"：已在 " + database_->path() + L" 建立样本数据库（虚构基金，仅供演示）";
    mainFrame_->window().showNotice(text);
}

// A fund database that cannot be opened and modules that did not load stand in the status
// bar for the whole run: the messages pass them by.
void ClientSession::reportErrors()
{
    XStringW errors = database_->openError();
    for (const XStringW& error : loadErrors_) errors += (errors.empty() ? L"" : L"；") + error;
    mainFrame_->window().setStandingError(errors);
}

// The damaged file is renamed, never deleted; the pages read the sample that takes its
// place as they read an update.
void ClientSession::setDatabaseAside()
{
    XStringW movedTo, error;
    bool replaced = database_->setAside(movedTo, error);
    reportErrors();
    if (!movedTo.empty()) {
        Host::UpdateEventArgs args;
        args.kind = Host::UPDATE_KIND_CLOSEDFUND;
        args.status = Host::UPDATE_STATUS_FINISHED;
        args.changed = 1;
        if (auto event = Host::getHostEvent("event_update_closedfund")) event->fire(&args);
        if (allFunds_ && allFunds_->IsWindow()) allFunds_->reload();
        if (poolPage_ && poolPage_->IsWindow()) poolPage_->reload();
    }
    // Said after the pages' own lines of the reload, so that it is the one left standing.
    if (replaced)
        mainFrame_->window().showNotice(L"已将损坏的数据库改名为 " + movedTo +
                                        L" 保留，并改用样本数据（虚构基金，仅供演示）");
    else
        mainFrame_->setStatusText(L"无法移开损坏的数据库：" + error);
}

void ClientSession::openDataFolder()
{
    HINSTANCE result = ShellExecuteW(mainFrame_->window().GetHwnd(), L"explore", paths_.dataDir.c_str(), nullptr,
                                     nullptr, SW_SHOWNORMAL);
    if (INT_PTR(result) > 32) return;
    Host::logWarning((L"cannot open the data folder " + paths_.dataDir + L" (shell result " +
                      std::to_wstring(INT_PTR(result)) + L")")
                         .c_str());
    mainFrame_->setStatusText(L"无法打开数据文件夹：" + paths_.dataDir);
}

void ClientSession::show(int cmdShow)
{
    if (!mainFrame_) return;
    mainFrame_->window().show(cmdShow);
}

void ClientSession::close()
{
    if (!open_) return;
    open_ = false;
    // The updater stops first: no update event reaches a module that is being uninitialised.
    updater_->uninitialize();
    // The loaded modules are registered too: the built-in ones follow, each once.
    std::vector<XComPtr<Host::IModule>> builtIn;
    for (const auto& entry : app_->modules()) {
        if (!loader_.holds(entry.second.get())) builtIn.push_back(entry.second);
    }
    loader_.uninitializeAll();
    if (allFundsCmd_) allFundsCmd_->unsubscribe(&onAllFundsCmd, this);
    if (poolCmd_) poolCmd_->unsubscribe(&onFundsPoolCmd, this);
    if (poolChanged_) poolChanged_->unsubscribe(&onFundsPoolChanged, this);
    for (auto it = builtIn.rbegin(); it != builtIn.rend(); ++it) (*it)->uninitialize();
    if (allFunds_) allFunds_->releaseHostReferences();
    if (poolPage_) poolPage_->releaseHostReferences();
    mainFrame_->window().DestroyWindow();
    app_->clear();
    allFunds_.reset();
    poolPage_.reset();
    fundsPool_.reset();
}

} // namespace HostShell
