// The closed-fund tab page: a title strip with the filter bar and the refresh indicator,
// and the closed-fund grid below it. It owns the grid, keeps the host references the data
// needs, follows the theme, and turns window messages into layout, painting and reloads.
#pragma once
#include "page/PageScreens.h"
#include "base/EventCell.h"
#include "common/ScopedWin.h"
#include "grid/ClosedFundGrid.h"
#include "page/TitleStrip.h"
#include "ext/TableFill.h"
#include "host/Modules.h"
#include "ui/WindowBase.h"
#include "ui/WindowProc.h"
#include <memory>

namespace ClosedFund {

class FilterWnd;
class GifWnd;
class ReloadJob;
class thread;

class ClosedFundPage : public Host::ITabPage, public WGUI::WindowBase {
public:
    // Sent to the page to reload on the user-interface thread (the updater's events come
    // from its own thread).
    enum { WM_APP_RELOAD = 0x410, kUpdateTimer = 100, kUpdatePeriodMs = 60000 };
    // Sent by the update handler so that the indicator and the timer are handled by the
    // page's own thread (a timer can only be set by the thread that owns the window).
    enum { WM_APP_UPDATE_FINISHED = 0x411 };
    // Posted by setDatabase to a page that is showing: the load runs from the message loop,
    // once the host has finished initialising the module.
    enum { WM_APP_DATABASE_READY = 0x412 };

    ClosedFundPage();
    ~ClosedFundPage() override;
    ClosedFundPage(const ClosedFundPage&) = delete;
    ClosedFundPage& operator=(const ClosedFundPage&) = delete;

    // ITabPage: the page lives as long as the module and counts no references.
    int addRef() override { return 1; }
    int release() override { return 1; }
    HWND create(HWND parent, Host::ITabCtrl* tabCtrl) override;
    bool isCreated() override;
    XComPtr<Host::ITabCtrl> getTabCtrl() override { return tabCtrl_; }
    void show() override;
    void hide() override;
    void redraw() override;
    void move(int x, int y, int width, int height) override;
    XStringW getTitle() override;
    void applyViewFilters(Host::IDataFilter* displayOut, Host::IDataFilter* displayIn, Host::IDataFilter* sortedOut,
                          Host::IDataFilter* sortedIn) override;
    void rebuildDisplayView() override;

    // Reads the data date and fills the table (with the wait dialog when wait is set), then
    // the header with the date and the views. Nothing happens without an open database.
    // With the wait flag and a page window the query runs on the page's reload worker while
    // this thread goes on answering; the call still returns only when the reload is over.
    // A reload asked for meanwhile (an update, a refresh) runs once, right after.
    void reload(bool wait);
    bool isReloading() const { return reloading_; }
    // True once a fill has succeeded; the count of load attempts, whatever their outcome.
    bool hasLoaded() const { return loaded_; }
    int loadAttempts() const { return loadAttempts_; }
    void applyTheme(Host::ITheme* theme);
    void releaseHostReferences();

    // The update loop.
    void attachApp(Host::IApp* app);
    void setDatabase(Host::IDatabase* database);
    void showRefreshIndicator();
    void hideRefreshIndicator();
    // The next showing of the indicator rebuilds it from the then current theme.
    void markRefreshIndicatorStale() { indicatorStale_ = true; }

