// The page from the keyboard alone: Tab and Shift+Tab through the filter bar's buttons and
// the grid, the buttons' menus opened with Space, Enter and Down, and the focus kept on the
// bar when a button goes; and the name the grid is announced by. Real key presses.
#include "KeyboardDriver.h"
#include "PageHost.h"
#include "Pixels.h"
#include "filter/FilterWnd.h"
#include "page/ClosedFundPage.h"
#include <gtest/gtest.h>
#include <oleacc.h>
#include <algorithm>

using ClosedFund::ClosedFundPage;
using namespace PageTests;

namespace {

class PageKeyboardTest : public PageFixture {
protected:
    // The page shown with the sample funds loaded.
    void SetUp() override
    {
        PageFixture::SetUp();
        if (HasFatalFailure()) return;
        page_.setDatabase(makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample).get());
        page_.show();
        page_.reload(false);
        TestSupport::pumpMessages(50);
    }
    // The bar's buttons a person sees, left to right.
    std::vector<HWND> barButtons()
    {
        std::vector<HWND> found;
        HWND bar = page_.filterBar()->GetHandle();
        for (HWND h = GetWindow(bar, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
            if (IsWindowVisible(h)) found.push_back(h);
        std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
            RECT ra, rb;
            GetWindowRect(a, &ra);
            GetWindowRect(b, &rb);
            return ra.left < rb.left;
        });
        return found;
    }
    HWND grid() { return page_.grid().GetHwnd(); }
};

} // namespace

TEST_F(PageKeyboardTest, TabCyclesTheBarsButtonsAndTheGridBothWays)
{
    std::vector<HWND> buttons = barButtons();
    ASSERT_GE(buttons.size(), 2u); // the standing "基金公司" and "更多筛选"
    SetForegroundWindow(frame_.hwnd());
    SetFocus(grid());
    if (!TestSupport::pressKey(frame_.hwnd(), VK_TAB, {VK_CONTROL})) // Ctrl+Tab: a harmless probe
        GTEST_SKIP() << "this display does not report injected key states";
    SetFocus(grid());

    std::vector<HWND> visited;
    for (size_t i = 0; i <= buttons.size(); ++i) {
        TestSupport::pressKey(frame_.hwnd(), VK_TAB);
        visited.push_back(GetFocus());
    }
    std::vector<HWND> expected = buttons;
    expected.push_back(grid());
    EXPECT_EQ(visited, expected);

    TestSupport::pressKey(frame_.hwnd(), VK_TAB, {VK_SHIFT});
    EXPECT_EQ(GetFocus(), buttons.back());
    TestSupport::pressKey(frame_.hwnd(), VK_TAB, {VK_SHIFT});
    EXPECT_EQ(GetFocus(), buttons[buttons.size() - 2]);

    // A screen reader announces the grid by the page's title.
    IAccessible* table = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(grid(), DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&table)),
              S_OK);
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    BSTR name = nullptr;
    EXPECT_EQ(table->get_accName(self, &name), S_OK);
    EXPECT_EQ(std::wstring(name ? name : L""), L"封闭式基金");
    SysFreeString(name);
    table->Release();
}

TEST_F(PageKeyboardTest, SpaceEnterAndDownOpenAButtonsMenuBelowIt)
{
    ClosedFund::FilterWnd* bar = page_.filterBar();
    const ClosedFund::FilterCondition* company = nullptr;
    for (const ClosedFund::FilterCondition& c : bar->Conditions())
        if (c.column == L"company") company = &c;
    ASSERT_TRUE(company);
    HWND button = company->button.GetHandle();
    SetForegroundWindow(frame_.hwnd());
    SetFocus(button);
    RECT place;
    GetWindowRect(button, &place);
    for (WORD key : {VK_SPACE, VK_RETURN, VK_DOWN}) {
        TestSupport::MenuProbe probe;
        if (!TestSupport::pressKey(frame_.hwnd(), key) && key == VK_SPACE)
            GTEST_SKIP() << "this display does not report injected key states";
        ASSERT_EQ(probe.menus().size(), 1u) << "key " << key;
        const TestSupport::MenuProbe::Menu& menu = probe.menus()[0];
        EXPECT_EQ(menu.items.front(), L"显示所有(&A)");
        EXPECT_NEAR(menu.rect.top, place.bottom, 3);
        EXPECT_NEAR(menu.rect.right, place.right, 3);
        EXPECT_EQ(GetFocus(), button);
    }
    TestSupport::saveArtifact(TestSupport::grabScreen(bar->GetHandle()), L"filter-bar-keyboard-focus");
}

TEST_F(PageKeyboardTest, AButtonThatGoesWhileFocusedLeavesTheFocusOnTheBar)
{
    ClosedFund::FilterWnd* bar = page_.filterBar();
    bar->ApplyKeywords(L"基金");
    int keywordId = 0;
    HWND keywordButton = nullptr;
    for (const ClosedFund::FilterCondition& c : bar->Conditions())
        if (c.column.empty()) {
            keywordId = c.id;
            keywordButton = c.button.GetHandle();
        }
    ASSERT_TRUE(keywordButton);
    SetForegroundWindow(frame_.hwnd());
    SetFocus(keywordButton);
    bar->RemoveCondition(keywordId);
    EXPECT_FALSE(IsWindow(keywordButton));
    EXPECT_EQ(GetFocus(), bar->MoreButton().GetHandle());
}
