#include "page/ClosedFundPage.h"
#include "ui/ThemedColors.h"
#include "common/CallbackGuard.h"
#include "common/MemoryDC.h"
#include "common/TabOrder.h"
#include "base/HostServices.h"
#include "data/FundTable.h"
#include "filter/FilterWnd.h"
#include "host/Kernel.h"
#include "base/ModuleHandle.h"
#include "base/ModuleLog.h"
#include "base/Resources.h"
#include "page/GifWnd.h"
#include "page/NumericColumns.h"
#include "page/TitleStrip.h"
#include "grid/GridTexts.h"
#include "page/WorkerThread.h"
#include "ui/WindowClass.h"
#include <algorithm>

namespace ClosedFund {

namespace {

const wchar_t kClassName[] = L"Client2_ClosedFundPage";
const wchar_t kTitle[] = L"封闭式基金";
const UINT kGridControlId = 1001;
const int kGridReloadCode = -753;

// The filter bar's columns: name, caption, show slot, collect, locked, prefix, multi.
struct FilterColumnSetup {
    const wchar_t* name;
    const wchar_t* caption;
    bool showSlot, collect, locked, multi;
};
const FilterColumnSetup kFilterColumns[] = {
    {L"aliascode", L"代码", false, false, false, false},     {L"name", L"名称", false, false, false, false},
    {L"investtype", L"投资类型", false, true, false, true},  {L"fundtype", L"基金类型", false, true, false, true},
    {L"investstyle", L"投资风格", false, true, false, true}, {L"company", L"基金公司", true, true, false, true},
};

// The page's sizes follow the dpi of its window and the font size the grid has loaded.
WGUI::UiScale pageScale(HWND page, const closedFundGrid& grid)
{
    return WGUI::UiScale{WGUI::WindowDpi(page), grid.Zoom()};
}

// The status and freshness lines are written in the filter bar's font, which follows the scale.
HFONT stripTextFont(const FilterWnd* bar) { return bar ? bar->BarFont() : nullptr; }

} // namespace

// The data date stays empty (shown as "--") until a fill reads one: today's date over rows
// that are not today's, or over no rows at all, would say something untrue.
ClosedFundPage::ClosedFundPage() : referenceDate_(localReferenceDate())
{
    grid_.SetStatusListener([this] { OnStatusChanged(); });
}

ClosedFundPage::~ClosedFundPage()
{
    // Events outlive any page: the cells of a page that goes (a test's, or at process exit)
    // must not lead to it afterwards.
    setEventWindow(nullptr);
    if (IsWindow()) DestroyWindow();
}

HWND ClosedFundPage::create(HWND parent, Host::ITabCtrl* tabCtrl)
{
    return Common::guardCallback(L"ITabPage::create", HWND(nullptr), [&]() -> HWND {
        HINSTANCE instance = moduleInstance();
        if (!WGUI::RegisterWindowClass(instance, kClassName, ::LoadIconW(nullptr, IDI_APPLICATION))) return nullptr;
        tabCtrl_ = tabCtrl;
        RECT none = {0, 0, 0, 0};
        return Create(WS_CHILD | WS_CLIPCHILDREN, 0, kClassName, L"", none, parent, 0, instance, &thunk_);
    });
}

bool ClosedFundPage::isCreated()
{
    return Common::guardCallback(L"ITabPage::isCreated", false, [&]() -> bool { return IsWindow(); });
}
void ClosedFundPage::show()
{
    Common::guardCallback(L"ITabPage::show", [&] {
        if (hwnd_) ::ShowWindow(hwnd_, SW_SHOW);
    });
}
void ClosedFundPage::hide()
{
    Common::guardCallback(L"ITabPage::hide", [&] {
        if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
    });
}
void ClosedFundPage::redraw()
{
    Common::guardCallback(L"ITabPage::redraw", [&] {
        if (hwnd_) Invalidate(TRUE);
    });
}
XStringW ClosedFundPage::getTitle()
{
    return Common::guardCallback(L"ITabPage::getTitle", XStringW(), [&]() -> XStringW { return kTitle; });
}

void ClosedFundPage::move(int x, int y, int width, int height)
{
    Common::guardCallback(L"ITabPage::move", [&] {
        if (hwnd_) ::SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

void ClosedFundPage::applyViewFilters(Host::IDataFilter* displayOut, Host::IDataFilter* displayIn,
                                      Host::IDataFilter* sortedOut, Host::IDataFilter* sortedIn)
{
    Common::guardCallback(L"ITabPage::applyViewFilters", [&] {
        Host::IDataView* sorted = grid_.SortedView();
        Host::IDataView* display = grid_.DisplayView();
        if (!sorted || !display) return;
        XComPtr<Host::IUpdateContext> sortedBracket = sorted->beginUpdate();
        if (sortedOut) sorted->removeFilter(sortedOut);
        if (sortedIn) sorted->addFilter(sortedIn);
        XComPtr<Host::IUpdateContext> displayBracket = display->beginUpdate();
        if (displayOut) display->removeFilter(displayOut);
        if (displayIn) display->addFilter(displayIn);
        if (sortedBracket) sortedBracket->endUpdate();
        if (displayBracket) displayBracket->endUpdate();
    });
}

void ClosedFundPage::rebuildDisplayView()
{
    Common::guardCallback(L"ITabPage::rebuildDisplayView", [&] {
        if (grid_.DisplayView()) grid_.DisplayView()->rebuild(1);
    });
}

void ClosedFundPage::loadHeader() { grid_.SetHeaderText(grid_.LoadHeaderText()); }

void ClosedFundPage::applyTheme(Host::ITheme* theme)
{
    if (theme) {
        // The search box and the dialogs read the theme from here at start: the change event
        // only tells them of later switches.
        WGUI::ThemedColors::Apply(theme);
        grid_.ApplyTheme(theme);
        theme->getColor("wnd_general_bg", background_);
        COLORREF bg = 0, columnBg = 0, border = 0xFFFFFF, borderInside = 0xFFFFFF, title = 0xFFFFFF;
        COLORREF arrow = 0, button = 0, face = 0, dark = 0, light = 0;
        theme->getColor("list_bg", bg);
        theme->getColor("list_column_bg", columnBg);
        theme->getColor("list_border", border);
        theme->getColor("list_border_inside", borderInside);
        theme->getColor("list_title", title);
        theme->getColor("list_scroll_arrow", arrow);
        theme->getColor("list_scroll_button", button);
        theme->getColor("list_scroll_face", face);
        theme->getColor("list_scroll_darkborder", dark);
        theme->getColor("list_scroll_lightborder", light);
        grid_.ThemeBlock().ReadColors(theme);
        grid_.SetBkColor(bg);
        grid_.SetBdColor(border);
        grid_.SetGridColor(borderInside);
        grid_.SetHeaderColor(title);
        grid_.SetHeaderBkColor(columnBg);
        grid_.SetScrollArrowColor(arrow);
        grid_.SetScrollButtonColor(button);
        grid_.SetScrollFaceColor(face);
        grid_.SetScrollDarkColor(dark);
        grid_.SetScrollLightColor(light);
        grid_.ApplyTheme(theme);
        grid_.ThemeBlock().ReadFonts(theme);
        loadHeader();
        grid_.FreezeFundColumns();
        if (filterBar_) filterBar_->ApplyTheme(theme);
    }
    grid_.LoadZoom();
    grid_.SetZoom(grid_.Zoom());
    // A new font size reaches the page here, as it reaches the grid: the strip, the search box
    // and the filter bar take it at the same moment.
    WGUI::UiScale scale = pageScale(hwnd_, grid_);
    titleFont_.reset(createTitleFont(scale));
    if (filterBar_) filterBar_->SetScale(scale);
    if (freshnessLabel_) ::SendMessageW(freshnessLabel_, WM_SETFONT, WPARAM(stripTextFont(filterBar_.get())), FALSE);
    RECT client = {};
    if (hwnd_ && GetClientRect(&client)) OnSize(client.right - client.left, client.bottom - client.top);
    grid_.Refresh(false, true);
    grid_.Invalidate(TRUE);
    if (hwnd_) {
        Invalidate(TRUE);
        if (freshnessLabel_) ::InvalidateRect(freshnessLabel_, nullptr, TRUE); // asks for the new colours
        ::UpdateWindow(hwnd_);
    }
}

void ClosedFundPage::releaseHostReferences()
{
    tabCtrl_.reset();
    grid_.ReleaseFundTable();
    database_.reset();
    updateThread_.reset();
    app_.reset();
    grid_.SetApp(nullptr);
}

bool ClosedFundPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_CREATE:
        if (OnCreate()) return false;
        *result = -1; // CreateWindowEx fails: the page has no window
        return true;
    case WM_DESTROY: OnDestroy(); return false;
    case WM_SIZE: OnSize(LOWORD(lParam), HIWORD(lParam)); return false;
    case WM_PAINT: OnPaint(); return true;
    case WM_ERASEBKGND: *result = 1; return true;
    case WM_SHOWWINDOW: OnShowWindow(wParam != 0); return false;
    case WM_TIMER: OnTimer(wParam); return false;
    case WM_APP_RELOAD: OnReloadMessage(); return true;
    case WM_APP_UPDATE_FINISHED: OnUpdateFinished(); return true;
    case WM_APP_DATABASE_READY: OnDatabaseReady(); return true;
    case WM_NEXTDLGCTL: OnNextControl(wParam, LOWORD(lParam) != 0); return true;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) != freshnessLabel_) return false;
        *result = OnStripColor(reinterpret_cast<HDC>(wParam));
        return true;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->idFrom == kGridControlId && int(header->code) == kGridReloadCode) reload(true);
        return false;
    }
    default: return false;
    }
}

