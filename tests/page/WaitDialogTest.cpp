// The wait dialog: its text, its width and where it stands.
#include "Pixels.h"
#include "UiTestWindows.h"
#include "page/WaitDialog.h"
#include <gtest/gtest.h>
#include <string>

using ClosedFund::WaitDialog;

namespace {

RECT windowRect(HWND hwnd)
{
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

// Centre of a rectangle the way the dialog computes it (halvings toward zero).
void expectCentred(const RECT& dlg, const RECT& area)
{
    int w = dlg.right - dlg.left, h = dlg.bottom - dlg.top;
    EXPECT_EQ(dlg.left, area.left + (area.right - area.left - w) / 2);
    EXPECT_EQ(dlg.top, area.top + (area.bottom - area.top - h) / 2);
}

} // namespace

TEST(WaitDialog, TakesItsMessageSafely)
{
    EXPECT_STREQ(WaitDialog(nullptr).Message(), L"请稍等...");
    EXPECT_STREQ(WaitDialog(L"").Message(), L"请稍等...");
    EXPECT_STREQ(WaitDialog(L"正在查询数据，请稍等...").Message(), L"正在查询数据，请稍等...");
    std::wstring tooLong(400, L'长');
    EXPECT_EQ(std::wstring(WaitDialog(tooLong.c_str()).Message()), tooLong.substr(0, 259));
}

TEST(WaitDialog, SizesToItsTextAndCentresOverItsOwner)
{
    UiTest::HostWindow owner({100, 80, 900, 680}, L"owner");
    {
        WaitDialog dlg(L"正在查询数据，请稍等...");
        HWND hwnd = dlg.Open(GetModuleHandleW(nullptr), owner.hwnd());
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(WaitDialog::Current(), &dlg);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        RECT r = windowRect(hwnd);
        int width = r.right - r.left;
        EXPECT_GT(width, 80 + 60);
        EXPECT_LT(width, 80 + 300);
        expectCentred(r, windowRect(owner.hwnd()));

        TestSupport::pumpMessages(100);
        RECT shot = windowRect(owner.hwnd());
        TestSupport::Capture screen = TestSupport::grabScreenArea(shot);
        TestSupport::saveArtifact(screen, L"wait-dialog-over-window");
        RECT client;
        GetClientRect(hwnd, &client);
        TestSupport::Capture text = TestSupport::grabScreen(hwnd);
        EXPECT_GT(text.countOther({0, 0, client.right, client.bottom}, text.at(1, 1)), 30) << "the message is drawn";
    }
    EXPECT_EQ(WaitDialog::Current(), nullptr);

    std::wstring wide(200, L'宽');
    WaitDialog capped(wide.c_str());
    HWND hwnd = capped.Open(GetModuleHandleW(nullptr), owner.hwnd());
    ASSERT_NE(hwnd, nullptr);
    RECT r = windowRect(hwnd);
    EXPECT_EQ(r.right - r.left, 680);
    expectCentred(r, windowRect(owner.hwnd()));
    TestSupport::pumpMessages(50);
    EXPECT_TRUE(capped.DestroyWindow());
    EXPECT_EQ(WaitDialog::Current(), nullptr) << "a destroyed dialog is no longer current";
}

TEST(WaitDialog, CentresOnTheDesktopWithoutAnOwner)
{
    WaitDialog dlg(nullptr);
    HWND hwnd = dlg.Open(GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    expectCentred(windowRect(hwnd), windowRect(GetDesktopWindow()));
    WaitDialog* orphan = new WaitDialog(L"x");
    HWND second = orphan->Open(GetModuleHandleW(nullptr), nullptr);
    delete orphan;
    EXPECT_FALSE(IsWindow(second)) << "the object takes its window with it";
    EXPECT_EQ(WaitDialog::Current(), nullptr);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd); // a paint with no current dialog draws nothing and does not crash
    HWND reopened = dlg.Open(GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(reopened, nullptr);
    EXPECT_FALSE(IsWindow(hwnd)) << "opening again replaces the window shown before";
    EXPECT_EQ(WaitDialog::Current(), &dlg);
}
