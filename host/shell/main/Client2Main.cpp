// client2.exe: starts COM, the common controls and GDI+ for the whole process (modules rely
// on the host for all three), runs one client session and shuts down in order. COM and
// GDI+ stay up until the process ends: module libraries are never unloaded, and their
// objects (header documents, indicator images) are destroyed only when it ends.
#include "ClientSession.h"
#include "common/CallbackGuard.h"
#include "hostapi/KernelHost.h"
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <gdiplus.h>

// The system header names the parameters in its own style; ours keep the house's.
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int cmdShow)
{
    // This is the user-interface thread, and what escapes a callback of the shell's goes to
    // the kernel's log, from the first call on.
    Host::registerHostThread();
    Common::setEscapeLog(&Host::logWarning);
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc),
                                ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    int code = 1;
    {
        HostShell::ClientSession session(HostShell::defaultPaths());
        if (session.open(true)) {
            session.show(cmdShow);
            code = session.app()->runMessageLoop();
        } else {
            MessageBoxW(nullptr, L"无法创建主窗口。", L"Client2", MB_ICONERROR | MB_OK);
        }
        session.close();
    }

    return code;
}
