#include "SoakPerson.h"
#include "common/ScopedWin.h"
#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace Journey;

namespace Soak {

namespace {

const DWORD kStepMs = 5000;
const DWORD kMenuMs = 3000;
const wchar_t kCompanyCaption[] = L"基金公司";
const wchar_t kMoreCaption[] = L"更多筛选";
const char kThemeKey[] = "/Client2/UserConfig/Theme";
const char kFontSizeKey[] = "/Client2/UserConfig/FontSize";

void postKey(HWND hwnd, WPARAM vk)
{
    PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageW(hwnd, WM_KEYUP, vk, LPARAM(0xC0000001));
}

// The whole file, read without keeping the client from replacing it (user.conf is renamed
// in place on every change).
std::string readShared(const std::wstring& path)
{
    Common::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (file.valid() && ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
    return bytes;
}

// The save dialog's file-name box, as the common dialog lays it out.
HWND fileNameBox(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, 0x47C), edit = GetDlgItem(dialog, 0x480);
    if (!combo) return edit;
    HWND inner = FindWindowExW(combo, nullptr, L"Edit", nullptr);
    return inner ? inner : combo;
}

// The number of funds in "已导出 N 只基金到 PATH"; -1 when the text is another.
int exportedRows(const std::wstring& status, const std::wstring& path)
{
    const std::wstring said = L"已导出 ";
    size_t at = status.find(said);
    if (at == std::wstring::npos || status.find(path) == std::wstring::npos) return -1;
    return _wtoi(status.c_str() + at + said.size());
}

} // namespace

Person::Person(const ClientScreen& screen, std::wstring dataDir, std::mt19937& random)
    : screen_(screen), dataDir_(std::move(dataDir)), random_(random)
{
    companyButton_ = screen_.filterButton(kCompanyCaption);
    CreateDirectoryW((dataDir_ + L"\\exports").c_str(), nullptr);
}

// Weights as a busy person spends the day: mostly reloads, sorting and filtering, now and
// then a theme, a font size, an export or a new window size. A condition is added only
// while fewer than three can be removed, and removed only when there is one.
bool Person::act(std::string& name)
{
    struct Action {
        const char* name;
        int weight;
        bool (Person::*run)();
        bool (Person::*when)() const;
    };
    static const Action kActions[] = {
        {"refresh", 6, &Person::refresh, nullptr},
        {"sort", 6, &Person::sortByCaption, nullptr},
        {"company", 3, &Person::chooseCompany, nullptr},
        {"all-companies", 2, &Person::showAllCompanies, nullptr},
        {"keyword", 2, &Person::addKeyword, &Person::roomForCondition},
        {"value-condition", 2, &Person::addValueCondition, &Person::roomForCondition},
        {"numeric-condition", 1, &Person::addNumericCondition, &Person::roomForCondition},
        {"remove-condition", 3, &Person::removeCondition, &Person::anyRemovable},
        {"clear-conditions", 1, &Person::clearConditions, &Person::anyCondition},
        {"theme", 2, &Person::switchTheme, nullptr},
        {"font-size", 2, &Person::switchFontSize, nullptr},
        {"export", 2, &Person::exportList, &Person::anyRow},
        {"resize", 2, &Person::resize, nullptr},
    };
    std::vector<const Action*> open;
    int total = 0;
    for (const Action& a : kActions) {
        if (a.when && !(this->*a.when)()) continue;
        open.push_back(&a);
        total += a.weight;
    }
    int roll = random(total);
    const Action* chosen = open.front();
    for (const Action* a : open) {
        if (roll < a->weight) {
            chosen = a;
            break;
        }
        roll -= a->weight;
    }
    name = chosen->name;
    bool shown = (this->*chosen->run)();
    // What a failed step left open (a menu, a dialog) would block the next one.
    dismissPopups(screen_.pid());
    auto& counts = tally_[name];
    ++counts.first;
    if (shown) ++counts.second;
    return shown;
}

// Every theme with every font size, and every other action once: what the client makes on
// first use (fonts of a size, a theme's brushes and images, the save dialog) is then made
// before the first rest, and only what keeps growing shows as growth.
void Person::tour()
{
    for (int theme = 1; theme <= 2; ++theme) {
        chooseFromViewMenu(L't', theme);
        for (int size = 1; size <= 4; ++size) chooseFromViewMenu(L'f', size);
    }
    bool (Person::*const kSteps[])() = {&Person::refresh,
                                        &Person::sortByCaption,
                                        &Person::chooseCompany,
                                        &Person::showAllCompanies,
                                        &Person::addKeyword,
                                        &Person::addValueCondition,
                                        &Person::addNumericCondition,
                                        &Person::removeCondition,
                                        &Person::clearConditions,
                                        &Person::exportList,
                                        &Person::resize};
    for (auto step : kSteps) {
        (this->*step)();
        dismissPopups(screen_.pid());
    }
}

std::string Person::tally() const
{
    std::string text;
    for (const auto& entry : tally_) {
        char line[96];
        std::snprintf(line, sizeof line, "%s%s %d/%d", text.empty() ? "" : ", ", entry.first.c_str(),
                      entry.second.first, entry.second.second);
        text += line;
    }
    return text;
}

bool Person::refresh()
{
    HWND grid = screen_.grid();
    if (!grid) return false;
    pressKey(grid, VK_F5);
    // The rows may all be filtered out: the grid then paints its header and a message.
    return waitUntil(kStepMs, [&] { return !screen_.gridText().header.empty(); });
}

// A click on one of the leading captions; the painted rows change order (a second click on
// the same caption reverses them).
bool Person::sortByCaption()
{
    HWND grid = screen_.grid();
    if (!grid) return false;
    GridText before = screen_.gridText();
    if (before.header.empty()) return false;
    int x = screen_.captionX(random(int(std::min<size_t>(before.header.size(), 6))));
    if (x < 0) x = screen_.captionX(0);
    if (x < 0) return false;
    POINT at = {x, clientScreenRect(grid).top + 12};
    ScreenToClient(grid, &at);
    click(grid, at.x, at.y);
    // Fewer than two rows have no order to show, and rows equal in the column keep theirs:
    // the click is made all the same.
    return before.rows.size() < 2 || waitUntil(2000, [&] { return screen_.gridText().rows != before.rows; });
}

// The company condition's menu: "显示所有", a separator, then the companies.
bool Person::chooseCompany()
{
    if (!IsWindow(companyButton_)) return false;
    std::wstring before = textOf(companyButton_);
    clickCentre(companyButton_);
    if (!chooseFromMenu(screen_.pid(), 2 + random(6), 0, kMenuMs)) return false;
    return waitUntil(kStepMs, [&] { return textOf(companyButton_) != before; });
}

// "显示所有" is the menu's first item.
bool Person::showAllCompanies()
{
    if (!IsWindow(companyButton_)) return false;
    clickCentre(companyButton_);
    if (!chooseByMnemonic(L'a')) return false;
    return waitUntil(kStepMs, [&] { return textOf(companyButton_) == kCompanyCaption; });
}

// "更多筛选" → "关键字筛选" → the keyword dialog: a code from the painted rows or one digit.
bool Person::addKeyword()
{
    HWND more = screen_.filterButton(kMoreCaption);
    if (!more) return false;
    std::vector<std::wstring> codes = screen_.gridText().columnCells(L"代码");
    std::wstring keyword =
        !codes.empty() && random(2) ? codes[size_t(random(int(codes.size())))] : std::to_wstring(random(10));
    clickCentre(more);
    if (!chooseByMnemonic(L'c')) return false;
    if (!answerDialog({keyword})) return false;
    return waitUntil(kStepMs, [&] { return screen_.filterButton(keyword) != nullptr; });
}

// "更多筛选" → a column's submenu → one of its values. The columns' submenus end the menu,
// after its commands and a separator.
bool Person::addValueCondition()
{
    HWND more = screen_.filterButton(kMoreCaption);
    if (!more) return false;
    std::wstring before = screen_.countText();
    size_t buttons = removableButtons(false).size();
    clickCentre(more);
    HWND menu = openMenu();
    if (!menu) return false;
    std::vector<WPARAM> keys = {VK_END};
    for (int up = random(2); up > 0; --up) keys.push_back(VK_UP);
    keys.push_back(VK_RIGHT);
    for (int down = random(3); down > 0; --down) keys.push_back(VK_DOWN);
    keys.push_back(VK_RETURN);
    if (!pressMenuKeys(menu, keys)) return false;
    return waitUntil(kStepMs,
                     [&] { return removableButtons(false).size() != buttons || screen_.countText() != before; });
}

// "更多筛选" → "数值条件" → a column → its dialog ("不低于", "不高于"), one bound or both.
bool Person::addNumericCondition()
{
    static const wchar_t* const kBounds[] = {L"", L"0", L"1", L"-10", L"1.05", L"50"};
    HWND more = screen_.filterButton(kMoreCaption);
    if (!more) return false;
    std::wstring before = screen_.countText();
    size_t buttons = removableButtons(false).size();
    clickCentre(more);
    HWND menu = openMenu();
    if (!menu) return false;
    PostMessageW(menu, WM_CHAR, L'n', 1);
    Sleep(30);
    std::vector<WPARAM> keys;
    for (int down = random(3); down > 0; --down) keys.push_back(VK_DOWN);
    keys.push_back(VK_RETURN);
    if (!pressMenuKeys(menu, keys)) return false;
    std::wstring low = kBounds[random(6)], high = low.empty() ? L"100" : kBounds[random(6)];
    if (!answerDialog({low, high})) return false;
    return waitUntil(kStepMs,
                     [&] { return removableButtons(false).size() != buttons || screen_.countText() != before; });
}

// A value condition's menu starts with "移除条件"; a keyword or numeric condition opens its
// dialog instead, which removes the condition when left empty.
bool Person::removeCondition()
{
    std::vector<HWND> buttons = removableButtons();
    if (buttons.empty()) return false;
    size_t all = removableButtons(false).size();
    clickCentre(buttons[size_t(random(int(buttons.size())))]);
    HWND opened = nullptr;
    waitUntil(kMenuMs, [&] {
        return (opened = findTopLevel(screen_.pid(), L"#32768")) || (opened = findTopLevel(screen_.pid(), L"#32770"));
    });
    if (!opened) return false;
    bool chosen = classOf(opened) == L"#32768" ? chooseByMnemonic(L'd') : answerDialog({L"", L""});
    return chosen && waitUntil(kStepMs, [&] { return removableButtons(false).size() < all; });
}

// "更多筛选" → "清除所有条件".
bool Person::clearConditions()
{
    HWND more = screen_.filterButton(kMoreCaption);
    if (!more) return false;
    clickCentre(more);
    if (!chooseByMnemonic(L'd')) return false;
    return waitUntil(kStepMs, [&] { return !anyCondition(); });
}

HWND Person::openMenu() const
{
    HWND menu = nullptr;
    if (!waitUntil(kMenuMs, [&] { return (menu = findTopLevel(screen_.pid(), L"#32768")) != nullptr; })) return nullptr;
    // A menu selects the item under the mouse: the mouse goes out of the way first.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    Sleep(30);
    return menu;
}

bool Person::pressMenuKeys(HWND menu, const std::vector<WPARAM>& keys) const
{
    for (WPARAM key : keys) postKey(menu, key);
    return waitUntil(kMenuMs, [&] { return findTopLevel(screen_.pid(), L"#32768") == nullptr; });
}

// Items are found by their underlined letter, wherever the menu puts them.
bool Person::chooseByMnemonic(wchar_t key) const
{
    HWND menu = openMenu();
    if (!menu) return false;
    PostMessageW(menu, WM_CHAR, WPARAM(key), 1);
    return waitUntil(kMenuMs, [&] { return findTopLevel(screen_.pid(), L"#32768") == nullptr; });
}

// The filter bar's dialogs: texts are typed into its edits in order, then "确定".
bool Person::answerDialog(const std::vector<std::wstring>& texts) const
{
    HWND dialog = nullptr;
    if (!waitUntil(kStepMs, [&] { return (dialog = findTopLevel(screen_.pid(), L"#32770")) != nullptr; })) return false;
    std::vector<HWND> edits;
    waitUntil(kStepMs, [&] { return !(edits = descendants(dialog, L"Edit")).empty(); });
    for (size_t i = 0; i < edits.size() && i < texts.size(); ++i) {
        setText(edits[i], L""); // an edited condition's dialog opens with its words
        typeText(edits[i], texts[i]);
        if (!waitUntil(kStepMs, [&] { return textOf(edits[i]) == texts[i]; })) return false;
    }
    HWND ok = GetDlgItem(dialog, IDOK);
    if (!ok) ok = findDescendant(dialog, L"Button", L"确定");
    if (!ok) return false;
    clickCentre(ok);
    return waitUntil(kStepMs, [&] { return !IsWindow(dialog); });
}

std::vector<HWND> Person::removableButtons(bool visibleOnly) const
{
    std::vector<HWND> found;
    for (HWND button : screen_.filterButtons()) {
        if (button == companyButton_ || (visibleOnly && !IsWindowVisible(button))) continue;
        std::wstring caption = textOf(button);
        if (caption.empty() || caption == kMoreCaption || caption[0] == L'+') continue;
        found.push_back(button);
    }
    return found;
}

bool Person::roomForCondition() const { return removableButtons(false).size() < 3; }
bool Person::anyRow() const { return !screen_.gridText().rows.empty(); }
bool Person::anyRemovable() const { return !removableButtons().empty(); }

bool Person::anyCondition() const
{
    return !removableButtons(false).empty() || (IsWindow(companyButton_) && textOf(companyButton_) != kCompanyCaption);
}

// The main menu is opened with Alt and its mnemonic, as the keyboard does it; a submenu
// opened by its mnemonic starts on its first item.
bool Person::chooseFromViewMenu(wchar_t submenu, int item)
{
    HWND frame = screen_.frame();
    PostMessageW(frame, WM_SYSKEYDOWN, 'V', LPARAM(0x20000001));
    PostMessageW(frame, WM_SYSKEYUP, 'V', LPARAM(0xE0000001));
    HWND menu = openMenu();
    if (!menu) return false;
    PostMessageW(menu, WM_CHAR, WPARAM(submenu), 1);
    Sleep(30);
    std::vector<WPARAM> keys(size_t(item - 1), VK_DOWN);
    keys.push_back(VK_RETURN);
    return pressMenuKeys(menu, keys);
}

// The themes are listed in the order the client found them: the other item than the one
// chosen last is another theme (the first choice may find the current one: then the second).
bool Person::switchTheme()
{
    std::string before = userConf(kThemeKey);
    for (int attempt = 0; attempt < 2; ++attempt) {
        themeItem_ = themeItem_ % 2 + 1;
        if (!chooseFromViewMenu(L't', themeItem_)) return false;
        if (waitUntil(1000, [&] { return userConf(kThemeKey) != before; })) return true;
    }
    return false;
}

// 小, 标准, 大, 特大: one of the three sizes not in use.
bool Person::switchFontSize()
{
    static const double kZooms[] = {0.9, 1.0, 1.2, 1.5};
    std::string before = userConf(kFontSizeKey);
    double zoom = before.empty() ? 1.0 : atof(before.c_str());
    int current = 1;
    for (int i = 0; i < 4; ++i)
        if (std::fabs(kZooms[i] - zoom) < 1e-6) current = i;
    int item = 1 + (current + 1 + random(3)) % 4;
    if (!chooseFromViewMenu(L'f', item)) return false;
    return waitUntil(1000, [&] { return userConf(kFontSizeKey) != before; });
}

// The grid's menu ("添加到基金池", "数据导出", ...) → the save dialog → a new file in the
// data folder's exports. The client's confirmation says how many funds it wrote.
bool Person::exportList()
{
    HWND grid = screen_.grid();
    if (!grid) return false;
    RECT area = {};
    GetClientRect(grid, &area);
    rightClick(grid, area.right / 3, area.bottom / 2);
    if (!chooseFromMenu(screen_.pid(), 2, 0, kMenuMs)) return false;
    HWND dialog = nullptr;
    if (!waitUntil(kStepMs, [&] { return (dialog = findTopLevel(screen_.pid(), L"#32770")) && fileNameBox(dialog); }))
        return false;
    wchar_t name[64];
    swprintf(name, 64, L"\\exports\\soak-export-%04d.csv", int(exports_.size()) + 1);
    ExportRecord record{dataDir_ + name, -1};
    HWND box = fileNameBox(dialog);
    setText(box, record.path);
    if (textOf(box) != record.path) return false;
    clickCentre(GetDlgItem(dialog, IDOK));
    if (!waitUntil(kStepMs, [&] { return !IsWindow(dialog); })) return false;
    waitUntil(kStepMs, [&] { return (record.rows = exportedRows(screen_.moduleStatusText(), record.path)) >= 0; });
    exports_.push_back(record);
    return record.rows >= 0;
}

bool Person::resize() { return screen_.resizeFrame(800 + random(481), 600 + random(401)); }

bool Person::rest(std::string& missed)
{
    dismissPopups(screen_.pid());
    missed.clear();
    if (anyCondition() && !clearConditions()) missed += " conditions";
    auto light = [&] {
        std::string theme = userConf(kThemeKey);
        return theme.empty() || theme == "light";
    };
    for (int item = 1; item <= 2 && !light(); ++item)
        if (chooseFromViewMenu(L't', item)) waitUntil(1000, light);
    if (!light()) missed += " theme";
    auto standard = [&] {
        std::string zoom = userConf(kFontSizeKey);
        return zoom.empty() || atof(zoom.c_str()) == 1.0;
    };
    if (!standard() && chooseFromViewMenu(L'f', 2)) waitUntil(1000, standard);
    if (!standard()) missed += " font-size";
    if (!screen_.resizeFrame(1280, 900)) missed += " size";
    dismissPopups(screen_.pid());
    return missed.empty();
}

std::string Person::userConf(const std::string& key) const
{
    std::string text = readShared(dataDir_ + L"\\user.conf");
    size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return {};
    at += key.size() + 2;
    return text.substr(at, text.find_first_of("\r\n", at) - at);
}

} // namespace Soak
