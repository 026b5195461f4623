// Painting: everything goes into the off-screen bitmap given to Render, region by region
// (the scrolling columns, then the frozen ones over them), asking the derived grid only
// for the rows and columns that are on screen.
#include "controls/XDataGrid.h"
#include "ControlDpi.h"
#include "GridHeader.h"
#include "GridResources.h"
#include "PaintedText.h"
#include <gdiplus.h>
#include <algorithm>
#include <climits>
#include <cwchar>

namespace Control {

namespace {

void fill(HDC dc, const RECT& r, COLORREF c)
{
    Common::ScopedGdi<HBRUSH> b(CreateSolidBrush(c));
    FillRect(dc, &r, b);
}

void hLine(HDC dc, int x1, int x2, int y, COLORREF c)
{
    RECT r = {x1, y, x2, y + 1};
    fill(dc, r, c);
}
void vLine(HDC dc, int x, int y1, int y2, COLORREF c)
{
    RECT r = {x, y1, x + 1, y2};
    fill(dc, r, c);
}

// Restricts drawing to r until the scope ends.
class ClipScope {
public:
    ClipScope(HDC dc, const RECT& r) : dc_(dc), saved_(SaveDC(dc))
    {
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    ~ClipScope() { RestoreDC(dc_, saved_); }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;
private:
    HDC dc_;
    int saved_;
};

// A text a person reads as one number: digits with signs, decimal and grouping marks, a
// percent sign, or the dashes, slashes and colons of a date or a time (a spreadsheet holds
// those as numbers too).
bool readsAsNumber(const Common::XStringW& text)
{
    bool digit = false;
    for (wchar_t ch : text) {
        if (ch >= L'0' && ch <= L'9') {
            digit = true;
            continue;
        }
        if (!wcschr(L"+-.,%:/ '\u00A0\u202F", ch)) return false;
    }
    return digit;
}

// Cut with "…", "23.6123" reads as "23.6…", another number: a number that does not fit shows
// "###" instead, as spreadsheets do, and the tip over the cell gives it whole (the tip and
// the fitting measure the text the same way, XDataGridMeasure.cpp).
const wchar_t kCutNumber[] = L"###";

bool cutNumber(HDC dc, const Common::XStringW& text, const RECT& room)
{
    if (!readsAsNumber(text)) return false;
    SIZE size{};
    return GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size) && size.cx > room.right - room.left;
}

} // namespace

void XDataGrid::Render(HDC dc, Gdiplus::Graphics* graphics, const RECT& client)
{
    painted_->begin();
    DrawBackground(dc, client);
    RECT body = BodyRect();
    DrawContent(dc, graphics, body);
    RECT in = InnerRect();
    RECT header = {in.left, in.top, body.right, in.top + HeaderHeight()};
    if (header.bottom > header.top) DrawHeader(dc, graphics, header);
    DrawScrollBar(dc, client);
    DrawBorder(dc, client);
    painted_->end();
}

void XDataGrid::DrawBackground(HDC dc, const RECT& client) { fill(dc, client, bkColor_); }

void XDataGrid::DrawBorder(HDC dc, const RECT& client)
{
    hLine(dc, client.left, client.right, client.top, bdColor_);
    hLine(dc, client.left, client.right, client.bottom - 1, bdColor_);
    vLine(dc, client.left, client.top, client.bottom, bdColor_);
    vLine(dc, client.right - 1, client.top, client.bottom, bdColor_);
}

// The scrolling region is drawn first and the frozen one last, so the frozen columns cover
// whatever scrolled under them.
void XDataGrid::DrawContent(HDC dc, Gdiplus::Graphics* graphics, const RECT& body)
{
    if (body.bottom <= body.top) return;
    ClipScope clip(dc, body);
    int rows = GetRowsCount();
    if (rows == 0) {
        DrawEmptyText(dc, body);
        return;
    }
    int height = RowHeight();
    int y = body.top;
    for (int row = topRow_; row < rows && y < body.bottom; ++row, y += height) {
        RECT r = {body.left, y, body.right, y + height};
        DrawRow(dc, graphics, row, r);
    }
}

// Centred both ways; a long text (a database error) wraps inside the body with a margin.
void XDataGrid::DrawEmptyText(HDC dc, const RECT& body)
{
    if (emptyText_.empty()) return;
    const int margin = dpiScaled(20, res_->dpi(GetHwnd()));
    RECT box = {body.left + margin, body.top, std::max<LONG>(body.left + margin + 1, body.right - margin), body.bottom};
    UINT flags = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    Common::SelectedObject font(dc, HeaderFont());
    RECT measured = box;
    DrawTextW(dc, emptyText_.c_str(), int(emptyText_.size()), &measured, flags | DT_CALCRECT);
    int height = measured.bottom - measured.top;
    box.top = std::max<LONG>(body.top, (body.top + body.bottom - height) / 2);
    box.bottom = box.top + height;
    SetTextColor(dc, headerColor_);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, emptyText_.c_str(), int(emptyText_.size()), &box, flags);
    painted_->add(PaintedText::kMessageLine, box.left, emptyText_);
}

