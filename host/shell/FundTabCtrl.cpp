#include "FundTabCtrl.h"
#include "UiFont.h"
#include "common/ScopedWin.h"
#include "hostapi/KernelHost.h"
#include <commctrl.h>

namespace HostShell {

FundTabCtrl::~FundTabCtrl() { ReleaseWindow(); }

int FundTabCtrl::stripHeight() { return uiScaled(kStripHeight); }

HWND FundTabCtrl::createWindow(HWND parent, const RECT& rect)
{
    if (!Create(0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect, parent, 0)) return nullptr;
    strip_.createWindow(GetHwnd());
    layout();
    return GetHwnd();
}

Host::ITabPage* FundTabCtrl::pageAt(int index) const
{
    return index >= 0 && index < pageCount() ? pages_[size_t(index)].get() : nullptr;
}

RECT FundTabCtrl::pageArea() const
{
    RECT client{};
    GetClientRect(&client);
    RECT area{0, stripHeight(), client.right, client.bottom};
    if (area.bottom < area.top) area.bottom = area.top;
    return area;
}

bool FundTabCtrl::addPage(Host::ITabPage* page)
{
    if (!page || !IsWindow()) return false;
    for (const auto& p : pages_) {
        if (p.get() == page) return false;
    }
    HWND pageWindow = nullptr;
    try {
        pageWindow = page->create(GetHwnd(), this);
    } catch (...) {
        pageWindow = nullptr; // a page that throws is treated as one that made no window
    }
    if (!pageWindow) {
        Host::logWarning((L"a page could not create its window: " + page->getTitle()).c_str());
        return false;
    }
    XStringW title = page->getTitle();
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(title.c_str());
    SendMessageW(strip_, TCM_INSERTITEMW, WPARAM(pages_.size()), LPARAM(&item));
    pages_.emplace_back(page);

    RECT area = pageArea();
    page->move(area.left, area.top, area.right - area.left, area.bottom - area.top);
    if (active_ < 0)
        activateIndex(0);
    else
        page->hide();
    return true;
}

bool FundTabCtrl::activatePage(Host::ITabPage* page)
{
    for (int i = 0; i < pageCount(); ++i) {
        if (pages_[size_t(i)].get() == page) return activateIndex(i);
    }
    return false;
}

// Hides the others before showing the chosen one, so two pages are never seen together.
bool FundTabCtrl::activateIndex(int index)
{
    Host::ITabPage* chosen = pageAt(index);
    if (!chosen) return false;
    active_ = index;
    SendMessageW(strip_, TCM_SETCURSEL, WPARAM(index), 0);
    for (int i = 0; i < pageCount(); ++i) {
        if (i != index) pages_[size_t(i)]->hide();
    }
    RECT area = pageArea();
    chosen->move(area.left, area.top, area.right - area.left, area.bottom - area.top);
    chosen->show();
    return true;
}

void FundTabCtrl::layout()
{
    RECT client{};
    GetClientRect(&client);
    if (strip_.IsWindow()) ::MoveWindow(strip_, 0, 0, client.right, stripHeight(), TRUE);
    RECT area = pageArea();
    for (const auto& page : pages_) page->move(area.left, area.top, area.right - area.left, area.bottom - area.top);
}

void FundTabCtrl::releasePages()
{
    pages_.clear();
    active_ = -1;
}

void FundTabCtrl::setColors(const FrameColors& colors)
{
    background_ = colors.background;
    strip_.setColors(colors);
    if (IsWindow()) Invalidate(FALSE);
}

void FundTabCtrl::paintBackground()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(GetHwnd(), &ps);
    Common::ScopedGdi<HBRUSH> brush(CreateSolidBrush(background_));
    FillRect(dc, &ps.rcPaint, brush);
    EndPaint(GetHwnd(), &ps);
}

LRESULT FundTabCtrl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE: layout(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paintBackground(); return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->hwndFrom == strip_.GetHwnd() && header->code == TCN_SELCHANGE)
            activateIndex(int(SendMessageW(strip_, TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace HostShell
