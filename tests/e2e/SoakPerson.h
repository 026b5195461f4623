// The busy person of a soak: one random action at a time on the client's windows with the
// input a person gives (keys, caption clicks, the filter bar's menus and keyword dialog,
// the main menu, the grid's menu and the save dialog, the window's size), driven as the
// journey test drives the client. Each action tells whether the client showed that it was
// done; one that did not is counted, not failed: a busy person's click can miss.
#pragma once
#include "ClientScreen.h"
#include <map>
#include <random>
#include <string>
#include <vector>

namespace Soak {

// An export the client confirmed (rows from its status text), or -1 rows when it did not.
struct ExportRecord {
    std::wstring path;
    int rows = -1;
};

class Person {
public:
    Person(const Journey::ClientScreen& screen, std::wstring dataDir, std::mt19937& random);

    // One action chosen at random. name is what was tried; false when the client did not show it.
    bool act(std::string& name);
    // Every theme with every font size, then every action once (before the first rest).
    void tour();
    // Brings the client to its resting state, in which counters are compared: no menu or
    // dialog, no filter condition, the light theme, the standard font size, 1280 x 900.
    // False with what could not be reached.
    bool rest(std::string& missed);

    const std::vector<ExportRecord>& exports() const { return exports_; }
    // "name tried/shown" for every action, in name order.
    std::string tally() const;

private:
    bool refresh();
    bool sortByCaption();
    bool chooseCompany();
    bool showAllCompanies();
    bool addKeyword();
    bool addValueCondition();
    bool addNumericCondition();
    bool removeCondition();
    bool clearConditions();
    bool switchTheme();
    bool switchFontSize();
    bool exportList();
    bool resize();

    // 查看 → the submenu with this mnemonic → its item-th item (1 for the first).
    bool chooseFromViewMenu(wchar_t submenu, int item);
    // The process's open popup menu (waited for), with the mouse moved off it; null when none opens.
    HWND openMenu() const;
    // Presses keys on the menu; true when it closed.
    bool pressMenuKeys(HWND menu, const std::vector<WPARAM>& keys) const;
    // Chooses the item of the open menu whose underlined letter is key.
    bool chooseByMnemonic(wchar_t key) const;
    // Fills the edits of the dialog that opens with texts, in order, and presses "确定";
    // true when it closed.
    bool answerDialog(const std::vector<std::wstring>& texts) const;
    // The filter bar's condition buttons a person can remove (neither the company's
    // standing one, nor "更多筛选", nor "+N"); with visibleOnly false also those behind "+N".
    std::vector<HWND> removableButtons(bool visibleOnly = true) const;
    bool roomForCondition() const;
    bool anyRow() const;
    bool anyRemovable() const;
    bool anyCondition() const;
    // A value of user.conf, "" when the key is not there.
    std::string userConf(const std::string& key) const;
    int random(int below) { return int(random_() % unsigned(below)); }

    Journey::ClientScreen screen_;
    std::wstring dataDir_;
    std::mt19937& random_;
    HWND companyButton_ = nullptr;
    int themeItem_ = 0; // the theme item chosen last
    std::vector<ExportRecord> exports_;
    std::map<std::string, std::pair<int, int>> tally_; // tried, shown
};

} // namespace Soak