void XDataGrid::DrawRow(HDC dc, Gdiplus::Graphics* graphics, int row, const RECT& rect)
{
    COLORREF bk = row == curSel_ ? selColor_ : bkColor_;
    GetRowBkColor(row, row == curSel_, bk);
    fill(dc, rect, bk);
    int frozenRight = rect.left + FrozenWidth();
    RECT body = BodyRect();
    for (int pass = 0; pass < 2; ++pass) {
        bool frozenPass = pass == 1;
        RECT region = {frozenPass ? rect.left : frozenRight, rect.top, frozenPass ? frozenRight : rect.right,
                       rect.bottom};
        if (region.right <= region.left) continue;
        ClipScope clip(dc, region);
        if (frozenPass) fill(dc, region, bk);
        int first = 0, end = 0;
        ColumnsInView(body, frozenPass, first, end);
        for (int c = first; c < end; ++c) {
            int l = 0, r = 0;
            if (!SpanIn(body, c, l, r)) continue;
            RECT cell = {l, rect.top, r, rect.bottom};
            DrawItem(dc, graphics, row, c, cell);
            if (vLines_) vLine(dc, r - 1, rect.top, rect.bottom, gridColor_);
        }
    }
    if (hLines_) hLine(dc, rect.left, rect.right, rect.bottom - 1, gridColor_);
}

void XDataGrid::DrawItem(HDC dc, Gdiplus::Graphics* graphics, int row, int column, const RECT& rect)
{
    GridHeader::Column& c = header_->column(column);
    UINT dpi = res_->dpi(GetHwnd());
    if (c.checkBox) {
        int side = std::min<int>(dpiScaled(13, dpi), rect.bottom - rect.top - dpiScaled(4, dpi));
        int x = (rect.left + rect.right - side) / 2, y = (rect.top + rect.bottom - side) / 2;
        DrawCheckBox(dc, graphics, RECT{x, y, x + side, y + side}, GetCheckStatus(row));
        painted_->add(row, rect.left, std::wstring());
        return;
    }
    Common::XStringW text;
    GetItemText(row, c.info, text);
    COLORREF color = headerColor_;
    GetItemColor(row, c.info, text, color);
    Common::SelectedObject font(dc, ColumnFont(column));
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    RECT r = rect;
    InflateRect(&r, -dpiScaled(kTextMargin, dpi), 0);
    bool cut = cutNumber(dc, text, r);
    if (cut) text = kCutNumber;
    painted_->add(row, rect.left, text);
    DrawTextW(dc, text.c_str(), int(text.size()), &r,
              c.align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | (cut ? 0 : DT_END_ELLIPSIS));
}

void XDataGrid::DrawCheckBox(HDC dc, Gdiplus::Graphics*, const RECT& r, BOOL checked)
{
    fill(dc, r, bkColor_);
    hLine(dc, r.left, r.right, r.top, bdColor_);
    hLine(dc, r.left, r.right, r.bottom - 1, bdColor_);
    vLine(dc, r.left, r.top, r.bottom, bdColor_);
    vLine(dc, r.right - 1, r.top, r.bottom, bdColor_);
    if (!checked) return;
    RECT mark = r;
    int inset = dpiScaled(3, res_->dpi(GetHwnd()));
    InflateRect(&mark, -inset, -inset);
    fill(dc, mark, headerColor_);
}

// Captions of the shown columns; group captions span their shown columns of the region.
void XDataGrid::DrawHeader(HDC dc, Gdiplus::Graphics* graphics, const RECT& header)
{
    fill(dc, header, headerBkColor_);
    int frozenRight = header.left + FrozenWidth();
    int captionHeight = CaptionRowHeight();
    RECT body = BodyRect();
    for (int pass = 0; pass < 2; ++pass) {
        bool frozenPass = pass == 1;
        RECT region = {frozenPass ? header.left : frozenRight, header.top, frozenPass ? frozenRight : header.right,
                       header.bottom};
        if (region.right <= region.left) continue;
        ClipScope clip(dc, region);
        std::vector<RECT> groupRects(header_->groups().size(),
                                     RECT{INT_MAX, header.top, INT_MIN, header.top + captionHeight});
        int first = 0, end = 0;
        ColumnsInView(body, frozenPass, first, end);
        for (int c = first; c < end; ++c) {
            int l = 0, r = 0;
            if (!SpanIn(body, c, l, r)) continue;
            int group = header_->columns()[c].group;
            RECT cell = {l, group >= 0 ? header.top + captionHeight : header.top, r, header.bottom};
            DrawHeaderItem(dc, graphics, c, cell);
            if (group >= 0) {
                groupRects[group].left = std::min<LONG>(groupRects[group].left, l);
                groupRects[group].right = std::max<LONG>(groupRects[group].right, r);
            }
        }
        for (size_t g = 0; g < groupRects.size(); ++g)
            if (groupRects[g].right > groupRects[g].left) DrawHeaderItem(dc, graphics, -1 - int(g), groupRects[g]);
    }
}

