#include "MainFrameModule.h"
#include "hostapi/KernelHost.h"

namespace HostShell {

const char kFundValueTabName[] = "qev_tab_fundvalue";
const char kFundValueButtonGroup[] = "button_fund_value";

MainFrameModule::MainFrameModule(ShellApp* app)
    : BuiltInModule("mod_MainFrame", L"主框架"), window_(new MainFrameWindow(app))
{}

MainFrameModule::~MainFrameModule() = default;

HWND MainFrameModule::createWindow(const wchar_t* title, bool quitOnDestroy)
{
    return window_->createWindow(title, quitOnDestroy);
}

XComPtr<IXUnknown> MainFrameModule::getControl(const XStringA& name)
{
    FundTabCtrl* tab = window_->tabCtrl();
    if (name != kFundValueTabName || !tab) return {};
    return XComPtr<IXUnknown>(static_cast<Host::ITabCtrl*>(tab));
}

void MainFrameModule::activatePage(Host::ITabPage* page)
{
    if (FundTabCtrl* tab = window_->tabCtrl()) tab->activatePage(page);
}

void MainFrameModule::addToolButton(const XStringA& group, const XStringA& id, const Host::ToolButtonDesc& desc)
{
    if (!window_->toolBar().addButton(group, id, desc))
        Host::logWarning((L"tool-bar button not added: " + fromUtf8(id)).c_str());
}

void MainFrameModule::setStatusText(const XStringW& text) { window_->setStatusText(text); }

} // namespace HostShell
