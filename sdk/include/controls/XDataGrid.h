// The owner-drawn grid: a header read from XML (one or two levels), rows that a derived
// class supplies through virtual calls, one current row, frozen leading columns, scroll bars
// drawn by the control itself. Rows are only a count: the control asks for the text and
// colour of the cells it is about to draw and keeps no state per row, so a million rows cost
// what a screenful costs.
#pragma once
#include "common/ComPtr.h"
#include "controls/XWin.h"
#include "controls/HeaderInfo2.h"
#include <memory>
#include <vector>

namespace Gdiplus {
class Graphics;
}
struct IXMLDOMElement;
struct IXMLDOMNodeList;

namespace Control {

class GridAccessible;
class GridHeader;
class GridResources;
class PaintedText;

class XDataGrid : public XWin {
public:
    enum HitTestResult {
        HitNowhere,      // outside the client area or on the border
        HitCell,         // row and column set
        HitCaption,      // column set, row -1
        HitGroupCaption, // column = first column of the group, row -1
        HitCaptionEdge,  // column whose right edge is under the point, row -1
        HitBelowRows,    // body area past the last row; column set when over one
        HitVScroll,
        HitHScroll,
    };
    // Where the scroll bar's parts are (client coordinates); empty rectangles when not shown.
    struct ScrollLayout {
        RECT vBar{}, hBar{}, corner{};
        RECT vUp{}, vDown{}, vThumb{};
        RECT hLeft{}, hRight{}, hThumb{};
    };

    XDataGrid();
    XDataGrid(const XDataGrid&) = delete;
    XDataGrid& operator=(const XDataGrid&) = delete;
    ~XDataGrid() override;

    // Drawing. Render paints the whole client area into dc (an off-screen bitmap). graphics
    // is a GDI+ surface over the same dc, or null when GDI+ is not running.
    virtual void Render(HDC dc, Gdiplus::Graphics* graphics, const RECT& client);
    virtual void DrawHeader(HDC dc, Gdiplus::Graphics* graphics, const RECT& header);
    // item: a column index, or -1 - group for a group caption.
    virtual void DrawHeaderItem(HDC dc, Gdiplus::Graphics* graphics, int item, const RECT& rect);
    virtual void DrawHeaderBorder(HDC dc, const RECT& rect);
    virtual void DrawHeaderBackgound(HDC dc, const RECT& rect);
    virtual void DrawHeaderText(HDC dc, const RECT& rect, const Common::XStringW& text, UINT align, HFONT font);
    virtual void DrawHeaderSort(HDC dc, Gdiplus::Graphics* graphics, const RECT& rect, bool descending);
    virtual void DrawBackground(HDC dc, const RECT& client);
    virtual void DrawBorder(HDC dc, const RECT& client);
    virtual void DrawCheckBox(HDC dc, Gdiplus::Graphics* graphics, const RECT& rect, BOOL checked);
    virtual void DrawContent(HDC dc, Gdiplus::Graphics* graphics, const RECT& body);
    // Repaints one row straight onto the window (through a row-sized buffer), for a change of
    // the current row that needs no full paint.
    virtual void DrawRowQuick(HDC windowDc, int row);
    virtual void DrawRow(HDC dc, Gdiplus::Graphics* graphics, int row, const RECT& rect);
    virtual void DrawItem(HDC dc, Gdiplus::Graphics* graphics, int row, int column, const RECT& rect);
    virtual void DrawScrollBar(HDC dc, const RECT& client);
    virtual void DrawScrollBar(HDC dc, const RECT& bar, bool vertical);
    // arrow: 0 up, 1 down, 2 left, 3 right.
    virtual void DrawScrollBarButton(HDC dc, const RECT& rect, int arrow);

