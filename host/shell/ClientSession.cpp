#include "ClientSession.h"
#include "host/KernelHost.h"

namespace HostShell {

namespace {

const wchar_t kAllFundsSql[] =
    L"select f.aliascode, f.name, f.fundtype, f.investtype, f.investstyle, a.name "
    L"from tb_fund f left join tb_investadvisor a on a.guid = f.companyguid "
    L"where f.isdellisting = 0 and f.isdeleted = 0 order by f.aliascode";

} // namespace

ClientSession::ClientSession(const ShellPaths& paths) : paths_(paths) {}

ClientSession::~ClientSession() { close(); }

bool ClientSession::open(bool quitOnDestroy)
{
    if (open_) return true;
    open_ = true;
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
    app_->registerModule("mod_FundsPool", XComPtr<FundsPoolModule>::adopt(new FundsPoolModule(userConf)).get());
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
    loadErrors_ = loader_.loadConfigured(app_.get());
    addAllFundsPage();
    reportLoading();
    return true;
}

// The client's own page of every fund, behind its own tool-bar button.
void ClientSession::addAllFundsPage()
{
    allFunds_ = XComPtr<FundListPage>::adopt(new FundListPage(
        L"全部基金", L"全部基金一览", kAllFundsSql,
        {{L"代码", 80}, {L"名称", 200}, {L"基金类型", 110}, {L"投资类型", 110}, {L"投资风格", 110}, {L"基金公司", 180}},
        database_->getFundDatabase()));
    FundTabCtrl* tab = mainFrame_->window().tabCtrl();
    if (!tab || !tab->addPage(allFunds_.get())) return;
    allFundsCmd_ = Host::createEvent("Event_AllFundsCmd");
    if (!allFundsCmd_) return;
    allFundsCmd_->subscribe(&onAllFundsCmd, this);
    Host::ToolButtonDesc desc;
    desc.caption = L"全部基金";
    desc.event = allFundsCmd_;
    mainFrame_->addToolButton(kFundValueButtonGroup, "button_fund_value_all", desc);
}

void ClientSession::onAllFundsCmd(void*, void* self)
{
    auto* session = static_cast<ClientSession*>(self);
    session->mainFrame_->activatePage(session->allFunds_.get());
}

void ClientSession::reportLoading()
{
    XStringW text = L"就绪";
    if (database_->madeSample()) text += L"：已在 " + database_->path() + L" 建立样本数据库";
    for (const XStringW& error : loadErrors_) text += L"；" + error;
    mainFrame_->window().setStatusText(text);
}

void ClientSession::show(int cmdShow)
{
    if (!mainFrame_) return;
    mainFrame_->window().ShowWindow(cmdShow);
    UpdateWindow(mainFrame_->window().GetHwnd());
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
    for (auto it = builtIn.rbegin(); it != builtIn.rend(); ++it) (*it)->uninitialize();
    if (allFunds_) allFunds_->releaseHostReferences();
    mainFrame_->window().DestroyWindow();
    app_->clear();
    allFunds_.reset();
}

} // namespace HostShell
