#include "base/Resources.h"

namespace ClosedFund {

Common::XStringW loadTextResource(HMODULE module, const wchar_t* type, const wchar_t* name)
{
    HRSRC info = FindResourceW(module, name, type);
    if (!info) return {};
    DWORD size = SizeofResource(module, info);
    HGLOBAL handle = LoadResource(module, info);
    const void* bytes = handle ? LockResource(handle) : nullptr;
    if (!bytes || size == 0) return {};
    // A resource has no terminator of its own: the conversion takes the exact size.
    return Common::toWide(static_cast<const char*>(bytes), size, Common::codePageFromName("GB2312"));
}

} // namespace ClosedFund
