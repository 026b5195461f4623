// The client on a data folder it may not write: the person is told, where it happened and
// once per cause, that a change was not saved, and no line claims what did not happen.
#include "ClientProcess.h"
#include "ClientScreen.h"
#include "TempDir.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>

using namespace Journey;

TEST(JourneyReadOnlyFolder, SaysWhatWasNotSavedOnceAndClaimsNothing)
{
    std::wstring folder, why;
    if (!TestSupport::readOnlyFolder(folder, why)) GTEST_SKIP() << Common::toUtf8(why);
    ClientProcess client(folder);
    ASSERT_TRUE(client.start(30000));
    ClientScreen s(client.mainWindow(), client.pid());
    ASSERT_TRUE(waitUntil(10000, [&] { return s.grid() && !s.gridText().rows.empty(); }));
    auto says = [&](const std::wstring& text) {
        std::wstring status;
        bool shown = waitUntil(5000, [&] { return (status = s.moduleStatusText()) == text; });
        EXPECT_TRUE(shown) << testing::PrintToString(status);
        return shown;
    };

    // The client's interface gives the module no reason: it says only what it saw.
    const std::wstring reason = Host::contractOnly() ? L"用户配置未能写入" : L"数据目录只读";
    ASSERT_TRUE(s.dragCaptionBefore(L"名称", L"代码"));
    says(L"无法保存列设置：" + reason);
    s.saveScreenshot(L"read-only-folder-columns");

    RECT grid = {};
    GetClientRect(s.grid(), &grid);
    click(s.grid(), grid.right / 3, grid.bottom / 2);
    rightClick(s.grid(), grid.right / 3, grid.bottom / 2);
    ASSERT_TRUE(chooseFromMenu(s.pid(), 1, 0, 5000)) << "no menu on the grid";
    std::wstring pool = s.moduleStatusText();
    EXPECT_TRUE(waitUntil(5000, [&] {
        pool = s.moduleStatusText();
        return pool.find(Host::contractOnly() ? L"已请求添加到基金池：" : L"无法添加到基金池：数据目录只读") == 0;
    })) << testing::PrintToString(pool);

    // The next column change fails for the same reason: the pool's line stays.
    ASSERT_TRUE(s.dragCaptionBefore(L"代码", L"名称"));
    Sleep(500);
    EXPECT_EQ(s.moduleStatusText(), pool);
    EXPECT_TRUE(client.close(10000));
}
