// The client's windows as a person finds them on the screen: the closed-fund page with its
// grid and filter bar, the tool bar's buttons, the status bar; and the fund database the
// client wrote, read with SQLite, for what the screen should show.
#pragma once
#include "RemoteUi.h"
#include <set>

namespace Journey {

class ClientScreen {
public:
    ClientScreen(HWND frame, DWORD pid) : frame_(frame), pid_(pid) {}

    HWND frame() const { return frame_; }
    DWORD pid() const { return pid_; }
    HWND page() const; // the closed-fund page, or null before it exists
    HWND grid() const; // the page's grid
    HWND filterBar() const;
    HWND statusBar() const;
    HWND toolButton(const std::wstring& caption) const;
    // The filter bar's buttons (its conditions and "更多筛选"), and the one with this text.
    std::vector<HWND> filterButtons() const;
    HWND filterButton(const std::wstring& caption) const;

    std::wstring statusText() const { return textOf(statusBar()); }
    // The text of the status bar's part (1: the standing error), read from the client's
    // memory since the bar answers only for its first part across processes. "" when there
    // is no such part.
    std::wstring statusPart(int part) const;
    // Opens the main menu's drop-down with its access key (Alt+key), as a person does.
    void openFrameMenu(wchar_t accessKey) const;
    // What the module says where a person reads it: the host's status bar, or, on the
    // client's interface alone (no status bar for modules), the status line of the page's
    // title strip, which is also the page window's text.
    std::wstring moduleStatusText() const;
    // The fund count the filter bar shows ("共 N 只", "筛选出 N / M 只", or a compact "N/M");
    // empty when it shows none.
    std::wstring countText() const;
    GridText gridText() const { return readGrid(grid()); }
    // The codes of every row, read page by page with the keys a person uses (Home, then
    // Page Down until no new row appears).
    std::vector<std::wstring> allCodes() const;

    // Screen x of the middle of the grid's n-th leading caption (0 for the first shown),
    // found from the separators the header paints; -1 when there are not that many. Only
    // the captions before any group caption can be found this way.
    int captionX(int n) const;
    // Sets the main window's size and waits for the page to take the new width.
    bool resizeFrame(int width, int height) const;
    // Drags the caption onto the left half of before's, as a person moves a column there.
    // False when either caption is not shown.
    bool dragCaptionBefore(const std::wstring& caption, const std::wstring& before) const;
    bool saveScreenshot(const std::wstring& name) const;

    // The list of the host's page that is shown (基金池, 全部基金), or null.
    HWND shownList() const;
    // The texts of one column of a list view, top to bottom, read from the client's memory.
    std::vector<std::wstring> listColumn(HWND list, int column) const;
    // A list row's rectangle in the list's client coordinates; empty when there is no such row.
    RECT listRowRect(HWND list, int row) const;

private:
    HWND frame_;
    DWORD pid_;
};

// What the client's fund database holds: codes and companies of the closed-end funds, as the
// page lists them.
struct FundFacts {
    std::set<std::wstring> codes;
    std::vector<std::pair<std::wstring, std::wstring>> codeAndCompany;
    size_t count() const { return codeAndCompany.size(); }
    size_t countOfCompany(const std::wstring& company) const;
};
FundFacts readFunds(const std::wstring& databasePath);
// Runs one statement on the database (a new fund, say); false with the error on failure.
bool execute(const std::wstring& databasePath, const std::wstring& sql, std::wstring& error);

// The numbers of a count text: the funds shown and the funds in all; -1 when absent.
int shownCount(const std::wstring& countText);
int totalCount(const std::wstring& countText);

} // namespace Journey
