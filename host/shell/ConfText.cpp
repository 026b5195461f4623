#include "ConfText.h"
#include "hostapi/ConfHost.h"
#include "host/Kernel.h"

namespace HostShell {

XStringW readConfText(Host::IConfManager* conf, const char* key, const XStringW& fallback)
{
    if (!conf) return fallback;
    auto k = conf->getKey(key);
    auto value = k ? k->getValue() : XComPtr<Host::IConfValue>();
    return value ? value->getString() : fallback;
}

bool writeConfText(Host::IConfManager* conf, const char* key, const XStringW& text)
{
    if (!conf) return false;
    auto value = Host::createInstanceAs<Host::IConfValue>("Conf.ConfValue");
    auto k = conf->createKey(key).cast<Host::IConfKeyHost>();
    if (!value || !k) return false;
    value->setString(text);
    return k->store(value.get());
}

} // namespace HostShell
