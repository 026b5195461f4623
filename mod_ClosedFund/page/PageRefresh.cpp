// The page's update loop: ask the updater for closed-fund data at start and one minute
// after each finished update, show the refresh indicator while a request is pending, and
// reload when new data arrives (at once when the page is visible, else at its next showing).
#include "page/ClosedFundPage.h"
#include "base/ModuleHandle.h"
#include "data/FundTable.h"
#include "page/GifWnd.h"

namespace ClosedFund {

namespace {

const char kUpdateThreadName[] = "thread_fund_update";

} // namespace

// The kernel keeps every subscription for the life of the process, so each event gets one
// cell per page however often the page is attached or given a database: a second would
// reload the page twice per event.
void ClosedFundPage::subscribeOnce(WindowCell*& cell, const char* eventName, WindowCell::Handler handler)
{
    if (cell) return;
    cell = WindowCell::subscribe(Host::getEvent(eventName).get(), handler, IsWindow() ? hwnd_ : nullptr);
}

void ClosedFundPage::setEventWindow(HWND window)
{
    for (WindowCell* cell : {afficheCell_, buyRedeemCell_, updateCell_})
        if (cell) cell->setTarget(window);
}

void ClosedFundPage::attachApp(Host::IApp* app)
{
    app_ = app;
    grid_.SetApp(app);
    subscribeOnce(afficheCell_, "event_udpate_affiche", &ClosedFundPage::onNoticeChanged);
    subscribeOnce(buyRedeemCell_, "event_update_buyredeemstate", &ClosedFundPage::onNoticeChanged);
}

void ClosedFundPage::setDatabase(Host::IDatabase* database)
{
    database_ = database;
    // The tab control shows its first page while the page is added, before the host hands
    // over the database: that showing had nothing to load, and no other showing follows.
    // The load is posted, not run here, since the host is still initialising the module.
    if (IsShownTab() && !loadPending_) loadPending_ = ::PostMessageW(hwnd_, WM_APP_DATABASE_READY, 0, 0) != 0;
    if (!app_) return;
    XComPtr<Host::IUpdateDataModule> updater = app_->getModule("mod_UpdateData").cast<Host::IUpdateDataModule>();
    if (!updater) return;
    updateThread_ = updater->getThread(kUpdateThreadName);
    if (!updateThread_) updateThread_ = updater->createThread(kUpdateThreadName, app_.get());
    if (!updateThread_) return;
    subscribeOnce(updateCell_, "event_update_closedfund", &ClosedFundPage::onClosedFundUpdated);
    updateThread_->requestUpdate(Host::UPDATE_KIND_CLOSEDFUND);
    showRefreshIndicator();
}

void ClosedFundPage::requestUpdate()
{
    if (updateThread_) updateThread_->requestUpdate(Host::UPDATE_KIND_CLOSEDFUND);
}

// Called on the updater's thread with the page's window: the page is reached only through
// messages to it, and a window that went meanwhile takes none.
void ClosedFundPage::onClosedFundUpdated(void* payload, HWND hwnd)
{
    auto* args = static_cast<const Host::UpdateEventArgs*>(payload);
    if (!args || args->status != Host::UPDATE_STATUS_FINISHED || !::IsWindow(hwnd)) return;
    if (args->changed && args->kind == Host::UPDATE_KIND_CLOSEDFUND) ::SendMessageW(hwnd, WM_APP_RELOAD, 0, 0);
    ::SendMessageW(hwnd, WM_APP_UPDATE_FINISHED, 0, 0);
}

void ClosedFundPage::onNoticeChanged(void* payload, HWND hwnd)
{
    auto* args = static_cast<const Host::UpdateEventArgs*>(payload);
    if (!args || args->status != Host::UPDATE_STATUS_FINISHED || !args->changed || !::IsWindow(hwnd)) return;
    ::SendMessageW(hwnd, WM_APP_RELOAD, 0, 0);
}

void ClosedFundPage::OnUpdateFinished()
{
    hideRefreshIndicator();
    ::SetTimer(hwnd_, kUpdateTimer, kUpdatePeriodMs, nullptr);
}

// A load that ran meanwhile (the page shown again, a refresh) already used the database. At
// start nothing pops up: the empty grid and the status line say what went wrong.
void ClosedFundPage::OnDatabaseReady()
{
    if (!loadPending_) return;
    loadPending_ = false;
    if (IsShownTab()) load(true, false);
}

void ClosedFundPage::OnTimer(UINT_PTR id)
{
    if (id != kUpdateTimer) return;
    ::KillTimer(hwnd_, kUpdateTimer); // one-shot: the next finished update sets it again
    requestUpdate();
    showRefreshIndicator();
}

void ClosedFundPage::OnReloadMessage()
{
    if (IsVisible()) {
        reload(true);
        return;
    }
    if (!grid_.FundTable()) return;
    noteFundRowsReplaced();
    grid_.FundTable()->invalidate(0);
}

void ClosedFundPage::OnShowWindow(bool shown)
{
    if (!shown) {
        grid_.ReleaseDrawingResource();
        return;
    }
    if (grid_.FundTable() && grid_.FundTable()->isEmpty()) reload(true);
}

void ClosedFundPage::showRefreshIndicator()
{
    if (!indicator_ || indicatorStale_) {
        indicatorStale_ = false;
        indicator_.reset();
        XComPtr<Host::IThemeMgr> themes = app_ ? app_->getThemeMgr() : XComPtr<Host::IThemeMgr>();
        XComPtr<Host::ITheme> theme = themes ? themes->getCurrentTheme() : XComPtr<Host::ITheme>();
        const void* bytes = nullptr;
        unsigned size = 0;
        if (!theme || !theme->getResource("refresh", bytes, size, 0)) return;
        indicator_ = std::make_unique<GifWnd>(bytes, size, background_);
    }
    if (!indicator_->IsWindow() && hwnd_) {
        RECT none = {0, 0, 0, 0};
        indicator_->Create(WS_CHILD | WS_VISIBLE, 0, L"", none, hwnd_, nullptr, moduleInstance());
    }
    if (!indicator_->IsWindow()) return;
    POINT place = titleStrip().indicator;
    ::SetWindowPos(indicator_->GetHandle(), nullptr, place.x, place.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(indicator_->GetHandle(), SW_SHOW);
}

void ClosedFundPage::hideRefreshIndicator()
{
    if (!indicator_ || !indicator_->IsWindow()) return;
    ::ShowWindow(indicator_->GetHandle(), SW_HIDE);
    indicator_->stopAnimation();
}

} // namespace ClosedFund
