// The filter bar above the grid: from its right edge a "更多筛选" drop-down button and, to the
// left of it, one drop-down button per condition, the newest leftmost; at its left edge a
// search box, then the count of funds shown. The box's words are one more keyword condition
// that the bar keeps for it alone (replaced as the user types, never shown as a button). Everything stays inside the bar: captions that do not fit are
// shortened, and conditions that still do not fit go behind a "+N" button. Keyword conditions
// (a SearchFilterImpl over every configured column) and value conditions (a MultiValueFilter
// over one column) are installed on the grid's display view, the only channel through which
// the grid learns of them. The values offered in menus come from a filter-free view over
// the same rows, so the bar's own conditions never narrow what it offers.
#pragma once
#include "filter/FilterRecords.h"
#include "filter/FilterWndFit.h"
#include "filter/NumericRange.h"
#include "filter/SavedScreens.h"
#include "filter/SearchBox.h"
#include "filter/SearchFilterImpl.h"
#include "host/Data.h"
#include "host/Theme.h"
#include "ui/DropDownButton.h"
#include "common/ScopedWin.h"
#include "ui/GdiObject.h"
#include "ui/WindowBase.h"
#include "ui/WindowProc.h"
#include <list>
#include <map>
#include <set>
#include <vector>

namespace ClosedFund {

// What the bar needs from its page to keep saved screens: where they are stored, the grid's
// sort, and the status line.
class ScreenKeeper {
public:
    virtual XStringW LoadScreens() = 0;
    // False when the text was not kept; the keeper has told the person why.
    virtual bool StoreScreens(const XStringW& text) = 0;
    // Lines that are no screen, put aside (never lost) before the rest is stored again.
    virtual void KeepDamagedScreens(const XStringW& lines) = 0;
    virtual void CurrentSort(XStringW& column, bool& descending) = 0;
    // False when the grid has no such column to sort by.
    virtual bool ApplySort(const XStringW& column, bool descending) = 0;
    virtual void ShowStatus(const XStringW& text) = 0;

protected:
    ~ScreenKeeper() = default;
};

class FilterWnd : public WGUI::WindowBase, public Host::IDataViewEvent {
public:
    // Command ids: the "更多筛选" button, conditions' buttons and the menu items.
    enum {
        kMoreButtonId = 100,
        kFirstPlainId = 101,
        kLastPlainId = 201, // conditions created without a filter
        kFirstFilterId = 202,
        kLastFilterId = 302,     // conditions created with a filter
        kOverflowButtonId = 303, // "+N": the conditions without room
        kRemoveCommand = 304,
        kKeywordCommand = 305,
        kFirstValueId = 306,
        kLastValueId = 1306,
        kFirstNumericId = 1310, // "数值条件" ▸ a numeric column
        kLastNumericId = 1349,
        kEditKeywordsCommand = 1350, // a keyword condition's "修改关键字…"; the item's data names it
        kSaveScreenCommand = 1351,   // "保存当前筛选…"
        kFirstScreenId = 1360,       // "我的筛选" ▸ a screen
        kLastScreenId = 1399,
        kFirstDeleteScreenId = 1400, // "我的筛选" ▸ "删除" ▸ a screen
        kLastDeleteScreenId = 1439,
        kSearchBoxId = 90,
    };
    // The pause after the last keystroke before the search box's words are applied.
    enum { kSearchDelayMs = 300, kSearchTimerId = 1 };
    typedef std::set<XStringW, GbLess> ValueSet;

    // Keeps gridView; the value view reads gridView's source and reports its rebuilds here.
    explicit FilterWnd(Host::IDataView* gridView);
    // Destroys the window if it still exists and lets go of both views.
    ~FilterWnd() override;
    FilterWnd(const FilterWnd&) = delete;
    FilterWnd& operator=(const FilterWnd&) = delete;

