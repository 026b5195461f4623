// The small services of the reference host that modules find by ProgID: the sort
// placeholders of the kernel's field sorters ("Client2.SortPlaceholders"), the kernel's log
// ("Client2.Log") and why a configuration change was not saved ("Client2.ConfStatus"). The
// client answers these names with null.
#include "ComponentRegistry.h"
#include "common/RefCounted.h"
#include "ext/ConfStatus.h"
#include "ext/DataAccess.h"
#include "ext/HostLog.h"
#include "hostapi/ConfHost.h"
#include "hostapi/DataHost.h"
#include "hostapi/KernelHost.h"

namespace Kernel {

namespace {

// Not mine: a sorter made elsewhere is left alone and the caller told so.
class SortPlaceholders final : public Common::RefCounted<Host::ISortPlaceholders> {
public:
    bool addPlaceholder(Host::IFieldSorter* sorter, const XStringW& columnName, const XStringW& storedText) override
    {
        auto* mine = dynamic_cast<Host::IFieldSorterHost*>(sorter);
        if (!mine) return false;
        mine->addPlaceholder(columnName, storedText);
        return true;
    }

    bool clearPlaceholders(Host::IFieldSorter* sorter) override
    {
        auto* mine = dynamic_cast<Host::IFieldSorterHost*>(sorter);
        if (!mine) return false;
        mine->clearPlaceholders();
        return true;
    }
};

class HostLog final : public Common::RefCounted<Host::ILog> {
public:
    void logWarning(const wchar_t* text) override { Host::logWarning(text); }
};

class ConfStatus final : public Common::RefCounted<Host::IConfStatus> {
public:
    bool lastWriteFailure(Host::IConfManager* conf, XStringW& failure) override
    {
        auto* mine = dynamic_cast<Host::IConfManagerHost*>(conf);
        if (!mine) return false;
        failure = mine->lastWriteFailure();
        return true;
    }
};

IXUnknown* createSortPlaceholders() { return new SortPlaceholders; }
IXUnknown* createHostLog() { return new HostLog; }
IXUnknown* createConfStatus() { return new ConfStatus; }

} // namespace

KERNEL_COMPONENT(Host::kSortPlaceholdersProgId, createSortPlaceholders);
KERNEL_COMPONENT(Host::kLogProgId, createHostLog);
KERNEL_COMPONENT(Host::kConfStatusProgId, createConfStatus);

} // namespace Kernel
