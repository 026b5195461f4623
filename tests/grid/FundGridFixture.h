// The closed-fund grid in a window against real host parts: the kernel's data table, views
// and sorters, the shipped themes, a user configuration in a temporary folder. The host
// application here is a small test class that hands out those real stores and sibling
// modules that record what the grid asks of them.
#pragma once
#include "ParentWindow.h"
#include "ShippedThemes.h"
#include "TempDir.h"
#include "TestModules.h"
#include "ext/FundsPoolEdit.h"
#include "grid/ClosedFundGrid.h"
#include "hostapi/KernelHost.h"
#include "host/Modules.h"
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace FundGridTests {

using TestSupport::TestModule;

class WatchList : public TestModule<Host::IConcernFundModule> {
public:
    std::set<std::wstring> codes;
    bool isConcerned(const XStringW& code) override { return codes.count(code) != 0; }
};

class FundPool : public TestModule<Host::IFundsPoolModule> {
public:
    std::vector<std::wstring> added;
    void addFund(XStringW code) override { added.push_back(code); }
};

// The host's pool with outcomes: answers each addition with the next scripted result.
class FundPoolEdit : public TestModule<Host::IFundsPoolEditModule> {
public:
    std::vector<std::wstring> added;
    int result = Host::FUNDSPOOL_ADDED;
    std::wstring failure;
    int addFund(const XStringW& code, XStringW& why) override
    {
        added.push_back(code);
        why = failure;
        return result;
    }
};

class MenuTool : public TestModule<Host::IMenuToolModule> {
public:
    Host::HotKey profile, refresh;
    void getProfileHotKey(Host::HotKey& key) override { key = profile; }
    void getRefreshHotKey(Host::HotKey& key) override { key = refresh; }
};

using TestSupport::TestApp;

// The grid with the protected geometry it needs for clicks, and the addresses it would
// have handed to the shell (answered with shellResult).
class FundGrid : public ClosedFund::closedFundGrid {
public:
    std::vector<std::wstring> opened;
    INT_PTR shellResult = 42; // what the shell answers; 32 and below is a failure
    INT_PTR OpenUrl(const XStringW& url) override
    {
        opened.push_back(url);
        return shellResult;
    }
    using closedFundGrid::BodyRect;
    using closedFundGrid::ColumnScreenSpan;
    using closedFundGrid::MoveTopItem;
    using closedFundGrid::RowHeight;
    using closedFundGrid::SetTopItemVisible;
    int RowPixels() const { return UnscaledRowHeight(); }
    int HeaderRowPixels() const { return UnscaledHeaderRowHeight(); }
    using closedFundGrid::HorizontalLines;
    using closedFundGrid::VerticalLines;
};

// The fund table's columns for hand-made rows, in this order.
extern const wchar_t* const kFundColumns[];
extern const int kFundColumnCount;
// A header of the two columns A (field "a") and B (field "b").
extern const wchar_t kTwoColumnHeader[];

using TestSupport::shippedThemeFolder;
// The module's default header, as the grid would load it without a stored one.
std::wstring defaultHeaderText();

class FundGridTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Host::ITheme* theme() { return theme_.get(); }
    // Replaces the fund table's rows: one per entry, cells in the order of the columns
    // (kFundColumns unless given; text columns made on the first fill); a cell L"\x01" is NULL.
    void fill(const std::vector<std::vector<std::wstring>>& rows);
    void fill(const std::vector<std::wstring>& columns, const std::vector<std::vector<std::wstring>>& rows);
    // The same into another grid's fund table (kFundColumns).
    static void fillGrid(ClosedFund::closedFundGrid& grid, const std::vector<std::wstring>& columns,
                         const std::vector<std::vector<std::wstring>>& rows);
    // Default header with the data date, set on the grid, sorted view rebuilt: as a reload.
    void loadHeader();
    // Row-and-column text as the grid shows it.
    std::wstring text(int row, const wchar_t* column);
    COLORREF color(int row, const wchar_t* column);
    std::vector<std::wstring> codes();
    std::wstring storedHeader();
    POINT rowPoint(int row) const;
    // The grid's last short message as the user sees it: in the host's status bar when the
    // test registered statusBar_ (the client has none: in contract-only mode it is not handed
    // out), else the line the grid keeps for the page's title strip. "<none>" before any.
    std::wstring shownStatus() const;
    // Puts statusBar_ in the application as "mod_StatusBar".
    void useStatusBar() { app_.modules[Host::kStatusBarModuleName] = &statusBar_; }

    TestSupport::TempDir dir_;
    TestApp app_;
    WatchList watch_;
    FundPool pool_;
    FundPoolEdit poolEdit_;
    MenuTool menu_;
    TestSupport::StatusBar statusBar_;
    TestSupport::ParentWindow parent_{RECT{10, 10, 910, 410}, WS_POPUP | WS_VISIBLE};
    FundGrid grid_;
    XComPtr<Host::ITheme> theme_;
};

} // namespace FundGridTests
