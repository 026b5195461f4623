// The keyboard as a person uses it, for tests of keyboard reach: real key presses through
// SendInput into the focused window of the foreground window, and a probe that notes every
// popup menu the thread opens (where it stands and what it offers) and closes it.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace TestSupport {

// Brings window to the front, then presses key with the modifiers held (down in order,
// up in reverse) and pumps messages for a while. False when the platform does not report
// the injected keys (a display without a keyboard): the test should skip then.
bool pressKey(HWND window, WORD key, std::vector<WORD> modifiers = {});

class MenuProbe {
public:
    struct Menu {
        RECT rect{};                     // the menu window, screen coordinates
        std::vector<std::wstring> items; // item texts, "" for separators
    };
    MenuProbe();
    ~MenuProbe();
    MenuProbe(const MenuProbe&) = delete;
    MenuProbe& operator=(const MenuProbe&) = delete;
    const std::vector<Menu>& menus() const { return menus_; }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR timer_ = 0;
    std::vector<Menu> menus_;
};

} // namespace TestSupport
