// A module library for the loader's tests. What initialize does is chosen by the user
// configuration key "/Client2/UserConfig/TestModule/Mode": "fail" returns 1 with an error
// text, "throw" throws, anything else succeeds. initialize and uninitialize leave their
// mark in "/Client2/UserConfig/TestModule/State", so the test sees the calls happen (a
// second uninitialize of one initialisation shows as "uninitialized twice").
#include "host/App.h"
#include "host/Kernel.h"
#include <stdexcept>

namespace {

void setState(Host::IApp* app, const wchar_t* state)
{
    auto conf = app ? app->getUserConf() : XComPtr<Host::IConfManager>();
    auto key = conf ? conf->createKey("/Client2/UserConfig/TestModule/State") : XComPtr<Host::IConfKey>();
    auto value = Host::createInstanceAs<Host::IConfValue>("Conf.ConfValue");
    if (!key || !value) return;
    value->setString(state);
    key->setValue(value.get());
}

class TestModule final : public Host::IModule {
public:
    int addRef() override { return 1; }
    int release() override { return 1; }
    bool getInfo(Host::ModuleInfo& info) override
    {
        info.name = "mod_ShellTest";
        info.caption = L"测试模块";
        return true;
    }
    int hostQuery(int, int) override { return 0; }
    int initialize(Host::IApp* app, XStringW& error) override
    {
        app_ = app;
        auto conf = app->getUserConf();
        auto key = conf ? conf->getKey("/Client2/UserConfig/TestModule/Mode") : XComPtr<Host::IConfKey>();
        XStringW mode = key && key->getValue() ? key->getValue()->getString() : XStringW();
        if (mode == L"throw") throw std::runtime_error("initialize threw");
        if (mode == L"fail") {
            error = L"没有找到主框架。";
            return 1;
        }
        uninitialized_ = 0;
        setState(app, app->getModule("mod_MainFrame") ? L"initialized with frame" : L"initialized");
        return 0;
    }
    // A host that uninitialises a module twice leaves a mark the tests can see.
    void uninitialize() override { setState(app_, ++uninitialized_ == 1 ? L"uninitialized" : L"uninitialized twice"); }

private:
    Host::IApp* app_ = nullptr;
    int uninitialized_ = 0;
};

} // namespace

extern "C" __declspec(dllexport) Host::IModule* ModuleInstance()
{
    static TestModule module;
    return &module;
}
