#include "page/ReloadJob.h"
#include "data/FundTable.h"
#include "host/Kernel.h"

namespace ClosedFund {

// The staging table is made here, on the page's thread, so that the kernel's component
// registry is only ever asked from there.
ReloadJob* ReloadJob::create(Host::IDatabase* database, const XStringW& referenceDate, Host::IDataTable* sizeModel)
{
    XComPtr<Host::IDataTable> staging = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    if (!staging) return nullptr;
    if (sizeModel) staging->reserveLike(sizeModel);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!done) return nullptr;
    return new ReloadJob(database, referenceDate, staging, done);
}

ReloadJob::ReloadJob(Host::IDatabase* database, const XStringW& referenceDate, XComPtr<Host::IDataTable> staging,
                     HANDLE done)
    : database_(database), referenceDate_(referenceDate), staging_(staging), done_(done)
{}

bool ReloadJob::post(thread& worker)
{
    addRef(); // the queue's reference, dropped by onTaskDone
    if (worker.post(this, this)) return true;
    release();
    return false;
}

void ReloadJob::run()
{
    if (!cancelled_) filled_ = fillStagingTable(database_.get(), staging_.get(), referenceDate_, error_);
    SetEvent(done_.get());
}

void ReloadJob::onTaskDone(task*)
{
    SetEvent(done_.get());
    release();
}

} // namespace ClosedFund
