#include "ClientScreen.h"
#include <commctrl.h>
#include "Database.h"
#include "Pixels.h"
#include "hostapi/KernelHost.h"
#include <algorithm>
#include <cwctype>
#include <functional>
#include <vector>

namespace Journey {

namespace {

const DWORD kRepaintMs = 1000;

HWND first(const std::vector<HWND>& windows) { return windows.empty() ? nullptr : windows.front(); }

// The number right after the first occurrence of marker, or -1.
int numberAfter(const std::wstring& text, const std::wstring& marker)
{
    size_t at = text.find(marker);
    if (at == std::wstring::npos) return -1;
    at += marker.size();
    while (at < text.size() && text[at] == L' ') ++at;
    if (at >= text.size() || !iswdigit(text[at])) return -1;
    return std::stoi(text.substr(at));
}

// Presses the key on the grid and waits until its painted text changes; false when it
// stays the same (the key had nothing left to do).
bool keyAndRepaint(HWND grid, WPARAM vk)
{
    std::wstring before = textOf(grid);
    pressKey(grid, vk);
    return waitUntil(kRepaintMs, [&] { return textOf(grid) != before; });
}

} // namespace

HWND ClientScreen::page() const { return first(descendants(frame_, L"Client2_ClosedFundPage")); }
HWND ClientScreen::grid() const
{
    HWND p = page();
    return p ? first(descendants(p, L"Client2_XWin")) : nullptr;
}
HWND ClientScreen::filterBar() const
{
    HWND p = page();
    return p ? first(descendants(p, L"Client2_FilterWnd")) : nullptr;
}
HWND ClientScreen::statusBar() const { return first(descendants(frame_, L"msctls_statusbar32")); }
HWND ClientScreen::toolButton(const std::wstring& caption) const { return findDescendant(frame_, L"Button", caption); }

std::vector<HWND> ClientScreen::filterButtons() const
{
    HWND bar = filterBar();
    std::vector<HWND> buttons;
    for (HWND h : bar ? descendants(bar, L"Button") : std::vector<HWND>())
        if (GetParent(h) == bar) buttons.push_back(h);
    return buttons;
}

HWND ClientScreen::filterButton(const std::wstring& caption) const
{
    for (HWND h : filterButtons())
        if (textOf(h) == caption) return h;
    return nullptr;
}

// The filter bar paints the count and answers with it for its text.
std::wstring ClientScreen::moduleStatusText() const
{
    if (!Host::contractOnly()) return statusText();
    HWND shown = page();
    return shown ? textOf(shown) : std::wstring();
}

std::wstring ClientScreen::countText() const
{
    HWND bar = filterBar();
    return bar ? textOf(bar) : std::wstring();
}

// Rows are told apart by their "排序" cell, the fund's place in the page's list, which no
// two rows share (codes can repeat, or be "--").
std::vector<std::wstring> ClientScreen::allCodes() const
{
    HWND g = grid();
    std::vector<std::wstring> codes;
    std::set<std::wstring> seen;
    keyAndRepaint(g, VK_HOME);
    for (int pages = 0; pages < 1000; ++pages) {
        size_t before = codes.size();
        GridText text = gridText();
        std::vector<std::wstring> keys = text.columnCells(L"排序"), pageCodes = text.columnCells(L"代码");
        for (size_t i = 0; i < keys.size() && i < pageCodes.size(); ++i)
            if (seen.insert(keys[i]).second) codes.push_back(pageCodes[i]);
        if (codes.size() == before && pages > 0) break;
        if (!keyAndRepaint(g, VK_NEXT)) break;
    }
    keyAndRepaint(g, VK_HOME);
    return codes;
}

// The header's top line is its background colour except where a caption ends: there the
// separator line crosses it. Group captions span their columns there, so counting stops at
// the first group.
int ClientScreen::captionX(int n) const
{
    HWND g = grid();
    RECT area = clientScreenRect(g);
    TestSupport::Capture shot = TestSupport::grabScreenArea(area);
    const int y = 2;
    COLORREF background = shot.at(3, y);
    std::vector<int> separators;
    for (int x = 1; x < shot.width - 1; ++x)
        if (shot.at(x, y) != background && shot.at(x - 1, y) == background) separators.push_back(x);
    if (n < 0 || size_t(n) >= separators.size()) return -1;
    int left = n == 0 ? 1 : separators[size_t(n) - 1];
    return area.left + (left + separators[size_t(n)]) / 2;
}

bool ClientScreen::resizeFrame(int width, int height) const
{
    SetWindowPos(frame_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    int frameWidth = width;
    return waitUntil(5000, [&] {
        RECT f = screenRect(frame_), p = screenRect(page());
        return f.right - f.left == frameWidth && p.right - p.left > 0 && p.right <= f.right &&
               p.right - p.left >= frameWidth - 40;
    });
}

bool ClientScreen::saveScreenshot(const std::wstring& name) const
{
    RedrawWindow(frame_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(100); // the client paints in its own process; a screenshot has no text to wait for
    return TestSupport::saveArtifact(TestSupport::grabScreenArea(screenRect(frame_)), name);
}

size_t FundFacts::countOfCompany(const std::wstring& company) const
{
    return size_t(std::count_if(codeAndCompany.begin(), codeAndCompany.end(), [&](const auto& entry) {
        const std::wstring& name = entry.second;
        return !name.empty() &&
               (company == name || (company.size() > name.size() + 1 &&
                                    company.compare(company.size() - name.size(), name.size(), name) == 0 &&
                                    company[company.size() - name.size() - 1] == L'-'));
    }));
}

// The rows the page's query lists: every tb_closedfund row, with the live fund record and its
// company when there is one.
FundFacts readFunds(const std::wstring& databasePath)
{
    FundFacts facts;
    XStringW error;
    XComPtr<Host::IDatabase> database = FundDb::openFundDatabase(databasePath, error);
    if (!database || !database->isOpen()) return facts;
    XComPtr<Host::IStatement> query =
        database->prepare(L"select c.aliascode, e.name from tb_closedfund a "
                          L"left join tb_fund c on c.code = a.code and c.isdellisting = 0 and not c.isdeleted "
                          L"left join tb_investadvisor e on e.guid = c.companyguid",
                          error);
    while (query && query->step()) {
        facts.codes.insert(query->getText(0));
        facts.codeAndCompany.emplace_back(query->getText(0), query->getText(1));
    }
    return facts;
}

bool execute(const std::wstring& databasePath, const std::wstring& sql, std::wstring& error)
{
    XStringW dbError;
    XComPtr<Host::IDatabase> database = FundDb::openFundDatabase(databasePath, dbError, FundDb::Access::ReadWrite);
    XComPtr<Host::IStatement> statement = database ? database->prepare(sql, dbError) : XComPtr<Host::IStatement>();
    if (!statement) {
        error = dbError;
        return false;
    }
    statement->step();
    return true;
}

// The full forms "共 N 只" and "筛选出 N / M 只", and the compact "N" and "N/M" a narrow bar
// shows instead.
int shownCount(const std::wstring& text)
{
    int filtered = numberAfter(text, L"筛选出");
    if (filtered >= 0) return filtered;
    int all = numberAfter(text, L"共");
    return all >= 0 ? all : numberAfter(text, L"");
}

int totalCount(const std::wstring& text)
{
    size_t slash = text.find(L'/');
    if (slash != std::wstring::npos) return numberAfter(text.substr(slash), L"/");
    return shownCount(text);
}

bool ClientScreen::dragCaptionBefore(const std::wstring& caption, const std::wstring& before) const
{
    GridText shown = gridText();
    int to = captionX(shown.column(before)), from = captionX(shown.column(caption));
    if (to <= 0 || from <= 0) return false;
    POINT start = {from, clientScreenRect(grid()).top + 12}, end = {to - 20, start.y};
    ScreenToClient(grid(), &start);
    ScreenToClient(grid(), &end);
    drag(grid(), start.x, start.y, end.x);
    return true;
}

namespace {

// A message whose answer the control writes into a buffer: the buffer lives in the client's
// memory for the call. bytes goes in and comes back. False when the call could not be made.
bool sendWithBuffer(DWORD pid, HWND hwnd, UINT msg, WPARAM wParam, std::vector<char>& bytes,
                    const std::function<void(char* local, char* remote)>& aim = nullptr)
{
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return false;
    char* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, bytes.size(), MEM_COMMIT, PAGE_READWRITE));
    bool ok = remote != nullptr;
    if (ok && aim) aim(bytes.data(), remote);
    SIZE_T moved = 0;
    DWORD_PTR answer = 0;
    ok = ok && WriteProcessMemory(process, remote, bytes.data(), bytes.size(), &moved) &&
         SendMessageTimeoutW(hwnd, msg, wParam, LPARAM(remote), SMTO_ABORTIFHUNG, 5000, &answer) && answer &&
         ReadProcessMemory(process, remote, bytes.data(), bytes.size(), &moved);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok;
}

} // namespace

HWND ClientScreen::shownList() const
{
    for (HWND list : descendants(frame_, L"SysListView32"))
        if (IsWindowVisible(list)) return list;
    return nullptr;
}

std::vector<std::wstring> ClientScreen::listColumn(HWND list, int column) const
{
    std::vector<std::wstring> cells;
    DWORD_PTR rows = 0;
    if (!list || !SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &rows)) return cells;
    const size_t chars = 256;
    for (int row = 0; row < int(rows); ++row) {
        std::vector<char> bytes(sizeof(LVITEMW) + chars * sizeof(wchar_t), 0);
        bool read = sendWithBuffer(pid_, list, LVM_GETITEMTEXTW, WPARAM(row), bytes, [&](char* local, char* remote) {
            auto* item = reinterpret_cast<LVITEMW*>(local);
            item->iSubItem = column;
            item->cchTextMax = int(chars);
            item->pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        });
        std::wstring text;
        if (read) text = reinterpret_cast<const wchar_t*>(bytes.data() + sizeof(LVITEMW));
        cells.push_back(text.c_str());
    }
    return cells;
}

