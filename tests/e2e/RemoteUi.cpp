#include "RemoteUi.h"
#include <algorithm>

namespace Journey {

namespace {

const UINT kAnswerMs = 3000;
const UINT kMenuKeyGapMs = 30;

LPARAM point(int x, int y) { return MAKELPARAM(short(x), short(y)); }

void postKey(HWND hwnd, WPARAM vk)
{
    PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageW(hwnd, WM_KEYUP, vk, LPARAM(0xC0000001));
}

} // namespace

bool waitUntil(DWORD ms, const std::function<bool()>& cond)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(20);
    }
}

std::wstring textOf(HWND hwnd)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length)) return {};
    std::wstring text(size_t(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, WPARAM(text.size()), LPARAM(&text[0]), SMTO_ABORTIFHUNG, kAnswerMs,
                             &copied))
        return {};
    text.resize(std::min<size_t>(copied, length));
    return text;
}

std::wstring windowTitle(HWND hwnd)
{
    wchar_t buffer[512] = {};
    InternalGetWindowText(hwnd, buffer, 512);
    return buffer;
}

std::wstring classOf(HWND hwnd)
{
    wchar_t buffer[128] = {};
    GetClassNameW(hwnd, buffer, 128);
    return buffer;
}

std::vector<HWND> topLevelWindows(DWORD pid)
{
    struct Ctx {
        DWORD pid;
        std::vector<HWND> found;
    } ctx{pid, {}};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == c->pid) c->found.push_back(h);
            return TRUE;
        },
        LPARAM(&ctx));
    return ctx.found;
}

std::vector<HWND> descendants(HWND root, const std::wstring& cls)
{
    struct Ctx {
        std::wstring cls;
        std::vector<HWND> found;
    } ctx{cls, {}};
    EnumChildWindows(
        root,
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            if (c->cls.empty() || _wcsicmp(classOf(h).c_str(), c->cls.c_str()) == 0) c->found.push_back(h);
            return TRUE;
        },
        LPARAM(&ctx));
    return ctx.found;
}

HWND findDescendant(HWND root, const std::wstring& cls, const std::wstring& text)
{
    for (HWND h : descendants(root, cls))
        if (textOf(h) == text) return h;
    return nullptr;
}

HWND findTopLevel(DWORD pid, const std::wstring& cls)
{
    for (HWND h : topLevelWindows(pid))
        if (IsWindowVisible(h) && _wcsicmp(classOf(h).c_str(), cls.c_str()) == 0) return h;
    return nullptr;
}

RECT screenRect(HWND hwnd)
{
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

RECT clientScreenRect(HWND hwnd)
{
    RECT r = {};
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom && inner.right > inner.left && inner.bottom > inner.top;
}

void click(HWND hwnd, int x, int y)
{
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, point(x, y));
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point(x, y));
    PostMessageW(hwnd, WM_LBUTTONUP, 0, point(x, y));
}

void clickCentre(HWND hwnd)
{
    RECT r = {};
    GetClientRect(hwnd, &r);
    click(hwnd, r.right / 2, r.bottom / 2);
}

void rightClick(HWND hwnd, int x, int y)
{
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, point(x, y));
    PostMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, point(x, y));
    PostMessageW(hwnd, WM_RBUTTONUP, 0, point(x, y));
}

void drag(HWND hwnd, int x, int y, int toX)
{
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point(x, y));
    int steps = 8;
    for (int i = 1; i <= steps; ++i) PostMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, point(x + (toX - x) * i / steps, y));
    PostMessageW(hwnd, WM_LBUTTONUP, 0, point(toX, y));
}

void pressKey(HWND hwnd, WPARAM vk) { postKey(hwnd, vk); }

void typeText(HWND hwnd, const std::wstring& text)
{
    for (wchar_t c : text) PostMessageW(hwnd, WM_CHAR, WPARAM(c), 1);
}

void setText(HWND hwnd, const std::wstring& text)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, LPARAM(text.c_str()), SMTO_ABORTIFHUNG, kAnswerMs, &result);
}

// A menu tracks the keys of its thread's queue: Down walks the items that are not
// separators (from the first when none is selected), Right opens the selected submenu with
// its first item selected, Return chooses. The mouse is moved away first, since a menu
// selects the item under it.
bool chooseFromMenu(DWORD pid, int place, int subPlace, DWORD ms)
{
    HWND menu = nullptr;
    if (!waitUntil(ms, [&] { return (menu = findTopLevel(pid, L"#32768")) != nullptr; })) return false;
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    Sleep(kMenuKeyGapMs);
    for (int k = 0; k < place; ++k) postKey(menu, VK_DOWN);
    if (subPlace > 0) {
        postKey(menu, VK_RIGHT);
        for (int k = 1; k < subPlace; ++k) postKey(menu, VK_DOWN);
    }
    postKey(menu, VK_RETURN);
    return waitUntil(ms, [&] { return !IsWindow(menu) || !IsWindowVisible(menu); });
}

void dismissPopups(DWORD pid)
{
    for (int round = 0; round < 3; ++round) {
        bool any = false;
        for (HWND h : topLevelWindows(pid)) {
            if (!IsWindowVisible(h)) continue;
            std::wstring cls = classOf(h);
            if (cls == L"#32768") {
                postKey(h, VK_ESCAPE);
                any = true;
            } else if (cls == L"#32770") {
                PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
                any = true;
            }
        }
        if (!any) return;
        Sleep(200);
    }
}

int GridText::column(const std::wstring& caption) const
{
    auto it = std::find(header.begin(), header.end(), caption);
    return it == header.end() ? -1 : int(it - header.begin());
}

std::vector<std::wstring> GridText::columnCells(const std::wstring& caption) const
{
    std::vector<std::wstring> cells;
    int c = column(caption);
    if (c < 0) return cells;
    for (const auto& row : rows) cells.push_back(size_t(c) < row.size() ? row[size_t(c)] : std::wstring());
    return cells;
}

static std::vector<std::wstring> split(const std::wstring& text, const std::wstring& by)
{
    std::vector<std::wstring> parts;
    size_t from = 0;
    for (;;) {
        size_t at = text.find(by, from);
        parts.push_back(text.substr(from, at == std::wstring::npos ? std::wstring::npos : at - from));
        if (at == std::wstring::npos) return parts;
        from = at + by.size();
    }
}

// The first line is the header; a later line with another number of cells than the header
// is the message drawn over the rows (painted rows have a cell under every painted caption).
GridText parseGridText(const std::wstring& text)
{
    GridText grid;
    std::vector<std::wstring> lines = split(text, L"\r\n");
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::wstring> cells = split(lines[i], L"\t");
        if (i == 0)
            grid.header = cells;
        else if (cells.size() == grid.header.size())
            grid.rows.push_back(cells);
        else
            grid.message += lines[i];
    }
    return grid;
}

GridText readGrid(HWND grid) { return parseGridText(textOf(grid)); }

} // namespace Journey
