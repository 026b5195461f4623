// "Conf.ConfValue": a configuration value, a text that can also be read as a number.
#pragma once
#include "hostapi/ConfHost.h"
#include <string>

namespace Kernel {

XComPtr<Host::IConfValueHost> makeConfValue(const std::wstring& text);
// The value's text: read without the client's entry check when the value is the kernel's.
std::wstring confValueText(Host::IConfValue* value);

} // namespace Kernel
