#include "filter/FilterWnd.h"
#include "common/CallbackGuard.h"
#include "data/CellReader.h"
#include "ui/WindowText.h"
#include "host/Kernel.h"
#include "base/ModuleHandle.h"
#include "ui/WindowClass.h"
#include <common/ScopedWin.h>
#include <unordered_set>

namespace ClosedFund {

namespace {

const wchar_t kClassName[] = L"Client2_FilterWnd";
const wchar_t kMoreCaption[] = L"更多筛选";

} // namespace

FilterWnd::FilterWnd(Host::IDataView* gridView)
    : background_(::GetSysColor(COLOR_WINDOW)), textColor_(::GetSysColor(COLOR_WINDOWTEXT)), gridView_(gridView)
{
    countView_ = Host::createInstanceAs<Host::IDataView>("Data.DataView");
    if (countView_ && gridView_) {
        countView_->setSource(gridView_.get());
        countView_->setEventSink(this);
    }
    valueView_ = Host::createInstanceAs<Host::IDataView>("Data.DataView");
    if (!valueView_) return;
    if (gridView_) valueView_->setSource(gridView_->getSource().get());
    valueView_->setEventSink(this);
}

FilterWnd::~FilterWnd()
{
    if (IsWindow()) DestroyWindow();
    // The value view is a dependant of its source, which keeps it alive: it must forget
    // this object before the object goes.
    ReleaseViews();
    DestroyMenus();
}

HWND FilterWnd::Create(DWORD style, DWORD exStyle, const RECT& rect, HWND parent)
{
    if (IsWindow()) return nullptr;
    HINSTANCE instance = moduleInstance();
    if (!WGUI::RegisterWindowClass(instance, kClassName)) return nullptr;
    if (!backgroundBrush_.GetHandle()) backgroundBrush_.Attach(::CreateSolidBrush(background_));
    return WindowBase::Create(style, exStyle, kClassName, L"", rect, parent, 0, instance, &binding_);
}

void FilterWnd::AddFilterColumn(const wchar_t* name, const wchar_t* caption, bool showSlot, bool collect, bool locked,
                                const wchar_t* prefix, bool multi)
{
    FilterColumn column;
    column.name = name ? name : L"";
    column.caption = caption ? caption : L"";
    column.prefix = prefix ? prefix : L"";
    column.collect = collect;
    column.multi = multi;
    columns_.push_back(column);
    if (collect) {
        distinctValues_[column.name].clear();
        CollectDistinctValues(column.name);
    }
    if (showSlot || locked)
        AddCondition(column.name, column.caption, column.caption, nullptr, column.prefix, locked, multi);
}

void FilterWnd::SetShownValue(const wchar_t* column, ShownValueFn shown)
{
    for (FilterColumn& c : columns_)
        if (column && c.name == column) c.shown = shown;
}

XStringW FilterWnd::ShownValue(const XStringW& column, const XStringW& value) const
{
    if (column.empty()) return value;
    for (const FilterColumn& c : columns_)
        if (c.name == column) return c.shown ? c.shown(value) : value;
    return value;
}

// The buttons take the list's colours: the column header's face, the selection's face while
// pressed, the list border and the header text. A theme lacking the face or the text leaves
// the buttons as the system draws them.
void FilterWnd::ApplyTheme(Host::ITheme* theme)
{
    if (!theme) return;
    theme->getColor("wnd_general_bg", background_);
    backgroundBrush_.Attach(::CreateSolidBrush(background_));
    theme->getColor("list_title", textColor_);
    WGUI::DropDownColors colors = {};
    if (theme->getColor("list_column_bg", colors.face) && theme->getColor("list_title", colors.text)) {
        colors.pushedFace = colors.face;
        colors.border = colors.text;
        theme->getColor("list_sel_bg", colors.pushedFace);
        theme->getColor("list_border", colors.border);
        buttonColors_ = colors;
        buttonsThemed_ = true;
    }
    ThemeButton(moreButton_);
    ThemeButton(overflowButton_);
    for (FilterCondition& condition : conditions_) ThemeButton(condition.button);
    Invalidate(TRUE);
}

void FilterWnd::ThemeButton(WGUI::DropDownButton& button)
{
    if (buttonsThemed_) button.SetColors(buttonColors_);
    if (button.IsWindow()) button.Invalidate(TRUE);
}

void FilterWnd::OnViewChanged(Host::IDataView* view)
{
    Common::guardCallback(L"IDataViewEvent::OnViewChanged", [&] {
        if (view && view == countView_.get()) {
            if (UpdateCountText() && IsWindow()) LayoutBar();
            return;
        }
        distinctValues_.clear();
        for (const FilterColumn& column : columns_)
            if (column.collect) CollectDistinctValues(column.name);
    });
}

const FilterWnd::ValueSet& FilterWnd::DistinctValues(const XStringW& column) const
{
    static const ValueSet none;
    auto it = distinctValues_.find(column);
    return it == distinctValues_.end() ? none : it->second;
}

// Every non-empty text of the column in the value view, once. Texts are first told apart
// by a hash set, so the GB2312 order is computed once per distinct value, not per row.
void FilterWnd::CollectDistinctValues(const XStringW& column)
{
    ValueSet& values = distinctValues_[column];
    if (!valueView_) return;
    int index = valueView_->getColumnIndex(column);
    if (index < 0) return;
    std::unordered_set<std::wstring> seen;
    CellReader cells(valueView_.get());
    XStringW text;
    int rows = valueView_->getRowCount();
    for (int row = 0; row < rows; ++row) {
        if (!cells.readText(row, index, text) || text.empty()) continue;
        if (seen.insert(text).second) values.insert(text);
    }
}

void FilterWnd::ReleaseViews()
{
    if (countView_) {
        countView_->setEventSink(nullptr);
        countView_->setSource(nullptr);
    }
    countView_ = nullptr;
    if (valueView_) {
        valueView_->setEventSink(nullptr);
        valueView_->setSource(nullptr);
    }
    valueView_ = nullptr;
    gridView_ = nullptr;
}

bool FilterWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // The bar's own text is the fund count it paints.
    if (WGUI::AnswerTextMessage(shownCountText_, msg, wParam, lParam, result)) return true;
    switch (msg) {
    case WM_CREATE:
        // Until the page says otherwise: the window's dpi at the standard font size.
        scale_.dpi = WGUI::WindowDpi(hwnd_);
        barFont_.Attach(WGUI::CreateGuiFont(scale_));
        moreButton_.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, nullptr, hwnd_, kMoreButtonId, moduleInstance());
        moreButton_.SetCaption(kMoreCaption);
        moreButton_.SetFont(BarFont());
        overflowButton_.Create(WS_CHILD | WS_TABSTOP, nullptr, hwnd_, kOverflowButtonId, moduleInstance());
        overflowButton_.SetFont(BarFont());
        ThemeButton(moreButton_);
        ThemeButton(overflowButton_);
        CreateSearchBox();
        return false;
    case WM_DESTROY:
        ::KillTimer(hwnd_, kSearchTimerId);
        DestroyMenus();
        // Tooltips belong to the top-level window, not to the buttons: they would outlive the bar.
        for (FilterCondition& condition : conditions_) {
            condition.button.SetToolTipText(XStringW());
            condition.button.UpdateToolTip();
        }
        ReleaseViews();
        return false;
    case WM_SIZE: LayoutBar(); return false;
    case WM_ERASEBKGND:
        OnEraseBackground(reinterpret_cast<HDC>(wParam));
        *result = 1;
        return true;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd_, &ps);
        if (dc) PaintCount(dc);
        ::EndPaint(hwnd_, &ps);
        return true;
    }
    case WM_PRINTCLIENT:
        OnEraseBackground(reinterpret_cast<HDC>(wParam));
        PaintCount(reinterpret_cast<HDC>(wParam));
        return true;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: *result = reinterpret_cast<LRESULT>(backgroundBrush_.GetHandle()); return true;
    case WM_TIMER:
        if (wParam != kSearchTimerId) return false;
        OnSearchTimer();
        return true;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == kSearchBoxId) {
            if (HIWORD(wParam) == EN_CHANGE) OnSearchEdited();
            return true;
        }
        OnCommand(id);
        return id == kMoreButtonId || id == kOverflowButtonId || id == kKeywordCommand;
    }
    default: return false;
    }
}

void FilterWnd::OnEraseBackground(HDC dc)
{
    RECT client = {};
    if (!dc || !GetClientRect(&client)) return;
    Common::ScopedGdi<HBRUSH> brush(::CreateSolidBrush(background_));
    ::FillRect(dc, &client, brush);
}

} // namespace ClosedFund
