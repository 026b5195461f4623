// Loads module libraries: LoadLibraryW, the export "ModuleInstance", getInfo, initialize
// with the application. A library that is missing, lacks the export, gives no module, has
// a name already taken or fails to initialise is reported by an error text and the client
// goes on without it. Libraries whose module was reached stay loaded to the end of the
// process: their objects may live in the host's windows and lists.
#pragma once
#include "ShellApp.h"
#include <vector>

namespace HostShell {

class ModuleLoader {
public:
    ModuleLoader() = default;
    ModuleLoader(const ModuleLoader&) = delete;
    ModuleLoader& operator=(const ModuleLoader&) = delete;
    ~ModuleLoader() = default;

    // path: absolute, or relative to the program folder. True when the module initialised
    // and is registered under its name; otherwise error says why, in the user's words.
    bool load(ShellApp* app, const std::wstring& path, XStringW& error);
    // Every library named (';'-separated) in the system configuration's module list;
    // the error texts of those that failed.
    std::vector<XStringW> loadConfigured(ShellApp* app);
    // uninitialize on every initialised module, the last loaded first.
    void uninitializeAll();
    size_t loadedCount() const { return modules_.size(); }
    // True for a module this loader initialised and has not uninitialised yet.
    bool holds(const Host::IModule* module) const;

private:
    struct Loaded {
        std::wstring path;
        XComPtr<Host::IModule> module;
    };
    std::vector<Loaded> modules_;
};

} // namespace HostShell
