#include "table/GivenPath.h"
#include <windows.h>

namespace FundTableText {

using Common::XStringW;

GivenPath givenPath(const XStringW& typed)
{
    GivenPath path{typed, typed};
    if (typed.empty() || typed[0] != L'/') return path;
    // Wine's own export: absent on Windows, where a path starting with '/' is opened as it is.
    using ToDos = WCHAR*(CDECL*)(LPCSTR);
    auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_dos_file_name")));
    WCHAR* dos = toDos ? toDos(Common::toUtf8(typed).c_str()) : nullptr;
    if (!dos) return path;
    path.opened = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return path;
}

XStringW asGiven(XStringW text, const GivenPath& path)
{
    if (!path.opened.empty() && path.opened != path.given) text.replaceAll(path.opened, path.given);
    return text;
}

} // namespace FundTableText
