// The page's reload: the data date, then the stored query into the fund table, the header
// with the date and the views, with the wait dialog when someone waits. The date shown is
// the one the rows carry: the separate date read only finds a broken or closed database
// early and stands in when no rows came. With the host's table fill service the query runs
// on the page's reload worker into a staging table that is swapped in; through the host
// contract alone it runs here, straight into the table.
#include "page/ClosedFundPage.h"
#include "base/HostServices.h"
#include "base/ModuleHandle.h"
#include "data/FundTable.h"
#include "page/ReloadJob.h"
#include "page/WaitDialog.h"
#include "page/WorkerThread.h"
#include <string>

namespace ClosedFund {

namespace {

const wchar_t kNoData[] = L"没有数据";
const wchar_t kUnreadable[] = L"无法读取基金数据";
const wchar_t kWaiting[] = L"正在查询数据，请稍等...";

// The wait dialog of one reload, shown at once when someone waits for the reload.
class ShownWaitDialog {
public:
    ShownWaitDialog(bool wait, HWND owner) : dialog_(kWaiting)
    {
        if (!wait || !dialog_.Open(moduleInstance(), owner)) return;
        ::ShowWindow(dialog_.GetHandle(), SW_SHOW);
        ::UpdateWindow(dialog_.GetHandle());
    }
    ShownWaitDialog(const ShownWaitDialog&) = delete;
    ShownWaitDialog& operator=(const ShownWaitDialog&) = delete;
    ~ShownWaitDialog()
    {
        if (dialog_.IsWindow()) dialog_.DestroyWindow();
    }
private:
    WaitDialog dialog_;
};

// The wait dialog and a failure's message box take the activation from the main window; when
// it comes back the main window itself gets the keyboard focus, and the arrows, End and
// typing reach nothing until the person clicks. The focus goes back where it was, unless the
// person put it elsewhere meanwhile or left for another program.
class KeptFocus {
public:
    KeptFocus() : focus_(::GetFocus()) {}
    KeptFocus(const KeptFocus&) = delete;
    KeptFocus& operator=(const KeptFocus&) = delete;
    ~KeptFocus()
    {
        if (!focus_ || !::IsWindow(focus_) || ::GetFocus() == focus_) return;
        HWND root = ::GetAncestor(focus_, GA_ROOT);
        HWND now = ::GetFocus();
        if ((now && now != root) || ::GetActiveWindow() != root) return;
        if (::IsWindowVisible(focus_) && ::IsWindowEnabled(focus_)) ::SetFocus(focus_);
    }
private:
    HWND focus_;
};

} // namespace

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
    KeptFocus focus;
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

// The data date is written only when the rows that go with it are in, and is taken from
// those rows: an update committed between the date read and the fill, or a fill that kept
// the old rows, cannot pair rows with another update's date.
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
    // Held here: the page may let go of its references while the reload waits.
    XComPtr<Host::IDataTable> table(grid_.FundTable());
    if (!table) {
        reportLoadFailure(L"no data component.");
        return false;
    }
    if (Host::ITableFill* fill = HostServices::get().workerFill())
        return loadThroughService(fill, table.get(), date, wait, boxOnFailure);
    return loadThroughContract(table.get(), date, wait, boxOnFailure);
}

bool ClosedFundPage::loadThroughService(Host::ITableFill* fill, Host::IDataTable* table, const XStringW& date,
                                        bool wait, bool boxOnFailure)
{
    XComPtr<Host::IDatabase> database(database_);
    ReloadJob* job = ReloadJob::create(fill, database.get(), referenceDate_, table);
    if (!job) {
        reportLoadFailure(L"no data component.");
        return false;
    }
    bool kept = true;
    {
        ShownWaitDialog waitDialog(wait, hwnd_);
        // Only a reload someone waits for with the dialog runs beside the message loop; the
        // module's getDataTable, which hands the table over at once, fills it here.
        if (wait && IsWindow())
            kept = runPumping(job);
        else
            job->runHere();
    }
    // The page lost its window or its table while the fill ran: nobody is left to show the
    // rows, which go with the job.
    if (!kept || grid_.FundTable() != table) {
        job->cancel();
        job->release();
        return false;
    }
    bool filled = job->filled();
    if (filled) {
        // The new rows, the header with their date and the views, all inside one bracket on
        // the sorted view: the views rebuild once, after the header.
        Host::IDataView* sorted = grid_.SortedView();
        XComPtr<Host::IUpdateContext> bracket = sorted ? sorted->beginUpdate() : XComPtr<Host::IUpdateContext>();
        acceptRows(rowsDataDate(job->staging(), date));
        adoptFundRows(job->fill(), table, job->staging());
        if (sorted) sorted->rebuild(1);
        if (bracket) bracket->endUpdate();
        noteLoaded(table);
    } else {
        // The rows stay as they were; say why instead of showing old data silently.
        failLoad(job->error(), boxOnFailure);
    }
    job->release();
    return filled;
}

