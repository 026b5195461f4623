#include "ShippedThemes.h"
#include <windows.h>

namespace TestSupport {

std::wstring shippedThemeFolder()
{
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir = exe;
    return dir.substr(0, dir.find_last_of(L"\\/")) + L"\\themes";
}

} // namespace TestSupport
