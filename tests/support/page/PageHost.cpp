#include "PageHost.h"
#include <windows.h>

namespace PageTests {

XComPtr<Host::IDatabase> makeDatabase(const TestSupport::TempDir& dir, const wchar_t* name, FundDb::Content content)
{
    XStringW error;
    XStringW path = dir.file(name);
    if (!FundDb::writeFundDatabase(path, content, 0, true, error)) return {};
    return FundDb::openFundDatabase(path, error, FundDb::Access::ReadWrite);
}

namespace {

struct Firing {
    XComPtr<Host::IHostEvent> event;
    Host::UpdateEventArgs args;
};

DWORD WINAPI fireOnce(void* param)
{
    // The host's updater thread, as the host starts it.
    Host::registerHostThread();
    auto* firing = static_cast<Firing*>(param);
    firing->event->fire(&firing->args);
    return 0;
}

} // namespace

void fireFromThread(const char* eventName, int kind, int status, bool changed)
{
    Firing firing;
    firing.event = Host::createHostEvent(eventName);
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

void PageFixture::SetUp()
{
    // The updater creates its events at start, before any module subscribes.
    for (const char* name : {"event_update_closedfund", "event_udpate_affiche", "event_update_buyredeemstate"})
        Host::createEvent(name);
    app_.themes = Host::openThemeMgr(shippedThemeFolder().c_str(), "light");
    app_.userConf = Host::openUserConf(dir_.file(L"user.conf").c_str());
    app_.modules["mod_UpdateData"] = &updater_;
    app_.modules[Host::kStatusBarModuleName] = &statusBar_;
    page_.attachApp(&app_);
    ASSERT_TRUE(page_.create(frame_.hwnd(), nullptr));
    page_.move(0, 0, 1000, 600);
    page_.applyTheme(app_.themes->getCurrentTheme().get());
}

void PageFixture::TearDown() { page_.DestroyWindow(); }

std::wstring PageFixture::shownStatus() const
{
    if (Host::contractOnly()) return page_.StatusText();
    return statusBar_.texts.empty() ? std::wstring() : statusBar_.texts.back();
}

} // namespace PageTests
