// The test-side driver answers real modal windows opened on the test's thread.
#include "ModalDriver.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

using TestSupport::ModalDriver;

TEST(ModalDriver, AnswersMessageBoxesAndReadsTheirTexts)
{
    ModalDriver d;
    d.answerMessageBox(IDNO);
    int rc = MessageBoxW(nullptr, L"数据库错误：no such table", L"ERROR", MB_YESNO | MB_ICONERROR);
    EXPECT_EQ(rc, IDNO);
    EXPECT_EQ(d.lastCaption(), L"ERROR");
    EXPECT_EQ(d.lastText(), L"数据库错误：no such table");

    d.answerMessageBox(IDOK);
    d.cancelDialog();
    EXPECT_EQ(MessageBoxW(nullptr, L"first", L"one", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, L"second", L"two", MB_OKCANCEL), IDCANCEL);
    ASSERT_EQ(d.seen().size(), 3u);
    EXPECT_EQ(d.seen()[1].caption, L"one");
    EXPECT_EQ(d.lastText(), L"second");
    EXPECT_EQ(d.pending(), 0u);
}

TEST(ModalDriver, ChoosesAndCancelsPopupMenuItems)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 50, 50, 200, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 11, L"加入基金池");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, 12, L"导出(&E)\tCtrl+E");
    AppendMenuW(menu, MF_STRING, 13, L"基金概况");
    const UINT flags = TPM_RETURNCMD | TPM_NONOTIFY;

    ModalDriver d;
    d.chooseMenuItem(L"导出(E)");
    EXPECT_EQ(TrackPopupMenu(menu, flags, 60, 60, 0, owner, nullptr), 12);
    std::vector<std::wstring> items = {L"加入基金池", L"", L"导出(&E)\tCtrl+E", L"基金概况"};
    EXPECT_EQ(d.lastMenuItems(), items);

    d.chooseMenuItemId(13);
    EXPECT_EQ(TrackPopupMenu(menu, flags, 60, 60, 0, owner, nullptr), 13);
    d.cancelMenu();
    EXPECT_EQ(TrackPopupMenu(menu, flags, 60, 60, 0, owner, nullptr), 0);
    d.chooseMenuItem(L"没有这一项");
    EXPECT_EQ(TrackPopupMenu(menu, flags, 60, 60, 0, owner, nullptr), 0);
    EXPECT_FALSE(d.seen().back().answered);
    DestroyMenu(menu);
    DestroyWindow(owner);
}

TEST(ModalDriver, ChoosesItemsInsideSubmenus)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 50, 50, 200, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    HMENU types = CreatePopupMenu();
    AppendMenuW(types, MF_STRING | MF_CHECKED, 306, L"股票型");
    AppendMenuW(types, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(types, MF_STRING, 307, L"债券型");
    HMENU letter = CreatePopupMenu();
    AppendMenuW(letter, MF_STRING, 310, L"亥号基金");
    AppendMenuW(letter, MF_STRING, 311, L"亥安基金");
    HMENU companies = CreatePopupMenu();
    AppendMenuW(companies, MF_STRING, 309, L"丙号基金");
    AppendMenuW(companies, MF_POPUP, UINT_PTR(letter), L"亥");
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 305, L"关键字筛选(&C)");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_POPUP, UINT_PTR(types), L"基金类型");
    AppendMenuW(menu, MF_POPUP, UINT_PTR(companies), L"管理公司");
    const UINT flags = TPM_RETURNCMD | TPM_NONOTIFY;
    auto track = [&] { return TrackPopupMenu(menu, flags, 60, 60, 0, owner, nullptr); };

    ModalDriver d;
    // Two answers queued at once: each goes to its own menu, first items and items after a
    // separator alike.
    d.chooseMenuPath({L"基金类型", L"股票型"});
    d.chooseMenuPath({L"基金类型", L"债券型"});
    EXPECT_EQ(track(), 306);
    EXPECT_EQ(track(), 307);
    EXPECT_EQ(d.seen().back().chosenFrom, (std::vector<std::wstring>{L"股票型", L"", L"债券型"}));
    EXPECT_EQ(d.lastMenuItems(), (std::vector<std::wstring>{L"关键字筛选(&C)", L"", L"基金类型", L"管理公司"}));

    d.chooseMenuPath({L"管理公司", L"亥", L"亥安基金"});
    EXPECT_EQ(track(), 311);
    d.chooseMenuItem(L"关键字筛选(C)");
    EXPECT_EQ(track(), 305) << "a one-text path is a top-level item";
    // Shown as the filter bar shows its menus: the choice comes back as WM_COMMAND.
    d.chooseMenuPath({L"管理公司", L"丙号基金"});
    EXPECT_TRUE(TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_VERTICAL, 190, 60, 0, owner, nullptr));
    MSG msg = {};
    ASSERT_TRUE(PeekMessageW(&msg, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(LOWORD(msg.wParam), 309);

    // Paths that lead nowhere cancel the menu and are reported unanswered.
    for (std::vector<std::wstring> wrong :
         {std::vector<std::wstring>{L"基金类型"}, std::vector<std::wstring>{L"关键字筛选(C)", L"股票型"},
          std::vector<std::wstring>{L"基金类型", L"货币型"},
          std::vector<std::wstring>{L"管理公司", L"亥", L"亥安基金", L"x"}}) {
        d.chooseMenuPath(wrong);
        EXPECT_EQ(track(), 0) << wrong.front() << " " << wrong.size();
        EXPECT_FALSE(d.seen().back().answered);
    }
    EXPECT_EQ(d.pending(), 0u);
    DestroyMenu(menu);
    DestroyWindow(owner);
}
