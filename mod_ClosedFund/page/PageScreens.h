// The page's keeper of saved screens: the user configuration holds them (one key, a line per
// screen; unreadable lines under a key of their own), the grid gives and takes the sort and
// shows the status line.
#pragma once
#include "common/SaveNotice.h"
#include "filter/FilterWnd.h"
#include "grid/ClosedFundGrid.h"
#include <functional>

namespace ClosedFund {

extern const char* const kSavedScreensKey;        // "/Client2/UserConfig/mod_ClosedFund/SavedScreens"
extern const char* const kDamagedSavedScreensKey; // the same with "_damaged"

class PageScreens final : public ScreenKeeper {
public:
    PageScreens(closedFundGrid& grid, std::function<XComPtr<Host::IConfManager>()> userConf)
        : grid_(grid), userConf_(std::move(userConf))
    {}
    XStringW LoadScreens() override;
    bool StoreScreens(const XStringW& text) override;
    void KeepDamagedScreens(const XStringW& lines) override;
    void CurrentSort(XStringW& column, bool& descending) override;
    bool ApplySort(const XStringW& column, bool descending) override;
    void ShowStatus(const XStringW& text) override { grid_.ShowStatus(text); }

private:
    closedFundGrid& grid_;
    std::function<XComPtr<Host::IConfManager>()> userConf_;
    Common::SaveNotice notice_;
};

} // namespace ClosedFund
