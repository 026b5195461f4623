// A daily screener's order and keys in the real client2.exe, driven from outside: F5 leaves the
// keys with the grid, and the order chosen by a caption (or the table's own, through "排序")
// is the order after a restart. The cases run in order against one client of their own.
#include "ClientProcess.h"
#include "ClientScreen.h"
#include "TempDir.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

using namespace Journey;

namespace {

const DWORD kStartMs = 30000;
const DWORD kShowMs = 10000;
const DWORD kStepMs = 5000;

// The window that gets the client's keys: the focus of its user-interface thread.
HWND keyboardFocus(HWND frame)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(frame, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

// Clicks the caption, found on the screen (only captions before a group caption can be).
bool clickCaption(const ClientScreen& s, const std::wstring& caption)
{
    int x = s.captionX(s.gridText().column(caption));
    if (x <= 0) return false;
    POINT at = {x, clientScreenRect(s.grid()).top + 12};
    ScreenToClient(s.grid(), &at);
    click(s.grid(), at.x, at.y);
    return true;
}

} // namespace

class JourneyOrderAndKeys : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = std::make_unique<TestSupport::TempDir>();
        client_ = std::make_unique<ClientProcess>(dir_->path());
        if (client_->start(kStartMs)) SetWindowPos(client_->mainWindow(), nullptr, 0, 0, 1280, 900, SWP_NOZORDER);
    }
    static void TearDownTestSuite()
    {
        if (client_) client_->close(kStepMs);
        client_.reset();
        dir_.reset();
    }
    void SetUp() override
    {
        ASSERT_TRUE(client_->running()) << "client2.exe is not running";
        ASSERT_TRUE(waitUntil(kShowMs, [&] { return screen().grid() && !screen().gridText().rows.empty(); }));
    }
    void TearDown() override { dismissPopups(client_->pid()); }
    static ClientScreen screen() { return ClientScreen(client_->mainWindow(), client_->pid()); }
    // Closes the client and starts it again on the same data folder, as a person does the
    // next day; false when it does not come back with rows.
    static bool restart()
    {
        if (!client_->close(kStartMs) || !client_->start(kStartMs)) return false;
        SetWindowPos(client_->mainWindow(), nullptr, 0, 0, 1280, 900, SWP_NOZORDER);
        return waitUntil(kShowMs, [&] { return screen().grid() && !screen().gridText().rows.empty(); });
    }

    static std::unique_ptr<TestSupport::TempDir> dir_;
    static std::unique_ptr<ClientProcess> client_;
};

std::unique_ptr<TestSupport::TempDir> JourneyOrderAndKeys::dir_;
std::unique_ptr<ClientProcess> JourneyOrderAndKeys::client_;

// A click on a row, F5 (with a fund added meanwhile, so that the reload shows), and the keys
// still move through the rows: End goes to the last fund.
TEST_F(JourneyOrderAndKeys, AfterF5TheKeysStillMoveThroughTheRows)
{
    ClientScreen s = screen();
    RECT client = {};
    GetClientRect(s.grid(), &client);
    click(s.grid(), client.right / 3, 60);
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return keyboardFocus(s.frame()) == s.grid(); })) << "a click focuses the grid";

    int before = shownCount(s.countText());
    std::wstring error;
    ASSERT_TRUE(execute(dir_->file(L"funds.db"),
                        L"insert into tb_fund (code, aliascode, name, investtype, fundtype, isdellisting, isdeleted) "
                        L"values ('799002', '799002', '按键基金', '股票型', '契约型封闭式', 0, 0)",
                        error))
        << error.c_str();
    ASSERT_TRUE(execute(dir_->file(L"funds.db"),
                        L"insert into tb_closedfund (code, date, value, price, increasepercent, isdeleted) "
                        L"values ('799002', '2026-06-26', '1.0000', '0.9000', 0.01, 0)",
                        error))
        << error.c_str();
    pressKey(s.grid(), VK_F5);
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return shownCount(s.countText()) == before + 1; })) << "F5 did not reload";
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return keyboardFocus(s.frame()) == s.grid(); }))
        << "after F5 the keys go to " << testing::PrintToString(classOf(keyboardFocus(s.frame())));

    std::vector<std::wstring> codes = s.allCodes();
    ASSERT_GT(codes.size(), s.gridText().rows.size()) << "the list must reach past one screen";
    pressKey(keyboardFocus(s.frame()), VK_END);
    EXPECT_TRUE(waitUntil(kStepMs, [&] {
        std::vector<std::wstring> shown = s.gridText().columnCells(L"代码");
        return !shown.empty() && shown.back() == codes.back();
    })) << "End did not reach the last fund";
}

// The order a caption gave is the order of the next start; "排序" gives back the table's own
// order, which the start after that keeps too.
TEST_F(JourneyOrderAndKeys, TheChosenOrderIsTheOrderAfterARestart)
{
    std::vector<std::wstring> own = screen().allCodes();
    ASSERT_TRUE(clickCaption(screen(), L"代码"));
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return screen().allCodes() != own; }));
    ASSERT_TRUE(clickCaption(screen(), L"代码"));
    std::vector<std::wstring> descending = own;
    std::sort(descending.rbegin(), descending.rend());
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return screen().allCodes() == descending; }));

    ASSERT_TRUE(restart());
    EXPECT_EQ(screen().allCodes(), descending) << "the restart lost the order";

    ASSERT_TRUE(clickCaption(screen(), L"排序"));
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return screen().allCodes() == own; }))
        << "排序 did not give back the table's own order";
    ASSERT_TRUE(restart());
    EXPECT_EQ(screen().allCodes(), own);
    screen().saveScreenshot(L"journey-own-order-after-restart");
}
