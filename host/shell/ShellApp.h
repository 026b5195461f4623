// The application object handed to every module: the registry of modules by name, the
// configuration stores, the themes, the client's texts, and the handlers that see each
// message of the user-interface thread's loop before it is dispatched.
#pragma once
#include "ShellPaths.h"
#include "common/RefCounted.h"
#include "hostapi/ThemeHost.h"
#include "host/App.h"
#include <map>
#include <utility>
#include <vector>

namespace HostShell {

// User configuration keys of the shell itself.
extern const char kThemeKey[];    // name of the chosen theme
extern const char kFontSizeKey[]; // zoom factor, read by pages
// System configuration: the module libraries to load, separated by ';'.
extern const char kModulesKey[];

class ShellApp final : public Common::RefCounted<Host::IApp> {
public:
    // Opens (creating with defaults where missing) the configuration stores of paths.dataDir
    // and the themes of paths.themeDir(). Never fails: a missing piece stays empty.
    static XComPtr<ShellApp> open(const ShellPaths& paths);

    // In contract-only mode, only a module the client has (see isClientModuleName).
    XComPtr<Host::IModule> getModule(const XStringA& name) override;
    XComPtr<Host::IThemeMgr> getThemeMgr() override { return XComPtr<Host::IThemeMgr>(themes_.get()); }
    XStringW getAppText(const XStringA& key) override;
    XComPtr<Host::IConfManager> getSystemConf() override { return systemConf_; }
    XComPtr<Host::IConfManager> getUserConf() override { return userConf_; }
    // Lower numbers see a message first; equal numbers in the order they registered.
    // A handler registered twice is kept once, at its first place.
    void registerPreMessageHandler(int order, Host::IPreMessageHandler* handler) override;

    // False (nothing changes) for an empty name, a null module or a name already taken.
    bool registerModule(const XStringA& name, Host::IModule* module);
    // The registered module of that name, whatever the mode: for the host's own calls.
    XComPtr<Host::IModule> findModule(const XStringA& name) const;
    // The themes with the host's operations (choosing one, listing them).
    XComPtr<Host::IThemeMgrHost> themeMgr() const { return themes_; }
    // Registered modules in registration order.
    std::vector<std::pair<XStringA, XComPtr<Host::IModule>>> modules() const { return modules_; }
    void setAppText(const XStringA& key, const XStringW& text) { texts_[key] = text; }

    // Offers msg to every handler in order; true as soon as one consumes it.
    bool preTranslateMessage(MSG* msg);
    // The loop of the user-interface thread until WM_QUIT; returns its exit code.
    int runMessageLoop();
    // Forgets every module and handler (after the modules were uninitialised).
    void clear();

    const ShellPaths& paths() const { return paths_; }

private:
    explicit ShellApp(const ShellPaths& paths) : paths_(paths) {}
    void openConfiguration();

    struct Handler {
        int order;
        XComPtr<Host::IPreMessageHandler> handler;
    };

    ShellPaths paths_;
    std::vector<std::pair<XStringA, XComPtr<Host::IModule>>> modules_;
    std::vector<Handler> handlers_; // sorted by order, stable
    std::map<std::string, XStringW> texts_;
    XComPtr<Host::IThemeMgrHost> themes_;
    XComPtr<Host::IConfManager> systemConf_;
    XComPtr<Host::IConfManager> userConf_;
};

} // namespace HostShell
