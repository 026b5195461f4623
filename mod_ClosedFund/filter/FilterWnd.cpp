#include "filter/FilterWnd.h"
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

HFONT guiFont() { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }

} // namespace

FilterWnd::FilterWnd(Host::IDataView* gridView)
    : m_background(::GetSysColor(COLOR_WINDOW)), m_textColor(::GetSysColor(COLOR_WINDOWTEXT)), m_gridView(gridView)
{
    m_countView = Host::createInstanceAs<Host::IDataView>("Data.DataView");
    if (m_countView && m_gridView) {
        m_countView->setSource(m_gridView.get());
        m_countView->setEventSink(this);
    }
    m_valueView = Host::createInstanceAs<Host::IDataView>("Data.DataView");
    if (!m_valueView) return;
    if (m_gridView) m_valueView->setSource(m_gridView->getSource().get());
    m_valueView->setEventSink(this);
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
    if (!m_backgroundBrush.GetHandle()) m_backgroundBrush.Attach(::CreateSolidBrush(m_background));
    return WindowBase::Create(style, exStyle, kClassName, L"", rect, parent, 0, instance, &m_binding);
}

void FilterWnd::AddFilterColumn(const wchar_t* name, const wchar_t* caption, bool showSlot, bool collect,
                                bool locked, const wchar_t* prefix, bool multi)
{
    FilterColumn column;
    column.name = name ? name : L"";
    column.caption = caption ? caption : L"";
    column.prefix = prefix ? prefix : L"";
    column.collect = collect;
    column.multi = multi;
    m_columns.push_back(column);
    if (collect) {
        m_distinctValues[column.name].clear();
        CollectDistinctValues(column.name);
    }
    if (showSlot || locked)
        AddCondition(column.name, column.caption, column.caption, nullptr, column.prefix, locked, multi);
}

void FilterWnd::SetShownValue(const wchar_t* column, ShownValueFn shown)
{
    for (FilterColumn& c : m_columns)
        if (column && c.name == column) c.shown = shown;
}

XStringW FilterWnd::ShownValue(const XStringW& column, const XStringW& value) const
{
    if (column.empty()) return value;
    for (const FilterColumn& c : m_columns)
        if (c.name == column) return c.shown ? c.shown(value) : value;
    return value;
}

// The buttons take the list's colours: the column header's face, the selection's face while
// pressed, the list border and the header text. A theme lacking the face or the text leaves
// the buttons as the system draws them.
void FilterWnd::ApplyTheme(Host::ITheme* theme)
{
    if (!theme) return;
    theme->getColor("wnd_general_bg", m_background);
    m_backgroundBrush.Attach(::CreateSolidBrush(m_background));
    theme->getColor("list_title", m_textColor);
    WGUI::DropDownColors colors = {};
    if (theme->getColor("list_column_bg", colors.face) && theme->getColor("list_title", colors.text)) {
        colors.pushedFace = colors.face;
        colors.border = colors.text;
        theme->getColor("list_sel_bg", colors.pushedFace);
        theme->getColor("list_border", colors.border);
        m_buttonColors = colors;
        m_buttonsThemed = true;
    }
    ThemeButton(m_moreButton);
    ThemeButton(m_overflowButton);
    for (FilterCondition& condition : m_conditions) ThemeButton(condition.button);
    Invalidate(TRUE);
}

void FilterWnd::ThemeButton(WGUI::DropDownButton& button)
{
    if (m_buttonsThemed) button.SetColors(m_buttonColors);
    if (button.IsWindow()) button.Invalidate(TRUE);
}

void FilterWnd::OnViewChanged(Host::IDataView* view)
{
    if (view && view == m_countView.get()) {
        if (UpdateCountText() && IsWindow()) LayoutBar();
        return;
    }
    m_distinctValues.clear();
    for (const FilterColumn& column : m_columns)
        if (column.collect) CollectDistinctValues(column.name);
}

const FilterWnd::ValueSet& FilterWnd::DistinctValues(const XStringW& column) const
{
    static const ValueSet none;
    auto it = m_distinctValues.find(column);
    return it == m_distinctValues.end() ? none : it->second;
}

// Every non-empty text of the column in the value view, once. Texts are first told apart
// by a hash set, so the GB2312 order is computed once per distinct value, not per row.
void FilterWnd::CollectDistinctValues(const XStringW& column)
{
    ValueSet& values = m_distinctValues[column];
    if (!m_valueView) return;
    int index = m_valueView->getColumnIndex(column);
    if (index < 0) return;
    std::unordered_set<std::wstring> seen;
    XStringW text;
    int rows = m_valueView->getRowCount();
    for (int row = 0; row < rows; ++row) {
        if (!m_valueView->readTextAt(row, index, text) || text.empty()) continue;
        if (seen.insert(text).second) values.insert(text);
    }
}

void FilterWnd::ReleaseViews()
{
    if (m_countView) {
        m_countView->setEventSink(nullptr);
        m_countView->setSource(nullptr);
    }
    m_countView = nullptr;
    if (m_valueView) {
        m_valueView->setEventSink(nullptr);
        m_valueView->setSource(nullptr);
    }
    m_valueView = nullptr;
    m_gridView = nullptr;
}

bool FilterWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // The bar's own text is the fund count it paints.
    if (WGUI::AnswerTextMessage(m_shownCountText, msg, wParam, lParam, result)) return true;
    switch (msg) {
    case WM_CREATE:
        m_moreButton.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, nullptr, m_hWnd, kMoreButtonId, moduleInstance());
        m_moreButton.SetCaption(kMoreCaption);
        m_moreButton.SetFont(guiFont());
        m_overflowButton.Create(WS_CHILD | WS_TABSTOP, nullptr, m_hWnd, kOverflowButtonId, moduleInstance());
        m_overflowButton.SetFont(guiFont());
        ThemeButton(m_moreButton);
        ThemeButton(m_overflowButton);
        CreateSearchBox();
        return false;
    case WM_DESTROY:
        ::KillTimer(m_hWnd, kSearchTimerId);
        DestroyMenus();
        // Tooltips belong to the top-level window, not to the buttons: they would outlive the bar.
        for (FilterCondition& condition : m_conditions) {
            condition.button.SetToolTipText(XStringW());
            condition.button.UpdateToolTip();
        }
        ReleaseViews();
        return false;
    case WM_SIZE:
        LayoutBar();
        return false;
    case WM_ERASEBKGND:
        OnEraseBackground(reinterpret_cast<HDC>(wParam));
        *result = 1;
        return true;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        if (dc) PaintCount(dc);
        ::EndPaint(m_hWnd, &ps);
        return true;
    }
    case WM_PRINTCLIENT:
        OnEraseBackground(reinterpret_cast<HDC>(wParam));
        PaintCount(reinterpret_cast<HDC>(wParam));
        return true;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        *result = reinterpret_cast<LRESULT>(m_backgroundBrush.GetHandle());
        return true;
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
    default:
        return false;
    }
}

void FilterWnd::OnEraseBackground(HDC dc)
{
    RECT client = {};
    if (!dc || !GetClientRect(&client)) return;
    Common::ScopedGdi<HBRUSH> brush(::CreateSolidBrush(m_background));
    ::FillRect(dc, &client, brush);
}

} // namespace ClosedFund
