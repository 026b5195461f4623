// The filter bar's menus and the commands its buttons and menu items send.
#include "filter/FilterWnd.h"
#include "filter/KeywordInputDialog.h"
#include "filter/NumericConditionDialog.h"

namespace ClosedFund {

namespace {

const wchar_t kKeywordItem[] = L"关键字筛选(&C)";
const wchar_t kClearAllItem[] = L"清除所有条件(&D)";
const wchar_t kShowAllItem[] = L"显示所有(&A)";
const wchar_t kRemoveItem[] = L"移除条件(&D)";
const wchar_t kNumericItem[] = L"数值条件(&N)";
const wchar_t kEditKeywordsItem[] = L"修改关键字…(&E)";

// The condition id an item of the popup carries as its data (0: none).
int conditionOfItem(HMENU menu, UINT command)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    return menu && ::GetMenuItemInfoW(menu, command, FALSE, &info) ? int(info.dwItemData) : 0;
}

void setConditionOfItem(HMENU menu, UINT command, int id)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    info.dwItemData = ULONG_PTR(id);
    ::SetMenuItemInfoW(menu, command, FALSE, &info);
}

// A value as a menu shows it: a '&' would otherwise underline the next character.
XStringW menuText(const XStringW& value)
{
    XStringW text;
    text.reserve(value.size());
    for (wchar_t c : value) {
        text += c;
        if (c == L'&') text += L'&';
    }
    return text;
}

} // namespace

// Only the low word matters: buttons and menu items send the same command ids.
void FilterWnd::OnCommand(int id)
{
    if (id == kMoreButtonId)
        ShowMoreMenu();
    else if (id == kOverflowButtonId)
        ShowOverflowMenu();
    else if (id >= kFirstPlainId && id <= kLastFilterId)
        ShowConditionMenu(id);
    else if (id == kRemoveCommand)
        OnRemoveCommand();
    else if (id == kEditKeywordsCommand) {
        if (FilterCondition* condition = FindCondition(conditionOfItem(popupMenu_, kEditKeywordsCommand)))
            EditKeywords(*condition);
    } else if (id == kKeywordCommand)
        AskForKeywords();
    else if (id >= kFirstValueId && id <= kLastValueId)
        OnValueCommand(id);
    else if (id == kSaveScreenCommand || (id >= kFirstScreenId && id <= kLastDeleteScreenId))
        OnScreenCommand(id);
    else if (id >= kFirstNumericId && id <= kLastNumericId && size_t(id - kFirstNumericId) < numericColumns_.size())
        AskForNumeric(numericColumns_[size_t(id - kFirstNumericId)].name);
}

void FilterWnd::DestroyMenus()
{
    // The popup takes its attached submenus with it.
    popupMenu_.reset();
    valueItems_.clear();
}

// The values of the column, each checked when the condition's filter accepts it. Ids past
// the last value id would be ignored when chosen, so no item is offered beyond it.
void FilterWnd::AddValueItems(HMENU menu, const XStringW& column, const XStringW& caption, const XStringW& prefix,
                              bool multi, const FilterCondition* condition, int& nextId)
{
    const ValueSet& values = DistinctValues(column);
    MultiValueFilter* filter = condition ? condition->valueFilter() : nullptr;
    for (const XStringW& value : values) {
        if (nextId > kLastValueId) return;
        UINT flags = MF_STRING;
        if (filter && filter->HasValue(value.c_str())) flags |= MF_CHECKED;
        ::AppendMenuW(menu, flags, UINT_PTR(nextId), menuText(ShownValue(column, value)).c_str());
        valueItems_[nextId] = ValueMenuItem{column, value, prefix, caption, multi};
        ++nextId;
    }
}

void FilterWnd::TrackMenuBelow(const WGUI::WindowBase& button)
{
    RECT place = {};
    if (!button.GetWindowRect(&place)) return;
    ::TrackPopupMenu(popupMenu_, TPM_RIGHTALIGN | TPM_VERTICAL, place.right, place.bottom, 0, hwnd_, nullptr);
}

