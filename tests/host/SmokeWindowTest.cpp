// The UI path works here: a real window under the display paints and its pixels read back.
#include "Pixels.h"
#include <gtest/gtest.h>
#include <windows.h>

namespace {

LRESULT CALLBACK paintRed(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT || msg == WM_PRINTCLIENT) {
        PAINTSTRUCT ps;
        HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : HDC(wp);
        RECT rc;
        GetClientRect(hwnd, &rc);
        HBRUSH red = CreateSolidBrush(RGB(220, 20, 30));
        FillRect(dc, &rc, red);
        DeleteObject(red);
        if (msg == WM_PAINT) EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace

TEST(SmokeWindow, PaintsAndReadsBackAPixel)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = paintRed;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SmokePaintRed";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"smoke", WS_POPUP | WS_VISIBLE, 10, 10, 64, 48, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr) << "no display: CreateWindowEx failed";
    TestSupport::Capture printed = TestSupport::printClient(hwnd);
    EXPECT_EQ(printed.at(5, 5), RGB(220, 20, 30));
    TestSupport::Capture screen = TestSupport::grabScreen(hwnd);
    EXPECT_EQ(screen.at(60, 40), RGB(220, 20, 30));
    DestroyWindow(hwnd);
}
