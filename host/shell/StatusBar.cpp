#include "StatusBar.h"
#include "UiFont.h"
#include "common/MemoryDC.h"
#include <commctrl.h>
#include <algorithm>

namespace HostShell {

namespace {
// At 96 dpi.
const int kGripSize = 14;
const int kTextMargin = 6;
const int kDotSize = 2, kDotPitch = 4, kGripInset = 3;
} // namespace

StatusBar::~StatusBar() { ReleaseWindow(); }

HWND StatusBar::createWindow(HWND parent)
{
    HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                               nullptr, nullptr, nullptr);
    if (!bar) return nullptr;
    if (!Attach(bar)) {
        ::DestroyWindow(bar);
        return nullptr;
    }
    useUiFont(bar);
    return bar;
}

void StatusBar::setColors(const FrameColors& colors)
{
    colors_ = colors;
    if (IsWindow()) Invalidate(FALSE);
}

void StatusBar::setMessage(const XStringW& text)
{
    if (IsWindow()) SendMessageW(GetHwnd(), SB_SETTEXTW, 0, LPARAM(text.c_str()));
}

void StatusBar::setError(const XStringW& text)
{
    error_ = text;
    layout();
}

XStringW StatusBar::partText(int part) const
{
    if (!IsWindow()) return {};
    int length = LOWORD(SendMessageW(GetHwnd(), SB_GETTEXTLENGTHW, WPARAM(part), 0));
    std::wstring text(size_t(length) + 1, L'\0');
    SendMessageW(GetHwnd(), SB_GETTEXTW, WPARAM(part), LPARAM(&text[0]));
    text.resize(wcslen(text.c_str()));
    return XStringW(text);
}

int StatusBar::height() const
{
    RECT r{};
    return IsWindow() && GetWindowRect(&r) ? r.bottom - r.top : 0;
}

// The error part is as wide as its text, at most three fifths of the bar; the message part
// takes the rest.
void StatusBar::layout()
{
    if (!IsWindow()) return;
    SendMessageW(GetHwnd(), WM_SIZE, 0, 0);
    RECT client{};
    GetClientRect(&client);
    if (error_.empty()) {
        int whole = -1;
        SendMessageW(GetHwnd(), SB_SETPARTS, 1, LPARAM(&whole));
    } else {
        Common::WindowDC dc(GetHwnd());
        Common::SelectedObject font(dc, uiFont());
        SIZE extent{};
        GetTextExtentPoint32W(dc, error_.c_str(), int(error_.size()), &extent);
        int width = std::min<int>(extent.cx + uiScaled(2 * kTextMargin + kGripSize), client.right * 3 / 5);
        int edges[2] = {std::max<int>(0, client.right - width), -1};
        SendMessageW(GetHwnd(), SB_SETPARTS, 2, LPARAM(edges));
        SendMessageW(GetHwnd(), SB_SETTEXTW, 1, LPARAM(error_.c_str()));
    }
    Invalidate(FALSE);
}

bool StatusBar::parentMaximised() const
{
    HWND root = GetAncestor(GetHwnd(), GA_ROOT);
    return root && IsZoomed(root);
}

void StatusBar::drawGrip(HDC dc, const RECT& client)
{
    // Dots in the lower right half of a 3 by 3 square, the usual sign of a corner to drag.
    Common::ScopedGdi<HBRUSH> brush(CreateSolidBrush(colors_.border));
    const int inset = uiScaled(kGripInset), pitch = uiScaled(kDotPitch), dot = uiScaled(kDotSize);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (row + col < 2) continue;
            int x = client.right - inset - (2 - col) * pitch, y = client.bottom - inset - (2 - row) * pitch;
            RECT place{x - dot, y - dot, x, y};
            FillRect(dc, &place, brush);
        }
    }
}

void StatusBar::paint(HDC target)
{
    RECT client{};
    GetClientRect(&client);
    Common::MemoryDC dc(target, client);
    if (!dc.ok()) return;
    Common::ScopedGdi<HBRUSH> background(CreateSolidBrush(colors_.background));
    FillRect(dc, &client, background);
    Common::ScopedGdi<HBRUSH> border(CreateSolidBrush(colors_.border));
    RECT top{client.left, client.top, client.right, client.top + 1};
    FillRect(dc, &top, border);

    Common::SelectedObject font(dc, uiFont());
    SetBkMode(dc, TRANSPARENT);
    int parts = int(SendMessageW(GetHwnd(), SB_GETPARTS, 0, 0));
    bool grip = !parentMaximised();
    for (int part = 0; part < parts && part < 2; ++part) {
        RECT r{};
        SendMessageW(GetHwnd(), SB_GETRECT, WPARAM(part), LPARAM(&r));
        if (part > 0) {
            RECT line{r.left, client.top + 3, r.left + 1, client.bottom - 3};
            FillRect(dc, &line, border);
        }
        const int margin = uiScaled(kTextMargin);
        RECT text{r.left + margin, client.top + 1, r.right - margin, client.bottom};
        if (part == parts - 1 && grip) text.right = std::min<LONG>(text.right, client.right - uiScaled(kGripSize));
        XStringW caption = partText(part);
        SetTextColor(dc, part == 1 ? colors_.error : colors_.text);
        DrawTextW(dc, caption.c_str(), int(caption.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (grip) drawGrip(dc, client);
}

LRESULT StatusBar::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE: {
        // The control repaints only what it thinks changed, which left the old grip behind
        // after a resize: the whole bar is painted again instead.
        LRESULT result = DefaultProc(msg, wParam, lParam);
        Invalidate(FALSE);
        return result;
    }
    case WM_NCHITTEST:
        // A maximised window shows no grip, and the corner must not resize it either.
        if (parentMaximised()) return HTCLIENT;
        break;
    }
    return SelfPaintedControl::WndProc(msg, wParam, lParam);
}

} // namespace HostShell
