// The scroll bars the grid draws itself in the theme's five scroll colours. Positions are
// rows (vertical) and pixels (horizontal, always on a column's left edge); the thumb is
// proportional to the page with a minimum length, so a million rows still give a thumb
// that can be grabbed.
#include "controls/XDataGrid.h"
#include "ControlDpi.h"
#include "GridResources.h"
#include "common/ScopedWin.h"
#include <algorithm>
#include <cstdlib>

namespace Control {

namespace {

const int kMinThumb = 12; // at 96 dpi
const int kArrowHalfWidth = 4, kArrowHalfHeight = 2;

// Start and length of the thumb inside a track of trackLength, at least minThumb long.
void thumbSpan(int trackLength, long long range, long long page, long long pos, int minThumb, int& start, int& length)
{
    if (range <= page || trackLength <= 0) {
        start = 0;
        length = std::max(0, trackLength);
        return;
    }
    length = int(std::max<long long>(minThumb, trackLength * page / range));
    length = std::min(length, trackLength);
    long long maxPos = range - page;
    start = int((trackLength - length) * std::min(pos, maxPos) / maxPos);
}

long long positionFor(int trackLength, int thumbLength, long long range, long long page, int thumbStart)
{
    int free = trackLength - thumbLength;
    if (free <= 0 || range <= page) return 0;
    thumbStart = std::clamp(thumbStart, 0, free);
    return ((range - page) * thumbStart + free / 2) / free;
}

} // namespace

void XDataGrid::PlaceThumbs(ScrollLayout& s) const
{
    int rows = const_cast<XDataGrid*>(this)->GetRowsCount();
    if (!IsRectEmpty(&s.vBar)) {
        int track = s.vDown.top - s.vUp.bottom;
        int start = 0, length = 0;
        int page = std::max(1, int((s.vBar.bottom - s.vBar.top - (HeaderHeight())) / RowHeight()));
        thumbSpan(track, rows, page, topRow_, dpiScaled(kMinThumb, res_->dpi(GetHwnd())), start, length);
        s.vThumb = {s.vBar.left, s.vUp.bottom + start, s.vBar.right, s.vUp.bottom + start + length};
    }
    if (!IsRectEmpty(&s.hBar)) {
        int track = s.hRight.left - s.hLeft.right;
        int start = 0, length = 0;
        int page = std::max(1, int(s.hBar.right - s.hBar.left) - FrozenWidth());
        thumbSpan(track, TotalWidth() - FrozenWidth(), page, scrollX_, dpiScaled(kMinThumb, res_->dpi(GetHwnd())),
                  start, length);
        s.hThumb = {s.hLeft.right + start, s.hBar.top, s.hLeft.right + start + length, s.hBar.bottom};
    }
}

int XDataGrid::TopRowForThumb(const ScrollLayout& s, int thumbStart) const
{
    int track = s.vDown.top - s.vUp.bottom;
    int rows = const_cast<XDataGrid*>(this)->GetRowsCount();
    return int(positionFor(track, s.vThumb.bottom - s.vThumb.top, rows, PageRows(), thumbStart));
}

// The thumb lands on the nearest column edge: a thumb dragged by a few pixels must neither
// jump a whole column nor stick.
int XDataGrid::ScrollXForThumb(const ScrollLayout& s, int thumbStart) const
{
    int track = s.hRight.left - s.hLeft.right;
    RECT body = BodyRect();
    int page = std::max(1, int(body.right - body.left) - FrozenWidth());
    int x = int(positionFor(track, s.hThumb.right - s.hThumb.left, TotalWidth() - FrozenWidth(), page, thumbStart));
    std::vector<int> stops = ScrollStops();
    int nearest = 0;
    for (int stop : stops)
        if (std::abs(stop - x) < std::abs(nearest - x)) nearest = stop;
    return nearest;
}

std::vector<int> XDataGrid::ScrollStops() const
{
    RECT body = BodyRect();
    int overflow = TotalWidth() - int(body.right - body.left);
    std::vector<int> stops{0};
    for (int c = FrozenColumns(); c < GetColumnCount() && stops.back() < overflow; ++c)
        stops.push_back(stops.back() + ColumnWidth(c));
    return stops;
}

int XDataGrid::SnapScrollX(int wanted) const
{
    std::vector<int> stops = ScrollStops();
    int last = int(stops.size()) - 1;
    // Index of the last stop at or before x (0 before the first), of the first at or after.
    auto atOrBefore = [&](int x) {
        return std::max(0, int(std::upper_bound(stops.begin(), stops.end(), x) - stops.begin()) - 1);
    };
    auto atOrAfter = [&](int x) {
        return std::min(last, int(std::lower_bound(stops.begin(), stops.end(), x) - stops.begin()));
    };
    int i = atOrBefore(wanted);
    if (wanted > scrollX_ && stops[i] <= scrollX_)
        i = std::min(last, atOrBefore(scrollX_) + 1);
    else if (wanted < scrollX_) {
        i = atOrAfter(wanted);
        if (stops[i] >= scrollX_) i = std::max(0, atOrAfter(scrollX_) - 1);
    }
    return stops[i];
}

void XDataGrid::DrawScrollBar(HDC dc, const RECT& client)
{
    ScrollLayout s = GetScrollLayout();
    if (!IsRectEmpty(&s.vBar)) DrawScrollBar(dc, s.vBar, true);
    if (!IsRectEmpty(&s.hBar)) DrawScrollBar(dc, s.hBar, false);
    if (!IsRectEmpty(&s.corner)) {
        Common::ScopedGdi<HBRUSH> face(CreateSolidBrush(scrollFace_));
        FillRect(dc, &s.corner, face);
    }
}

namespace {

// A raised block: light top and left edges, dark bottom and right edges.
void raisedBlock(HDC dc, const RECT& r, COLORREF fill, COLORREF light, COLORREF dark)
{
    Common::ScopedGdi<HBRUSH> b(CreateSolidBrush(fill));
    FillRect(dc, &r, b);
    Common::ScopedGdi<HBRUSH> l(CreateSolidBrush(light)), d(CreateSolidBrush(dark));
    RECT top = {r.left, r.top, r.right, r.top + 1}, left = {r.left, r.top, r.left + 1, r.bottom};
    RECT bottom = {r.left, r.bottom - 1, r.right, r.bottom}, right = {r.right - 1, r.top, r.right, r.bottom};
    FillRect(dc, &top, l);
    FillRect(dc, &left, l);
    FillRect(dc, &bottom, d);
    FillRect(dc, &right, d);
}

} // namespace

void XDataGrid::DrawScrollBar(HDC dc, const RECT& bar, bool vertical)
{
    Common::ScopedGdi<HBRUSH> face(CreateSolidBrush(scrollFace_));
    FillRect(dc, &bar, face);
    ScrollLayout s = GetScrollLayout();
    if (vertical) {
        DrawScrollBarButton(dc, s.vUp, 0);
        DrawScrollBarButton(dc, s.vDown, 1);
        if (!IsRectEmpty(&s.vThumb)) raisedBlock(dc, s.vThumb, scrollButtonColor_, scrollLight_, scrollDark_);
    } else {
        DrawScrollBarButton(dc, s.hLeft, 2);
        DrawScrollBarButton(dc, s.hRight, 3);
        if (!IsRectEmpty(&s.hThumb)) raisedBlock(dc, s.hThumb, scrollButtonColor_, scrollLight_, scrollDark_);
    }
}

void XDataGrid::DrawScrollBarButton(HDC dc, const RECT& r, int arrow)
{
    raisedBlock(dc, r, scrollButtonColor_, scrollLight_, scrollDark_);
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    UINT dpi = res_->dpi(GetHwnd());
    const int w = dpiScaled(kArrowHalfWidth, dpi), h = dpiScaled(kArrowHalfHeight, dpi);
    POINT p[3];
    switch (arrow) {
    case 0:
        p[0] = {cx - w, cy + h};
        p[1] = {cx + w, cy + h};
        p[2] = {cx, cy - h};
        break;
    case 1:
        p[0] = {cx - w, cy - h};
        p[1] = {cx + w, cy - h};
        p[2] = {cx, cy + h};
        break;
    case 2:
        p[0] = {cx + h, cy - w};
        p[1] = {cx + h, cy + w};
        p[2] = {cx - h, cy};
        break;
    default:
        p[0] = {cx - h, cy - w};
        p[1] = {cx - h, cy + w};
        p[2] = {cx + h, cy};
        break;
    }
    Common::ScopedGdi<HBRUSH> b(CreateSolidBrush(scrollArrow_));
    Common::ScopedGdi<HPEN> pen(CreatePen(PS_SOLID, 1, scrollArrow_));
    Common::SelectedObject sb(dc, b), sp(dc, pen);
    Polygon(dc, p, 3);
}

} // namespace Control
