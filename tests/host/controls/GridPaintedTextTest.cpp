// The grid's window text: what its last full paint drew, in screen order, for whoever reads
// the window (WM_GETTEXT) without knowing the data behind it.
#include "TestGrid.h"
#include "Pixels.h"
#include <gtest/gtest.h>

using namespace GridTests;

namespace {

std::wstring windowText(HWND hwnd, size_t capacity)
{
    std::wstring text(capacity, L'#');
    LRESULT n = SendMessageW(hwnd, WM_GETTEXT, WPARAM(capacity), LPARAM(&text[0]));
    EXPECT_LT(size_t(n), capacity);
    EXPECT_EQ(text[size_t(n)], L'\0');
    text.resize(size_t(n));
    return text;
}

std::wstring line(std::initializer_list<std::wstring> cells)
{
    std::wstring text;
    for (const std::wstring& c : cells) text += (text.empty() ? L"" : L"\t") + c;
    return text + L"\r\n";
}

} // namespace

// Frozen columns are drawn after the scrolling ones, yet come first in the text; a column
// scrolled out of sight is not in it, and every painted row is, the partly shown last one too.
// Sideways the grid scrolls by whole columns: one step right hides "名称" entirely.
TEST(GridPaintedText, ScreenOrderOfThePaintedCellsOnly)
{
    GridHost host(250, 200);
    TestGrid& grid = host.grid;
    ASSERT_EQ(grid.SetHeader(kTwoLevelHeader), 1);
    grid.SetScrollLock(1);
    grid.rows = 100;
    grid.Refresh(false, true);
    host.key(VK_RIGHT); // one column: "名称" (100 wide) goes, "累计净值" is partly shown at the right
    TestSupport::printClient(grid.GetHwnd());

    std::wstring text =
        SendMessageW(grid.GetHwnd(), WM_GETTEXTLENGTH, 0, 0) > 0 ? windowText(grid.GetHwnd(), 4096) : L"";
    RECT body = grid.BodyRect();
    int painted = (body.bottom - body.top + grid.RowHeight() - 1) / grid.RowHeight();
    std::wstring expected = line({L"代码", L"单位净值", L"累计净值"});
    for (int row = 0; row < painted; ++row) {
        auto cell = [row](const wchar_t* name) { return TestGrid::cellText(row, name); };
        expected += line({cell(L"code"), cell(L"value"), cell(L"total")});
    }
    EXPECT_EQ(text, expected);
    EXPECT_EQ(SendMessageW(grid.GetHwnd(), WM_GETTEXTLENGTH, 0, 0), LRESULT(expected.size()));

    // Scrolled to the end, the last column starts right beside the frozen one.
    for (int i = 0; i < 3; ++i) host.key(VK_RIGHT);
    TestSupport::printClient(grid.GetHwnd());
    std::wstring scrolled = windowText(grid.GetHwnd(), 4096);
    EXPECT_EQ(scrolled.substr(0, scrolled.find(L"\r\n")), L"代码\t折价率");
}

// A short buffer gets the start of the text, terminated; a repaint of single rows (a new
// current row) leaves the text of the last full paint; without rows the captions are
// followed by the message drawn in their place.
TEST(GridPaintedText, ShortBuffersQuickRepaintsAndNoRows)
{
    GridHost host(400, 200);
    TestGrid& grid = host.grid;
    ASSERT_TRUE(host.show(kTwoLevelHeader, 3));
    TestSupport::printClient(grid.GetHwnd());
    std::wstring full = windowText(grid.GetHwnd(), 4096);
    EXPECT_EQ(windowText(grid.GetHwnd(), 5), full.substr(0, 4));
    EXPECT_EQ(SendMessageW(grid.GetHwnd(), WM_GETTEXT, 0, 0), 0);

    grid.SetCurrSel(1);
    EXPECT_EQ(windowText(grid.GetHwnd(), 4096), full);

    grid.rows = 0;
    grid.Refresh(true, true);
    TestSupport::printClient(grid.GetHwnd());
    std::wstring captions = line({L"代码", L"名称", L"单位净值", L"累计净值", L"折价率"});
    EXPECT_EQ(windowText(grid.GetHwnd(), 4096), captions);
    grid.SetEmptyText(L"没有数据");
    TestSupport::printClient(grid.GetHwnd());
    EXPECT_EQ(windowText(grid.GetHwnd(), 4096), captions + L"没有数据\r\n");
}
