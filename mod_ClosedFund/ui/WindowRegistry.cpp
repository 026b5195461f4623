#include "ui/WindowRegistry.h"
#include <unordered_map>

namespace WGUI {

namespace {
std::unordered_map<HWND, WindowProc*>& bindings()
{
    static std::unordered_map<HWND, WindowProc*> map;
    return map;
}
} // namespace

bool WindowRegistry::Insert(HWND hwnd, WindowProc* binding)
{
    if (!hwnd || !binding) return false;
    return bindings().emplace(hwnd, binding).second;
}

void WindowRegistry::Remove(HWND hwnd) { bindings().erase(hwnd); }

void WindowRegistry::RemoveIf(HWND hwnd, const WindowProc* binding)
{
    auto it = bindings().find(hwnd);
    if (it != bindings().end() && it->second == binding) bindings().erase(it);
}

void WindowRegistry::Replace(HWND hwnd, const WindowProc* from, WindowProc* to)
{
    auto it = bindings().find(hwnd);
    if (it != bindings().end() && it->second == from && to) it->second = to;
}

WindowProc* WindowRegistry::Find(HWND hwnd)
{
    auto it = bindings().find(hwnd);
    return it == bindings().end() ? nullptr : it->second;
}

} // namespace WGUI
