#include "PageHost.h"
#include <windows.h>

namespace PageTests {

std::wstring themeFolder()
{
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    return dir.substr(0, dir.find_last_of(L'\\')) + L"\\themes";
}

XComPtr<Host::IDatabase> makeDatabase(const TestSupport::TempDir& dir, const wchar_t* name, FundDb::Content content)
{
    XStringW error;
    XStringW path = dir.file(name);
    if (!FundDb::writeFundDatabase(path, content, 0, true, error)) return {};
    return FundDb::openFundDatabase(path, error, FundDb::Access::ReadWrite);
}

namespace {

struct Firing {
    XComPtr<Host::IEvent> event;
    Host::UpdateEventArgs args;
};

DWORD WINAPI fireOnce(void* param)
{
    auto* firing = static_cast<Firing*>(param);
    firing->event->fire(&firing->args);
    return 0;
}

} // namespace

void fireFromThread(const char* eventName, int kind, int status, bool changed)
{
    Firing firing;
    firing.event = Host::createEvent(eventName);
    firing.args.kind = kind;
    firing.args.status = status;
    firing.args.changed = changed ? 1 : 0;
    HANDLE updater = CreateThread(nullptr, 0, fireOnce, &firing, 0, nullptr);
    if (!updater) return;
    // The handlers send messages to the page: keep this thread's messages flowing meanwhile.
    while (MsgWaitForMultipleObjects(1, &updater, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    CloseHandle(updater);
}

HWND makeFrame(int width, int height)
{
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace PageTests
