// "Conf.ConfValue": a configuration value, a text that can also be read as a number.
#pragma once
#include "host/Conf.h"

namespace Kernel {

XComPtr<Host::IConfValue> makeConfValue(const std::wstring& text);

} // namespace Kernel
