// The closed-fund grid's columns: the fund's identity frozen by name, whole columns beside
// it while scrolled, fitted widths kept with the user's header, the tip over a cut name.
#include "FundGridFixture.h"
#include "ModalDriver.h"
#include "Pixels.h"
#include "TestGrid.h"

using namespace FundGridTests;

namespace {

const wchar_t kLongName[] = L"示例甲号混合型证券投资基金甲类份额";

std::vector<std::vector<std::wstring>> funds()
{
    return {{L"150001", L"150001", kLongName, L"1.5", L"0.01", L"0.01", L"-0.05", L"2028-01-01", L"HH-亥号基金"},
            {L"150002", L"150002", L"乙基金", L"1.4", L"0.02", L"0.02", L"-0.06", L"2028-01-01", L"NH-宁号基金"}};
}

// The width attribute of the item named name in a header text; -1 without one.
int widthIn(const std::wstring& header, const std::wstring& name)
{
    size_t at = header.find(L"name=\"" + name + L"\"");
    size_t start = header.rfind(L"<item", at), end = header.find(L'>', at);
    size_t w = header.find(L"width=\"", start);
    return at == std::wstring::npos || w > end ? -1 : _wtoi(header.c_str() + w + 7);
}

} // namespace

TEST_F(FundGridTest, FundColumnsFreezeByNameAndOnlyWholeColumnsScrollBesideThem)
{
    fill(funds());
    loadHeader();
    grid_.FreezeFundColumns();
    EXPECT_EQ(grid_.FrozenColumns(), 3); // 排序 代码 名称
    grid_.SetTopItemVisible(1, false);   // the user hides 排序
    ASSERT_EQ(grid_.FrozenColumns(), 2);
    ASSERT_EQ(grid_.GetColumnInfo(1)->name, L"name");
    const int frozenRight = grid_.BodyRect().left + 95 + 100;
    for (int step = 0; step < 6; ++step) {
        if (step % 2)
            SendMessageW(grid_.GetHwnd(), WM_KEYDOWN, VK_RIGHT, 0);
        else
            SendMessageW(grid_.GetHwnd(), WM_MOUSEHWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
        int first = -1;
        for (int c = 2; c < grid_.GetColumnCount(); ++c) {
            int l = 0, r = 0;
            if (!grid_.ColumnScreenSpan(c, l, r)) continue;
            EXPECT_GE(l, frozenRight) << "step " << step << ": part of column " << c << " beside the frozen ones";
            if (first < 0) first = c;
        }
        ASSERT_GE(first, 2);
        int l = 0, r = 0;
        grid_.ColumnScreenSpan(first, l, r);
        EXPECT_EQ(l, frozenRight) << "step " << step;
    }
    EXPECT_GT(grid_.GetScrollX(), 0);

    grid_.SetTopItemVisible(0, true); // 序号 shown again joins the frozen block
    EXPECT_EQ(grid_.FrozenColumns(), 3);
    grid_.MoveTopItem(3, 5); // 名称 moved behind the net-value group scrolls
    EXPECT_EQ(grid_.FrozenColumns(), 2);
    EXPECT_EQ(grid_.GetColumnInfo(2)->name, L"value");
}

TEST_F(FundGridTest, FittedWidthsAreStoredAndACutNameShowsItsTip)
{
    fill(funds());
    loadHeader();
    grid_.Refresh(false, true);
    UpdateWindow(grid_.GetHwnd());
    int l = 0, r = 0;
    ASSERT_EQ(grid_.GetColumnInfo(2)->name, L"name");
    grid_.ColumnScreenSpan(2, l, r);
    RECT body = grid_.BodyRect();
    POINT cell = {(l + r) / 2, int(body.top + grid_.RowHeight() / 2)};
    HWND tip = GridTests::hoverForTip(grid_.GetHwnd(), cell);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(GridTests::tipText(tip), kLongName);
    RECT area = {l - 20, body.top - 30, r + 20, body.top + 2 * grid_.RowHeight()}, tr{};
    MapWindowPoints(grid_.GetHwnd(), nullptr, reinterpret_cast<POINT*>(&area), 2);
    GetWindowRect(tip, &tr);
    UnionRect(&area, &area, &tr);
    InflateRect(&area, 4, 4);
    EXPECT_TRUE(TestSupport::saveArtifact(TestSupport::grabScreenArea(area), L"grid-tooltip-cut-name"));

    {
        TestSupport::ModalDriver d;
        d.chooseMenuItem(L"自动调整列宽");
        POINT caption = {cell.x, int(body.top - 5)};
        SendMessageW(grid_.GetHwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(caption.x, caption.y));
        ASSERT_TRUE(d.waitDone(3000));
    }
    EXPECT_FALSE(IsWindowVisible(tip));
    std::wstring stored = storedHeader();
    ASSERT_NE(stored, L"<none>");
    for (int c = 0; c < grid_.GetColumnCount(); ++c) {
        grid_.ColumnScreenSpan(c, l, r);
        EXPECT_EQ(widthIn(stored, grid_.GetColumnInfo(c)->name), r - l) << c;
    }
    EXPECT_LT(widthIn(stored, L"company"), 175) << "the short company names need less";

    loadHeader(); // the next reload shows the stored widths
    grid_.ColumnScreenSpan(2, l, r);
    EXPECT_EQ(r - l, widthIn(stored, L"name"));
}