RECT ClientScreen::listRowRect(HWND list, int row) const
{
    std::vector<char> bytes(sizeof(RECT), 0);
    reinterpret_cast<RECT*>(bytes.data())->left = LVIR_BOUNDS;
    if (!list || !sendWithBuffer(pid_, list, LVM_GETITEMRECT, WPARAM(row), bytes)) return RECT{};
    return *reinterpret_cast<const RECT*>(bytes.data());
}

std::wstring ClientScreen::statusPart(int part) const
{
    HWND bar = statusBar();
    DWORD_PTR parts = 0;
    if (!bar || !SendMessageTimeoutW(bar, SB_GETPARTS, 0, 0, SMTO_ABORTIFHUNG, 5000, &parts) || int(parts) <= part)
        return {};
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid_);
    if (!process) return {};
    const SIZE_T size = 4096 * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    std::wstring text;
    DWORD_PTR length = 0;
    if (remote && SendMessageTimeoutW(bar, SB_GETTEXTLENGTHW, WPARAM(part), 0, SMTO_ABORTIFHUNG, 5000, &length) &&
        LOWORD(length) < 4096 &&
        SendMessageTimeoutW(bar, SB_GETTEXTW, WPARAM(part), LPARAM(remote), SMTO_ABORTIFHUNG, 5000, &length)) {
        std::wstring buffer(LOWORD(length) + 1, L'\0');
        SIZE_T read = 0;
        if (ReadProcessMemory(process, remote, &buffer[0], buffer.size() * sizeof(wchar_t), &read))
            text.assign(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return text;
}

void ClientScreen::openFrameMenu(wchar_t accessKey) const
{
    PostMessageW(frame_, WM_SYSCOMMAND, SC_KEYMENU, LPARAM(accessKey));
}

} // namespace Journey
