// The filter bar's saved screens: "保存当前筛选…" and "我的筛选" in the "更多筛选" menu.
#include "filter/FilterWnd.h"
#include "filter/KeywordInputDialog.h"
#include "filter/SearchFilterImpl.h"

namespace ClosedFund {

namespace {

const wchar_t kSaveItem[] = L"保存当前筛选…(&S)";
const wchar_t kScreensItem[] = L"我的筛选(&M)";
const wchar_t kDeleteItem[] = L"删除(&D)";
const wchar_t kCaption[] = L"我的筛选";

XStringW itemText(const XStringW& name)
{
    XStringW text;
    for (wchar_t c : name) {
        text += c;
        if (c == L'&') text += L'&';
    }
    return text;
}

} // namespace

const FilterColumn* FilterWnd::FindFilterColumn(const XStringW& name) const
{
    for (const FilterColumn& column : columns_)
        if (column.name == name) return &column;
    return nullptr;
}

SavedScreen FilterWnd::CurrentScreen() const
{
    SavedScreen screen;
    for (const FilterCondition& condition : conditions_) {
        if (MultiValueFilter* values = condition.valueFilter()) {
            screen.values.push_back({condition.column, values->GetValues()});
        } else if (NumericFilter* numeric = condition.numericFilter()) {
            screen.ranges.push_back({condition.column, numeric->Range()});
        } else if (condition.column.empty() && condition.filter) {
            XStringW words = condition.value;
            words.replaceAll(L"，", L" ");
            screen.keywords.push_back(words);
        }
    }
    wchar_t text[256] = {};
    if (searchBox_.IsWindow()) searchBox_.GetWindowText(text, 256);
    screen.search = text;
    if (screenKeeper_) screenKeeper_->CurrentSort(screen.sortColumn, screen.sortDescending);
    return screen;
}

std::vector<XStringW> FilterWnd::ApplyScreen(const SavedScreen& screen)
{
    std::vector<XStringW> skipped;
    XComPtr<Host::IUpdateContext> bracket;
    if (gridView_) bracket = gridView_->beginUpdate();
    RemoveCondition(0);
    for (const auto& v : screen.values) {
        const FilterColumn* column = FindFilterColumn(v.first);
        if (!column || !column->collect) {
            skipped.push_back(L"列 " + v.first);
            continue;
        }
        for (const XStringW& value : v.second)
            SelectValue(column->name, column->caption, value, column->prefix, column->multi);
    }
    for (const XStringW& words : screen.keywords) ApplyKeywords(words);
    for (const auto& r : screen.ranges)
        if (!ApplyNumeric(r.first, r.second)) skipped.push_back(L"列 " + r.first);
    if (!screen.search.empty() && searchBox_.IsWindow()) {
        ::SetWindowTextW(searchBox_.GetHandle(), screen.search.c_str());
        ApplySearchText(screen.search);
    }
    if (screenKeeper_ && !screenKeeper_->ApplySort(screen.sortColumn, screen.sortDescending))
        skipped.push_back(L"排序列 " + screen.sortColumn);
    if (bracket) bracket->endUpdate();
    return skipped;
}

std::vector<SavedScreen> FilterWnd::SavedScreens()
{
    if (!screenKeeper_) return {};
    std::vector<XStringW> damaged;
    std::vector<SavedScreen> screens = decodeScreens(screenKeeper_->LoadScreens(), damaged);
    if (!damaged.empty()) {
        screenKeeper_->KeepDamagedScreens(JoinTexts(damaged, L"\n"));
        screenKeeper_->StoreScreens(encodeScreens(screens));
    }
    return screens;
}

void FilterWnd::SaveScreenAs(const XStringW& name)
{
    if (!screenKeeper_ || name.empty()) return;
    std::vector<SavedScreen> screens = SavedScreens();
    SavedScreen screen = CurrentScreen();
    screen.name = name;
    bool replaced = false;
    for (SavedScreen& old : screens) {
        if (old.name != name) continue;
        XStringW question = L"已有名为“" + name + L"”的筛选，要替换它吗？";
        if (::MessageBoxW(hwnd_, question.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
        old = screen;
        replaced = true;
    }
    if (!replaced) screens.push_back(screen);
    if (screenKeeper_->StoreScreens(encodeScreens(screens))) screenKeeper_->ShowStatus(L"已保存筛选“" + name + L"”");
}

// "保存当前筛选…", then "我的筛选" with each screen and a "删除" submenu, while there are any.
void FilterWnd::AddScreenItems(HMENU menu)
{
    if (!screenKeeper_) return;
    ::AppendMenuW(menu, MF_STRING, kSaveScreenCommand, kSaveItem);
    menuScreens_ = SavedScreens();
    if (menuScreens_.empty()) return;
    Common::ScopedMenu screens(::CreatePopupMenu());
    Common::ScopedMenu removeMenu(::CreatePopupMenu());
    if (!screens || !removeMenu) return;
    for (size_t i = 0; i < menuScreens_.size() && kFirstScreenId + int(i) <= kLastScreenId; ++i) {
        const int choose = kFirstScreenId + int(i), drop = kFirstDeleteScreenId + int(i);
        const XStringW text = itemText(menuScreens_[i].name);
        ::AppendMenuW(screens, MF_STRING, static_cast<UINT_PTR>(choose), text.c_str());
        ::AppendMenuW(removeMenu, MF_STRING, static_cast<UINT_PTR>(drop), text.c_str());
    }
    ::AppendMenuW(screens, MF_SEPARATOR, 0, nullptr);
    Common::appendSubmenu(screens, removeMenu, kDeleteItem);
    Common::appendSubmenu(menu, screens, kScreensItem);
}

void FilterWnd::AskForScreenName()
{
    RECT anchor = {};
    if (!moreButton_.GetWindowRect(&anchor)) return;
    KeywordInputDialog dialog;
    dialog.SetTitle(L"保存当前筛选", L"为这组筛选条件起个名字");
    if (dialog.DoModal(hwnd_, anchor.right, anchor.bottom) != IDOK) return;
    XStringW name = dialog.Text();
    size_t first = name.find_first_not_of(L" \t\u3000"), last = name.find_last_not_of(L" \t\u3000");
    if (first == XStringW::npos) return;
    SaveScreenAs(XStringW(name.substr(first, last - first + 1)));
}

void FilterWnd::OnScreenCommand(int id)
{
    if (!screenKeeper_) return;
    if (id == kSaveScreenCommand) {
        AskForScreenName();
        return;
    }
    bool remove = id >= kFirstDeleteScreenId;
    size_t index = size_t(id - (remove ? kFirstDeleteScreenId : kFirstScreenId));
    if (index >= menuScreens_.size()) return;
    const SavedScreen screen = menuScreens_[index];
    if (remove) {
        std::vector<SavedScreen> screens = SavedScreens();
        for (auto it = screens.begin(); it != screens.end(); ++it) {
            if (it->name != screen.name) continue;
            screens.erase(it);
            if (screenKeeper_->StoreScreens(encodeScreens(screens)))
                screenKeeper_->ShowStatus(L"已删除筛选“" + screen.name + L"”");
            return;
        }
        return;
    }
    std::vector<XStringW> skipped = ApplyScreen(screen);
    XStringW line = L"已载入筛选“" + screen.name + L"”";
    if (!skipped.empty()) line += L"；表头中已没有、未能载入：" + JoinTexts(skipped, L"、");
    screenKeeper_->ShowStatus(line);
}

} // namespace ClosedFund
