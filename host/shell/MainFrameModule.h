// "mod_MainFrame": the main window as a module. Other modules reach its fund-value tab
// control by name, activate their pages through it and add tool-bar buttons.
#pragma once
#include "BuiltInModule.h"
#include "MainFrameWindow.h"
#include "hostapi/ShellHost.h"
#include <memory>

namespace HostShell {

extern const char kFundValueTabName[];     // "qev_tab_fundvalue"
extern const char kFundValueButtonGroup[]; // "button_fund_value"

class MainFrameModule final : public BuiltInModule<Host::IMainFrameHost> {
public:
    explicit MainFrameModule(ShellApp* app);
    MainFrameModule(const MainFrameModule&) = delete;
    MainFrameModule& operator=(const MainFrameModule&) = delete;
    ~MainFrameModule() override;

    HWND createWindow(const wchar_t* title, bool quitOnDestroy);
    MainFrameWindow& window() { return *window_; }

    // "qev_tab_fundvalue" gives the tab control (an ITabCtrl); any other name nothing.
    XComPtr<IXUnknown> getControl(const XStringA& name) override;
    void activatePage(Host::ITabPage* page) override;
    void addToolButton(const XStringA& group, const XStringA& id, const Host::ToolButtonDesc& desc) override;
    // What "mod_StatusBar" shows: the status bar's latest message.
    void setStatusText(const XStringW& text) override;

private:
    std::unique_ptr<MainFrameWindow> window_;
};

} // namespace HostShell
