// The grid control with its mouse and keyboard: selection, wheel and keys, caption clicks
// that sort, caption edges that resize, captions that move, the header menu, the themed
// scroll bars. Everything it changes in the header goes back into the header document and
// is reported through OnHeaderChange.
//
// A cell or caption whose text is cut shows the whole text in a tip after the hover delay;
// a double click on a caption's right edge fits the column to its texts, and the header
// menu's "自动调整列宽" fits every shown column.
//
// Keyboard: arrows, Page Up/Down, Home/End move the current row; Enter enters it; the menu
// key and Shift+F10 open the grid's context menu at the current row; Tab and Shift+Tab ask
// the parent to move the focus on (WM_NEXTDLGCTL, see common/TabOrder.h). The window
// answers WM_GETOBJECT with an accessible table of its rows and cells.
//
// The header menu's "刷新" asks the parent to reload: it sends WM_NOTIFY with the grid's
// control identifier (1001 unless Create was given another) and the code GridReloadCode.
#pragma once
#include "controls/XDataGrid.h"
#include <memory>

namespace Control {

class CutTextTip;

class DataGridEx : public XDataGrid {
public:
    static const UINT DefaultControlId = 1001;
    static const int GridReloadCode = -753;

    DataGridEx();
    DataGridEx(const DataGridEx&) = delete;
    DataGridEx& operator=(const DataGridEx&) = delete;
    ~DataGridEx() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Column fitting measures at most this many rows, the first in the shown order: past a
    // hundred thousand rows the measuring would hold the window for seconds.
    static const int kFitRowLimit = 100000;
    // Fits the column to the widest of its caption and its shown texts (see kFitRowLimit),
    // wider or narrower; OnHeaderChange when the width changed.
    void FitColumn(int column);
    // Fits every shown column; one OnHeaderChange when any width changed.
    void FitAllColumns();
    // The tip window for cut text, null before a text was first cut.
    HWND GetTipWindow() const;

protected:
    void OnPaint();
    LRESULT OnPrintClient(HDC dc);
    void OnLButtonDown(int x, int y, bool dblClick);
    void OnLButtonUp(int x, int y);
    void OnMouseMove(int x, int y);
    void OnRButtonDown(int x, int y);
    bool OnSetCursor();
    void OnKeyDown(UINT key);
    void OnWheel(int delta, bool horizontal);
    void OnScrollTimer();
    // column: the leaf column under the click, -1 on a group caption.
    void ShowHeaderMenu(int x, int y, int column);
    // Column moves, width and visibility: change the document, lay out again, tell the grid.
    void MoveTopItem(int fromItem, int toItem);
    // width in unscaled pixels; OnHeaderChange when it differs from the width at the press.
    void ResizeColumn(int column, int width);
    void SetTopItemVisible(int item, bool visible);
    void NotifyReload();
    void CopyCurrentRow();
    // Tips for cut text: the mouse rests on a cell (row >= 0) or caption (row -1); after the
    // hover delay the whole text shows below it. Any move off the spot, a click, a key, the
    // wheel, leaving the window or a paint that changed the spot takes the tip away.
    void TrackTip(int x, int y);
    void ShowTip();
    void ForgetTip();
    void CheckTipAfterChange();
    // The keyboard's way to the context menu: OnContextMenu at a point on the current row.
    void OpenContextMenuAtCurrentRow();
    bool IsMenuChord(UINT key) const;

private:
    enum class Drag { None, MaybeMove, Move, Resize, VThumb, HThumb, ScrollButton };
    void PaintTo(HDC target, const RECT& client);
    void OnScrollBarDown(int x, int y, bool vertical);
    void ScrollByButton();
    // Top-level item index before which a caption dropped at x lands (the item count for
    // the end), -1 outside the header's columns.
    int DropItemAt(int x) const;
    int DropMarkerX(int dropItem) const;
    bool TopItemSpan(int item, int& left, int& right) const;
    int TopItemOfColumn(int column) const;
    int Unscaled(int pixels) const;
    void EndDrag();
    // Sets the fitted width in the document; true when it changed.
    bool FitColumnWidth(int column);

    Drag drag_ = Drag::None;
    POINT dragStart_{};
    int dragColumn_ = -1;       // column pressed (move/resize)
    int dragItem_ = -1;         // top-level item being moved
    int dragStartWidth_ = 0;    // scaled pixels at the press
    int pressWidth_ = 0;        // unscaled width at the press
    int dragOrigin_ = 0;        // scroll position when a thumb was grabbed
    int dropX_ = -1;            // where the moved caption would land, -1 for no marker
    int heldScrollButton_ = -1; // 0..3 as DrawScrollBarButton's arrow while held

    std::unique_ptr<CutTextTip> tip_;
    bool trackingLeave_ = false; // a WM_MOUSELEAVE is asked for
    // The spot under the mouse: column -1 for none; row -1 for the caption. The rest says
    // what the grid showed there when the spot was taken, and whether that text was cut.
    int tipRow_ = -1, tipColumn_ = -1;
    bool tipCut_ = false;
    Common::XStringW tipText_, tipColumnName_;
    int tipTopRow_ = 0, tipScrollX_ = 0, tipWidth_ = 0;
};

} // namespace Control
