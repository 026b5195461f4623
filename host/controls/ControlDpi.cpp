#include "ControlDpi.h"
#include "common/ProcAddress.h"

namespace Control {

namespace {

typedef UINT(WINAPI* DpiForWindowFn)(HWND);

UINT screenDpi()
{
    HDC screen = GetDC(nullptr);
    if (!screen) return kBaseDpi;
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : kBaseDpi;
}

} // namespace

UINT windowDpi(HWND window)
{
    static const DpiForWindowFn forWindow =
        Common::procAddress<DpiForWindowFn>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    UINT dpi = forWindow && window ? forWindow(window) : 0;
    return dpi ? dpi : screenDpi();
}

} // namespace Control
