#include "page/ReloadJob.h"
#include "base/HostServices.h"
#include "data/CellReader.h"
#include "data/FundTable.h"
#include "host/Kernel.h"

namespace ClosedFund {

// Everything the job asks of the kernel (the staging table, its cell access, the row bound,
// the stored query) is asked here, on the page's thread: the client's kernel is made for
// its user-interface thread, and the worker then touches only the fill service and the
// staging table it alone fills.
ReloadJob* ReloadJob::create(Host::ITableFill* fill, Host::IDatabase* database, const XStringW& referenceDate,
                             Host::IDataTable* sizeModel)
{
    if (!fill || !database) return nullptr;
    XComPtr<Host::IDataTable> staging = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    XComPtr<Host::ICellAccess> cells = staging ? HostServices::get().cellAccess(staging.get()) : nullptr;
    if (!cells) return nullptr;
    if (sizeModel) fill->reserveLike(staging.get(), sizeModel);
    Common::ScopedHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done.valid()) return nullptr;
    auto* job = new ReloadJob;
    job->fill_ = fill;
    job->database_ = database;
    job->query_ = fundQuery();
    job->rowBound_ = fundRowBound(database);
    job->referenceDate_ = referenceDate;
    job->staging_ = staging;
    job->stagingCells_ = cells;
    job->done_ = std::move(done);
    return job;
}

bool ReloadJob::post(thread& worker)
{
    addRef(); // the queue's reference, dropped by onTaskDone
    if (worker.post(this, this)) return true;
    release();
    return false;
}

void ReloadJob::run()
{
    ran_ = true;
    if (!cancelled_) {
        CellReader cells(staging_.get(), stagingCells_);
        filled_ = fillStagingTable(fill_.get(), database_.get(), query_, rowBound_, staging_.get(), cells,
                                   referenceDate_, error_);
    }
    SetEvent(done_.get());
}

// A job its worker never ran says so: the page waiting on it shows why nothing came.
void ReloadJob::onTaskDone(task*)
{
    if (!ran_) error_ = L"the reload was stopped before it ran.";
    SetEvent(done_.get());
    release();
}

} // namespace ClosedFund