    // Registers "Client2_FilterWnd" on first use and creates the bar; null on failure. A bar
    // that already has its window keeps it and returns null.
    HWND Create(DWORD style, DWORD exStyle, const RECT& rect, HWND parent);
    // Configures a column: searched by keywords; with collect, its values are offered; with
    // showSlot or locked, a standing condition for it appears at once.
    void AddFilterColumn(const wchar_t* name, const wchar_t* caption, bool showSlot, bool collect, bool locked,
                         const wchar_t* prefix, bool multi);
    // A column searched by keywords only (neither offered nor given a slot). With prefix, a
    // keyword must start its text (pinyin initials) instead of occurring anywhere.
    void AddSearchColumn(const wchar_t* name, bool prefix);
    // A column offered under "数值条件": a condition on the number its cells show.
    void AddNumericColumn(const NumericColumn& column);
    const std::vector<NumericColumn>& NumericColumns() const { return numericColumns_; }
    // How the column's values read in menus, captions and tooltips; the filter still
    // compares the stored text. Set it before the column's values are shown.
    void SetShownValue(const wchar_t* column, ShownValueFn shown);
    // Background from the theme's "wnd_general_bg", buttons and count text from its list
    // colours; a theme without a key keeps what that key coloured.
    void ApplyTheme(Host::ITheme* theme);

    // The bar's operations on conditions, also run by its menus and the keyword dialog.
    void ApplyKeywords(const XStringW& text);
    void SelectValue(const XStringW& column, const XStringW& caption, const XStringW& value, const XStringW& prefix,
                     bool multi);
    void ReplaceValue(int id, const XStringW& value, const XStringW& prefix);
    // The column's numeric condition takes the range (a new one is added; an empty range
    // removes it). False for a column that is not numeric or when no condition is left.
    bool ApplyNumeric(const XStringW& column, const NumericRange& range);
    // Opens the dialog of the column's numeric condition (a new one when it has none).
    void AskForNumeric(const XStringW& column);

    // Saved screens, kept through the page (null: none are offered).
    void SetScreenKeeper(ScreenKeeper* keeper) { screenKeeper_ = keeper; }
    // The conditions, search text and sort now, as a screen to save.
    SavedScreen CurrentScreen() const;
    // Replaces every condition with the screen's; what names a column the bar does not know
    // is left out and returned ("列 xxx").
    std::vector<XStringW> ApplyScreen(const SavedScreen& screen);
    // The saved screens, damaged lines put aside first.
    std::vector<SavedScreen> SavedScreens();
    void SaveScreenAs(const XStringW& name);
    // The search box's condition: the words of text replace the box's previous ones; no
    // words lifts it. The box itself is not touched.
    void ApplySearchText(const XStringW& text);
    // 0 removes every condition that can go (standing ones return to rest).
    void RemoveCondition(int id);
    void LayoutBar();
    // The bar's font and sizes follow the page's dpi and font size; the bar lays itself out
    // again. A new bar takes its window's dpi at the standard size.
    void SetScale(const WGUI::UiScale& scale);
    const WGUI::UiScale& Scale() const { return scale_; }
    // The font of the bar's buttons, search box and count (also the page's status line's).
    HFONT BarFont() const;

    // IDataViewEvent: the value view's rows changed, so the offered values are gathered again.
    int addRef() override { return 1; }
    int release() override { return 1; }
    void OnViewChanging(Host::IDataView*) override {}
    void OnViewChanged(Host::IDataView* view) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // State, for the page and for tests.
    const std::list<FilterCondition>& Conditions() const { return conditions_; }
    const std::vector<FilterColumn>& Columns() const { return columns_; }
    const WGUI::DropDownButton& MoreButton() const { return moreButton_; }
    const WGUI::DropDownButton& OverflowButton() const { return overflowButton_; }
    const SearchBox& SearchEdit() const { return searchBox_; }
    // The words the search box's condition holds now (empty while it holds none).
    const std::vector<XStringW>& SearchWords() const { return searchWords_; }
    // "共 N 只", or "筛选出 N / M 只" while the list is narrowed; and where it is drawn
    // (empty when the bar has no room for it).
    const XStringW& CountText() const { return countText_; }
    const XStringW& ShownCountText() const { return shownCountText_; }
    const RECT& CountRect() const { return countRect_; }
    // The value as menus and captions show it.
    XStringW ShownValue(const XStringW& column, const XStringW& value) const;
    // The offered values of a column (empty when it has none).
    const ValueSet& DistinctValues(const XStringW& column) const;
    // The last menu built; it lives until the next menu is built or the bar goes.
    HMENU PopupMenu() const { return popupMenu_; }
    COLORREF BackgroundColor() const { return background_; }
    FilterCondition* FindCondition(int id);

private:
    // Menus and commands (FilterWndMenus.cpp).
    void OnCommand(int id);
    void ShowMoreMenu();
    void ShowConditionMenu(int id);
    void ShowOverflowMenu();
    void OnRemoveCommand();
    void OnValueCommand(int id);
    void AskForKeywords();
    // Reopens the keyword dialog with the condition's words; emptied, the condition goes.
    void EditKeywords(FilterCondition& condition);
    const NumericColumn* FindNumericColumn(const XStringW& name) const;
    const FilterColumn* FindFilterColumn(const XStringW& name) const;
    void AddScreenItems(HMENU menu);
    void AskForScreenName();
    void OnScreenCommand(int id);
    // Where a condition's dialog opens: below its button, or "+N" while it has no room.
    bool DialogAnchor(const FilterCondition* condition, POINT& anchor) const;
    void AddValueItems(HMENU menu, const XStringW& column, const XStringW& caption, const XStringW& prefix, bool multi,
                       const FilterCondition* condition, int& nextId);
    void TrackMenuBelow(const WGUI::WindowBase& button);
    void DestroyMenus();

