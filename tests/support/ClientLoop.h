// The client's loop for a while, as its message loop runs: the modules' message handlers
// (app->preTranslateMessage) see every message before it is dispatched.
#pragma once
#include <windows.h>

namespace TestSupport {

template <class App>
void pumpClient(App* app, DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (app->preTranslateMessage(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    } while (GetTickCount() - start < ms);
}

} // namespace TestSupport
