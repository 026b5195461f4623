// Dependants and update brackets of tables and views.
#include "DataSource.h"
#include "ContractMode.h"
#include <windows.h>
#include <algorithm>

namespace Kernel {

void DataSource::addDependant(DataDependant* view)
{
    if (std::find(dependants_.begin(), dependants_.end(), view) == dependants_.end()) dependants_.push_back(view);
}

void DataSource::removeDependant(DataDependant* view)
{
    dependants_.erase(std::remove(dependants_.begin(), dependants_.end(), view), dependants_.end());
}

void DataSource::rebuildDependants(int notify)
{
    // A snapshot holding each view, so that a view released by another's event sink stays
    // valid until its turn; a view detached meanwhile is skipped.
    std::vector<DataDependant*> snapshot = dependants_;
    for (DataDependant* view : snapshot) view->holdDependant();
    for (DataDependant* view : snapshot) {
        if (std::find(dependants_.begin(), dependants_.end(), view) != dependants_.end()) view->sourceRebuilt(notify);
    }
    for (DataDependant* view : snapshot) view->dropDependant();
}

void DataSource::closeBracket()
{
    if (bracketDepth_ <= 0) return;
    if (--bracketDepth_ == 0) bracketsClosed();
}

UpdateContext::UpdateContext(DataSource* source, IXUnknown* owner) : source_(source), owner_(owner)
{
    source_->openBracket();
}

int UpdateContext::addRef() { return InterlockedIncrement(&refs_); }

int UpdateContext::release()
{
    long n = InterlockedDecrement(&refs_);
    if (n == 0) {
        close();
        delete this;
    }
    return n;
}

void UpdateContext::endUpdate()
{
    Kernel::contractCall("IUpdateContext::endUpdate");
    close();
}

void UpdateContext::close()
{
    if (InterlockedExchange(&closed_, 1) == 0) source_->closeBracket();
}

DataSource* dataSourceOf(Host::IDataContainer* container)
{
    return container ? dynamic_cast<DataSource*>(container) : nullptr;
}

} // namespace Kernel