    // Rows: the derived class's data.
    virtual int GetRowsCount();
    virtual BOOL GetCheckStatus(int row);
    virtual void SetCheckStatus(int row, BOOL checked);
    virtual void GetRowBkColor(int row, BOOL selected, COLORREF& color);
    // color comes in as the control's text colour and may be changed.
    virtual void GetItemColor(int row, HeaderInfo2& column, const Common::XStringW& text, COLORREF& color);
    virtual void GetItemText(int row, HeaderInfo2& column, Common::XStringW& text);
    // A caption click: sort by the column, 0 ascending, 1 descending; an empty name asks for
    // the table's own order. True when the rows are now in that order (the caption then
    // shows the arrow).
    virtual bool sort(const Common::XStringW& column, int descending);
    // The header menu's items of a grid of its own for the column under the click (its name;
    // empty on a group caption), with ids from kHeaderMenuOwn; the chosen one comes back to
    // OnHeaderMenuCommand with the same column.
    enum { kHeaderMenuOwn = 0x8000 };
    virtual void AppendHeaderMenuItems(HMENU menu, const Common::XStringW& column) {}
    virtual void OnHeaderMenuCommand(UINT id, const Common::XStringW& column) {}

    // Client coordinates of a right click, after the row under it became current; from the
    // keyboard (menu key, Shift+F10), a point on the current row's lower edge.
    virtual void OnContextMenu(int x, int y);
    // The user moved, resized, hid or showed columns; GetHeader has the new document.
    virtual void OnHeaderChange();
    // The user asked for the default columns ("恢复默认列").
    virtual void OnResetHeader();
    // Double click or Enter on a row.
    virtual void OnEnterItem(int row);
    // The row as text: its shown cells separated by tabs (Ctrl+C copies the current row).
    virtual void DragItemToString(int row, Common::XStringW& text);
    virtual void DragItemToString(int row, int column, Common::XStringW& text);

    // Header. SetHeader parses the XML; 1 on success, 0 (previous header kept) when it does not
    // parse or has no root element. GetHeader gives the document's XML text.
    int SetHeader(const Common::XStringW& xml);
    Common::XStringW GetHeader() const;
    // The item list of the document's root (a new reference), or null without a header.
    IXMLDOMNodeList* GetHeaderItems() const;
    // The first item element named name in items or their groups; a new reference the
    // caller releases, or null.
    IXMLDOMElement* GetHeader(IXMLDOMNodeList* items, const Common::XStringW& name) const;
    int GetColumnCount() const;                         // shown columns
    const HeaderInfo2* GetColumnInfo(int column) const; // null outside
    HitTestResult HitTest(int x, int y, int& row, int& column);

    // Looks (COLORREF 0x00BBGGRR).
    void SetBkColor(COLORREF c);
    void SetBdColor(COLORREF c);
    void SetGridColor(COLORREF c);
    void SetHeaderColor(COLORREF c);
    void SetHeaderBkColor(COLORREF c);
    void SetScrollArrowColor(COLORREF c);
    void SetScrollButtonColor(COLORREF c);
    void SetScrollFaceColor(COLORREF c);
    void SetScrollDarkColor(COLORREF c);
    void SetScrollLightColor(COLORREF c);
    // size in points.
    void SetHeaderFont(const Common::XStringW& face, int size);
    void SetDrawGridLine(BOOL horizontal, BOOL vertical);
    void SetRowHight(int pixels);
    void SetHeaderRowHight(int pixels);
    // Scales fonts, row heights and column widths; the header document keeps unscaled widths.
    void SetZoom(double zoom);
    double GetZoom() const { return zoom_; }
    // The first n shown columns stay in place when the grid scrolls sideways.
    void SetScrollLock(int columns);
    // The columns named here stay in place, found by name whenever the columns change: the
    // frozen block is the run of leading shown columns whose names are listed, so hiding,
    // showing or moving a column never freezes one that is not listed. Replaces a count.
    void SetScrollLock(const std::vector<Common::XStringW>& names);
    // How many leading shown columns stay in place now.
    int FrozenColumns() const;
    // How many column positions the grid has computed since it was made. Positions are
    // computed for all columns at once when the columns, their widths, the frozen columns or
    // the zoom change, and kept: a paint or a hit test computes none.
    size_t ColumnPlacements() const { return placements_; }
    // A short message drawn centred in the body while the grid has no rows: that there is
    // no data, or why the rows could not be read. Empty draws nothing.
    void SetEmptyText(const Common::XStringW& text);
    const Common::XStringW& GetEmptyText() const { return emptyText_; }
    // Drops cached fonts and the off-screen bitmap; the next paint makes them again.
    void ReleaseDrawingResource();
    size_t CachedFontCount() const;

