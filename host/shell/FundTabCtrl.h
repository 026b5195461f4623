// The fund-value tab control ("qev_tab_fundvalue"): a strip of tabs over a page area. Each
// page makes its own window inside this one (ITabPage::create); the control shows the
// active page, hides the others and keeps every page sized to the page area.
#pragma once
#include "common/RefCounted.h"
#include "TabStrip.h"
#include "controls/XWin.h"
#include "hostapi/ShellHost.h"
#include <vector>

namespace HostShell {

class FundTabCtrl final : public Common::RefCounted<Host::ITabCtrlHost>, public Control::XWin {
public:
    // The tab strip's height at 96 dpi; stripHeight() at the screen's.
    static constexpr int kStripHeight = 26;
    static int stripHeight();

    FundTabCtrl() = default;
    FundTabCtrl(const FundTabCtrl&) = delete;
    FundTabCtrl& operator=(const FundTabCtrl&) = delete;
    ~FundTabCtrl() override;

    // The control's window as a child of parent; null on failure.
    HWND createWindow(HWND parent, const RECT& rect);

    // Creates the page's window with this control's window as parent and adds its tab. The
    // first page becomes the active one. False for a null page, a page already added, no
    // window of this control, or a page whose create gives no window.
    bool addPage(Host::ITabPage* page) override;
    // Shows the page and hides the others; false for a page that was never added.
    bool activatePage(Host::ITabPage* page) override;

    int pageCount() const { return int(pages_.size()); }
    int activeIndex() const { return active_; }
    Host::ITabPage* pageAt(int index) const;
    // The rectangle every page is moved to, in this window's client coordinates.
    RECT pageArea() const;
    HWND strip() const { return strip_.GetHwnd(); }
    void setColors(const FrameColors& colors);
    // Drops every page reference (the windows go with this control's window).
    void releasePages();

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool activateIndex(int index);
    void layout();
    void paintBackground();

    TabStrip strip_;
    COLORREF background_ = GetSysColor(COLOR_BTNFACE);
    std::vector<XComPtr<Host::ITabPage>> pages_;
    int active_ = -1;
};

} // namespace HostShell
