// The module object: what the host talks to. One per process, never counted or destroyed
// before the process ends; it holds the page, which holds the grid.
#pragma once
#include "base/EventCell.h"
#include "host/ClosedFundModule.h"
#include "page/ClosedFundPage.h"

namespace ClosedFund {

class ClosedFundModuleImpl : public Host::IClosedFundModule, public Host::IPreMessageHandler {
public:
    ClosedFundModuleImpl() = default;
    ~ClosedFundModuleImpl();
    ClosedFundModuleImpl(const ClosedFundModuleImpl&) = delete;
    ClosedFundModuleImpl& operator=(const ClosedFundModuleImpl&) = delete;

    int addRef() override { return 1; }
    int release() override { return 1; }
    bool getInfo(Host::ModuleInfo& info) override;
    int hostQuery(int what, int arg) override { return 0; }
    int initialize(Host::IApp* app, XStringW& error) override;
    void uninitialize() override;
    XComPtr<Host::IDataTable> getDataTable() override;
    bool locateFund(const XStringW& code) override;
    void refresh() override;

    bool preTranslateMessage(MSG* msg) override;

    ClosedFundPage& page() { return page_; }

private:
    typedef EventCell<ClosedFundModuleImpl*> ModuleCell;
    // Both on the user-interface thread, where the host fires these events.
    static void onThemeChanged(void* theme, ClosedFundModuleImpl* self);
    static void onClosedFundCmd(void* argument, ClosedFundModuleImpl* self);

    ClosedFundPage page_;
    ModuleCell* themeCell_ = nullptr;
    ModuleCell* commandCell_ = nullptr;
    XComPtr<Host::IMainFrameModule> mainFrame_;
    XComPtr<Host::IMenuToolModule> menuTool_;
    XComPtr<Host::IApp> app_;
};

// The one module object of the process, built on first use.
ClosedFundModuleImpl& moduleObject();

} // namespace ClosedFund
