// Captions: sorting, moving, resizing, the header menu.
#include "TestGrid.h"
#include "ModalDriver.h"
#include "Pixels.h"
#include <gtest/gtest.h>

using namespace GridTests;

namespace {
// Pixels of colour c in the caption of column, right part (where the arrow goes).
int arrowPixels(TestGrid& grid, GridHost& host, int column, COLORREF c)
{
    int l = 0, r = 0;
    grid.ColumnScreenSpan(column, l, r);
    RECT area = {r - 16, 2, r - 2, grid.BodyRect().top - 1};
    TestSupport::Capture cap = TestSupport::printClient(grid.GetHwnd());
    return (area.right - area.left) * (area.bottom - area.top) - cap.countOther(area, c);
}

size_t at(const std::wstring& s, const wchar_t* what) { return s.find(what); }
} // namespace

TEST(GridColumns, CaptionClickSortsWithToggledDirection)
{
    GridHost host;
    TestGrid& grid = host.grid;
    ASSERT_EQ(grid.SetHeader(kTwoLevelHeader), 1);
    grid.rows = 10;
    grid.SetHeaderColor(RGB(200, 0, 0));
    grid.Refresh(false, true);
    EXPECT_EQ(arrowPixels(grid, host, 0, RGB(200, 0, 0)), 0);

    host.click(host.cellPoint(-1, 0)); // code: ascending first
    host.click(host.cellPoint(-1, 0)); // then descending
    host.click(host.cellPoint(-1, 4)); // rate has sort="desc": descending first
    host.click(host.cellPoint(-1, 4));
    using S = std::pair<std::wstring, int>;
    EXPECT_EQ(grid.sorts, (std::vector<S>{{L"code", 0}, {L"code", 1}, {L"rate", 1}, {L"rate", 0}}));
    EXPECT_GT(arrowPixels(grid, host, 4, RGB(200, 0, 0)), 4);
    EXPECT_EQ(arrowPixels(grid, host, 0, RGB(200, 0, 0)), 0);

    // A refused sort leaves the arrow where it was and the next click starts over.
    grid.sortResult = false;
    host.click(host.cellPoint(-1, 1));
    EXPECT_EQ(arrowPixels(grid, host, 1, RGB(200, 0, 0)), 0);
    EXPECT_GT(arrowPixels(grid, host, 4, RGB(200, 0, 0)), 4);
    host.click(host.cellPoint(-1, 1));
    EXPECT_EQ(grid.sorts.back(), S(L"name", 0));

    // The group caption is not a column: no sort.
    size_t before = grid.sorts.size();
    POINT group = host.cellPoint(-1, 2);
    group.y -= grid.RowHeight();
    host.click(group);
    EXPECT_EQ(grid.sorts.size(), before);
}

TEST(GridColumns, DraggingMovesAndResizesInTheDocument)
{
    GridHost host;
    TestGrid& grid = host.grid;
    ASSERT_EQ(grid.SetHeader(kTwoLevelHeader), 1);
    HWND w = grid.GetHwnd();
    // Drag "代码" past the group: the group stays whole and "代码" lands after it.
    POINT from = host.cellPoint(-1, 0), to = host.cellPoint(-1, 4);
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.x + 20, from.y));
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x - 10, to.y));
    SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(to.x - 10, to.y));
    EXPECT_TRUE(grid.sorts.empty());
    EXPECT_EQ(grid.headerChanges, 1);
    std::wstring xml = grid.GetHeader();
    EXPECT_LT(at(xml, L"名称"), at(xml, L"单位净值"));
    EXPECT_LT(at(xml, L"累计净值"), at(xml, L"代码"));
    EXPECT_LT(at(xml, L"代码"), at(xml, L"折价率"));
    ASSERT_EQ(grid.GetColumnInfo(0)->name, L"name");
    EXPECT_EQ(grid.GetColumnInfo(3)->name, L"code");

    // Drag the right edge of "名称" 30 pixels to the right.
    int l = 0, r = 0;
    grid.ColumnScreenSpan(0, l, r);
    int y = host.cellPoint(-1, 0).y;
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r - 2, y));
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r + 28, y));
    SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(r + 28, y));
    EXPECT_EQ(grid.headerChanges, 2);
    Common::XStringW width;
    grid.GetColumnInfo(0)->GetAttribute(L"width", width);
    EXPECT_EQ(width, L"130");
    grid.ColumnScreenSpan(0, l, r);
    EXPECT_EQ(r - l, 130);
    // A press on the edge without a move changes nothing.
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r - 2, y));
    SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(r - 2, y));
    EXPECT_EQ(grid.headerChanges, 2);
}

