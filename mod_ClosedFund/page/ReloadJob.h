// One reload's fill through the host's table fill service, run on the page's reload worker:
// the stored query into a staging table and every fund's yield, away from the
// user-interface thread, which meanwhile goes on painting (the wait dialog among it) and
// answering. Everything the worker needs from the host (the staging table, its fast cell
// access, the row bound) is got here on the page's thread; the worker calls only the
// service and the staging table, which it alone uses. The page swaps the staging rows in
// when the job is done, on its own thread.
#pragma once
#include "common/ScopedWin.h"
#include "ext/DataAccess.h"
#include "ext/TableFill.h"
#include "page/WorkerThread.h"

namespace ClosedFund {

class ReloadJob final : public thread::task, public thread::TaskOwner {
public:
    // A job holding its own references to the service, the database and a new staging table,
    // so that it can finish after the page has gone; null when the kernel gives no table, the
    // host no fast access to it, or the system no event. sizeModel, when given, is the table
    // the rows will replace: the staging table makes room as it is (here, on the page's
    // thread, which owns that table). User-interface thread.
    static ReloadJob* create(Host::ITableFill* fill, Host::IDatabase* database, const XStringW& referenceDate,
                             Host::IDataTable* sizeModel = nullptr);
    ReloadJob(const ReloadJob&) = delete;
    ReloadJob& operator=(const ReloadJob&) = delete;

    // The page holds one reference, a queued job another (dropped when it is done).
    void addRef() { InterlockedIncrement(&refs_); }
    void release()
    {
        if (InterlockedDecrement(&refs_) == 0) delete this;
    }

    // Queues the job on worker; false when it could not be queued.
    bool post(thread& worker);
    // The fill itself, on the calling thread: for a page without a window, or no worker.
    void runHere() { run(); }
    // Signalled once the job has run, or will not run because its worker stopped.
    HANDLE doneEvent() const { return done_.get(); }
    bool isDone() const { return WaitForSingleObject(done_.get(), 0) == WAIT_OBJECT_0; }

    // Read after doneEvent: whether the fill succeeded, its rows, and the reason it failed.
    bool filled() const { return filled_; }
    Host::IDataTable* staging() const { return staging_.get(); }
    Host::ITableFill* fill() const { return fill_.get(); }
    const XStringW& error() const { return error_; }

    // thread::task. A fill cannot stop part-way; a job cancelled before it starts does
    // nothing, and one cancelled while running finishes and its rows are dropped.
    void cancel() override { InterlockedExchange(&cancelled_, 1); }
    void reset() override {}
    void run() override;
    // thread::TaskOwner: after run or instead of it (a stopping worker, or one destroyed
    // with the job still queued). Signals the done event and drops the queue's reference.
    void onTaskDone(task* done) override;

private:
    ReloadJob() = default;
    ~ReloadJob() override = default;

    XComPtr<Host::ITableFill> fill_;
    XComPtr<Host::IDatabase> database_;
    XStringW query_;
    int rowBound_ = 0;
    XStringW referenceDate_;
    XComPtr<Host::IDataTable> staging_;
    XComPtr<Host::ICellAccess> stagingCells_;
    Common::ScopedHandle done_;
    bool filled_ = false;
    XStringW error_;
    volatile LONG cancelled_ = 0;
    bool ran_ = false; // written before the done event is signalled, read after it
    volatile LONG refs_ = 1;
};

} // namespace ClosedFund
