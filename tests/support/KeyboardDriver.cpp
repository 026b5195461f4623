#include "KeyboardDriver.h"
#include "Pixels.h"

namespace TestSupport {

namespace {

thread_local MenuProbe* activeProbe = nullptr;
#ifndef MN_GETHMENU
#define MN_GETHMENU 0x01E1
#endif

void sendKey(WORD vk, DWORD flags)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

// The thread's visible popup menu window, if one is open.
HWND openMenu()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM lp) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(h, cls, 16);
            if (!IsWindowVisible(h) || wcscmp(cls, L"#32768") != 0) return TRUE;
            *reinterpret_cast<HWND*>(lp) = h;
            return FALSE;
        },
        LPARAM(&found));
    return found;
}

} // namespace

bool pressKey(HWND window, WORD key, std::vector<WORD> modifiers)
{
    SetForegroundWindow(window);
    pumpMessages(20);
    for (WORD m : modifiers) sendKey(m, 0);
    pumpMessages(20);
    bool reported = true;
    for (WORD m : modifiers) reported = reported && (GetAsyncKeyState(m) & 0x8000) != 0;
    sendKey(key, 0);
    sendKey(key, KEYEVENTF_KEYUP);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) sendKey(*it, KEYEVENTF_KEYUP);
    pumpMessages(150);
    return reported;
}

MenuProbe::MenuProbe()
{
    activeProbe = this;
    timer_ = SetTimer(nullptr, 0, 30, &MenuProbe::onTimer);
}

MenuProbe::~MenuProbe()
{
    KillTimer(nullptr, timer_);
    activeProbe = nullptr;
}

void CALLBACK MenuProbe::onTimer(HWND, UINT, UINT_PTR, DWORD)
{
    HWND window = activeProbe ? openMenu() : nullptr;
    if (!window) return;
    Menu seen;
    GetWindowRect(window, &seen.rect);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
        seen.items.push_back(text);
    }
    activeProbe->menus_.push_back(seen);
    EndMenu();
}

} // namespace TestSupport