    // Conditions (FilterWndConditions.cpp).
    FilterCondition* AddCondition(const XStringW& column, const XStringW& caption, const XStringW& text,
                                  Host::IDataFilter* filter, const XStringW& prefix, bool locked, bool multi);
    FilterCondition* FirstConditionFor(const XStringW& column);
    // The id a new condition would get, or 0 when its range is used up.
    int FreeId(bool withFilter) const;
    bool IdInUse(int id) const;
    void RestLockedCondition(FilterCondition& condition);
    void ValuesCaption(const FilterCondition& condition, const MultiValueFilter& filter, XStringW& caption,
                       XStringW& tip) const;
    // A new filter keeping rows whose column (every column when empty) holds value, already
    // installed on the grid's view.
    XComPtr<MultiValueFilter> InstallValueFilter(const XStringW& column, const XStringW& value);
    // Refuses a condition that has no id left, telling the user; true when refused.
    bool RefuseWithoutId(bool withFilter);

    // Layout and the count (FilterWndLayout.cpp).
    void PlaceButton(WGUI::DropDownButton& button, const RECT& place);
    void ShowButton(WGUI::DropDownButton& button, bool shown);
    BarTexts MeasureBar(HDC dc) const;
    void PlaceBar(HDC dc, const RECT& client, const BarFit& fit);
    void PlaceCondition(HDC dc, FilterCondition& condition, const BarSpan* place, const RECT& client);
    bool UpdateCountText();
    void PaintCount(HDC dc);
    void ThemeButton(WGUI::DropDownButton& button);

    // The search box (FilterWndSearch.cpp).
    void CreateSearchBox();
    void OnSearchEdited();
    void OnSearchTimer();
    // A keyword filter over every configured and search-only column.
    XComPtr<SearchFilterImpl> NewSearchFilter(const std::vector<XStringW>& keywords) const;

    void CollectDistinctValues(const XStringW& column);
    void ReleaseViews();
    void OnEraseBackground(HDC dc);

    WGUI::WindowProc binding_;
    std::list<FilterCondition> conditions_;
    WGUI::DropDownButton moreButton_;
    WGUI::DropDownButton overflowButton_;
    gdiobj::GdiObject<HBRUSH> backgroundBrush_;
    COLORREF background_;
    COLORREF textColor_;
    bool buttonsThemed_ = false;
    WGUI::DropDownColors buttonColors_ = {};
    WGUI::UiScale scale_;
    gdiobj::GdiObject<HFONT> barFont_;
    XComPtr<Host::IDataView> gridView_;
    XComPtr<Host::IDataView> valueView_;
    // A view over the grid view with nothing of its own: it rebuilds whenever the grid view
    // does and tells the bar, so the count follows every rebuild whoever caused it.
    XComPtr<Host::IDataView> countView_;
    XStringW countText_, compactCountText_, shownCountText_;
    RECT countRect_ = {};
    std::vector<FilterColumn> columns_;
    struct SearchColumn {
        XStringW name;
        bool prefix;
    };
    std::vector<SearchColumn> searchColumns_;
    std::vector<NumericColumn> numericColumns_;
    ScreenKeeper* screenKeeper_ = nullptr;
    std::vector<SavedScreen> menuScreens_; // the screens the last menu offered
    SearchBox searchBox_;
    XComPtr<SearchFilterImpl> searchFilter_;
    std::vector<XStringW> searchWords_;
    std::map<XStringW, ValueSet> distinctValues_;
    Common::ScopedMenu popupMenu_;
    std::map<int, ValueMenuItem> valueItems_;
    int nextPlainId_ = kFirstPlainId;
    int nextFilterId_ = kFirstFilterId;
};

} // namespace ClosedFund