// "关键字筛选", "清除所有条件" while any condition exists, then one submenu of values for
// every column that offers more than one.
void FilterWnd::ShowMoreMenu()
{
    DestroyMenus();
    popupMenu_.reset(::CreatePopupMenu());
    if (!popupMenu_) return;
    ::AppendMenuW(popupMenu_, MF_STRING, kKeywordCommand, kKeywordItem);
    if (!numericColumns_.empty()) {
        Common::ScopedMenu numeric(::CreatePopupMenu());
        for (size_t i = 0; numeric && i < numericColumns_.size() && kFirstNumericId + int(i) <= kLastNumericId; ++i) {
            const int id = kFirstNumericId + int(i);
            ::AppendMenuW(numeric, MF_STRING, static_cast<UINT_PTR>(id), menuText(numericColumns_[i].caption).c_str());
        }
        if (numeric) Common::appendSubmenu(popupMenu_, numeric, kNumericItem);
    }
    AddScreenItems(popupMenu_);
    if (!conditions_.empty()) ::AppendMenuW(popupMenu_, MF_STRING, kRemoveCommand, kClearAllItem);
    int nextId = kFirstValueId;
    bool separated = false;
    for (const FilterColumn& column : columns_) {
        if (DistinctValues(column.name).size() <= 1) continue;
        Common::ScopedMenu sub(::CreatePopupMenu());
        if (!sub) continue;
        if (!separated) ::AppendMenuW(popupMenu_, MF_SEPARATOR, 0, nullptr);
        separated = true;
        HMENU attached = Common::appendSubmenu(popupMenu_, sub, column.caption.c_str());
        if (!attached) continue;
        AddValueItems(attached, column.name, column.caption, column.prefix, column.multi,
                      FirstConditionFor(column.name), nextId);
    }
    TrackMenuBelow(moreButton_);
}

// "显示所有" (a standing condition) or "移除条件", carrying the condition's id, then the
// column's values.
void FilterWnd::ShowConditionMenu(int id)
{
    FilterCondition* condition = FindCondition(id);
    if (!condition) return;
    // A numeric or keyword condition is edited in its dialog, as it was made.
    if (condition->numericFilter()) {
        AskForNumeric(condition->column);
        return;
    }
    DestroyMenus();
    popupMenu_.reset(::CreatePopupMenu());
    if (!popupMenu_) return;
    if (!condition->locked) {
        UINT flags = MF_STRING;
        if (condition->standing && !condition->filter) flags |= MF_CHECKED;
        ::AppendMenuW(popupMenu_, flags, kRemoveCommand, condition->standing ? kShowAllItem : kRemoveItem);
        setConditionOfItem(popupMenu_, kRemoveCommand, condition->id);
    }
    // A keyword condition is changed in its dialog, which opens with its words.
    if (condition->column.empty() && condition->filter) {
        ::AppendMenuW(popupMenu_, MF_STRING, kEditKeywordsCommand, kEditKeywordsItem);
        setConditionOfItem(popupMenu_, kEditKeywordsCommand, condition->id);
    }
    if (!condition->column.empty()) {
        const ValueSet& values = DistinctValues(condition->column);
        if (!condition->locked && !values.empty()) ::AppendMenuW(popupMenu_, MF_SEPARATOR, 0, nullptr);
        int nextId = kFirstValueId;
        AddValueItems(popupMenu_, condition->column, condition->caption, condition->prefix, condition->multi, condition,
                      nextId);
    }
    // A condition without room on the bar opens its menu below "+N", where it is reached.
    TrackMenuBelow(condition->hidden ? overflowButton_ : condition->button);
}