    // Rows. Refresh(resetPosition, rowsChanged): resetPosition scrolls back to the first row
    // and column and drops the current row; rowsChanged re-reads the row count, drops a
    // current row past the end and keeps the scroll position inside the rows. Both repaint.
    void Refresh(bool resetPosition, bool rowsChanged);
    int GetCurrSel() const { return curSel_; }
    // -1 clears; a row outside the rows is ignored. The row is scrolled into view.
    void SetCurrSel(int row);
    int GetTopRow() const { return topRow_; }
    int GetScrollX() const { return scrollX_; }

    // What the last full paint drew, as text: the header captions line, then one line per
    // painted row, then a message drawn over the rows; cells separated by tabs, lines ended
    // by CR LF. The window answers WM_GETTEXT and WM_GETTEXTLENGTH with it.
    Common::XStringW GetPaintedText() const;

    // Cells as a person meets them, for assistive technology and anything else that reads
    // the grid without its data: the text is what DrawItem paints (empty for a check box),
    // the title is the column's caption after its group's caption. Rectangles are in client
    // coordinates, where the row or column stands even when it is scrolled out of view; a
    // column the grid does not show, or a row outside the rows, gives false.
    Common::XStringW GetCellText(int row, int column);
    Common::XStringW GetColumnTitle(int column) const;
    bool GetRowRect(int row, RECT* rect) const;
    bool GetCellRect(int row, int column, RECT* rect) const;
    // True when the row can be seen in the body now (not scrolled away).
    bool IsRowInView(int row) const;
    // What a screen reader announces for the whole grid (the page's title, say).
    void SetAccessibleName(const Common::XStringW& name) { accessibleName_ = name; }
    const Common::XStringW& GetAccessibleName() const { return accessibleName_; }

protected:
    // Geometry at the current zoom.
    int RowHeight() const;
    int HeaderHeight() const;
    int CaptionRowHeight() const;
    RECT BodyRect() const; // rows area, between header and scroll bars
    int PageRows() const;  // whole rows that fit in the body
    ScrollLayout GetScrollLayout() const;
    // The column's rectangle on screen in the body's row band; false when scrolled away.
    bool ColumnScreenSpan(int column, int& left, int& right) const;
    int FrozenWidth() const;
    int TotalWidth() const;
    // Sideways the grid scrolls by whole columns (see SnapScrollX), so no part of a column
    // ever shows beside the frozen ones.
    void ScrollTo(int topRow, int scrollX);
    // The horizontal scroll positions allowed: the left edges of the scrolling columns, up
    // to the first one from which the remaining columns fit the body.
    std::vector<int> ScrollStops() const;
    // The stop to scroll to when asked for wanted: going right the last stop at or before
    // it, going left the first at or after it, moving at least one column either way.
    int SnapScrollX(int wanted) const;
    void ScrollRowIntoView(int row);
    // Clicking a caption: the direction toggles per column, starting from its sort attribute.
    void SortByColumn(int column);
    HFONT HeaderFont();
    HFONT ColumnFont(int column);
    int ColumnWidth(int column) const; // at the current zoom
    RECT InnerRect() const;            // client area inside the border
    // Thumb position for a scroll position and back (track coordinates along the bar).
    void PlaceThumbs(ScrollLayout& s) const;
    int TopRowForThumb(const ScrollLayout& s, int thumbStart) const;
    int ScrollXForThumb(const ScrollLayout& s, int thumbStart) const;
    GridResources& Resources();
    LRESULT OnGetText(size_t capacity, wchar_t* buffer) const;
    LRESULT OnGetTextLength() const;
    // WM_GETOBJECT: the grid as an accessible table (rows, then cells) for OBJID_CLIENT.
    LRESULT OnGetObject(WPARAM flags, LPARAM objectId);
    // Tells assistive technology that the current row moved from old: the new row is selected,
    // and focused when the grid has the keyboard focus.
    void NotifyCurrentRow(int old);
    // The grid got the keyboard focus: the current row (or the grid) is what has it.
    void NotifyFocus();

