// A sibling module as a test host hands one out: it lives as long as the test, counts no
// references and does nothing of its own beyond the interface the test gives it.
#pragma once
#include "ext/StatusBar.h"
#include "host/App.h"
#include "host/Modules.h"
#include "hostapi/KernelHost.h"
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace TestSupport {

template <class Interface>
class TestModule : public Interface {
public:
    int addRef() override { return 1; }
    int release() override { return 1; }
    bool getInfo(Host::ModuleInfo&) override { return true; }
    int hostQuery(int, int) override { return 0; }
    int initialize(Host::IApp*, XStringW&) override { return 0; }
    void uninitialize() override {}
};

// The host application a test hands to the code under test: it gives out the real stores
// and themes and the sibling modules the test registers, and records the message handlers.
// In contract-only mode it answers, as the client would, only for the client's modules.
class TestApp : public Host::IApp {
public:
    std::map<std::string, Host::IModule*> modules;
    std::map<std::string, std::wstring> texts;
    XComPtr<Host::IThemeMgrHost> themes;
    XComPtr<Host::IConfManager> userConf, systemConf;
    std::vector<std::pair<int, Host::IPreMessageHandler*>> handlers;

    int addRef() override { return 1; }
    int release() override { return 1; }
    XComPtr<Host::IModule> getModule(const XStringA& name) override
    {
        auto it = modules.find(name);
        if (it == modules.end() || (Host::contractOnly() && !Host::isClientModuleName(name))) return {};
        return XComPtr<Host::IModule>(it->second);
    }
    XComPtr<Host::IThemeMgr> getThemeMgr() override { return themes; }
    XStringW getAppText(const XStringA& key) override
    {
        auto it = texts.find(key);
        return it == texts.end() ? XStringW() : XStringW(it->second);
    }
    XComPtr<Host::IConfManager> getSystemConf() override { return systemConf; }
    XComPtr<Host::IConfManager> getUserConf() override { return userConf; }
    void registerPreMessageHandler(int order, Host::IPreMessageHandler* h) override { handlers.push_back({order, h}); }
};

// The host's status bar ("mod_StatusBar"), keeping what is written into it. The client has
// none: in contract-only mode the app does not hand it out.
class StatusBar : public TestModule<Host::IStatusBarModule> {
public:
    std::vector<std::wstring> texts;
    void setStatusText(const XStringW& text) override { texts.push_back(text); }
};

} // namespace TestSupport
