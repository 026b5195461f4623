// The small services of the reference host that modules find by ProgID: the sort
// placeholders of the kernel's field sorters ("Client2.SortPlaceholders") and the kernel's
// log ("Client2.Log"). The client answers both names with null.
#include "ComponentRegistry.h"
#include "common/RefCounted.h"
#include "ext/DataAccess.h"
#include "ext/HostLog.h"
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

IXUnknown* createSortPlaceholders() { return new SortPlaceholders; }
IXUnknown* createHostLog() { return new HostLog; }

} // namespace

KERNEL_COMPONENT(Host::kSortPlaceholdersProgId, createSortPlaceholders);
KERNEL_COMPONENT(Host::kLogProgId, createHostLog);

} // namespace Kernel
