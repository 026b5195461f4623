// A plain page of the fund-value tab control: a caption over a list of the funds that one
// query of the fund database returns. The list is filled when the page is first shown, and
// again when its query changes. It takes the colours of the theme the main frame shows
// (frameThemeMessage). The page that lists the fund pool (titled kFundsPoolTitle) lets the
// person remove the selected funds: "从基金池删除" in the list's menu, or the Delete key.
#pragma once
#include "FrameColors.h"
#include "common/RefCounted.h"
#include "common/XString.h"
#include "controls/XWin.h"
#include "host/Modules.h"
#include <commctrl.h>
#include <vector>

namespace HostShell {

struct ListColumn {
    const wchar_t* caption;
    int width;
};

class FundListPage final : public Common::RefCounted<Host::ITabPage>, public Control::XWin {
public:
    // The query's columns fill the list's columns in order.
    FundListPage(XStringW title, XStringW caption, XStringW sql, std::vector<ListColumn> columns,
                 XComPtr<Host::IDatabase> database);
    FundListPage(const FundListPage&) = delete;
    FundListPage& operator=(const FundListPage&) = delete;
    ~FundListPage() override;

    HWND create(HWND parent, Host::ITabCtrl* tabCtrl) override;
    bool isCreated() override { return IsWindow(); }
    XComPtr<Host::ITabCtrl> getTabCtrl() override { return tabCtrl_; }
    void show() override { ShowWindow(SW_SHOW); }
    void hide() override { ShowWindow(SW_HIDE); }
    void redraw() override { Invalidate(TRUE); }
    void move(int x, int y, int width, int height) override;
    XStringW getTitle() override { return title_; }
    void applyViewFilters(Host::IDataFilter*, Host::IDataFilter*, Host::IDataFilter*, Host::IDataFilter*) override {}
    void rebuildDisplayView() override {}

    // Refills the list; the number of rows, or -1 (with the error as the list's only row)
    // when the database cannot answer.
    int reload();
    // A new query: the list is refilled now when the page is shown, else when it next is.
    void setSql(const XStringW& sql);
    HWND list() const { return list_; }
    // Drops the database and tab control (before the client shuts down).
    void releaseHostReferences();
    // The list's colours from the theme; null gives back the system's look.
    void applyTheme(Host::ITheme* theme);
    bool listsFundsPool() const { return listsPool_; }
    // The codes (first column) of the selected rows, top to bottom.
    std::vector<XStringW> selectedCodes() const;

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr int kCaptionHeight = 30;
    void paint();
    void addRow(int row, const std::vector<XStringW>& cells);
    LRESULT onNotify(const NMHDR& header);
    LRESULT customDraw(NMLVCUSTOMDRAW& draw);
    void showMenu(LPARAM at);
    void removeSelectedFromPool();
    static LRESULT CALLBACK headerProc(HWND header, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) noexcept;

    const XStringW title_;
    const XStringW caption_;
    XStringW sql_;
    const std::vector<ListColumn> columns_;
    XComPtr<Host::IDatabase> database_;
    XComPtr<Host::ITabCtrl> tabCtrl_;
    HWND list_ = nullptr;
    HWND header_ = nullptr; // the list's header, subclassed to paint in the theme's colours
    bool loaded_ = false;
    const bool listsPool_;
    bool themed_ = false;
    ListColors colors_ = listColors(nullptr);
};

} // namespace HostShell
