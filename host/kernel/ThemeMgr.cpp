// The theme manager: every "*.theme" file of the theme folder, in file-name order, one of
// them current. Switching fires "event_theme_changed" with the new theme on the calling thread.
#include "ContractMode.h"
#include "Theme.h"
#include "common/ScopedWin.h"
#include <algorithm>
#include <vector>

namespace {

int indexOfTheme(const std::vector<XComPtr<Host::IThemeHost>>& themes, const std::string& name)
{
    for (size_t i = 0; i < themes.size(); ++i) {
        if (themes[i]->getName() == name) return int(i);
    }
    return -1;
}

class ThemeMgr final : public Common::RefCounted<Host::IThemeMgrHost> {
public:
    ThemeMgr(std::vector<XComPtr<Host::IThemeHost>> themes, int current) : themes_(std::move(themes)), current_(current)
    {}

    XComPtr<Host::ITheme> getCurrentTheme() override
    {
        Kernel::contractCall("IThemeMgr::getCurrentTheme");
        Common::CriticalSection::Lock lock(lock_);
        if (current_ < 0) return {};
        return XComPtr<Host::ITheme>(themes_[size_t(current_)].get());
    }

    int getThemeCount() override { return int(themes_.size()); }

    XComPtr<Host::IThemeHost> getTheme(int index) override
    {
        if (index < 0 || size_t(index) >= themes_.size()) return {};
        return themes_[size_t(index)];
    }

    // An unknown name changes nothing and fires nothing. The current theme named again
    // fires again, so a caller can make every listener re-apply it.
    bool setCurrentTheme(const XStringA& name) override
    {
        int index = indexOf(name);
        if (index < 0) return false;
        XComPtr<Host::IThemeHost> theme = themes_[size_t(index)];
        {
            Common::CriticalSection::Lock lock(lock_);
            current_ = index;
        }
        // Fired outside the lock: listeners call getCurrentTheme.
        XComPtr<Host::IHostEvent> event = Host::createHostEvent("event_theme_changed");
        if (event) event->fire(static_cast<Host::ITheme*>(theme.get()));
        return true;
    }

private:
    int indexOf(const std::string& name) const { return indexOfTheme(themes_, name); }

    const std::vector<XComPtr<Host::IThemeHost>> themes_; // fixed at opening
    int current_;
    Common::CriticalSection lock_;
};

std::vector<std::wstring> themeFiles(const std::wstring& dir)
{
    std::vector<std::wstring> names;
    if (dir.empty()) return names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*.theme").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = found.cFileName;
        bool themeFile = name.size() > 6 && name.compare(name.size() - 6, 6, L".theme") == 0;
        if (themeFile && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

namespace Host {

XComPtr<IThemeMgrHost> openThemeMgr(const wchar_t* themeDir, const char* currentTheme)
{
    std::wstring dir = themeDir ? themeDir : L"";
    std::vector<XComPtr<IThemeHost>> themes;
    for (const std::wstring& file : themeFiles(dir)) {
        Kernel::ThemeData data;
        std::wstring error;
        std::vector<std::wstring> warnings;
        bool read = Kernel::loadThemeFile(dir + L"\\" + file, dir, data, warnings, error);
        for (const std::wstring& warning : warnings)
            logWarning((L"theme " + dir + L"\\" + file + L", " + warning).c_str());
        if (!read) {
            logWarning((L"theme " + dir + L"\\" + file + L" skipped: " + error).c_str());
            continue;
        }
        Kernel::addBuiltInDefaults(data);
        std::string name = Common::toUtf8(file.substr(0, file.size() - 6));
        themes.push_back(XComPtr<IThemeHost>::adopt(new Kernel::Theme(name, std::move(data))));
    }
    if (themes.empty()) logWarning((L"no usable theme in " + dir).c_str());
    // The named theme, else the first; -1 (no current theme) only when there is none.
    int current = indexOfTheme(themes, currentTheme ? currentTheme : "");
    if (current < 0 && !themes.empty()) current = 0;
    return XComPtr<IThemeMgrHost>::adopt(new ThemeMgr(std::move(themes), current));
}

} // namespace Host
