// The sibling modules a page module talks to, found by name through IApp::getModule: those
// the client has, with the operations of the client's interface in its slot order.
#pragma once
#include "host/App.h"
#include "host/Database.h"
#include "host/Kernel.h"
#include <cstdint>

namespace Host {

struct ITabCtrl;

// A page of a tab control; the tab control drives it.
struct ITabPage : IXUnknown {
    virtual HWND create(HWND parent, ITabCtrl* tabCtrl) = 0;
    virtual bool isCreated() = 0;
    virtual XComPtr<ITabCtrl> getTabCtrl() = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void redraw() = 0;
    virtual void move(int x, int y, int width, int height) = 0;
    virtual XStringW getTitle() = 0;
    virtual void applyViewFilters(IDataFilter* displayOut, IDataFilter* displayIn, IDataFilter* sortedOut,
                                  IDataFilter* sortedIn) = 0;
    virtual void rebuildDisplayView() = 0;
};

struct ITabCtrl : IXUnknown {
    // Creates the page's window inside the tab control and adds its tab.
    virtual bool addPage(ITabPage* page) = 0;
};

struct ToolButtonDesc {
    int kind = 0;
    int image = 0;
    XStringW caption;
    XStringW tip;
    int flags = 0;
    XComPtr<IEvent> event; // fired when the button is pressed
};

struct IMainFrameModule : IModule {
    // "qev_tab_fundvalue" gives the fund-value ITabCtrl.
    virtual XComPtr<IXUnknown> getControl(const XStringA& name) = 0;
    virtual void activatePage(ITabPage* page) = 0;
    virtual void addToolButton(const XStringA& group, const XStringA& id, const ToolButtonDesc& desc) = 0;
};

#pragma pack(push, 1)
struct HotKey {
    uint8_t control = 0;
    uint8_t shift = 0;
    uint8_t alt = 0;
    uint8_t reserved = 0;
    uint32_t key = 0; // virtual-key code
};
#pragma pack(pop)
static_assert(sizeof(HotKey) == 8, "HotKey is an 8-byte record");

struct IMenuToolModule : IModule {
    virtual void getProfileHotKey(HotKey& key) = 0;
    virtual void getRefreshHotKey(HotKey& key) = 0;
};

struct IDbModule : IModule {
    virtual XComPtr<IDatabase> getFundDatabase() = 0;
};

// Payload of the update events.
struct UpdateEventArgs {
    int32_t kind = 0;    // 46: closed-fund data
    int32_t status = 0;  // 1: finished
    uint8_t changed = 0; // nonzero: new data
};

enum { UPDATE_KIND_CLOSEDFUND = 46, UPDATE_STATUS_FINISHED = 1 };

struct IUpdateThread : IXUnknown {
    virtual void requestUpdate(int kind) = 0;
};

struct IUpdateDataModule : IModule {
    virtual XComPtr<IUpdateThread> getThread(const XStringA& name) = 0;
    virtual XComPtr<IUpdateThread> createThread(const XStringA& name, IApp* app) = 0;
};

struct IConcernFundModule : IModule {
    virtual bool isConcerned(const XStringW& code) = 0;
};

struct IFundsPoolModule : IModule {
    virtual void addFund(XStringW code) = 0;
};

} // namespace Host