    // Cell and caption texts sit kTextMargin inside their column on either side; the sorted
    // column's caption gives kSortArrowSpace more on the right to its arrow.
    static const int kTextMargin = 4;
    static const int kSortArrowSpace = 10;
    // The column width, at the current zoom, that shows the text whole: its extent in the
    // font it is drawn with, plus the margins (and the arrow's room for the sorted column's
    // caption). A check-box cell needs nothing. dc: any DC compatible with the screen;
    // text, when given, receives the cell's text.
    int CellWidthNeeded(HDC dc, int row, int column, Common::XStringW* text = nullptr);
    int CaptionWidthNeeded(HDC dc, int column);
    // The most CellWidthNeeded gives over the first rows of a column, for fitting it.
    int WidestCellNeeded(HDC dc, int column, int rows);

    // The looks as set, unscaled, for subclasses that derive their own from them.
    COLORREF BkColor() const { return bkColor_; }
    COLORREF HeaderColor() const { return headerColor_; }
    COLORREF ScrollArrowColor() const { return scrollArrow_; }
    COLORREF ScrollButtonColor() const { return scrollButtonColor_; }
    COLORREF ScrollFaceColor() const { return scrollFace_; }
    COLORREF ScrollDarkColor() const { return scrollDark_; }
    COLORREF ScrollLightColor() const { return scrollLight_; }
    BOOL HorizontalLines() const { return hLines_; }
    BOOL VerticalLines() const { return vLines_; }
    int UnscaledRowHeight() const { return rowHeight_; }
    int UnscaledHeaderRowHeight() const { return headerRowHeight_; }

    GridHeader& Header() { return *header_; }
    const GridHeader& Header() const { return *header_; }

private:
    // Where the columns stand at the current zoom: left[c] is column c's left edge counted
    // from the first column's, left[count] the total width.
    struct ColumnPlaces {
        std::vector<int> left{0};
        int frozen = 0, frozenWidth = 0;
        unsigned headerVersion = 0;
        bool valid = false;
    };
    const ColumnPlaces& Places() const;
    void InvalidatePlaces() { places_.valid = false; }
    int CountFrozenColumns() const;
    // ColumnScreenSpan for a body rectangle the caller already has.
    bool SpanIn(const RECT& body, int column, int& left, int& right) const;
    // The columns of one region (frozen or scrolling) that may show in the body: [first, end).
    void ColumnsInView(const RECT& body, bool frozenRegion, int& first, int& end) const;
    // The column under x in the body's columns, or -1.
    int ColumnAt(const RECT& body, int x) const;
    HitTestResult HitHeader(int x, int y, int& column);
    void DrawEmptyText(HDC dc, const RECT& body);
    // Clients may hold the accessible object longer than the grid lives: from now on it
    // answers that it is gone.
    void DisconnectAccessible();

    COLORREF bkColor_ = RGB(255, 255, 255);
    COLORREF bdColor_ = RGB(160, 160, 160);
    COLORREF gridColor_ = RGB(220, 220, 220);
    COLORREF headerColor_ = RGB(0, 0, 0);
    COLORREF headerBkColor_ = RGB(236, 236, 236);
    COLORREF selColor_ = RGB(51, 153, 255);
    COLORREF scrollArrow_ = RGB(80, 80, 80);
    COLORREF scrollButtonColor_ = RGB(225, 225, 225);
    COLORREF scrollFace_ = RGB(200, 200, 200);
    COLORREF scrollDark_ = RGB(150, 150, 150);
    COLORREF scrollLight_ = RGB(245, 245, 245);
    BOOL hLines_ = TRUE, vLines_ = TRUE;
    int rowHeight_ = 23, headerRowHeight_ = 23;
    double zoom_ = 1.0;
    int scrollLock_ = 0;
    std::vector<Common::XStringW> frozenNames_; // when not empty, freezes by name instead
    int curSel_ = -1, topRow_ = 0, scrollX_ = 0;
    Common::XStringW headerFace_ = L"宋体";
    int headerSize_ = 9; // points

    std::unique_ptr<GridHeader> header_;
    std::unique_ptr<GridResources> res_;
    std::unique_ptr<PaintedText> painted_;
    Common::XStringW emptyText_;
    Common::XStringW accessibleName_;
    Common::ComPtr<GridAccessible> accessible_; // made on the first WM_GETOBJECT, cut off with the grid
    mutable ColumnPlaces places_;
    mutable size_t placements_ = 0;
};

} // namespace Control