void XDataGrid::DrawHeaderItem(HDC dc, Gdiplus::Graphics* graphics, int item, const RECT& rect)
{
    DrawHeaderBackgound(dc, rect);
    UINT dpi = res_->dpi(GetHwnd());
    RECT text = rect;
    InflateRect(&text, -dpiScaled(kTextMargin, dpi), 0);
    if (item >= 0) {
        const GridHeader::Column& c = header_->columns()[item];
        bool sorted = !header_->sortColumn().empty() && c.info.name == header_->sortColumn();
        if (sorted) {
            int space = dpiScaled(kSortArrowSpace, dpi);
            RECT arrow = {text.right - (space - 1), rect.top, text.right, rect.bottom};
            text.right -= space;
            DrawHeaderSort(dc, graphics, arrow, header_->sortDescending());
        }
        DrawHeaderText(dc, text, c.title, c.titleAlign, HeaderFont());
        painted_->add(PaintedText::kHeaderLine, rect.left, c.title);
    } else if (-1 - item < int(header_->groups().size())) {
        const GridHeader::Group& g = header_->groups()[-1 - item];
        DrawHeaderText(dc, text, g.title, g.titleAlign, HeaderFont());
    }
    DrawHeaderBorder(dc, rect);
}

void XDataGrid::DrawHeaderBackgound(HDC dc, const RECT& rect) { fill(dc, rect, headerBkColor_); }

void XDataGrid::DrawHeaderBorder(HDC dc, const RECT& r)
{
    hLine(dc, r.left, r.right, r.bottom - 1, gridColor_);
    vLine(dc, r.right - 1, r.top, r.bottom, gridColor_);
}

void XDataGrid::DrawHeaderText(HDC dc, const RECT& rect, const Common::XStringW& text, UINT align, HFONT font)
{
    Common::SelectedObject selected(dc, font);
    SetTextColor(dc, headerColor_);
    SetBkMode(dc, TRANSPARENT);
    RECT r = rect;
    DrawTextW(dc, text.c_str(), int(text.size()), &r,
              align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

// A small triangle in the caption colour: point down for descending, up for ascending; 8 by 6
// pixels at 96 dpi.
void XDataGrid::DrawHeaderSort(HDC dc, Gdiplus::Graphics* graphics, const RECT& rect, bool descending)
{
    float scale = float(gridScale(1.0, res_->dpi(GetHwnd())));
    float cx = (rect.left + rect.right) / 2.0f, cy = (rect.top + rect.bottom) / 2.0f;
    float dx = 4.0f * scale, dy = (descending ? 3.0f : -3.0f) * scale;
    if (graphics) {
        Gdiplus::PointF p[3] = {{cx - dx, cy - dy}, {cx + dx, cy - dy}, {cx, cy + dy}};
        Gdiplus::SolidBrush brush(
            Gdiplus::Color(255, GetRValue(headerColor_), GetGValue(headerColor_), GetBValue(headerColor_)));
        graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        graphics->FillPolygon(&brush, p, 3);
        graphics->Flush(Gdiplus::FlushIntentionSync);
        return;
    }
    POINT p[3] = {{LONG(cx - dx), LONG(cy - dy)}, {LONG(cx + dx), LONG(cy - dy)}, {LONG(cx), LONG(cy + dy)}};
    Common::ScopedGdi<HBRUSH> b(CreateSolidBrush(headerColor_));
    Common::ScopedGdi<HPEN> pen(CreatePen(PS_SOLID, 1, headerColor_));
    Common::SelectedObject sb(dc, b), sp(dc, pen);
    Polygon(dc, p, 3);
}

// One row through its own small buffer, copied onto the window in one transfer.
void XDataGrid::DrawRowQuick(HDC windowDc, int row)
{
    RECT body = BodyRect();
    int height = RowHeight();
    if (row < topRow_ || row >= GetRowsCount() || (long long)(row - topRow_) * height >= body.bottom - body.top) return;
    int y = body.top + (row - topRow_) * height;
    RECT r = {body.left, y, body.right, std::min<LONG>(y + height, body.bottom)};
    HDC buffer = Resources().backBuffer(windowDc, body.right + 1, body.bottom + 1);
    if (!buffer) return;
    {
        ClipScope clip(buffer, r);
        Gdiplus::Graphics graphics(buffer);
        RECT full = {body.left, y, body.right, y + height};
        DrawRow(buffer, graphics.GetLastStatus() == Gdiplus::Ok ? &graphics : nullptr, row, full);
    }
    BitBlt(windowDc, r.left, r.top, r.right - r.left, r.bottom - r.top, buffer, r.left, r.top, SRCCOPY);
}

} // namespace Control
