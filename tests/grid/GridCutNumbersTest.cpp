// A number a narrow column cannot hold is painted "###", never cut to a shorter number with
// "…"; the tip over it gives the whole number. Texts that are not numbers are still cut.
// Through the closed-fund grid's real paint and the real mouse.
#include "FundGridFixture.h"
#include "Pixels.h"
#include "TestGrid.h"

using namespace FundGridTests;

namespace {

const wchar_t kNarrowHeader[] =
    L"<header><item title=\"代码\" name=\"aliascode\" width=\"80\"/>"
    L"<item title=\"名称\" name=\"name\" width=\"40\"/>"
    L"<item title=\"净值\" name=\"value\" width=\"40\"/>"
    L"<item title=\"增长率\" name=\"increasepercent\" width=\"56\" data_type=\"d\" text_format=\"%.02f%%:*100\"/>"
    L"<item title=\"到期日\" name=\"expiredate\" width=\"40\"/></header>";

// The painted cells of one row (0 the first), split at tabs.
std::vector<std::wstring> paintedRow(FundGrid& grid, int row)
{
    TestSupport::printClient(grid.GetHwnd());
    std::wstring text = grid.GetPaintedText();
    std::vector<std::wstring> lines;
    for (size_t at = 0, end; at < text.size(); at = end + 2) {
        end = text.find(L"\r\n", at);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
    }
    std::vector<std::wstring> cells;
    size_t line = size_t(row) + 1; // after the captions' line
    if (line >= lines.size()) return cells;
    const std::wstring& cellsLine = lines[line];
    for (size_t at = 0, end;; at = end + 1) {
        end = cellsLine.find(L'\t', at);
        cells.push_back(cellsLine.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at));
        if (end == std::wstring::npos) break;
    }
    return cells;
}

} // namespace

TEST_F(FundGridTest, ANumberTooWideForItsColumnShowsHashesAndItsTipTheWholeNumber)
{
    // code, aliascode, name, value, increase, increasepercent, pricevaluerate, expiredate
    fill({{L"150001", L"150001", L"甲基金很长的名字", L"23.6123", L"0", L"-123.45678", L"0", L"2028-01-01"},
          {L"150002", L"150002", L"乙", L"1.5", L"0", L"0.01", L"0", L"--"}});
    ASSERT_EQ(grid_.SetHeaderText(kNarrowHeader), 1);
    grid_.SortedView()->rebuild(1);
    UpdateWindow(grid_.GetHwnd());

    // Cut numbers, a cut percentage and a cut date show hashes; the cut name keeps its own
    // text (drawn with "…"); what fits is shown as it is.
    EXPECT_EQ(paintedRow(grid_, 0),
              (std::vector<std::wstring>{L"150001", L"甲基金很长的名字", L"###", L"###", L"###"}));
    EXPECT_EQ(paintedRow(grid_, 1), (std::vector<std::wstring>{L"150002", L"乙", L"1.5", L"1.00%", L"--"}));
    // Assistive technology reads the value, not the hashes.
    EXPECT_EQ(grid_.GetCellText(0, 2), L"23.6123");

    int l = 0, r = 0;
    grid_.ColumnScreenSpan(2, l, r);
    RECT body = grid_.BodyRect();
    HWND tip = GridTests::hoverForTip(grid_.GetHwnd(), POINT{(l + r) / 2, int(body.top) + grid_.RowHeight() / 2});
    ASSERT_NE(tip, nullptr) << "no tip over the hashes";
    EXPECT_EQ(GridTests::tipText(tip), L"23.6123");
    grid_.ColumnScreenSpan(3, l, r);
    tip = GridTests::hoverForTip(grid_.GetHwnd(), POINT{(l + r) / 2, int(body.top) + grid_.RowHeight() / 2});
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(GridTests::tipText(tip), L"-12,345.68%");

    // Wide enough again, the number shows whole.
    grid_.FitColumn(2);
    EXPECT_EQ(paintedRow(grid_, 0)[2], L"23.6123");
    TestSupport::saveArtifact(TestSupport::printClient(grid_.GetHwnd()), L"grid-cut-numbers");
}
