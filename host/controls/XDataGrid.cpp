#include "controls/XDataGrid.h"
#include "ControlDpi.h"
#include "GridAccessible.h"
#include "GridHeader.h"
#include "GridResources.h"
#include "PaintedText.h"
#include "common/ScopedWin.h"
#include <algorithm>
#include <cmath>

namespace Control {

namespace {
// At 96 dpi: the scroll bars' thickness, and how near a caption's edge the mouse grabs it.
const int kScrollBarSize = 16;
const int kEdgeGrab = 4, kEdgeGrabRight = 3;
int scaled(int pixels, double scale) { return int(std::lround(pixels * scale)); }
} // namespace

XDataGrid::XDataGrid() : header_(new GridHeader), res_(new GridResources), painted_(new PaintedText) {}

XDataGrid::~XDataGrid()
{
    ReleaseWindow();
    DisconnectAccessible();
}

// Rows: a grid without a derived class has none.
int XDataGrid::GetRowsCount() { return 0; }
BOOL XDataGrid::GetCheckStatus(int) { return FALSE; }
void XDataGrid::SetCheckStatus(int, BOOL) {}
void XDataGrid::GetRowBkColor(int, BOOL selected, COLORREF& color) { color = selected ? selColor_ : bkColor_; }
void XDataGrid::GetItemColor(int, HeaderInfo2&, const Common::XStringW&, COLORREF&) {}
void XDataGrid::GetItemText(int, HeaderInfo2&, Common::XStringW& text) { text.clear(); }
bool XDataGrid::sort(const Common::XStringW&, int) { return false; }
void XDataGrid::OnContextMenu(int, int) {}
void XDataGrid::OnHeaderChange() {}
void XDataGrid::OnResetHeader() {}
void XDataGrid::OnEnterItem(int) {}

void XDataGrid::DragItemToString(int row, Common::XStringW& text)
{
    text.clear();
    for (int c = 0; c < GetColumnCount(); ++c) {
        Common::XStringW cell;
        DragItemToString(row, c, cell);
        if (c) text += L'\t';
        text += cell;
    }
}

void XDataGrid::DragItemToString(int row, int column, Common::XStringW& text)
{
    text.clear();
    if (row >= 0 && row < GetRowsCount() && column >= 0 && column < GetColumnCount())
        GetItemText(row, header_->column(column).info, text);
}

int XDataGrid::SetHeader(const Common::XStringW& xml)
{
    if (!header_->load(xml)) return 0;
    ScrollTo(topRow_, scrollX_); // onto a stop of the new columns
    Invalidate(FALSE);
    return 1;
}

Common::XStringW XDataGrid::GetHeader() const { return header_->xml(); }
IXMLDOMNodeList* XDataGrid::GetHeaderItems() const { return header_->items(); }
IXMLDOMElement* XDataGrid::GetHeader(IXMLDOMNodeList* items, const Common::XStringW& name) const
{
    return header_->find(items, name);
}
int XDataGrid::GetColumnCount() const { return int(header_->columns().size()); }
const HeaderInfo2* XDataGrid::GetColumnInfo(int column) const
{
    return column >= 0 && column < GetColumnCount() ? &header_->columns()[column].info : nullptr;
}

// Looks. Every setter repaints; none of them touches the rows.
void XDataGrid::SetBkColor(COLORREF c)
{
    bkColor_ = c;
    Invalidate(FALSE);
}
void XDataGrid::SetBdColor(COLORREF c)
{
    bdColor_ = c;
    Invalidate(FALSE);
}
void XDataGrid::SetGridColor(COLORREF c)
{
    gridColor_ = c;
    Invalidate(FALSE);
}
void XDataGrid::SetHeaderColor(COLORREF c)
{
    headerColor_ = c;
    Invalidate(FALSE);
}
void XDataGrid::SetHeaderBkColor(COLORREF c)
{
    headerBkColor_ = c;
    Invalidate(FALSE);
}
void XDataGrid::SetScrollArrowColor(COLORREF c)
{
    scrollArrow_ = c;
    Invalidate(FALSE);
}
void XDataGrid::SetScrollButtonColor(COLORREF c)
{
    scrollButtonColor_ = c;
    Invalidate(FALSE);
}
void XDataGrid::SetScrollFaceColor(COLORREF c)
{
    scrollFace_ = c;
    Invalidate(FALSE);
}
void XDataGrid::SetScrollDarkColor(COLORREF c)
{
    scrollDark_ = c;
    Invalidate(FALSE);
}
void XDataGrid::SetScrollLightColor(COLORREF c)
{
    scrollLight_ = c;
    Invalidate(FALSE);
}
void XDataGrid::SetDrawGridLine(BOOL h, BOOL v)
{
    hLines_ = h;
    vLines_ = v;
    Invalidate(FALSE);
}
void XDataGrid::SetRowHight(int pixels)
{
    rowHeight_ = std::clamp(pixels, 4, 400);
    Invalidate(FALSE);
}
void XDataGrid::SetHeaderRowHight(int pixels)
{
    headerRowHeight_ = std::clamp(pixels, 4, 400);
    Invalidate(FALSE);
}
void XDataGrid::SetScrollLock(int columns)
{
    scrollLock_ = std::max(0, columns);
    frozenNames_.clear();
    InvalidatePlaces();
    ScrollTo(topRow_, scrollX_); // the scrolling columns, and so the stops, changed
    Invalidate(FALSE);
}

void XDataGrid::SetScrollLock(const std::vector<Common::XStringW>& names)
{
    frozenNames_ = names;
    scrollLock_ = 0;
    InvalidatePlaces();
    ScrollTo(topRow_, scrollX_);
    Invalidate(FALSE);
}

// Counted from the left: a listed column after an unlisted one would have to leave its
// place to stay frozen, so it scrolls with the rest instead.
int XDataGrid::FrozenColumns() const { return Places().frozen; }

int XDataGrid::CountFrozenColumns() const
{
    int count = GetColumnCount();
    if (frozenNames_.empty()) return std::min(scrollLock_, count);
    int frozen = 0;
    while (frozen < count && !header_->columns()[frozen].info.name.empty() &&
           std::find(frozenNames_.begin(), frozenNames_.end(), header_->columns()[frozen].info.name) !=
               frozenNames_.end())
        ++frozen;
    return frozen;
}

void XDataGrid::SetEmptyText(const Common::XStringW& text)
{
    if (text == emptyText_) return;
    emptyText_ = text;
    Invalidate(FALSE);
}

void XDataGrid::SetHeaderFont(const Common::XStringW& face, int size)
{
    headerFace_ = face;
    headerSize_ = size > 0 ? size : 9;
    Invalidate(FALSE);
}

// A zoom that is not a sensible factor (zero, negative, not a number) is ignored.
void XDataGrid::SetZoom(double zoom)
{
    if (!(zoom >= 0.25 && zoom <= 8.0)) return;
    zoom_ = zoom;
    InvalidatePlaces();
    ScrollTo(topRow_, scrollX_);
    Invalidate(FALSE);
}

void XDataGrid::ReleaseDrawingResource() { res_->release(); }
size_t XDataGrid::CachedFontCount() const { return res_->fontCount(); }

HFONT XDataGrid::HeaderFont()
{
    return res_->font(headerFace_, headerSize_ * zoom_, false, false, res_->dpi(GetHwnd()));
}

HFONT XDataGrid::ColumnFont(int column)
{
    const GridHeader::Column& c = header_->columns()[column];
    const std::wstring& face = c.fontFace.empty() ? headerFace_ : c.fontFace;
    int size = c.fontSize > 0 ? c.fontSize : headerSize_;
    return res_->font(face, size * zoom_, c.bold, c.italic, res_->dpi(GetHwnd()));
}

GridResources& XDataGrid::Resources() { return *res_; }

void XDataGrid::Refresh(bool resetPosition, bool rowsChanged)
{
    int rows = GetRowsCount();
    if (resetPosition) {
        curSel_ = -1;
        topRow_ = 0;
        scrollX_ = 0;
    }
    if (rowsChanged && curSel_ >= rows) curSel_ = -1;
    ScrollTo(topRow_, scrollX_);
    Invalidate(FALSE);
    if (rowsChanged && IsWindow()) NotifyWinEvent(EVENT_OBJECT_REORDER, GetHwnd(), OBJID_CLIENT, CHILDID_SELF);
}

void XDataGrid::SetCurrSel(int row)
{
    if (row < -1 || row >= GetRowsCount() || row == curSel_) return;
    int old = curSel_;
    curSel_ = row;
    int top = topRow_;
    if (row >= 0) ScrollRowIntoView(row);
    if (top != topRow_ || !IsWindow() || !IsWindowVisible(GetHwnd())) {
        Invalidate(FALSE);
    } else {
        // Only two rows changed: repaint them at once, without waiting for a full paint.
        Common::WindowDC dc(GetHwnd());
        DrawRowQuick(dc, old);
        DrawRowQuick(dc, row);
    }
    NotifyCurrentRow(old);
}

void XDataGrid::ScrollRowIntoView(int row)
{
    int page = PageRows();
    if (row < topRow_)
        ScrollTo(row, scrollX_);
    else if (row >= topRow_ + page)
        ScrollTo(row - page + 1, scrollX_);
}

void XDataGrid::ScrollTo(int topRow, int scrollX)
{
    int maxTop = std::max(0, GetRowsCount() - PageRows());
    topRow = std::clamp(topRow, 0, maxTop);
    scrollX = SnapScrollX(scrollX);
    if (topRow == topRow_ && scrollX == scrollX_) return;
    topRow_ = topRow;
    scrollX_ = scrollX;
    Invalidate(FALSE);
}

// Column -1 asks for the rows' own order (the header menu's "恢复原始顺序"): sort is called
// with an empty column name. A caption marked sortable="false" (a running number, a rank)
// orders nothing itself: its click offers the grid the same request under the caption's own
// name, so the grid decides whether that caption stands for the rows' own order. When the
// grid agrees, no caption shows the arrow any more. The sort state is kept with the header
// (GridHeader), where the header menu finds it too.
void XDataGrid::SortByColumn(int column)
{
    if (column != -1 && (column < 0 || column >= GetColumnCount())) return;
    const GridHeader::Column* c = column >= 0 ? &header_->columns()[column] : nullptr;
    if (c && c->info.name.empty()) return;
    Common::XStringW name = c ? c->info.name : Common::XStringW(); // the header may change under the call
    if (!c || !c->sortable) {
        if (!sort(name, 0)) return;
        header_->setSortColumn(Common::XStringW(), false);
        Invalidate(FALSE);
        return;
    }
    bool descending = name == header_->sortColumn() ? !header_->sortDescending() : c->startDescending;
    if (!sort(name, descending ? 1 : 0)) return;
    header_->setSortColumn(name, descending);
    Invalidate(FALSE);
}

// Geometry. The client area has a one-pixel border; inside it the header, then the rows,
// with the scroll bars along the right and bottom edges when the rows or columns overflow.
// Heights and widths are kept at 96 dpi and the standard size: the zoom and the window's dpi
// scale them together.
int XDataGrid::RowHeight() const { return std::max(4, scaled(rowHeight_, gridScale(zoom_, res_->dpi(GetHwnd())))); }
int XDataGrid::CaptionRowHeight() const
{
    return std::max(4, scaled(headerRowHeight_, gridScale(zoom_, res_->dpi(GetHwnd()))));
}
int XDataGrid::HeaderHeight() const
{
    if (header_->empty()) return 0;
    return CaptionRowHeight() * (header_->twoLevels() ? 2 : 1);
}

int XDataGrid::ColumnWidth(int column) const
{
    return scaled(header_->columns()[column].width, gridScale(zoom_, res_->dpi(GetHwnd())));
}

// Computed in one pass over the columns and kept until the header document changes (its
// version tells) or the zoom or the frozen columns do (their setters drop it): placing each
// column by walking the ones before it made a paint cost the square of the columns.
const XDataGrid::ColumnPlaces& XDataGrid::Places() const
{
    if (places_.valid && places_.headerVersion == header_->version()) return places_;
    int count = GetColumnCount();
    places_.left.assign(size_t(count) + 1, 0);
    for (int c = 0; c < count; ++c) places_.left[c + 1] = places_.left[c] + ColumnWidth(c);
    placements_ += size_t(count);
    places_.frozen = CountFrozenColumns();
    places_.frozenWidth = places_.left[places_.frozen];
    places_.headerVersion = header_->version();
    places_.valid = true;
    return places_;
}

int XDataGrid::TotalWidth() const { return Places().left.back(); }
int XDataGrid::FrozenWidth() const { return Places().frozenWidth; }

RECT XDataGrid::InnerRect() const
{
    RECT r{};
    if (IsWindow()) GetClientRect(&r);
    InflateRect(&r, -1, -1);
    return r;
}

XDataGrid::ScrollLayout XDataGrid::GetScrollLayout() const
{
    ScrollLayout s;
    RECT in = InnerRect();
    const int bar = dpiScaled(kScrollBarSize, res_->dpi(GetHwnd()));
    long long needRows = (long long)const_cast<XDataGrid*>(this)->GetRowsCount() * RowHeight();
    int width = in.right - in.left, height = in.bottom - in.top - HeaderHeight();
    bool v = false, h = false;
    for (int pass = 0; pass < 2; ++pass) {
        v = needRows > height - (h ? bar : 0);
        h = TotalWidth() > width - (v ? bar : 0);
    }
    if (v) {
        s.vBar = {in.right - bar, in.top, in.right, in.bottom - (h ? bar : 0)};
        s.vUp = {s.vBar.left, s.vBar.top, s.vBar.right, s.vBar.top + bar};
        s.vDown = {s.vBar.left, s.vBar.bottom - bar, s.vBar.right, s.vBar.bottom};
    }
    if (h) {
        s.hBar = {in.left, in.bottom - bar, in.right - (v ? bar : 0), in.bottom};
        s.hLeft = {s.hBar.left, s.hBar.top, s.hBar.left + bar, s.hBar.bottom};
        s.hRight = {s.hBar.right - bar, s.hBar.top, s.hBar.right, s.hBar.bottom};
    }
    if (v && h) s.corner = {s.vBar.left, s.hBar.top, s.vBar.right, s.hBar.bottom};
    PlaceThumbs(s);
    return s;
}

RECT XDataGrid::BodyRect() const
{
    RECT in = InnerRect();
    ScrollLayout s = GetScrollLayout();
    RECT body = {in.left, in.top + HeaderHeight(), in.right, in.bottom};
    if (!IsRectEmpty(&s.vBar)) body.right = s.vBar.left;
    if (!IsRectEmpty(&s.hBar)) body.bottom = s.hBar.top;
    if (body.bottom < body.top) body.bottom = body.top;
    return body;
}

int XDataGrid::PageRows() const
{
    RECT in = InnerRect();
    int height = in.bottom - in.top - HeaderHeight() - dpiScaled(kScrollBarSize, res_->dpi(GetHwnd()));
    RECT body = BodyRect();
    if (body.bottom > body.top) height = body.bottom - body.top;
    return std::max(1, height / RowHeight());
}

bool XDataGrid::ColumnScreenSpan(int column, int& left, int& right) const
{
    if (column < 0 || column >= GetColumnCount()) return false;
    return SpanIn(BodyRect(), column, left, right);
}

bool XDataGrid::SpanIn(const RECT& body, int column, int& left, int& right) const
{
    const ColumnPlaces& p = Places();
    if (column < 0 || column + 1 >= int(p.left.size())) return false;
    bool frozen = column < p.frozen;
    left = body.left + p.left[column] - (frozen ? 0 : scrollX_);
    right = left + (p.left[column + 1] - p.left[column]);
    int regionLeft = frozen ? body.left : body.left + p.frozenWidth;
    int regionRight = frozen ? body.left + p.frozenWidth : body.right;
    return right > regionLeft && left < regionRight;
}

// Found by binary search in the kept edges, so a paint visits only the columns on screen.
void XDataGrid::ColumnsInView(const RECT& body, bool frozenRegion, int& first, int& end) const
{
    const ColumnPlaces& p = Places();
    int count = int(p.left.size()) - 1;
    auto edgeIndex = [&](int from, int to, int offset) {
        return int(std::upper_bound(p.left.begin() + from, p.left.begin() + to, offset) - p.left.begin());
    };
    int width = int(body.right - body.left);
    if (frozenRegion) {
        first = 0;
        end = std::min(p.frozen, edgeIndex(0, p.frozen + 1, std::min(width, p.frozenWidth) - 1));
        return;
    }
    // Scrolling columns whose right edge passes the frozen block's, up to the body's right.
    int from = scrollX_ + p.frozenWidth;
    first = std::max(p.frozen, edgeIndex(p.frozen, count + 1, from) - 1);
    end = std::min(count, edgeIndex(p.frozen, count + 1, scrollX_ + width - 1));
}

int XDataGrid::ColumnAt(const RECT& body, int x) const
{
    const ColumnPlaces& p = Places();
    int count = int(p.left.size()) - 1;
    int offset = x - int(body.left);
    bool frozen = offset < p.frozenWidth;
    int from = frozen ? 0 : p.frozen, to = frozen ? p.frozen : count;
    if (!frozen) offset += scrollX_;
    if (offset < 0) return -1;
    int c = int(std::upper_bound(p.left.begin() + from, p.left.begin() + to + 1, offset) - p.left.begin()) - 1;
    return c >= from && c < to ? c : -1;
}

XDataGrid::HitTestResult XDataGrid::HitTest(int x, int y, int& row, int& column)
{
    row = column = -1;
    RECT in = InnerRect();
    POINT pt{x, y};
    if (!PtInRect(&in, pt)) return HitNowhere;
    ScrollLayout s = GetScrollLayout();
    if (PtInRect(&s.vBar, pt)) return HitVScroll;
    if (PtInRect(&s.hBar, pt)) return HitHScroll;
    if (PtInRect(&s.corner, pt)) return HitNowhere;
    RECT body = BodyRect();
    column = ColumnAt(body, x);
    if (y < body.top) return HitHeader(x, y, column);
    long long r = topRow_ + (y - body.top) / RowHeight();
    if (r >= GetRowsCount()) return HitBelowRows;
    row = int(r);
    return column >= 0 ? HitCell : HitBelowRows;
}

XDataGrid::HitTestResult XDataGrid::HitHeader(int x, int y, int& column)
{
    if (column < 0) return HitNowhere;
    const GridHeader::Column& c = header_->columns()[column];
    RECT in = InnerRect();
    bool groupRow = c.group >= 0 && y < in.top + CaptionRowHeight();
    if (groupRow) {
        column = header_->groups()[c.group].first;
        return HitGroupCaption;
    }
    int l = 0, r = 0;
    ColumnScreenSpan(column, l, r);
    UINT dpi = res_->dpi(GetHwnd());
    if (r - x <= dpiScaled(kEdgeGrab, dpi)) return HitCaptionEdge;
    // A point just right of an edge still grabs the column on the left.
    if (x - l < dpiScaled(kEdgeGrabRight, dpi) && column > 0) {
        int pl = 0, pr = 0;
        if (ColumnScreenSpan(column - 1, pl, pr) && pr == l) {
            --column;
            return HitCaptionEdge;
        }
    }
    return HitCaption;
}

} // namespace Control