// The contract's fillTable gives no error text, so the query is prepared first: a broken
// one is shown before anything is replaced. A fill that leaves no rows where there were
// some is taken for a failure; those rows are gone then, as the contract has no way to
// keep them.
bool ClosedFundPage::loadThroughContract(Host::IDataTable* table, const XStringW& date, bool wait, bool boxOnFailure)
{
    XStringW query = fundQuery(), error;
    if (!database_->prepare(query, error)) {
        failLoad(error, boxOnFailure);
        return false;
    }
    bool filled = false;
    {
        ShownWaitDialog waitDialog(wait, hwnd_);
        Host::IDataView* sorted = grid_.SortedView();
        XComPtr<Host::IUpdateContext> bracket = sorted ? sorted->beginUpdate() : XComPtr<Host::IUpdateContext>();
        filled = refillFundTable(database_.get(), query, table, referenceDate_, error);
        if (filled) acceptRows(rowsDataDate(table, date));
        if (sorted) sorted->rebuild(1);
        if (bracket) bracket->endUpdate();
    }
    if (!filled) {
        failLoad(error, boxOnFailure);
        return false;
    }
    noteLoaded(table);
    return true;
}

void ClosedFundPage::acceptRows(const XStringW& date)
{
    grid_.DataDate() = date;
    grid_.SetEmptyText(kNoData);
    loaded_ = true;
    loadHeader();
    showFreshness(date);
}

// Said by every reload that fills the screen (start, F5, an update); a failed one leaves the
// line as it was, since the rows on screen are still those.
void ClosedFundPage::showFreshness(const XStringW& date)
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    freshness_ = freshnessOf(date, now);
    RECT client;
    if (GetClientRect(&client)) placeStripWindows(client.right - client.left);
}

// An earlier failure left its message in the status line; the rows are good again. The
// first rows also bring back the order the person left them in.
void ClosedFundPage::noteLoaded(Host::IDataTable* table)
{
    grid_.RestoreSavedSort();
    if (!failureShown_) return;
    failureShown_ = false;
    showStatus(L"封闭式基金：已载入 " + std::to_wstring(table->getRowCount()) + L" 只基金");
}

void ClosedFundPage::failLoad(const XStringW& error, bool boxOnFailure)
{
    if (boxOnFailure) ::MessageBoxW(nullptr, error.c_str(), L"ERROR", MB_OK);
    reportLoadFailure(error);
    loadHeader();
    if (grid_.SortedView()) grid_.SortedView()->rebuild(1);
}

bool ClosedFundPage::runPumping(ReloadJob* job)
{
    if (!reloadWorker_) reloadWorker_ = std::make_unique<thread>(4);
    reloadWorker_->start(); // 1 when it runs already
    // Posted only to a worker that will take it: one stopping may have drained its queue
    // already, and the job would wait for the next start.
    int state = reloadWorker_->getState();
    if ((state != thread::RUNNING && state != thread::STARTING) || !job->post(*reloadWorker_)) {
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

// Shown in the empty grid and in the status line: an empty page must say why. Rows
// kept from an earlier load stay, and a filter that hides them all still means no data.
// Said once: where the rows would be when there are none, else (the old rows stay) in the
// status line. The host's status bar says what the person can do about a closed database.
void ClosedFundPage::reportLoadFailure(const XStringW& error)
{
    failureShown_ = true;
    if (!grid_.FundTable() || grid_.FundTable()->getRowCount() == 0) {
        grid_.SetEmptyText(error.empty() ? XStringW(kUnreadable) : XStringW(kUnreadable) + L"\n" + error);
        return;
    }
    showStatus(L"封闭式基金：" + XStringW(kUnreadable) + (error.empty() ? XStringW() : L"（" + error + L"）"));
}

void ClosedFundPage::showStatus(const XStringW& text) { grid_.ShowStatus(text); }

} // namespace ClosedFund
