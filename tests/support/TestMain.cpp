// GoogleTest main for every suite: the process is set up as the host sets up the client
// (COM on the UI thread, common controls, GDI+ started), so product code runs as it would there.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <gdiplus.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
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
