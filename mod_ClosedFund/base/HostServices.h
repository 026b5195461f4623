// The reference host's services beyond the client's interface, found once per process by
// discovery (a ProgID through createInstance). The client answers each with null, and every
// user of a service keeps a way through the host contract that gives the same result.
#pragma once
#include "ext/ConfStatus.h"
#include "ext/DataAccess.h"
#include "ext/HostLog.h"
#include "ext/TableFill.h"

namespace ClosedFund {

class HostServices {
public:
    // The process's services. The first call asks the kernel, so it must come from the
    // user-interface thread (the host's); later calls only read what was found.
    static const HostServices& get();
    // The log once get() has run, else null; for any thread, and never asks the kernel.
    static Host::ILog* discoveredLog();

    HostServices(const HostServices&) = delete;
    HostServices& operator=(const HostServices&) = delete;

    Host::IDataAccess* dataAccess() const { return dataAccess_; }
    Host::ISortPlaceholders* sortPlaceholders() const { return sortPlaceholders_; }
    Host::ILog* log() const { return log_; }
    // Why a change to conf was not kept, in words for the person: the host's own reason
    // when it gives one ("数据目录只读"), else what the read-back showed.
    Common::XStringW writeFailure(Host::IConfManager* conf) const;
    // The table fill service when it may run on a worker of ours and the host can also give
    // fast cell access (the worker writes the derived columns through it); null otherwise,
    // and the caller fills through the contract on the user-interface thread.
    Host::ITableFill* workerFill() const { return workerFill_; }
    // The fill service for its error texts, whether or not it may run on a worker.
    Host::ITableFill* tableFill() const { return tableFill_; }
    // Fast access to one of the host's tables or views; empty without the service or for a
    // container it does not know. User-interface thread.
    XComPtr<Host::ICellAccess> cellAccess(Host::IDataContainer* container) const;

private:
    HostServices();
    ~HostServices() = default;

    // One reference each, kept for the life of the process: nothing is released from the
    // library's exit code, when the host may already be gone.
    Host::IDataAccess* dataAccess_ = nullptr;
    Host::ISortPlaceholders* sortPlaceholders_ = nullptr;
    Host::ITableFill* tableFill_ = nullptr;
    Host::ITableFill* workerFill_ = nullptr;
    Host::ILog* log_ = nullptr;
    Host::IConfStatus* confStatus_ = nullptr;
};

} // namespace ClosedFund