// The conditions without room on the bar, newest first as they would stand from the left;
// choosing one opens that condition's own menu (its values, and removing it).
void FilterWnd::ShowOverflowMenu()
{
    DestroyMenus();
    popupMenu_.reset(::CreatePopupMenu());
    if (!popupMenu_) return;
    for (auto it = conditions_.rbegin(); it != conditions_.rend(); ++it)
        if (it->hidden) ::AppendMenuW(popupMenu_, MF_STRING, UINT_PTR(it->id), menuText(it->button.Caption()).c_str());
    RECT place = {};
    if (!overflowButton_.GetWindowRect(&place)) return;
    // The items carry condition ids, which as commands would open the menu a second time
    // without an anchor: the choice comes back here instead.
    int chosen = int(::TrackPopupMenu(popupMenu_, TPM_RIGHTALIGN | TPM_VERTICAL | TPM_RETURNCMD | TPM_NONOTIFY,
                                      place.right, place.bottom, 0, hwnd_, nullptr));
    if (chosen && FindCondition(chosen)) ShowConditionMenu(chosen);
}

// The item's data names the condition; "清除所有条件" carries none, which means all.
void FilterWnd::OnRemoveCommand() { RemoveCondition(conditionOfItem(popupMenu_, kRemoveCommand)); }

void FilterWnd::OnValueCommand(int id)
{
    if (!popupMenu_) return;
    auto found = valueItems_.find(id);
    if (found == valueItems_.end()) return;
    ValueMenuItem item = found->second;
    FilterCondition* condition = FirstConditionFor(item.column);
    if (!condition || condition->multi)
        SelectValue(item.column, item.caption, item.value, item.prefix, item.multi);
    else
        ReplaceValue(condition->id, item.value, item.prefix);
}

bool FilterWnd::DialogAnchor(const FilterCondition* condition, POINT& anchor) const
{
    const WGUI::WindowBase* below = &moreButton_;
    if (condition) below = condition->hidden ? &overflowButton_ : &condition->button;
    RECT place = {};
    if (!below->GetWindowRect(&place)) return false;
    anchor = {place.right, place.bottom};
    return true;
}

void FilterWnd::AskForNumeric(const XStringW& column)
{
    const NumericColumn* numeric = FindNumericColumn(column);
    if (!numeric) return;
    FilterCondition* condition = FirstConditionFor(column);
    NumericFilter* filter = condition ? condition->numericFilter() : nullptr;
    POINT anchor = {};
    if (!DialogAnchor(filter ? condition : nullptr, anchor)) return;
    NumericConditionDialog dialog(*numeric, filter ? filter->Range() : NumericRange());
    if (dialog.DoModal(hwnd_, anchor.x, anchor.y) != IDOK) return;
    ApplyNumeric(column, dialog.Range());
}

void FilterWnd::EditKeywords(FilterCondition& condition)
{
    const int id = condition.id;
    POINT anchor = {};
    if (!DialogAnchor(&condition, anchor)) return;
    XStringW words = condition.value;
    words.replaceAll(L"，", L" ");
    KeywordInputDialog dialog;
    if (dialog.DoModal(hwnd_, anchor.x, anchor.y, words) != IDOK) return;
    XComPtr<Host::IUpdateContext> bracket;
    if (gridView_) bracket = gridView_->beginUpdate();
    // The new words take the old condition's place (the newest, as it was just edited).
    RemoveCondition(id);
    ApplyKeywords(dialog.Text());
    if (bracket) bracket->endUpdate();
}

void FilterWnd::AskForKeywords()
{
    RECT anchor = {};
    if (!moreButton_.GetWindowRect(&anchor)) return;
    KeywordInputDialog dialog;
    if (dialog.DoModal(hwnd_, anchor.right, anchor.bottom) != IDOK) return;
    XComPtr<Host::IUpdateContext> bracket;
    if (gridView_) bracket = gridView_->beginUpdate();
    ApplyKeywords(dialog.Text());
    if (bracket) bracket->endUpdate();
}

} // namespace ClosedFund
