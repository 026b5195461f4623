#include "SelfPaintedControl.h"

namespace HostShell {

LRESULT SelfPaintedControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(GetHwnd(), &ps);
        paint(dc);
        EndPaint(GetHwnd(), &ps);
        return 0;
    }
    case WM_PRINTCLIENT: paint(HDC(wParam)); return 0;
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace HostShell
