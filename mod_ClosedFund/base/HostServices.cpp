#include "base/HostServices.h"
#include "host/Kernel.h"
#include <atomic>

namespace ClosedFund {

namespace {

std::atomic<Host::ILog*> g_log{nullptr};

template <class T>
T* discover(const char* progId)
{
    return Host::createInstanceAs<T>(progId).detach();
}

} // namespace

HostServices::HostServices()
    : dataAccess_(discover<Host::IDataAccess>(Host::kDataAccessProgId)),
      sortPlaceholders_(discover<Host::ISortPlaceholders>(Host::kSortPlaceholdersProgId)),
      tableFill_(discover<Host::ITableFill>(Host::kTableFillProgId)), log_(discover<Host::ILog>(Host::kLogProgId)),
      confStatus_(discover<Host::IConfStatus>(Host::kConfStatusProgId))
{
    if (tableFill_ && dataAccess_ && tableFill_->isWorkerSafe()) workerFill_ = tableFill_;
    g_log.store(log_);
}

const HostServices& HostServices::get()
{
    // Never destroyed: see the members.
    static HostServices* services = new HostServices;
    return *services;
}

Host::ILog* HostServices::discoveredLog() { return g_log.load(); }

XComPtr<Host::ICellAccess> HostServices::cellAccess(Host::IDataContainer* container) const
{
    if (!dataAccess_ || !container) return {};
    return dataAccess_->access(container);
}

XStringW HostServices::writeFailure(Host::IConfManager* conf) const
{
    XStringW failure;
    if (confStatus_ && confStatus_->lastWriteFailure(conf, failure) && !failure.empty()) return failure;
    return L"用户配置未能写入";
}

} // namespace ClosedFund
