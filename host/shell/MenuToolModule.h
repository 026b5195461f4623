// "mod_MenuTool": the client's hot keys. The profile page key (F10) and the refresh key
// (F5) can be changed in the user configuration with texts such as "F10", "Ctrl+P" or
// "Ctrl+Shift+F5"; a text that names no key keeps the default, with a logged warning.
#pragma once
#include "BuiltInModule.h"

namespace HostShell {

extern const char kProfileHotKeyKey[]; // "/Client2/UserConfig/HotKey/Profile"
extern const char kRefreshHotKeyKey[]; // "/Client2/UserConfig/HotKey/Refresh"

// Reads "Ctrl+", "Shift+", "Alt+" (any order, any case) and one key: F1..F24, a letter or
// a digit. False, key untouched, for anything else.
bool parseHotKey(const XStringW& text, Host::HotKey& key);

class MenuToolModule final : public BuiltInModule<Host::IMenuToolModule> {
public:
    explicit MenuToolModule(XComPtr<Host::IConfManager> userConf);

    void getProfileHotKey(Host::HotKey& key) override { key = profile_; }
    void getRefreshHotKey(Host::HotKey& key) override { key = refresh_; }
    // Reads both keys from the user configuration again.
    void reload();

private:
    Host::HotKey read(const char* confKey, UINT defaultKey);

    XComPtr<Host::IConfManager> userConf_;
    Host::HotKey profile_;
    Host::HotKey refresh_;
};

} // namespace HostShell