    closedFundGrid& grid() { return grid_; }
    FilterWnd* filterBar() const { return filterBar_.get(); }
    GifWnd* refreshIndicator() const { return indicator_.get(); }
    const XStringW& referenceDate() const { return referenceDate_; }
    // The status line the page shows at the right of its title strip, kept until the next
    // one: what the page and its grid have to say when the host has no status bar (with one,
    // it goes there and this stays as it was).
    const XStringW& StatusText() const { return grid_.StatusText(); }
    // Where the heading, the indicator and the filter bar stand at the page's width.
    TitleStrip titleStrip();
    bool IsVisible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }
    // The page is the tab shown, whether or not the main window is on screen yet.
    bool IsShownTab() const { return hwnd_ && (::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE); }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    bool OnCreate();
    void OnDestroy();
    void OnSize(int width, int height);
    // The filter bar and the indicator where the title strip has them at this width.
    void placeStripWindows(int width);
    void OnPaint();
    HFONT titleFont();
    void OnTimer(UINT_PTR id);
    void OnShowWindow(bool shown);
    void OnReloadMessage();
    void OnUpdateFinished();
    void OnDatabaseReady();
    void OnNextControl(WPARAM wParam, bool direct);
    // The reload itself; a failure shows its message box only when boxOnFailure is set.
    // True when the table was filled.
    bool load(bool wait, bool boxOnFailure);
    bool loadOnce(bool wait, bool boxOnFailure);
    // With the host's table fill service: the query on the reload worker, the rows swapped in
    // here; a failed query keeps the rows.
    bool loadThroughService(Host::ITableFill* fill, Host::IDataTable* table, const XStringW& date, bool wait,
                            bool boxOnFailure);
    // Through the host contract alone, on this thread: the query straight into the table.
    bool loadThroughContract(Host::IDataTable* table, const XStringW& date, bool wait, bool boxOnFailure);
    // Runs the job on the reload worker and waits for it while dispatching this thread's
    // messages; false when the wait was given up (the page window went away, or the
    // application is quitting) and the job's rows are to be dropped.
    bool runPumping(ReloadJob* job);
    // Inside the sorted view's bracket, with the new rows in: their date and the header.
    void acceptRows(const XStringW& date);
    // The strip's freshness line for rows of that date loaded now.
    void showFreshness(const XStringW& date);
    LRESULT OnStripColor(HDC dc);
    // After the rows were accepted: an earlier failure's message gives way.
    void noteLoaded(Host::IDataTable* table);
    // A failed fill: the message box when asked for, the report, the header and the views.
    void failLoad(const XStringW& error, bool boxOnFailure);
    void reportLoadFailure(const XStringW& error);
    void showStatus(const XStringW& text);
    void OnStatusChanged();
    void loadHeader();
    void requestUpdate();

    // The update events reach the page through cells that hold its window (the events fire
    // on the updater's thread; the page is reached by a message sent to the window).
    typedef EventCell<HWND> WindowCell;
    static void onClosedFundUpdated(void* payload, HWND hwnd);
    static void onNoticeChanged(void* payload, HWND hwnd);
    // One cell per event: a cell that exists is not subscribed again; an event that does not
    // exist yet is tried again at the next call.
    void subscribeOnce(WindowCell*& cell, const char* eventName, WindowCell::Handler handler);
    void setEventWindow(HWND window);

    WGUI::WindowProc thunk_;
    std::unique_ptr<FilterWnd> filterBar_;
    bool indicatorStale_ = false;
    std::unique_ptr<GifWnd> indicator_;
    COLORREF background_ = RGB(255, 255, 255);
    closedFundGrid grid_;
    // The filter bar's saved screens; after the grid, which it uses.
    std::unique_ptr<PageScreens> screens_;
    Common::ScopedGdi<HFONT> titleFont_;
    // When the rows on screen were loaded and of which date; a child window of the strip, so
    // that accessibility tools (and the journey tests) read what it shows.
    Freshness freshness_;
    HWND freshnessLabel_ = nullptr;
    XComPtr<Host::IApp> app_;
    XComPtr<Host::IDatabase> database_;
    XComPtr<Host::IUpdateThread> updateThread_;
    XStringW referenceDate_;
    XComPtr<Host::ITabCtrl> tabCtrl_;
    bool loaded_ = false;
    bool failureShown_ = false; // the status line says the last load failed
    bool loadPending_ = false;  // a WM_APP_DATABASE_READY is on its way
    int loadAttempts_ = 0;
    WindowCell* afficheCell_ = nullptr;
    WindowCell* buyRedeemCell_ = nullptr;
    WindowCell* updateCell_ = nullptr;
    bool reloading_ = false;
    bool reloadAgain_ = false; // asked for while reloading: the flags of the next one
    bool againWait_ = false;
    bool againBox_ = false;
    // Started by the first reload that needs it. Declared last so it goes first: its
    // destructor waits for a fill still running.
    std::unique_ptr<thread> reloadWorker_;
};

} // namespace ClosedFund
