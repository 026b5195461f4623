// The test-side driver answers real modal windows opened on the test's thread.
#include "ModalDriver.h"
#include <gtest/gtest.h>
#include <windows.h>

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
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 50, 50, 200, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
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
