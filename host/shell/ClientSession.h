// One run of the client: the application object, the built-in sibling modules, the main
// window with its pages, and the module libraries of the system configuration; closed in
// the reverse order.
#pragma once
#include "CodeListModules.h"
#include "DbModule.h"
#include "FundListPage.h"
#include "MainFrameModule.h"
#include "MenuToolModule.h"
#include "ModuleLoader.h"
#include "ShellApp.h"
#include "StatusBarModule.h"
#include "UpdateDataModule.h"
#include "hostapi/KernelHost.h"

namespace HostShell {

class ClientSession {
public:
    explicit ClientSession(const ShellPaths& paths);
    ~ClientSession();
    ClientSession(const ClientSession&) = delete;
    ClientSession& operator=(const ClientSession&) = delete;

    // Builds everything and loads the module libraries. False only when the main window
    // cannot be made; a module that fails is reported in the status bar and skipped.
    bool open(bool quitOnDestroy);
    void show(int cmdShow);
    // Uninitialises the modules, stops the updater, destroys the window. Idempotent.
    void close();

    ShellApp* app() const { return app_.get(); }
    MainFrameModule* mainFrame() const { return mainFrame_.get(); }
    UpdateDataModule* updater() const { return updater_.get(); }
    const std::vector<XStringW>& loadErrors() const { return loadErrors_; }
    FundListPage* allFundsPage() const { return allFunds_.get(); }
    FundListPage* fundsPoolPage() const { return poolPage_.get(); }

private:
    static void onAllFundsCmd(void* payload, void* self);
    static void onFundsPoolCmd(void* payload, void* self);
    static void onFundsPoolChanged(void* payload, void* self);
    XComPtr<Host::IHostEvent> addListPage(FundListPage* page, const char* command, const char* buttonId,
                                          void (*handler)(void*, void*));
    void addAllFundsPage();
    void addFundsPoolPage();
    void showStartNotice();
    void reportErrors();
    // The 文件 menu's data-folder commands.
    void setDatabaseAside();
    void openDataFolder();

    ShellPaths paths_;
    XComPtr<ShellApp> app_;
    XComPtr<DbModule> database_;
    XComPtr<UpdateDataModule> updater_;
    XComPtr<MainFrameModule> mainFrame_;
    XComPtr<FundListPage> allFunds_;
    XComPtr<Host::IHostEvent> allFundsCmd_;
    XComPtr<FundsPoolModule> fundsPool_;
    XComPtr<FundListPage> poolPage_;
    XComPtr<Host::IHostEvent> poolCmd_;
    XComPtr<Host::IHostEvent> poolChanged_;
    ModuleLoader loader_;
    std::vector<XStringW> loadErrors_;
    bool open_ = false;
};

} // namespace HostShell
