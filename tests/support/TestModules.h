// A sibling module as a test host hands one out: it lives as long as the test, counts no
// references and does nothing of its own beyond the interface the test gives it.
#pragma once
#include "host/App.h"
#include "host/Modules.h"
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
class TestApp : public Host::IApp {
public:
    std::map<std::string, Host::IModule*> modules;
    std::map<std::string, std::wstring> texts;
    XComPtr<Host::IThemeMgr> themes;
    XComPtr<Host::IConfManager> userConf, systemConf;
    std::vector<std::pair<int, Host::IPreMessageHandler*>> handlers;

    int addRef() override { return 1; }
    int release() override { return 1; }
    XComPtr<Host::IModule> getModule(const XStringA& name) override
    {
        auto it = modules.find(name);
        return it == modules.end() ? XComPtr<Host::IModule>() : XComPtr<Host::IModule>(it->second);
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

// A main frame that only keeps what is written into its status bar.
class StatusBarFrame : public TestModule<Host::IMainFrameModule> {
public:
    std::vector<std::wstring> texts;
    XComPtr<IXUnknown> getControl(const XStringA&) override { return {}; }
    void activatePage(Host::ITabPage*) override {}
    void addToolButton(const XStringA&, const XStringA&, const Host::ToolButtonDesc&) override {}
    void setStatusText(const XStringW& text) override { texts.push_back(text); }
};

} // namespace TestSupport
