// What reaches the pixels: colours, row backgrounds, grid lines, zoom, the scroll bar.
#include "TestGrid.h"
#include "Pixels.h"
#include <gtest/gtest.h>

using namespace GridTests;

TEST(GridLooks, ColoursReachThePixels)
{
    GridHost host;
    TestGrid& grid = host.grid;
    ASSERT_EQ(grid.SetHeader(kTwoLevelHeader), 1);
    grid.rows = 200;
    grid.SetBkColor(RGB(1, 2, 3));
    grid.SetHeaderBkColor(RGB(10, 20, 30));
    grid.SetBdColor(RGB(250, 0, 250));
    grid.SetGridColor(RGB(0, 250, 0));
    grid.SetScrollFaceColor(RGB(0, 0, 240));
    grid.rowColor = RGB(40, 50, 60);
    grid.columnColors[L"name"] = RGB(255, 255, 0);
    grid.Refresh(false, true);
    grid.SetCurrSel(1);

    TestSupport::Capture cap = TestSupport::printClient(grid.GetHwnd());
    EXPECT_EQ(cap.at(0, 0), RGB(250, 0, 250)); // border
    EXPECT_EQ(cap.at(cap.width / 2, cap.height - 1), RGB(250, 0, 250));
    POINT caption = host.cellPoint(-1, 0);
    EXPECT_EQ(cap.at(caption.x - 30, caption.y - 6), RGB(10, 20, 30));
    POINT row0 = host.cellPoint(0, 0), row1 = host.cellPoint(1, 0);
    int l = 0, r = 0;
    grid.ColumnScreenSpan(0, l, r);
    EXPECT_EQ(cap.at(l + 2, row0.y - 5), RGB(40, 50, 60)); // row background from the grid
    EXPECT_EQ(cap.at(r - 1, row0.y), RGB(0, 250, 0));      // vertical line
    EXPECT_EQ(cap.at(l + 2, grid.BodyRect().top + grid.RowHeight() - 1), RGB(0, 250, 0)); // horizontal line
    EXPECT_NE(cap.at(l + 2, row1.y - 5), RGB(40, 50, 60));                                // the selected row differs
    // The name column's text is yellow, the code column's is not.
    RECT nameCell = {0, row0.y - 8, 0, row0.y + 8};
    grid.ColumnScreenSpan(1, l, r);
    nameCell.left = l;
    nameCell.right = r;
    int area = (r - l) * 16;
    EXPECT_GT(area - cap.countOther(nameCell, RGB(255, 255, 0)), 10);
    RECT codeCell = nameCell;
    grid.ColumnScreenSpan(0, l, r);
    codeCell.left = l;
    codeCell.right = r;
    EXPECT_EQ((r - l) * 16 - cap.countOther(codeCell, RGB(255, 255, 0)), 0);
    // The vertical scroll bar is there in its face colour, right of the rows.
    RECT body = grid.BodyRect();
    EXPECT_GT(16 * 50 -
                  cap.countOther(RECT{body.right, body.bottom - 60, body.right + 16, body.bottom - 10}, RGB(0, 0, 240)),
              100);

    // Without lines the cell edge takes the row colour; dropped resources come back.
    grid.SetDrawGridLine(FALSE, FALSE);
    grid.ReleaseDrawingResource();
    EXPECT_EQ(grid.CachedFontCount(), 0u);
    cap = TestSupport::printClient(grid.GetHwnd());
    grid.ColumnScreenSpan(0, l, r);
    EXPECT_EQ(cap.at(r - 1, row0.y), RGB(40, 50, 60));
    EXPECT_GT(grid.CachedFontCount(), 0u);
}

TEST(GridLooks, ZoomScalesRowsHeaderAndColumns)
{
    GridHost host;
    TestGrid& grid = host.grid;
    ASSERT_EQ(grid.SetHeader(kTwoLevelHeader), 1);
    grid.rows = 50;
    grid.SetRowHight(20);
    grid.SetHeaderRowHight(24);
    RECT body = grid.BodyRect();
    EXPECT_EQ(body.top, 1 + 48);
    int row = -1, column = -1;
    EXPECT_EQ(grid.HitTest(60, body.top + 25, row, column), Control::XDataGrid::HitCell);
    EXPECT_EQ(row, 1);

    grid.SetZoom(2.0);
    EXPECT_EQ(grid.RowHeight(), 40);
    body = grid.BodyRect();
    EXPECT_EQ(body.top, 1 + 96);
    grid.HitTest(60, body.top + 25, row, column);
    EXPECT_EQ(row, 0);
    int l = 0, r = 0;
    grid.ColumnScreenSpan(0, l, r);
    EXPECT_EQ(r - l, 160);
    // Nonsense factors are ignored.
    grid.SetZoom(0);
    grid.SetZoom(-1);
    EXPECT_EQ(grid.GetZoom(), 2.0);
    // A width dragged at zoom 2 is stored unscaled.
    int y = host.cellPoint(-1, 0).y;
    SendMessageW(grid.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r - 1, y));
    SendMessageW(grid.GetHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r + 39, y));
    SendMessageW(grid.GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(r + 39, y));
    Common::XStringW width;
    grid.GetColumnInfo(0)->GetAttribute(L"width", width);
    EXPECT_EQ(width, L"100");
}

TEST(GridLooks, ScreenshotOfTwoLevelChineseHeader)
{
    GridHost host(700, 300);
    TestGrid& grid = host.grid;
    ASSERT_EQ(grid.SetHeader(kTwoLevelHeader), 1);
    grid.rows = 40;
    grid.SetHeaderBkColor(RGB(232, 238, 247));
    grid.columnColors[L"rate"] = RGB(220, 0, 0);
    grid.SetScrollLock(2);
    grid.Refresh(false, true);
    grid.SetCurrSel(2);
    host.click(host.cellPoint(-1, 4));
    TestSupport::Capture cap = TestSupport::printClient(grid.GetHwnd());
    EXPECT_TRUE(TestSupport::saveArtifact(cap, L"grid-two-level-header"));
    // Caption text was drawn in both caption rows of the group.
    RECT groupRow = {host.cellPoint(-1, 2).x - 40, 2, host.cellPoint(-1, 3).x + 40, grid.BodyRect().top / 2};
    EXPECT_GT(cap.countOther(groupRow, RGB(232, 238, 247)), 20);
}
