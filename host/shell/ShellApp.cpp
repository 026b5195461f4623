#include "ShellApp.h"
#include "ConfText.h"
#include "Sampler.h"
#include "hostapi/KernelHost.h"
#include "hostapi/ShellHost.h"
#include <algorithm>

namespace HostShell {

const char kThemeKey[] = "/Client2/UserConfig/Theme";
const char kFontSizeKey[] = "/Client2/UserConfig/FontSize";
const char kModulesKey[] = "Client2/System/Modules";

namespace {

// The client's web site. "example" names no real site: a deployment puts its own host in
// the system configuration key below.
const wchar_t kDefaultProfileUrl[] = L"https://fund.client2.example/html/%s/";
const char kProfileUrlKey[] = "Client2/System/FundProfileUrl";

// Values a new system configuration starts with. The pin lists are empty texts: they pin
// nothing until someone writes "field=code,code" there.
const std::pair<const char*, const wchar_t*> kSystemDefaults[] = {
    {"Client2/System/Top_Default", L""},
    {"Client2/System/Top_Always", L""},
    {kModulesKey, L"mod_ClosedFund.dll"},
    {kProfileUrlKey, kDefaultProfileUrl},
};

// Modules may not write the system configuration, so its defaults are put in place through
// a writable store over the same file before the read-only one opens it.
void writeSystemDefaults(const std::wstring& path)
{
    auto writer = Host::openUserConf(path.c_str());
    if (!writer) return;
    for (const auto& entry : kSystemDefaults) {
        if (!writer->getKey(entry.first)) writeConfText(writer.get(), entry.first, entry.second);
    }
}

} // namespace

XComPtr<ShellApp> ShellApp::open(const ShellPaths& paths)
{
    XComPtr<ShellApp> app = XComPtr<ShellApp>::adopt(new ShellApp(paths));
    app->openConfiguration();
    return app;
}

void ShellApp::openConfiguration()
{
    if (!ensureFolder(paths_.dataDir)) Host::logWarning((L"cannot create the data folder " + paths_.dataDir).c_str());
    writeSystemDefaults(paths_.systemConf());
    systemConf_ = Host::openSystemConf(paths_.systemConf().c_str());
    userConf_ = Host::openUserConf(paths_.userConf().c_str());

    XStringA theme = toUtf8(readConfText(userConf_.get(), kThemeKey, L"light"));
    themes_ = Host::openThemeMgr(paths_.themeDir().c_str(), theme.c_str());
    // Modules look the event up at initialisation; it must exist before the first switch.
    Host::createEvent("event_theme_changed");

    texts_["fund_profile_url"] = readConfText(systemConf_.get(), kProfileUrlKey, kDefaultProfileUrl);
}

XComPtr<Host::IModule> ShellApp::getModule(const XStringA& name)
{
    if (Host::contractOnly() && !Host::isClientModuleName(name)) return {};
    return findModule(name);
}

XComPtr<Host::IModule> ShellApp::findModule(const XStringA& name) const
{
    for (const auto& entry : modules_) {
        if (entry.first == name) return entry.second;
    }
    return {};
}

XStringW ShellApp::getAppText(const XStringA& key)
{
    auto it = texts_.find(key);
    return it == texts_.end() ? XStringW() : it->second;
}

bool ShellApp::registerModule(const XStringA& name, Host::IModule* module)
{
    if (name.empty() || !module || findModule(name)) return false;
    modules_.emplace_back(name, XComPtr<Host::IModule>(module));
    return true;
}

void ShellApp::registerPreMessageHandler(int order, Host::IPreMessageHandler* handler)
{
    if (!handler) return;
    for (const Handler& h : handlers_) {
        if (h.handler.get() == handler) return;
    }
    auto place = std::upper_bound(handlers_.begin(), handlers_.end(), order,
                                  [](int o, const Handler& h) { return o < h.order; });
    handlers_.insert(place, Handler{order, XComPtr<Host::IPreMessageHandler>(handler)});
}

bool ShellApp::preTranslateMessage(MSG* msg)
{
    if (handlers_.empty()) return false;
    // A copy: a handler may register another one while the message is offered.
    std::vector<Handler> snapshot = handlers_;
    for (const Handler& h : snapshot) {
        if (h.handler->preTranslateMessage(msg)) return true;
    }
    return false;
}

int ShellApp::runMessageLoop()
{
    Sampler sampler(paths_.dataDir); // counts the client while it runs, when a soak asks for it
    MSG msg;
    for (;;) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return int(msg.wParam);
        if (got == -1) return 1;
        if (preTranslateMessage(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void ShellApp::clear()
{
    handlers_.clear();
    // Released last registered first, the reverse of how they came.
    while (!modules_.empty()) modules_.pop_back();
}

} // namespace HostShell