// The grid and the filter bar. A grid without its views cannot show anything: the page is
// then not built at all ("no data component."), and the caller sees the creation fail.
bool ClosedFundPage::OnCreate()
{
    // The host creates the page on its user-interface thread: its services are looked for here.
    HostServices::get();
    if (!grid_.DisplayView()) {
        logWarning(L"closed-fund page: no data component.");
        return false;
    }
    setEventWindow(hwnd_);
    RECT none = {0, 0, 0, 0};
    // The grid and the filter bar's controls are one Tab cycle: the bar only groups its
    // buttons (a control parent), the page moves the focus (OnNextControl).
    grid_.Create(L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, none, hwnd_);
    grid_.SetAccessibleName(kTitle);
    grid_.SetBdColor(0xFFFFFF);
    grid_.SetHeaderFont(L"宋体", 12);
    grid_.FreezeFundColumns();

    filterBar_ = std::make_unique<FilterWnd>(grid_.DisplayView());
    filterBar_->Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, none, hwnd_);
    for (const FilterColumnSetup& c : kFilterColumns)
        filterBar_->AddFilterColumn(c.name, c.caption, c.showSlot, c.collect, c.locked, L"", c.multi);
    // Companies are stored behind their pinyin initial; people read them as the grid shows them.
    filterBar_->SetShownValue(L"company", &shortCompanyName);
    // People also look a fund up by its exchange code and by the start of its pinyin initials.
    filterBar_->AddSearchColumn(L"code", false);
    filterBar_->AddSearchColumn(L"pycode", true);
    for (const NumericColumn& column : numericColumns(loadTextResource(moduleInstance(), L"XML", L"GRIDHEADER")))
        filterBar_->AddNumericColumn(column);
    screens_ = std::make_unique<PageScreens>(
        grid_, [this] { return app_ ? app_->getUserConf() : XComPtr<Host::IConfManager>(); });
    filterBar_->SetScreenKeeper(screens_.get());
    freshnessLabel_ =
        ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_RIGHT | SS_CENTERIMAGE | SS_ENDELLIPSIS | SS_NOPREFIX, 0, 0,
                          0, 0, hwnd_, nullptr, moduleInstance(), nullptr);
    ::SendMessageW(freshnessLabel_, WM_SETFONT, WPARAM(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    grid_.SetNumericConditionHandler(
        [this](const XStringW& column) {
            for (const NumericColumn& numeric : filterBar_->NumericColumns())
                if (numeric.name == column) return true;
            return false;
        },
        [this](const XStringW& column) { filterBar_->AskForNumeric(column); });
    return true;
}

// Tab from any of the page's controls: as a dialog does, wParam names the window to focus
// when direct is set, else 0 moves on to the next control and 1 back to the previous one.
void ClosedFundPage::OnNextControl(WPARAM wParam, bool direct)
{
    HWND target = direct ? reinterpret_cast<HWND>(wParam) : Common::NextTabStop(hwnd_, ::GetFocus(), wParam != 0);
    if (target && ::IsChild(hwnd_, target)) ::SetFocus(target);
}

void ClosedFundPage::OnDestroy()
{
    setEventWindow(nullptr);
    if (filterBar_) {
        if (filterBar_->IsWindow()) filterBar_->DestroyWindow();
        filterBar_.reset();
    }
    hideRefreshIndicator();
    indicator_.reset();
    freshnessLabel_ = nullptr; // goes with the page's window
}

HFONT ClosedFundPage::titleFont()
{
    if (!titleFont_.get()) titleFont_.reset(createTitleFont(pageScale(hwnd_, grid_)));
    return titleFont_.get();
}

TitleStrip ClosedFundPage::titleStrip()
{
    RECT client = {};
    if (hwnd_) GetClientRect(&client);
    WGUI::UiScale scale = pageScale(hwnd_, grid_);
    HFONT textFont = stripTextFont(filterBar_.get());
    TitleStrip strip = layoutTitleStrip(titleFont(), client.right - client.left, StatusText(), scale, textFont);
    placeFreshness(strip, freshness_, textFont, scale);
    return strip;
}

// The bar takes the strip from just right of the heading and the indicator to the right
// edge, or to the status line; the indicator keeps its place between them.
void ClosedFundPage::OnSize(int width, int height)
{
    int top = stripHeight(pageScale(hwnd_, grid_));
    grid_.MoveWindow(0, top, width, height - top, TRUE);
    placeStripWindows(width);
}

void ClosedFundPage::placeStripWindows(int width)
{
    WGUI::UiScale scale = pageScale(hwnd_, grid_);
    HFONT textFont = stripTextFont(filterBar_.get());
    TitleStrip strip = layoutTitleStrip(titleFont(), width, StatusText(), scale, textFont);
    XStringW freshness = placeFreshness(strip, freshness_, textFont, scale);
    if (filterBar_) filterBar_->MoveWindow(strip.bar, TRUE);
    if (freshnessLabel_) {
        const RECT& place = strip.freshness;
        wchar_t shown[64] = {};
        ::GetWindowTextW(freshnessLabel_, shown, 64);
        if (freshness != shown) ::SetWindowTextW(freshnessLabel_, freshness.c_str());
        ::ShowWindow(freshnessLabel_, freshness.empty() ? SW_HIDE : SW_SHOWNA);
        ::MoveWindow(freshnessLabel_, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    }
    if (indicator_ && indicator_->IsWindow())
        ::SetWindowPos(indicator_->GetHandle(), nullptr, strip.indicator.x, strip.indicator.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A new status line takes its room from the filter bar, and is drawn. It is the page
// window's text too, where accessibility tools (and the journey tests) read it.
void ClosedFundPage::OnStatusChanged()
{
    RECT client;
    if (!hwnd_ || !GetClientRect(&client)) return;
    ::SetWindowTextW(hwnd_, StatusText().c_str());
    placeStripWindows(client.right - client.left);
    RECT strip = {client.left, client.top, client.right, client.top + stripHeight(pageScale(hwnd_, grid_))};
    ::InvalidateRect(hwnd_, &strip, TRUE);
}

// The freshness line on the strip's background, in the theme's quiet status colour.
LRESULT ClosedFundPage::OnStripColor(HDC dc)
{
    ::SetTextColor(dc, grid_.ThemeBlock().Color("list_status"));
    ::SetBkColor(dc, background_);
    ::SetDCBrushColor(dc, background_);
    return reinterpret_cast<LRESULT>(::GetStockObject(DC_BRUSH));
}

void ClosedFundPage::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd_, &ps);
    RECT client;
    if (dc && GetClientRect(&client)) {
        Common::MemoryDC canvas(dc, client);
        if (canvas.ok()) {
            Common::ScopedGdi<HBRUSH> brush(::CreateSolidBrush(background_));
            ::FillRect(canvas, &client, brush);
            WGUI::UiScale scale = pageScale(hwnd_, grid_);
            HFONT textFont = stripTextFont(filterBar_.get());
            TitleStrip strip = titleStrip(); // the status line's place, after the freshness line took its room
            Common::SelectedObject font(canvas, titleFont());
            ::SetTextColor(canvas, grid_.ThemeBlock().Color("list_name"));
            ::SetBkMode(canvas, TRANSPARENT);
            ::TextOutW(canvas, strip.heading.left, strip.heading.top, kStripHeading, int(wcslen(kStripHeading)));
            paintStatusLine(canvas, strip.status, StatusText(), textFont, scale);
        }
    }
    ::EndPaint(hwnd_, &ps);
}

} // namespace ClosedFund
