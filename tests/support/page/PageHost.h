// What a test of the whole page stands on (the page, module, tool and robustness suites):
// real host parts (the kernel's stores and themes, a real fund database in a temporary
// folder) handed out by a small test application, an updater that records the requests the
// page makes, so that tests can fire its events themselves, and the page in its frame that
// these tests start from.
#pragma once
#include "ParentWindow.h"
#include "TempDir.h"
#include "TestModules.h"
#include "Database.h"
#include "ShippedThemes.h"
#include "hostapi/KernelHost.h"
#include "host/Modules.h"
#include "page/ClosedFundPage.h"
#include <gtest/gtest.h>
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

using TestSupport::shippedThemeFolder;
using TestSupport::StatusBar;
using TestSupport::TestApp;

// A fund database in dir: the standard sample, or only the schema.
XComPtr<Host::IDatabase> makeDatabase(const TestSupport::TempDir& dir, const wchar_t* name, FundDb::Content content);
// Fires a kernel event the way the updater does, from a thread of its own.
void fireFromThread(const char* eventName, int kind, int status, bool changed);

// A page in a visible 1000 by 600 frame on a test application with the updater's events, the
// shipped light theme and a user configuration in a temporary folder; no database yet.
class PageFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TestSupport::TempDir dir_;
    TestApp app_;
    Updater updater_;
    TestSupport::ParentWindow frame_{RECT{0, 0, 1000, 600}};
    ClosedFund::ClosedFundPage page_;
    // The host's status bar; the client has none, and on its interface alone the page shows
    // its status line in its own title strip instead.
    StatusBar statusBar_;
    // What the person reads last in the status bar, or in the page's title strip when the
    // host has no status bar.
    std::wstring shownStatus() const;
};

} // namespace PageTests
