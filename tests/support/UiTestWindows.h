// Windows the UI tests build on: a toolkit-class top-level window whose object records what
// reaches it.
#pragma once
#include "ui/ThunkProc.h"
#include "ui/WindowBase.h"
#include "ui/WindowProc.h"
#include <windows.h>
#include <vector>

namespace UiTest {

inline const wchar_t* hostClass()
{
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &WGUI::ThunkProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
        wc.lpszClassName = L"WGUI_TestHost";
        atom = RegisterClassExW(&wc);
    }
    return L"WGUI_TestHost";
}

// Records every message and reflected message; answers those listed with the given result.
class Recorder : public WGUI::WindowBase {
public:
    std::vector<UINT> messages, reflected;
    HWND handleAtCreate = nullptr;
    UINT answerMsg = 0, answerReflected = 0;
    LRESULT answer = 0;

    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override
    {
        messages.push_back(msg);
        if (msg == WM_CREATE) handleAtCreate = hwnd_;
        if (msg != answerMsg) return false;
        *result = answer;
        return true;
    }
    bool OnReflectedMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override
    {
        reflected.push_back(msg);
        if (msg != answerReflected) return false;
        *result = answer;
        return true;
    }
    size_t count(UINT msg) const
    {
        size_t n = 0;
        for (UINT m : messages) n += m == msg;
        return n;
    }
};

// A visible top-level toolkit window bound to a Recorder.
struct HostWindow {
    Recorder object;
    WGUI::WindowProc binding;
    explicit HostWindow(const RECT& rect, const wchar_t* text = L"host")
    {
        object.Create(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, hostClass(), text, rect, nullptr, 0,
                      GetModuleHandleW(nullptr), &binding);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    ~HostWindow()
    {
        if (object.IsWindow()) object.DestroyWindow();
    }
    HWND hwnd() const { return object.GetHandle(); }
};

} // namespace UiTest
