#include "TestGrid.h"
#include "Pixels.h"

namespace GridTests {

const wchar_t kTwoLevelHeader[] =
    L"<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n"
    L"<header>"
    L"<item title=\"序号\" name=\"_index\" width=\"50\" visible=\"false\"/>"
    L"<item title=\"代码\" name=\"code\" width=\"80\" align=\"center\"/>"
    L"<item title=\"名称\" name=\"name\" width=\"100\" font-family=\"宋体\" font-size=\"12\" font-style=\"bold\"/>"
    L"<item title=\"2024-05-31\" titlealign=\"center\">"
    L"<item title=\"单位净值\" name=\"value\" width=\"90\" align=\"right\"/>"
    L"<item title=\"累计净值\" name=\"total\" width=\"90\" align=\"right\"/>"
    L"</item>"
    L"<item title=\"折价率\" name=\"rate\" width=\"90\" sort=\"desc\"/>"
    L"</header>";

std::vector<NMHDR> GridHost::notifications;

namespace {
LRESULT CALLBACK hostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY) GridHost::notifications.push_back(*reinterpret_cast<NMHDR*>(lParam));
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
} // namespace

GridHost::GridHost(int width, int height)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = hostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"GridTestHost";
    RegisterClassW(&wc);
    notifications.clear();
    hwnd_ = CreateWindowExW(0, L"GridTestHost", L"grid", WS_POPUP | WS_VISIBLE, 20, 20, width, height, nullptr, nullptr,
                            wc.hInstance, nullptr);
    RECT r = {0, 0, width, height};
    grid.Create(L"", WS_CHILD | WS_VISIBLE, RECT{}, hwnd_);
    grid.MoveWindow(r);
    grid.SetHeaderFont(L"宋体", 12);
}

GridHost::~GridHost()
{
    grid.DestroyWindow();
    DestroyWindow(hwnd_);
}

bool GridHost::show(const wchar_t* header, int rows)
{
    if (grid.SetHeader(header) != 1) return false;
    grid.rows = rows;
    grid.Refresh(false, true);
    return true;
}

POINT GridHost::cellPoint(int row, int column)
{
    int l = 0, r = 0;
    grid.ColumnScreenSpan(column, l, r);
    RECT body = grid.BodyRect();
    int y = row < 0 ? body.top - 5 : body.top + (row - grid.GetTopRow()) * grid.RowHeight() + grid.RowHeight() / 2;
    return {(l + r) / 2, y};
}

void GridHost::click(POINT p, UINT down, UINT up)
{
    SendMessageW(grid.GetHwnd(), down, down == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageW(grid.GetHwnd(), up, 0, MAKELPARAM(p.x, p.y));
}

namespace {
HWND shownTip()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM lp) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(h, name, 64);
            if (_wcsicmp(name, L"tooltips_class32") == 0 && IsWindowVisible(h)) *reinterpret_cast<HWND*>(lp) = h;
            return TRUE;
        },
        LPARAM(&found));
    return found;
}
} // namespace

HWND hoverForTip(HWND hwnd, POINT client, DWORD ms)
{
    POINT screen = client;
    ClientToScreen(hwnd, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    for (DWORD waited = 0; waited < ms && !shownTip(); waited += 50) TestSupport::pumpMessages(50);
    return shownTip();
}

std::wstring tipText(HWND tip)
{
    wchar_t text[256] = {};
    GetWindowTextW(tip, text, 256);
    return text;
}

void GridHost::key(UINT vk) { SendMessageW(grid.GetHwnd(), WM_KEYDOWN, vk, 0); }

} // namespace GridTests
