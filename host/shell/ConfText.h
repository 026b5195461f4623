// Reading and writing one configuration key as text, for the shell's own settings.
#pragma once
#include "host/Conf.h"

namespace HostShell {

// The key's text, or fallback when there is no manager, no key or no value.
XStringW readConfText(Host::IConfManager* conf, const char* key, const XStringW& fallback);
// False when the manager is missing, read-only or cannot write.
bool writeConfText(Host::IConfManager* conf, const char* key, const XStringW& text);

} // namespace HostShell
