// What tables and views share inside the kernel: the list of views built on them (their
// dependants), and update brackets that hold rebuilds back until the outermost one closes.
#pragma once
#include "host/Data.h"
#include <vector>

namespace Kernel {

// A view that follows a source. The source keeps only a plain pointer (the view holds the
// counted reference to its source, so there is no cycle); the view removes itself before
// it goes.
class DataDependant {
public:
    virtual void sourceRebuilt(int notify) = 0;
    virtual void holdDependant() = 0; // keeps it alive while its source walks the list
    virtual void dropDependant() = 0;
protected:
    ~DataDependant() = default;
};

class DataSource {
public:
    void addDependant(DataDependant* view);
    void removeDependant(DataDependant* view);
    // The source a view is built on, for cycle checks; null for a table.
    virtual DataSource* upstream() = 0;

    // Brackets nest; the owner's work deferred inside them runs when the last one closes.
    void openBracket() { ++bracketDepth_; }
    void closeBracket();
    bool inBracket() const { return bracketDepth_ > 0; }

protected:
    ~DataSource() = default;
    // Rebuilds every dependant, in the order they were attached. A dependant may attach,
    // detach or release views meanwhile.
    void rebuildDependants(int notify);
    // Called when the outermost bracket closes.
    virtual void bracketsClosed() = 0;

private:
    std::vector<DataDependant*> dependants_;
    int bracketDepth_ = 0;
};

// The context beginUpdate returns: closes its bracket once, on endUpdate or on its last
// release, and keeps its owner alive until then.
class UpdateContext final : public Host::IUpdateContext {
public:
    UpdateContext(DataSource* source, IXUnknown* owner);
    int addRef() override;
    int release() override;
    void endUpdate() override;
private:
    ~UpdateContext() = default;
    void close();
    DataSource* source_;
    XComPtr<IXUnknown> owner_;
    long refs_ = 1;
    long closed_ = 0;
};

// The kernel's own source behind a container (a table or a view made here), or null.
DataSource* dataSourceOf(Host::IDataContainer* container);

} // namespace Kernel
