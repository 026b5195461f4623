// GoogleTest main for every suite: the process is set up as the host sets up the client
// (COM on the UI thread, common controls, GDI+ started, the main thread one of the host's),
// so product code runs as it would there.
#include "common/CallbackGuard.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <gdiplus.h>

namespace {

// In contract-only mode the kernel counts calls into the client's interface from threads
// that are not the host's: the test that made one fails, wherever the call came from.
class ContractThreadCheck : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { before_ = Host::contractViolations(); }
    void OnTestEnd(const testing::TestInfo&) override
    {
        long made = Host::contractViolations() - before_;
        if (made > 0)
            ADD_FAILURE() << made << " call(s) into the client's interface off the user-interface thread "
                          << "(the log names them)";
    }
    long before_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    Host::registerHostThread();
    Common::setEscapeLog(&Host::logWarning);
    if (Host::contractOnly()) testing::UnitTest::GetInstance()->listeners().Append(new ContractThreadCheck);
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    int rc = RUN_ALL_TESTS();
    Gdiplus::GdiplusShutdown(gdiplusToken);
    CoUninitialize();
    return rc;
}