TEST(GridColumns, HeaderMenuHidesShowsResetsAndAsksForReload)
{
    GridHost host;
    TestGrid& grid = host.grid;
    ASSERT_EQ(grid.SetHeader(kTwoLevelHeader), 1);
    POINT caption = host.cellPoint(-1, 0);
    {
        TestSupport::ModalDriver d;
        d.chooseMenuItem(L"名称");
        host.click(caption, WM_RBUTTONDOWN, WM_RBUTTONUP);
        ASSERT_TRUE(d.waitDone(3000));
        std::vector<std::wstring> items = d.lastMenuItems();
        std::vector<std::wstring> expected = {L"刷新",       L"",       L"序号", L"代码",         L"名称",
                                              L"2024-05-31", L"折价率", L"",     L"自动调整列宽", L"恢复默认列"};
        EXPECT_EQ(items, expected);
    }
    EXPECT_TRUE(grid.menus.empty());
    EXPECT_EQ(grid.headerChanges, 1);
    EXPECT_EQ(grid.GetColumnCount(), 4);
    EXPECT_NE(grid.GetHeader().find(L"title=\"名称\" name=\"name\" width=\"100\" font-family=\"宋体\" font-size=\"12\" "
                                    L"font-style=\"bold\" visible=\"false\""),
              std::wstring::npos);

    { // Showing "序号" again removes its attribute.
        TestSupport::ModalDriver d;
        d.chooseMenuItem(L"序号");
        host.click(caption, WM_RBUTTONDOWN, WM_RBUTTONUP);
        ASSERT_TRUE(d.waitDone(3000));
    }
    EXPECT_EQ(grid.headerChanges, 2);
    EXPECT_EQ(grid.GetColumnInfo(0)->name, L"_index");
    EXPECT_EQ(grid.GetHeader().find(L"width=\"50\" visible"), std::wstring::npos);

    {
        TestSupport::ModalDriver d;
        d.chooseMenuItem(L"恢复默认列");
        host.click(caption, WM_RBUTTONDOWN, WM_RBUTTONUP);
        ASSERT_TRUE(d.waitDone(3000));
    }
    EXPECT_EQ(grid.resets, 1);
    EXPECT_EQ(grid.headerChanges, 2);

    {
        TestSupport::ModalDriver d;
        d.chooseMenuItem(L"刷新");
        host.click(caption, WM_RBUTTONDOWN, WM_RBUTTONUP);
        ASSERT_TRUE(d.waitDone(3000));
    }
    ASSERT_EQ(GridHost::notifications.size(), 1u);
    EXPECT_EQ(GridHost::notifications[0].idFrom, 1001u);
    EXPECT_EQ(int(GridHost::notifications[0].code), -753);
    EXPECT_EQ(GridHost::notifications[0].hwndFrom, grid.GetHwnd());
}

TEST(GridColumns, LastShownColumnCannotBeHidden)
{
    GridHost host;
    TestGrid& grid = host.grid;
    ASSERT_EQ(grid.SetHeader(
                  L"<header><item title=\"A\" name=\"a\"/><item title=\"B\" name=\"b\" visible=\"false\"/></header>"),
              1);
    TestSupport::ModalDriver d;
    d.chooseMenuItem(L"A");
    host.click(host.cellPoint(-1, 0), WM_RBUTTONDOWN, WM_RBUTTONUP);
    d.waitDone(3000);
    EXPECT_EQ(grid.GetColumnCount(), 1);
    EXPECT_EQ(grid.headerChanges, 0);
}
