// Rows: only what is on screen is asked for, selection and keys, scrolling, Refresh.
#include "TestGrid.h"
#include "Pixels.h"
#include <gtest/gtest.h>

using namespace GridTests;

TEST(GridRows, MillionRowsAskOnlyForVisibleCells)
{
    GridHost host;
    TestGrid& grid = host.grid;
    ASSERT_TRUE(host.show(kTwoLevelHeader, 1000000));
    int page = grid.PageRows();
    ASSERT_GT(page, 5);

    TestSupport::printClient(grid.GetHwnd());
    EXPECT_EQ(grid.minRowAsked, 0);
    EXPECT_LE(grid.maxRowAsked, page);
    EXPECT_LE(grid.textCalls, (page + 1) * grid.GetColumnCount());

    grid.resetCounters();
    host.key(VK_END);
    EXPECT_EQ(grid.GetCurrSel(), 999999);
    EXPECT_EQ(grid.GetTopRow(), 1000000 - page);
    TestSupport::printClient(grid.GetHwnd());
    EXPECT_GE(grid.minRowAsked, 1000000 - page);
    EXPECT_EQ(grid.maxRowAsked, 999999);
    EXPECT_LE(grid.textCalls, (page + 1) * grid.GetColumnCount());

    // The wheel scrolls three rows a notch; the top never passes the last page.
    grid.resetCounters();
    SendMessageW(grid.GetHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA * 2), 0);
    EXPECT_EQ(grid.GetTopRow(), 1000000 - page - 6);
    SendMessageW(grid.GetHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA * 10)), 0);
    EXPECT_EQ(grid.GetTopRow(), 1000000 - page);
}

TEST(GridRows, SelectionFollowsClicksAndKeys)
{
    GridHost host;
    TestGrid& grid = host.grid;
    ASSERT_TRUE(host.show(kTwoLevelHeader, 500));
    int page = grid.PageRows();
    EXPECT_EQ(grid.GetCurrSel(), -1);

    host.click(host.cellPoint(3, 1));
    EXPECT_EQ(grid.GetCurrSel(), 3);
    host.key(VK_DOWN);
    host.key(VK_DOWN);
    EXPECT_EQ(grid.GetCurrSel(), 5);
    host.key(VK_UP);
    EXPECT_EQ(grid.GetCurrSel(), 4);
    host.key(VK_NEXT);
    EXPECT_EQ(grid.GetCurrSel(), 4 + page);
    host.key(VK_PRIOR);
    host.key(VK_PRIOR);
    EXPECT_EQ(grid.GetCurrSel(), 0);
    host.key(VK_HOME);
    host.key(VK_UP);
    EXPECT_EQ(grid.GetCurrSel(), 0);

    // Enter and a double click report the row.
    host.key(VK_RETURN);
    host.click(host.cellPoint(2, 0), WM_LBUTTONDBLCLK);
    EXPECT_EQ(grid.enters, (std::vector<int>{0, 2}));

    // SetCurrSel scrolls the row into view; rows outside are ignored.
    grid.SetCurrSel(300);
    EXPECT_EQ(grid.GetCurrSel(), 300);
    EXPECT_LE(grid.GetTopRow(), 300);
    EXPECT_GT(grid.GetTopRow() + page, 300);
    grid.SetCurrSel(500);
    EXPECT_EQ(grid.GetCurrSel(), 300);

    // Fewer rows: a selection past the end goes, the top stays inside the rows.
    grid.rows = 100;
    grid.Refresh(false, true);
    EXPECT_EQ(grid.GetCurrSel(), -1);
    EXPECT_EQ(grid.GetTopRow(), 100 - page);
    grid.SetCurrSel(50);
    grid.Refresh(false, true);
    EXPECT_EQ(grid.GetCurrSel(), 50);
    grid.Refresh(true, false);
    EXPECT_EQ(grid.GetCurrSel(), -1);
    EXPECT_EQ(grid.GetTopRow(), 0);

    // No rows: keys do nothing.
    grid.rows = 0;
    grid.Refresh(false, true);
    host.key(VK_END);
    EXPECT_EQ(grid.GetCurrSel(), -1);
}

TEST(GridRows, RightClickSelectsThenReportsClientPoint)
{
    GridHost host;
    TestGrid& grid = host.grid;
    ASSERT_TRUE(host.show(kTwoLevelHeader, 20));
    POINT p = host.cellPoint(6, 2);
    host.click(p, WM_RBUTTONDOWN, WM_RBUTTONUP);
    ASSERT_EQ(grid.menus.size(), 1u);
    EXPECT_EQ(grid.menus[0].x, p.x);
    EXPECT_EQ(grid.menus[0].y, p.y);
    EXPECT_EQ(grid.selAtMenu[0], 6);
}

TEST(GridRows, FrozenColumnsStayWhileOthersScroll)
{
    GridHost host(300, 300);
    TestGrid& grid = host.grid;
    ASSERT_EQ(grid.SetHeader(kTwoLevelHeader), 1);
    grid.rows = 10;
    grid.SetScrollLock(1);
    grid.Refresh(false, true);
    int l0 = 0, r0 = 0, l2 = 0, r2 = 0;
    grid.ColumnScreenSpan(0, l0, r0);
    grid.ColumnScreenSpan(2, l2, r2);
    host.key(VK_RIGHT);
    ASSERT_GT(grid.GetScrollX(), 0);
    int a = 0, b = 0;
    grid.ColumnScreenSpan(0, a, b);
    EXPECT_EQ(a, l0);
    grid.ColumnScreenSpan(2, a, b);
    EXPECT_EQ(a, l2 - grid.GetScrollX());
    // A click on the frozen column's place still hits the frozen column.
    int row = -1, column = -1;
    EXPECT_EQ(grid.HitTest((l0 + r0) / 2, host.cellPoint(1, 0).y, row, column), Control::XDataGrid::HitCell);
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, 1);
}
