// Components by ProgID: the kernel's own kinds, registered by static initialisers while the
// kernel loads, and the host's, registered later through registerHostComponent.
#include "ComponentRegistry.h"
#include "ContractMode.h"
#include "common/CallbackGuard.h"
#include "common/ScopedWin.h"
#include <cstring>
#include <map>
#include <string>

namespace Kernel {

namespace {

// The kinds the client's kernel knows: in contract-only mode the only ones answered.
const char* const kClientProgIds[] = {"Data.DataTable", "Data.FieldSorter", "Data.TopSorter",
                                      "Data.DataView",  "Conf.ConfValue",   "File.File"};

bool isClientProgId(const char* progId)
{
    for (const char* known : kClientProgIds) {
        if (std::strcmp(known, progId) == 0) return true;
    }
    return false;
}

// The host registers its kinds while modules may already be creating components.
Common::CriticalSection& registryLock()
{
    static Common::CriticalSection cs;
    return cs;
}

std::map<std::string, ComponentFactory>& factories()
{
    static std::map<std::string, ComponentFactory> table;
    return table;
}

ComponentFactory findFactory(const char* progId)
{
    Common::CriticalSection::Lock lock(registryLock());
    auto it = factories().find(progId);
    return it == factories().end() ? nullptr : it->second;
}

} // namespace

bool registerComponent(const char* progId, ComponentFactory factory)
{
    Common::CriticalSection::Lock lock(registryLock());
    factories()[progId] = factory;
    return true;
}

} // namespace Kernel

namespace Host {

// A factory that throws (out of memory, or a host component's own failure) gives nothing:
// the exception must not reach the caller's module.
XComPtr<IXUnknown> createInstance(const char* progId)
{
    Kernel::contractCall("createInstance");
    if (!progId) return {};
    if (Kernel::contractOnlyMode && !Kernel::isClientProgId(progId)) return {};
    Kernel::ComponentFactory factory = Kernel::findFactory(progId);
    if (!factory) return {};
    IXUnknown* made =
        Common::guardCallback(L"a component factory", static_cast<IXUnknown*>(nullptr), [&] { return factory(); });
    return XComPtr<IXUnknown>::adopt(made);
}

bool registerHostComponent(const char* progId, HostComponentFactory factory)
{
    if (!progId || !*progId || !factory) return false;
    Common::CriticalSection::Lock lock(Kernel::registryLock());
    return Kernel::factories().emplace(progId, factory).second;
}

} // namespace Host
