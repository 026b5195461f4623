// GDI objects stay flat over repaints and reloads of the page. The count probes handle
// values (GetGuiResources answers 0 under Wine); the test first shows that the count sees
// a deliberate leak of 100 brushes, so that a flat count means something.
#include "RobustSupport.h"
#include "PageHost.h"
#include "Database.h"
#include "page/ClosedFundPage.h"
#include <gtest/gtest.h>
#include <vector>

using namespace Robust;

namespace {

// The page of the page suites, shown.
class HandleCountsOfThePage : public PageTests::PageFixture {};

void repaint(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

} // namespace

TEST(HandleCounts, TheCounterSeesALeakOfOneHundredBrushes)
{
    int before = gdiObjectCount();
    std::vector<HBRUSH> leaked;
    for (int i = 0; i < 100; ++i) leaked.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    int during = gdiObjectCount();
    for (HBRUSH b : leaked) DeleteObject(b);
    int after = gdiObjectCount();
    EXPECT_GE(during - before, 100);
    EXPECT_LE(after, before);
}

TEST_F(HandleCountsOfThePage, RepaintsAndReloadsLeaveTheCountFlat)
{
    Tally tally("handles over repaints and reloads");
    XComPtr<Host::IDatabase> db = PageTests::makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample);
    ASSERT_TRUE(db && db->isOpen());
    ClosedFund::ClosedFundPage& page = page_;
    page.setDatabase(db.get());
    page.show();
    page.reload(false);
    ASSERT_EQ(page.grid().DisplayView()->getRowCount(), 60);

    // Warm-up: the first paint makes the fonts and the off-screen bitmap the grid keeps.
    repaint(page.GetHandle());
    page.grid().SetCurrSel(3);
    repaint(page.GetHandle());
    const int start = gdiObjectCount();
    int repaints = scaled(300, 10000), worst = 0;
    for (int i = 0; i < repaints; ++i) {
        page.grid().SetCurrSel(i % 60);
        repaint(page.GetHandle());
        if (i % 50 == 49) {
            page.reload(false);
            if (i % 200 == 199) page.applyTheme(app_.themes->getCurrentTheme().get());
            int growth = gdiObjectCount() - start;
            if (growth > worst) worst = growth;
            tally.note("after repaint " + std::to_string(i + 1), growth);
        }
    }
    int growth = gdiObjectCount() - start;
    if (growth > worst) worst = growth;
    // A handful of objects made on first use (a theme's second font, a cached brush) is no leak;
    // a leak per paint would show hundreds here.
    if (worst <= 10)
        tally.pass();
    else
        tally.fail("grew by " + std::to_string(worst) + " over " + std::to_string(repaints) + " repaints");
    EXPECT_LE(worst, 10) << "GDI objects grew over repaints and reloads";
}
