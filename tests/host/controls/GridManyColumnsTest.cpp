// Thousands of columns: positions are computed once per change of the columns and kept, so
// a paint or a hit test costs what the columns on screen cost, and the columns are still
// painted, hit and scrolled to where they stand.
#include "TestGrid.h"
#include "Pixels.h"
#include <gtest/gtest.h>

using namespace GridTests;

namespace {

std::wstring manyColumns(int count, int width)
{
    std::wstring xml = L"<header>";
    for (int c = 0; c < count; ++c)
        xml += L"<item name=\"c" + std::to_wstring(c) + L"\" title=\"T" + std::to_wstring(c) + L"\" width=\"" +
               std::to_wstring(width) + L"\"/>";
    return xml + L"</header>";
}

// Placements a paint, a round of hit tests and a scroll cost, with columns of width wide.
size_t placementsOfPaintAndHits(int columns, int width)
{
    GridHost host;
    TestGrid& grid = host.grid;
    std::wstring header = manyColumns(columns, width);
    if (!host.show(header.c_str(), 40)) return size_t(-1);
    size_t before = grid.ColumnPlacements();
    TestSupport::printClient(grid.GetHwnd());
    int row = 0, column = 0;
    for (int x = 2; x < 600; x += 7) grid.HitTest(x, grid.BodyRect().top + 3, row, column);
    host.key(VK_RIGHT);
    TestSupport::printClient(grid.GetHwnd());
    return grid.ColumnPlacements() - before;
}

} // namespace

TEST(GridManyColumns, PositionsAreComputedOncePerChangeNotPerPaint)
{
    // Shown and laid out already: painting, hitting and scrolling place no column again,
    // however many there are.
    EXPECT_EQ(placementsOfPaintAndHits(1000, 60), 0u);
    EXPECT_EQ(placementsOfPaintAndHits(10000, 4000), 0u);

    GridHost host;
    TestGrid& grid = host.grid;
    const int count = 10000;
    ASSERT_TRUE(host.show(manyColumns(count, 60).c_str(), 40));
    // Each change places every column once, at its next use.
    size_t before = grid.ColumnPlacements();
    grid.SetZoom(1.5);
    TestSupport::printClient(grid.GetHwnd());
    EXPECT_EQ(grid.ColumnPlacements() - before, size_t(count));

    before = grid.ColumnPlacements();
    grid.SetScrollLock(3);
    TestSupport::printClient(grid.GetHwnd());
    EXPECT_EQ(grid.ColumnPlacements() - before, size_t(count));

    // A width dragged in the header document: the header is read again.
    before = grid.ColumnPlacements();
    int l = 0, r = 0;
    ASSERT_TRUE(grid.ColumnScreenSpan(0, l, r));
    POINT edge = {r - 1, grid.BodyRect().top - 5};
    HWND w = grid.GetHwnd();
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(edge.x, edge.y));
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(edge.x + 30, edge.y));
    SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(edge.x + 30, edge.y));
    TestSupport::printClient(grid.GetHwnd());
    ASSERT_EQ(grid.headerChanges, 1);
    size_t placed = grid.ColumnPlacements() - before;
    EXPECT_GE(placed, size_t(count));
    EXPECT_LE(placed, size_t(count) * 3) << "placed per drag step, not per column";
    int nl = 0, nr = 0;
    ASSERT_TRUE(grid.ColumnScreenSpan(1, nl, nr));
    EXPECT_EQ(nl, r + 30) << "the next column moved with the wider one";
}

TEST(GridManyColumns, TenThousandColumnsArePaintedHitAndScrolledToTheirPlaces)
{
    GridHost host;
    TestGrid& grid = host.grid;
    const int count = 10000, width = 80, frozen = 2;
    ASSERT_TRUE(host.show(manyColumns(count, width).c_str(), 40));
    grid.SetScrollLock(frozen);
    grid.SetGridColor(RGB(255, 0, 0));
    RECT body = grid.BodyRect();
    int row = -1, column = -1;

    // Three columns to the right, one column a key.
    for (int i = 0; i < 3; ++i) host.key(VK_RIGHT);
    EXPECT_EQ(grid.GetScrollX(), 3 * width);
    int firstScrolling = body.left + frozen * width;
    EXPECT_EQ(grid.HitTest(firstScrolling + 5, body.top + 3, row, column), Control::XDataGrid::HitCell);
    EXPECT_EQ(column, frozen + 3);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(grid.HitTest(body.left + width + 5, body.top + 3, row, column), Control::XDataGrid::HitCell);
    EXPECT_EQ(column, 1) << "frozen columns stay where they are";
    EXPECT_EQ(grid.HitTest(firstScrolling + width - 2, body.top - 5, row, column), Control::XDataGrid::HitCaptionEdge);
    EXPECT_EQ(column, frozen + 3);

    TestSupport::Capture shot = TestSupport::printClient(grid.GetHwnd());
    int y = body.top + grid.RowHeight() / 2;
    EXPECT_EQ(shot.at(firstScrolling + width - 1, y), RGB(255, 0, 0)) << "the line after the first scrolling column";
    EXPECT_EQ(shot.at(firstScrolling + width / 2, y), RGB(255, 255, 255));
    std::wstring painted = grid.GetPaintedText();
    EXPECT_NE(painted.find(L"T1\t"), std::wstring::npos);
    EXPECT_NE(painted.find(L"T5\t"), std::wstring::npos);
    EXPECT_EQ(painted.find(L"T2\t"), std::wstring::npos) << "scrolled under the frozen columns";
    EXPECT_NE(painted.find(TestGrid::cellText(0, L"c5")), std::wstring::npos);

    // The thumb dragged to the end shows the last column.
    int thumbX = body.left + 16 + 3, thumbY = body.bottom + 8;
    HWND w = grid.GetHwnd();
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(thumbX, thumbY));
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(thumbX + 2000, thumbY));
    SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(thumbX + 2000, thumbY));
    ASSERT_GT(grid.GetScrollX(), 0);
    EXPECT_EQ(grid.GetScrollX() % width, 0);
    int l = 0, r = 0;
    ASSERT_TRUE(grid.ColumnScreenSpan(count - 1, l, r));
    EXPECT_LT(l, body.right);
    EXPECT_EQ(grid.HitTest(l + 5, body.top + 3, row, column), Control::XDataGrid::HitCell);
    EXPECT_EQ(column, count - 1);
    TestSupport::printClient(grid.GetHwnd());
    painted = grid.GetPaintedText();
    EXPECT_NE(painted.find(L"T9999"), std::wstring::npos);
    EXPECT_NE(painted.find(L"T0\t"), std::wstring::npos);
    EXPECT_EQ(painted.find(L"T5\t"), std::wstring::npos);
}
