// The module's stored texts.
#pragma once
#include "common/XString.h"
#include <windows.h>

namespace ClosedFund {

// The whole resource converted from GB2312 to wide text; empty when the resource is missing.
Common::XStringW loadTextResource(HMODULE module, const wchar_t* type, const wchar_t* name);

} // namespace ClosedFund
