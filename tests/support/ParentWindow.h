// A plain visible top-level window to hold the control, indicator or page under test. Its
// class is the system's static control, so nothing of ours answers its messages and what a
// test sees comes from the window it put inside. Destroyed, children with it, with the object.
#pragma once
#include <windows.h>

namespace TestSupport {

class ParentWindow {
public:
    explicit ParentWindow(const RECT& rect, DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN)
        : hwnd_(CreateWindowExW(0, L"STATIC", L"", style, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr))
    {}
    ~ParentWindow()
    {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    ParentWindow(const ParentWindow&) = delete;
    ParentWindow& operator=(const ParentWindow&) = delete;

    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_;
};

} // namespace TestSupport
