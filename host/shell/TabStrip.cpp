#include "TabStrip.h"
#include "UiFont.h"
#include "common/MemoryDC.h"
#include <commctrl.h>

namespace HostShell {

TabStrip::~TabStrip() { ReleaseWindow(); }

HWND TabStrip::createWindow(HWND parent)
{
    HWND strip = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_FOCUSNEVER, 0, 0,
                                 0, 0, parent, nullptr, nullptr, nullptr);
    if (!strip) return nullptr;
    if (!Attach(strip)) {
        ::DestroyWindow(strip);
        return nullptr;
    }
    useUiFont(strip);
    return strip;
}

void TabStrip::setColors(const FrameColors& colors)
{
    colors_ = colors;
    if (IsWindow()) Invalidate(FALSE);
}

// The chosen tab is drawn open towards the page below it, with a line of the accent colour
// on top; the others sit on the strip as plain faces.
void TabStrip::paint(HDC target)
{
    RECT client{};
    GetClientRect(&client);
    Common::MemoryDC dc(target, client);
    if (!dc.ok()) return;
    Common::ScopedGdi<HBRUSH> background(CreateSolidBrush(colors_.background));
    Common::ScopedGdi<HBRUSH> face(CreateSolidBrush(colors_.face));
    Common::ScopedGdi<HBRUSH> chosen(CreateSolidBrush(colors_.chosen));
    Common::ScopedGdi<HBRUSH> border(CreateSolidBrush(colors_.border));
    Common::ScopedGdi<HBRUSH> accent(CreateSolidBrush(colors_.accent));
    FillRect(dc, &client, background);
    RECT baseline{client.left, client.bottom - 1, client.right, client.bottom};
    FillRect(dc, &baseline, border);

    Common::SelectedObject font(dc, uiFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colors_.text);
    int count = int(SendMessageW(GetHwnd(), TCM_GETITEMCOUNT, 0, 0));
    int current = int(SendMessageW(GetHwnd(), TCM_GETCURSEL, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT r{};
        if (!SendMessageW(GetHwnd(), TCM_GETITEMRECT, WPARAM(i), LPARAM(&r))) continue;
        bool isCurrent = i == current;
        RECT tab{r.left, isCurrent ? client.top + 1 : r.top + 1, r.right, client.bottom - (isCurrent ? 0 : 1)};
        FrameRect(dc, &tab, border);
        RECT inside{tab.left + 1, tab.top + 1, tab.right - 1, tab.bottom - (isCurrent ? 0 : 1)};
        FillRect(dc, &inside, isCurrent ? chosen : face);
        if (isCurrent) {
            RECT line{tab.left, tab.top, tab.right, tab.top + uiScaled(2)};
            FillRect(dc, &line, accent);
        }
        wchar_t text[128] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(GetHwnd(), TCM_GETITEMW, WPARAM(i), LPARAM(&item));
        DrawTextW(dc, text, -1, &inside, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}

} // namespace HostShell
