// Tips over cut texts and column fitting, through the real grid window and the real mouse.
#include "TestGrid.h"
#include "Pixels.h"
#include <gtest/gtest.h>

using namespace GridTests;

namespace {

const wchar_t kNarrowHeader[] = L"<header><item title=\"代码\" name=\"code\" width=\"200\"/>"
                                L"<item title=\"名称很长的一列标题\" name=\"name\" width=\"40\"/></header>";

// Width a text needs in the grid's 12-point 宋体, measured here on our own.
int needed(const std::wstring& text, int pixelHeight = 16)
{
    HFONT font =
        CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, DEFAULT_QUALITY, 0, L"宋体");
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return size.cx + 8;
}

int widthOf(TestGrid& grid, int column)
{
    int l = 0, r = 0;
    grid.ColumnScreenSpan(column, l, r);
    return r - l;
}

} // namespace

TEST(GridTips, WholeTextOfACutCellOrCaptionAfterTheHoverOnly)
{
    GridHost host;
    TestGrid& grid = host.grid;
    ASSERT_TRUE(host.show(kNarrowHeader, 5));
    UpdateWindow(grid.GetHwnd());

    HWND tip = hoverForTip(grid.GetHwnd(), host.cellPoint(2, 1));
    ASSERT_NE(tip, nullptr) << "name#2 is cut at 40 pixels";
    EXPECT_EQ(tip, grid.GetTipWindow());
    EXPECT_EQ(tipText(tip), L"name#2");
    RECT tr{}, gr{};
    GetWindowRect(tip, &tr);
    GetWindowRect(grid.GetHwnd(), &gr);
    EXPECT_GE(tr.top, gr.top + host.cellPoint(2, 1).y) << "below the spot, not over the pointer";

    EXPECT_EQ(hoverForTip(grid.GetHwnd(), host.cellPoint(2, 0), 1200), nullptr) << "code#2 fits";
    tip = hoverForTip(grid.GetHwnd(), host.cellPoint(-1, 1));
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tipText(tip), L"名称很长的一列标题");

    // The wheel scrolls the rows away from under the tip: it goes.
    grid.rows = 100;
    grid.Refresh(false, true);
    ASSERT_NE(hoverForTip(grid.GetHwnd(), host.cellPoint(3, 1)), nullptr);
    SendMessageW(grid.GetHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    TestSupport::pumpMessages(100);
    EXPECT_FALSE(IsWindowVisible(tip));
}

TEST(GridFit, DividerDoubleClickFitsWiderAndNarrower)
{
    GridHost host;
    TestGrid& grid = host.grid;
    ASSERT_EQ(grid.SetHeader(L"<header><item title=\"代码\" name=\"code\" width=\"30\"/>"
                             L"<item title=\"名称\" name=\"name\" width=\"400\"/></header>"),
              1);
    grid.rows = 120; // most rows are off screen, and "name#119" is the widest text
    grid.Refresh(false, true);
    auto dividerDoubleClick = [&](int column) {
        int l = 0, r = 0;
        grid.ColumnScreenSpan(column, l, r);
        POINT p = {r - 1, host.cellPoint(-1, column).y};
        host.click(p);
        host.click(p, WM_LBUTTONDBLCLK, WM_LBUTTONUP);
    };
    dividerDoubleClick(0);
    EXPECT_EQ(widthOf(grid, 0), needed(L"code#119"));
    EXPECT_EQ(grid.headerChanges, 1);
    dividerDoubleClick(1);
    EXPECT_EQ(widthOf(grid, 1), needed(L"name#119")) << "an over-wide column shrinks";
    EXPECT_NE(grid.GetHeader().find(L"width=\"" + std::to_wstring(needed(L"name#119")) + L"\""), std::wstring::npos);
    EXPECT_EQ(grid.headerChanges, 2);
    dividerDoubleClick(1);
    EXPECT_EQ(grid.headerChanges, 2) << "fitting a fitted column changes nothing";

    // Zoomed, the scaled width holds the scaled text; the document keeps the unscaled width.
    grid.SetZoom(1.5);
    grid.FitColumn(1);
    EXPECT_GE(widthOf(grid, 1), needed(L"name#119", 24));
    EXPECT_LE(widthOf(grid, 1), needed(L"name#119", 24) + 1);
}
