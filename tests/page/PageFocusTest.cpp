// The keyboard focus after a reload: the wait dialog of a refresh, of an update and a failure's
// message box take the activation for a while; afterwards the keys go where they went before
// (the grid, or the search box), without another click. Real clicks and real key presses.
#include "KeyboardDriver.h"
#include "ModalDriver.h"
#include "PageHost.h"
#include "Pixels.h"
#include "filter/FilterWnd.h"

using namespace PageTests;

namespace {

// Clicked while the next window is activated (the wait dialog): the person moves on meanwhile.
HWND g_clickWhenActivated = nullptr;

LRESULT CALLBACK clickWhenActivated(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_clickWhenActivated) {
        PostMessageW(g_clickWhenActivated, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 40));
        PostMessageW(g_clickWhenActivated, WM_LBUTTONUP, 0, MAKELPARAM(60, 40));
        g_clickWhenActivated = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class PageFocusTest : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        if (HasFatalFailure()) return;
        database_ = makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample);
        page_.setDatabase(database_.get());
        page_.show();
        page_.reload(false);
        TestSupport::pumpMessages(50);
    }
    HWND grid() { return page_.grid().GetHwnd(); }
    // A click on the grid's first row, as a person starts using the keys there.
    void clickFirstRow()
    {
        RECT row = {};
        page_.grid().GetRowRect(0, &row);
        LPARAM at = MAKELPARAM(row.left + 60, (row.top + row.bottom) / 2);
        SendMessageW(grid(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(grid(), WM_LBUTTONUP, 0, at);
    }
    int currentRow() { return page_.grid().GetCurrSel(); }
    int lastRow() { return page_.grid().GetRowsCount() - 1; }

    XComPtr<Host::IDatabase> database_;
};

} // namespace

TEST_F(PageFocusTest, TheGridKeepsTheKeysAfterARefreshAnUpdateAndAFailedReload)
{
    SetForegroundWindow(frame_.hwnd());
    clickFirstRow();
    ASSERT_EQ(GetFocus(), grid());
    if (!TestSupport::pressKey(frame_.hwnd(), VK_DOWN, {VK_CONTROL})) // Ctrl+Down: a harmless probe
        GTEST_SKIP() << "this display does not report injected key states";
    page_.grid().SetCurrSel(0);

    page_.reload(true); // what F5 asks for
    TestSupport::pressKey(frame_.hwnd(), VK_END);
    EXPECT_EQ(currentRow(), lastRow()) << "End after a refresh";
    TestSupport::pressKey(frame_.hwnd(), VK_UP);
    EXPECT_EQ(currentRow(), lastRow() - 1) << "an arrow after a refresh";

    fireFromThread("event_update_closedfund", Host::UPDATE_KIND_CLOSEDFUND, Host::UPDATE_STATUS_FINISHED, true);
    TestSupport::pressKey(frame_.hwnd(), VK_HOME);
    EXPECT_EQ(currentRow(), 0) << "Home after an update";

    // The reload fails and says so in a box; once it is answered the keys reach the grid.
    XStringW error;
    XComPtr<Host::IStatement> drop = database_->prepare(L"drop table tb_closedfund", error);
    ASSERT_TRUE(drop) << Common::toUtf8(error);
    drop->step();
    drop.reset();
    TestSupport::ModalDriver driver;
    driver.answerMessageBox(IDOK);
    page_.reload(true);
    ASSERT_TRUE(driver.waitDone(5000));
    EXPECT_EQ(driver.lastCaption(), L"ERROR");
    TestSupport::pressKey(frame_.hwnd(), VK_END);
    EXPECT_EQ(currentRow(), lastRow()) << "End after a failed reload";
    EXPECT_EQ(GetFocus(), grid());
}

// Wherever the person was typing, the typing goes on there; a person who went elsewhere
// during the reload keeps that place.
TEST_F(PageFocusTest, TheSearchBoxKeepsTheTypingAndAFocusMovedMeanwhileStays)
{
    HWND box = page_.filterBar()->SearchEdit().GetHandle();
    SetForegroundWindow(frame_.hwnd());
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 8));
    SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(20, 8));
    ASSERT_EQ(GetFocus(), box);
    if (!TestSupport::pressKey(frame_.hwnd(), 'J')) GTEST_SKIP() << "this display does not report injected key states";
    page_.reload(true);
    TestSupport::pressKey(frame_.hwnd(), 'J');
    EXPECT_EQ(page_.filterBar()->SearchEdit().Text(), L"jj");

    // Moved to the grid while the wait dialog is up: the grid keeps it.
    g_clickWhenActivated = grid();
    HHOOK hook = SetWindowsHookExW(WH_CBT, &clickWhenActivated, nullptr, GetCurrentThreadId());
    page_.reload(true);
    UnhookWindowsHookEx(hook);
    TestSupport::pumpMessages(100);
    EXPECT_EQ(GetFocus(), grid());
}
