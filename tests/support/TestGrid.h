// A grid over an in-memory row source, the way the module's grids derive from the control:
// cells are made from the row number and the column name, so a million rows cost nothing.
// It records what the control asked of it.
#pragma once
#include "controls/DataGridEx.h"
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace GridTests {

class TestGrid : public Control::DataGridEx {
public:
    int rows = 0;
    bool sortResult = true;
    std::map<std::wstring, COLORREF> columnColors; // text colour by column name
    COLORREF rowColor = CLR_INVALID;               // background of unselected rows
    std::vector<bool> checks;

    int textCalls = 0, minRowAsked = INT_MAX, maxRowAsked = -1;
    std::vector<std::pair<std::wstring, int>> sorts;
    std::vector<POINT> menus;
    std::vector<int> selAtMenu, enters;
    int headerChanges = 0, resets = 0;

    static std::wstring cellText(int row, const std::wstring& column) { return column + L"#" + std::to_wstring(row); }
    void resetCounters()
    {
        textCalls = 0;
        minRowAsked = INT_MAX;
        maxRowAsked = -1;
    }

    int GetRowsCount() override { return rows; }
    BOOL GetCheckStatus(int row) override { return row < int(checks.size()) && checks[row]; }
    void SetCheckStatus(int row, BOOL on) override
    {
        if (row >= int(checks.size())) checks.resize(row + 1);
        checks[row] = on != FALSE;
    }
    void GetRowBkColor(int row, BOOL selected, COLORREF& color) override
    {
        if (!selected && rowColor != CLR_INVALID)
            color = rowColor;
        else
            DataGridEx::GetRowBkColor(row, selected, color);
    }
    void GetItemColor(int, Control::HeaderInfo2& column, const Common::XStringW&, COLORREF& color) override
    {
        auto it = columnColors.find(column.name);
        if (it != columnColors.end()) color = it->second;
    }
    void GetItemText(int row, Control::HeaderInfo2& column, Common::XStringW& text) override
    {
        ++textCalls;
        minRowAsked = std::min(minRowAsked, row);
        maxRowAsked = std::max(maxRowAsked, row);
        text = cellText(row, column.name);
    }
    bool sort(const Common::XStringW& column, int descending) override
    {
        sorts.emplace_back(column, descending);
        return sortResult;
    }
    void OnContextMenu(int x, int y) override
    {
        menus.push_back({x, y});
        selAtMenu.push_back(GetCurrSel());
    }
    void OnHeaderChange() override { ++headerChanges; }
    void OnResetHeader() override { ++resets; }
    void OnEnterItem(int row) override { enters.push_back(row); }

    using DataGridEx::BodyRect;
    using DataGridEx::ColumnScreenSpan;
    using DataGridEx::PageRows;
    using DataGridEx::RowHeight;
};

// A visible top-level window holding one grid, and what its parent heard from it.
class GridHost {
public:
    GridHost(int width = 640, int height = 400);
    GridHost(const GridHost&) = delete;
    GridHost& operator=(const GridHost&) = delete;
    ~GridHost();
    HWND hwnd() const { return hwnd_; }
    TestGrid grid;
    static std::vector<NMHDR> notifications;

    // The grid with the header and that many rows, laid out; false when the header is refused.
    bool show(const wchar_t* header, int rows);
    // Client point of the middle of a body row and column; of a caption with row -1.
    POINT cellPoint(int row, int column);
    void click(POINT p, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP);
    void key(UINT vk);

private:
    HWND hwnd_ = nullptr;
};

// Rests the mouse on a client point of the window (the real cursor too: the grid asks
// for the leave) and waits up to ms for a tip; the shown tooltip window of the thread, or null.
HWND hoverForTip(HWND hwnd, POINT client, DWORD ms = 2500);
// What a tooltip window shows.
std::wstring tipText(HWND tip);

// A two-level header with Chinese titles, a gb2312 declaration and a hidden first column.
extern const wchar_t kTwoLevelHeader[];

} // namespace GridTests
