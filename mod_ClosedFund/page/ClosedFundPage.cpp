#include "page/ClosedFundPage.h"
#include "common/MemoryDC.h"
#include "common/TabOrder.h"
#include "data/FundTable.h"
#include "filter/FilterWnd.h"
#include "host/Kernel.h"
#include "base/ModuleHandle.h"
#include "page/GifWnd.h"
#include "page/ReloadJob.h"
#include "page/TitleStrip.h"
#include "grid/GridTexts.h"
#include "page/WaitDialog.h"
#include "page/WorkerThread.h"
#include "ui/WindowClass.h"
#include <algorithm>

namespace ClosedFund {

namespace {

const wchar_t kClassName[] = L"Client2_ClosedFundPage";
const wchar_t kTitle[] = L"封闭式基金";
const UINT kGridControlId = 1001;
const int kGridReloadCode = -753;
const wchar_t kNoData[] = L"没有数据";
const wchar_t kUnreadable[] = L"无法读取基金数据";

// The filter bar's columns: name, caption, show slot, collect, locked, prefix, multi.
struct FilterColumnSetup {
    const wchar_t* name;
    const wchar_t* caption;
    bool showSlot, collect, locked, multi;
};
const FilterColumnSetup kFilterColumns[] = {
    {L"aliascode", L"代码", false, false, false, false},      {L"name", L"名称", false, false, false, false},
    {L"investtype", L"投资类型", false, false, false, false}, {L"fundtype", L"基金类型", false, false, false, false},
    {L"investstyle", L"投资风格", false, true, false, true},  {L"company", L"基金公司", true, true, false, true},
};

} // namespace

// The data date stays empty (shown as "--") until a fill reads one: today's date over rows
// that are not today's, or over no rows at all, would say something untrue.
ClosedFundPage::ClosedFundPage() : referenceDate_(localReferenceDate()) {}

ClosedFundPage::~ClosedFundPage()
{
    // Events outlive any page: a page that goes (a test's, or at process exit) must not be
    // called afterwards.
    for (const char* name : {"event_udpate_affiche", "event_update_buyredeemstate"})
        if (XComPtr<Host::IEvent> event = Host::getEvent(name))
            event->unsubscribe(&ClosedFundPage::onNoticeChanged, this);
    if (XComPtr<Host::IEvent> event = Host::getEvent("event_update_closedfund"))
        event->unsubscribe(&ClosedFundPage::onClosedFundUpdated, this);
    if (IsWindow()) DestroyWindow();
}

HWND ClosedFundPage::create(HWND parent, Host::ITabCtrl* tabCtrl)
{
    HINSTANCE instance = moduleInstance();
    if (!WGUI::RegisterWindowClass(instance, kClassName, ::LoadIconW(nullptr, IDI_APPLICATION))) return nullptr;
    tabCtrl_ = tabCtrl;
    RECT none = {0, 0, 0, 0};
    return Create(WS_CHILD | WS_CLIPCHILDREN, 0, kClassName, L"", none, parent, 0, instance, &thunk_);
}

bool ClosedFundPage::isCreated() { return IsWindow(); }
void ClosedFundPage::show()
{
    if (hwnd_) ::ShowWindow(hwnd_, SW_SHOW);
}
void ClosedFundPage::hide()
{
    if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
}
void ClosedFundPage::redraw()
{
    if (hwnd_) Invalidate(TRUE);
}
XStringW ClosedFundPage::getTitle() { return kTitle; }

void ClosedFundPage::move(int x, int y, int width, int height)
{
    if (hwnd_) ::SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ClosedFundPage::applyViewFilters(Host::IDataFilter* displayOut, Host::IDataFilter* displayIn,
                                      Host::IDataFilter* sortedOut, Host::IDataFilter* sortedIn)
{
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
}

void ClosedFundPage::rebuildDisplayView()
{
    if (grid_.DisplayView()) grid_.DisplayView()->rebuild(1);
}

void ClosedFundPage::loadHeader() { grid_.SetHeaderText(grid_.LoadHeaderText()); }

void ClosedFundPage::reload(bool wait) { load(wait, true); }

// A reload asked for while one runs (the page answers messages meanwhile) is not started
// inside it: it runs once after it, with the wait and box flags of all who asked.
bool ClosedFundPage::load(bool wait, bool boxOnFailure)
{
    if (reloading_) {
        reloadAgain_ = true;
        againWait_ = againWait_ || wait;
        againBox_ = againBox_ || boxOnFailure;
        return false;
    }
    reloading_ = true;
    bool filled = loadOnce(wait, boxOnFailure);
    while (reloadAgain_ && IsWindow()) {
        reloadAgain_ = false;
        bool nextWait = againWait_, nextBox = againBox_;
        againWait_ = againBox_ = false;
        filled = loadOnce(nextWait, nextBox);
    }
    reloadAgain_ = againWait_ = againBox_ = false;
    reloading_ = false;
    return filled;
}

// The data date is written only when the rows that go with it are in: a failed fill keeps
// the rows and the date they were read with.
bool ClosedFundPage::loadOnce(bool wait, bool boxOnFailure)
{
    ++loadAttempts_;
    loadPending_ = false;
    if (!database_) {
        grid_.SetEmptyText(kNoData);
        return false;
    }
    XStringW date = grid_.DataDate(), error;
    if (!queryDataDate(database_.get(), date, error)) {
        // A closed database was always quiet here (the host reports it); a statement that
        // cannot be prepared is shown when someone asked for the reload.
        if (boxOnFailure && database_->isOpen()) ::MessageBoxW(nullptr, error.c_str(), L"ERROR", MB_OK);
        reportLoadFailure(error);
        return false;
    }
    XComPtr<Host::IDataTable> table(grid_.FundTable());
    XComPtr<Host::IDatabase> database(database_);
    ReloadJob* job = ReloadJob::create(database.get(), referenceDate_, table.get());
    if (!table || !job) {
        if (job) job->release();
        reportLoadFailure(L"no data component.");
        return false;
    }
    bool kept = true;
    {
        WaitDialog waitDialog(L"正在查询数据，请稍等...");
        if (wait && waitDialog.Open(moduleInstance(), hwnd_)) {
            ::ShowWindow(waitDialog.GetHandle(), SW_SHOW);
            ::UpdateWindow(waitDialog.GetHandle());
        }
        // Only a reload someone waits for with the dialog runs beside the message loop; the
        // module's getDataTable, which hands the table over at once, fills it here.
        if (wait && IsWindow())
            kept = runPumping(job);
        else
            job->runHere();
        if (waitDialog.IsWindow()) waitDialog.DestroyWindow();
    }
    // The page lost its window or its table while the fill ran: nobody is left to show the
    // rows, which go with the job.
    if (!kept || grid_.FundTable() != table.get()) {
        job->cancel();
        job->release();
        return false;
    }
    bool filled = job->filled();
    if (filled) {
        adoptRows(table.get(), job, date);
    } else {
        // The rows stay as they were; say why instead of showing old data silently.
        error = job->error();
        if (boxOnFailure) ::MessageBoxW(nullptr, error.c_str(), L"ERROR", MB_OK);
        reportLoadFailure(error);
        loadHeader();
        if (grid_.SortedView()) grid_.SortedView()->rebuild(1);
    }
    job->release();
    return filled;
}

// The new rows, the header with their date and the views, all inside one bracket on the
// sorted view: the views rebuild once, after the header, however many changes asked.
void ClosedFundPage::adoptRows(Host::IDataTable* table, ReloadJob* job, const XStringW& date)
{
    Host::IDataView* sorted = grid_.SortedView();
    XComPtr<Host::IUpdateContext> bracket = sorted ? sorted->beginUpdate() : XComPtr<Host::IUpdateContext>();
    grid_.DataDate() = date;
    grid_.SetEmptyText(kNoData);
    loaded_ = true;
    loadHeader();
    adoptFundRows(table, job->staging());
    if (sorted) sorted->rebuild(1);
    if (bracket) bracket->endUpdate();
    // An earlier failure left its message in the status bar; the rows are good again.
    if (failureShown_) {
        failureShown_ = false;
        showStatus(L"封闭式基金：已载入 " + std::to_wstring(table->getRowCount()) + L" 只基金");
    }
}

bool ClosedFundPage::runPumping(ReloadJob* job)
{
    if (!reloadWorker_) reloadWorker_ = std::make_unique<thread>(4);
    reloadWorker_->start(); // 1 when it runs already
    if (reloadWorker_->getState() == thread::STOPPED || !job->post(*reloadWorker_)) {
        job->runHere();
        return true;
    }
    HWND page = hwnd_;
    HANDLE done = job->doneEvent();
    for (;;) {
        DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &done, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke != WAIT_OBJECT_0 + 1) return ::WaitForSingleObject(done, INFINITE) == WAIT_OBJECT_0;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // The host's own loop must still see it, after this reload gives up.
                ::PostQuitMessage(int(msg.wParam));
                return false;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (!::IsWindow(page)) return false;
        if (job->isDone()) return true;
    }
}

// Shown in the empty grid and in the host's status bar: an empty page must say why. Rows
// kept from an earlier load stay, and a filter that hides them all still means no data.
void ClosedFundPage::reportLoadFailure(const XStringW& error)
{
    if (!grid_.FundTable() || grid_.FundTable()->getRowCount() == 0)
        grid_.SetEmptyText(error.empty() ? XStringW(kUnreadable) : XStringW(kUnreadable) + L"\n" + error);
    failureShown_ = true;
    showStatus(L"封闭式基金：" + XStringW(kUnreadable) + (error.empty() ? XStringW() : L"（" + error + L"）"));
}

void ClosedFundPage::showStatus(const XStringW& text)
{
    XComPtr<Host::IMainFrameModule> frame =
        app_ ? app_->getModule("mod_MainFrame").cast<Host::IMainFrameModule>() : XComPtr<Host::IMainFrameModule>();
    if (frame) frame->setStatusText(text);
}

void ClosedFundPage::applyTheme(Host::ITheme* theme)
{
    if (theme) {
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
    grid_.Refresh(false, true);
    grid_.Invalidate(TRUE);
    if (hwnd_) {
        Invalidate(TRUE);
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
    if (!grid_.DisplayView()) {
        Host::logWarning(L"closed-fund page: no data component.");
        return false;
    }
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
    if (filterBar_) {
        if (filterBar_->IsWindow()) filterBar_->DestroyWindow();
        filterBar_.reset();
    }
    hideRefreshIndicator();
    indicator_.reset();
}

HFONT ClosedFundPage::titleFont()
{
    if (!titleFont_.get()) titleFont_.reset(createTitleFont());
    return titleFont_.get();
}

TitleStrip ClosedFundPage::titleStrip()
{
    RECT client = {};
    if (hwnd_) GetClientRect(&client);
    return layoutTitleStrip(titleFont(), client.right - client.left);
}

// The bar takes the strip from just right of the heading and the indicator to the right
// edge; the indicator keeps its place between them.
void ClosedFundPage::OnSize(int width, int height)
{
    grid_.MoveWindow(0, kStripHeight, width, height - kStripHeight, TRUE);
    TitleStrip strip = layoutTitleStrip(titleFont(), width);
    if (filterBar_) filterBar_->MoveWindow(strip.bar, TRUE);
    if (indicator_ && indicator_->IsWindow())
        ::SetWindowPos(indicator_->GetHandle(), nullptr, strip.indicator.x, strip.indicator.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
            TitleStrip strip = layoutTitleStrip(titleFont(), client.right - client.left);
            Common::SelectedObject font(canvas, titleFont());
            ::SetTextColor(canvas, grid_.ThemeBlock().Color("list_name"));
            ::SetBkMode(canvas, TRANSPARENT);
            ::TextOutW(canvas, strip.heading.left, strip.heading.top, kStripHeading, int(wcslen(kStripHeading)));
        }
    }
    ::EndPaint(hwnd_, &ps);
}

} // namespace ClosedFund
