#include "MenuToolModule.h"
#include "ConfText.h"
#include "hostapi/KernelHost.h"
#include <cwctype>

namespace HostShell {

const char kProfileHotKeyKey[] = "/Client2/UserConfig/HotKey/Profile";
const char kRefreshHotKeyKey[] = "/Client2/UserConfig/HotKey/Refresh";

namespace {

bool takePrefix(XStringW& rest, const wchar_t* prefix)
{
    size_t n = wcslen(prefix);
    if (rest.size() < n || XStringW(rest.substr(0, n)).toLower() != prefix) return false;
    rest.erase(0, n);
    return true;
}

XStringW trimmed(const XStringW& text)
{
    size_t begin = text.find_first_not_of(L" \t");
    size_t end = text.find_last_not_of(L" \t");
    return begin == XStringW::npos ? XStringW() : XStringW(text.substr(begin, end - begin + 1));
}

} // namespace

bool parseHotKey(const XStringW& text, Host::HotKey& key)
{
    Host::HotKey parsed;
    XStringW rest = trimmed(text);
    for (bool more = true; more;) {
        more = false;
        if (takePrefix(rest, L"ctrl+")) {
            parsed.control = 1;
            more = true;
        } else if (takePrefix(rest, L"shift+")) {
            parsed.shift = 1;
            more = true;
        } else if (takePrefix(rest, L"alt+")) {
            parsed.alt = 1;
            more = true;
        }
    }
    if (rest.size() == 1 && std::iswalnum(rest[0]) && rest[0] < 128) {
        parsed.key = UINT(std::towupper(rest[0]));
    } else if (rest.size() >= 2 && rest.size() <= 3 && (rest[0] == L'F' || rest[0] == L'f')) {
        for (size_t i = 1; i < rest.size(); ++i) {
            if (!std::iswdigit(rest[i])) return false;
        }
        int number = _wtoi(rest.c_str() + 1);
        if (number < 1 || number > 24 || rest[1] == L'0') return false;
        parsed.key = UINT(VK_F1 + number - 1);
    } else {
        return false;
    }
    key = parsed;
    return true;
}

MenuToolModule::MenuToolModule(XComPtr<Host::IConfManager> userConf)
    : BuiltInModule("mod_MenuTool", L"菜单与快捷键"), userConf_(std::move(userConf))
{
    reload();
}

void MenuToolModule::reload()
{
    profile_ = read(kProfileHotKeyKey, VK_F10);
    refresh_ = read(kRefreshHotKeyKey, VK_F5);
}

// A missing key is written with its default, so the user finds where to change it.
Host::HotKey MenuToolModule::read(const char* confKey, UINT defaultKey)
{
    Host::HotKey key;
    key.key = defaultKey;
    const wchar_t* name = defaultKey == VK_F10 ? L"F10" : L"F5";
    XStringW text = readConfText(userConf_.get(), confKey, XStringW());
    if (text.empty()) {
        writeConfText(userConf_.get(), confKey, name);
        return key;
    }
    if (!parseHotKey(text, key))
        Host::logWarning((L"hot key \"" + text + L"\" names no key; " + name + L" is used").c_str());
    return key;
}

} // namespace HostShell
