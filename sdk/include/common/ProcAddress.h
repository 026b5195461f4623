// A function a loaded library exports, as the type the caller knows it has; null when the
// library or the export is missing. The system hands every export back as one generic
// function type: the cast to the real one goes through void*, which is the caller vouching
// for the type (a direct cast between function types is what the compiler rightly flags).
#pragma once
#include <windows.h>

namespace Common {

template <class Function>
Function procAddress(HMODULE library, const char* name)
{
    if (!library) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

} // namespace Common
