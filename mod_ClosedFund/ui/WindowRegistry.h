// The one way from a window handle to its binding. Not locked: only the user-interface
// thread creates, binds, dispatches and destroys toolkit windows.
#pragma once
#include <windows.h>

namespace WGUI {

class WindowProc;

class WindowRegistry {
public:
    // Leaves an existing entry for the handle unchanged; false then.
    static bool Insert(HWND hwnd, WindowProc* binding);
    static void Remove(HWND hwnd);
    // Removes the entry only while it still names this binding.
    static void RemoveIf(HWND hwnd, const WindowProc* binding);
    // Puts to in from's place; nothing happens unless the entry names from.
    static void Replace(HWND hwnd, const WindowProc* from, WindowProc* to);
    static WindowProc* Find(HWND hwnd);
};

} // namespace WGUI
