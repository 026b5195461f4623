// Components by ProgID.
#include "ComponentRegistry.h"
#include "host/Kernel.h"
#include <cstring>
#include <map>
#include <string>

namespace Kernel {

// Filled by static initialisers before DllMain returns and only read afterwards, so it
// needs no lock.
static std::map<std::string, ComponentFactory>& factories()
{
    static std::map<std::string, ComponentFactory> table;
    return table;
}

bool registerComponent(const char* progId, ComponentFactory factory)
{
    factories()[progId] = factory;
    return true;
}

} // namespace Kernel

namespace Host {

XComPtr<IXUnknown> createInstance(const char* progId)
{
    if (!progId) return {};
    auto& table = Kernel::factories();
    auto it = table.find(progId);
    if (it == table.end()) return {};
    return XComPtr<IXUnknown>::adopt(it->second());
}

} // namespace Host
