// The window object: binding, attaching a foreign window, and a grid whose window is gone.
#include "TestGrid.h"
#include <gtest/gtest.h>

using namespace GridTests;

namespace {
class CountingWin : public Control::XWin {
public:
    int setTexts = 0;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_SETTEXT) ++setTexts;
        return XWin::WndProc(msg, wParam, lParam);
    }
};
} // namespace

TEST(GridWindow, AttachSubclassesAndDetachHandsBack)
{
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC));
    {
        CountingWin win;
        ASSERT_TRUE(win.Attach(edit));
        CountingWin other;
        EXPECT_FALSE(other.Attach(edit));
        SetWindowTextW(edit, L"abc");
        EXPECT_EQ(win.setTexts, 1);
        wchar_t text[8] = {};
        GetWindowTextW(edit, text, 8);
        EXPECT_STREQ(text, L"abc"); // the edit's own procedure still ran
        EXPECT_EQ(Control::XWin::FromHandle(edit), &win);
        EXPECT_EQ(win.Detach(), edit);
        EXPECT_EQ(Control::XWin::FromHandle(edit), nullptr);
        SetWindowTextW(edit, L"def");
        EXPECT_EQ(win.setTexts, 1);
        EXPECT_TRUE(win.Attach(edit));
    } // the object goes; the attached window stays and gets its procedure back
    EXPECT_TRUE(IsWindow(edit));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC)), original);
    DestroyWindow(edit);
}

TEST(GridWindow, GridOutlivesItsWindowAndOwnsWhatItCreated)
{
    TestGrid grid;
    grid.rows = 30;
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND hwnd = grid.Create(L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 300, 200}, parent);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetDlgCtrlID(hwnd), 1001);
    EXPECT_EQ(grid.Create(L"", WS_CHILD, RECT{}, parent), nullptr); // one window per object
    grid.SetCurrSel(3);
    // The page's window goes first, taking the grid's window with it.
    DestroyWindow(parent);
    EXPECT_EQ(grid.GetHwnd(), nullptr);
    EXPECT_EQ(Control::XWin::FromHandle(hwnd), nullptr);
    grid.SetCurrSel(4);
    grid.Refresh(true, true);
    grid.SetZoom(1.5);
    EXPECT_EQ(grid.GetCurrSel(), -1);
    int row = 0, column = 0;
    EXPECT_EQ(grid.HitTest(10, 10, row, column), Control::XDataGrid::HitNowhere);

    // A grid object that goes first destroys the window it made.
    HWND again;
    {
        TestGrid second;
        again = second.Create(L"", WS_POPUP, RECT{0, 0, 50, 50}, nullptr);
        ASSERT_NE(again, nullptr);
    }
    EXPECT_FALSE(IsWindow(again));
}
