// What a page test stands on: real host parts (the kernel's stores and themes, a real fund
// database in a temporary folder) handed out by a small test application, and an updater
// that records the requests the page makes, so that tests can fire its events themselves.
#pragma once
#include "TempDir.h"
#include "TestModules.h"
#include "Database.h"
#include "host/KernelHost.h"
#include "host/Modules.h"
#include <map>
#include <string>
#include <vector>

namespace PageTests {

using TestSupport::TestModule;

class RecordingThread : public Host::IUpdateThread {
public:
    std::vector<int> requests;
    int addRef() override { return 1; }
    int release() override { return 1; }
    void requestUpdate(int kind) override { requests.push_back(kind); }
};

class Updater : public TestModule<Host::IUpdateDataModule> {
public:
    RecordingThread thread;
    bool created = false;
    XComPtr<Host::IUpdateThread> getThread(const XStringA&) override
    {
        return created ? XComPtr<Host::IUpdateThread>(&thread) : XComPtr<Host::IUpdateThread>();
    }
    XComPtr<Host::IUpdateThread> createThread(const XStringA& name, Host::IApp*) override
    {
        created = name == "thread_fund_update";
        return getThread(name);
    }
};

using TestSupport::TestApp;
using TestSupport::StatusBarFrame;

// The shipped themes beside the test program.
std::wstring themeFolder();
// A fund database in dir: the standard sample, or only the schema.
XComPtr<Host::IDatabase> makeDatabase(const TestSupport::TempDir& dir, const wchar_t* name, FundDb::Content content);
// Fires a kernel event the way the updater does, from a thread of its own.
void fireFromThread(const char* eventName, int kind, int status, bool changed);
// A visible top-level window to hold a page.
HWND makeFrame(int width, int height);

} // namespace PageTests
