// The host application object and the module contract.
#pragma once
#include "host/Conf.h"
#include "host/Theme.h"
#include <windows.h>

namespace Host {

struct ModuleInfo {
    XStringA name;
    XStringW caption;
    int version = 0;
    int flags = 0;
};

struct IApp;

struct IModule : IXUnknown {
    virtual bool getInfo(ModuleInfo& info) = 0;
    virtual int hostQuery(int what, int arg) = 0;
    // 0 on success, 1 on failure (with a text in error when there is one to say).
    virtual int initialize(IApp* app, XStringW& error) = 0;
    virtual void uninitialize() = 0;
};

// Sees every message of the host's loop before it is dispatched.
struct IPreMessageHandler : IXUnknown {
    virtual bool preTranslateMessage(MSG* msg) = 0; // true: consumed
};

struct IApp : IXUnknown {
    virtual XComPtr<IModule> getModule(const XStringA& name) = 0;
    virtual XComPtr<IThemeMgr> getThemeMgr() = 0;
    virtual XStringW getAppText(const XStringA& key) = 0;
    virtual XComPtr<IConfManager> getSystemConf() = 0;
    virtual XComPtr<IConfManager> getUserConf() = 0;
    virtual void registerPreMessageHandler(int order, IPreMessageHandler* handler) = 0;
};

// The exported entry of a module library.
typedef IModule* (*ModuleInstanceFn)();

} // namespace Host
