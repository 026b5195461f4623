// The filter bar at the widths a page gives it: conditions never leave the bar (shortened,
// else behind "+N"), the count of funds shown, company names as the grid shows them, and
// the keyword dialog's frame.
#include "FilterWndTest.h"
#include "grid/GridTexts.h"
#include "page/TitleStrip.h"

using namespace FilterTest;

namespace {

RECT placeIn(HWND child, HWND parent)
{
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool inside(const RECT& in, const RECT& out)
{
    return in.left >= out.left && in.right <= out.right && in.top >= out.top && in.bottom <= out.bottom &&
           in.right > in.left;
}

// A shown caption is the full text, or a leading part of it followed by "…".
bool isPrefixWithEllipsis(const std::wstring& shown, const std::wstring& full)
{
    return shown == full ||
           (shown.size() > 1 && shown.back() == L'…' && full.find(shown.substr(0, shown.size() - 1)) == 0);
}

} // namespace

// Three conditions, the newest a long keyword list, in a page whose width the test sets.
class ThreeConditions : public FilterBar {
protected:
    void SetUp() override
    {
        FilterBar::SetUp();
        for (const wchar_t* name : {L"乙号新基金", L"丙号基金", L"宁号基金"})
            bar->SelectValue(L"company", L"基金公司", name, L"", true);
        for (const wchar_t* style : {L"价值型", L"成长型"})
            bar->SelectValue(L"investstyle", L"投资风格", style, L"", true);
        bar->ApplyKeywords(L"基金 回报 进取 方禾 天湖");
        ASSERT_EQ(bar->Conditions().size(), 3u);
    }
    void pageWidth(int width)
    {
        MoveWindow(host->hwnd(), 0, 40, width, 60, TRUE);
        bar->MoveWindow(ClosedFund::layoutTitleStrip(titleFont.get(), width).bar, TRUE);
    }

    const std::wstring newest = L"基金，回报，进取，方禾，天湖";
    Common::ScopedGdi<HFONT> titleFont{ClosedFund::createTitleFont()};
};

TEST_F(ThreeConditions, StayInsideTheBarAtEveryPageWidth)
{
    bool shortened = false, overflowed = false;
    for (int width : {1280, 1024, 800, 480}) {
        SCOPED_TRACE(width);
        pageWidth(width);
        RECT barRect = {}, page = {0, 0, width, 60};
        bar->GetClientRect(&barRect);
        // Inside the bar and the page, and clear of everything placed before.
        std::vector<RECT> taken;
        auto place = [&](HWND button) {
            EXPECT_TRUE(IsWindowVisible(button));
            RECT r = placeIn(button, bar->GetHandle());
            EXPECT_TRUE(inside(r, barRect) && inside(placeIn(button, host->hwnd()), page));
            for (const RECT& other : taken) EXPECT_FALSE(r.left < other.right && other.left < r.right);
            taken.push_back(r);
        };
        if (!bar->ShownCountText().empty()) taken.push_back(bar->CountRect());
        if (IsWindowVisible(bar->SearchEdit().GetHandle())) place(bar->SearchEdit().GetHandle());
        place(moreButton());
        size_t hidden = 0;
        for (const FilterCondition& c : bar->Conditions()) {
            if (c.hidden) {
                ++hidden;
                EXPECT_FALSE(IsWindowVisible(c.button.GetHandle()));
                continue;
            }
            place(c.button.GetHandle());
            EXPECT_TRUE(isPrefixWithEllipsis(c.button.ShownCaption(), c.button.Caption()));
            if (!c.button.IsShortened()) continue;
            shortened = true;
            EXPECT_NE(c.button.ToolTipWindow(), nullptr) << "the full text is in the tooltip";
        }
        EXPECT_EQ(IsWindowVisible(bar->OverflowButton().GetHandle()) != FALSE, hidden > 0);
        if (hidden) {
            overflowed = true;
            EXPECT_EQ(bar->OverflowButton().Caption(), L"+" + std::to_wstring(hidden));
            place(bar->OverflowButton().GetHandle());
        }
        UpdateWindow(host->hwnd());
        if (width == 1024)
            TestSupport::saveArtifact(TestSupport::grabScreen(bar->GetHandle()), L"filter-bar-three-conditions-1024");
    }
    EXPECT_TRUE(shortened);
    EXPECT_TRUE(overflowed);
}

// At the narrowest page the "+N" menu lists the hidden conditions, newest first; choosing one
// opens its own menu, where it can be removed. Wide again, every condition is whole.
TEST_F(ThreeConditions, TheOverflowMenuListsAndRemovesHiddenOnes)
{
    // Short of room, the oldest conditions go first: the one just added stays in sight.
    bool partly = false;
    for (int width = 1280; width >= 480 && !partly; width -= 20) {
        pageWidth(width);
        size_t hidden = 0, i = 0;
        for (const FilterCondition& c : bar->Conditions()) hidden += c.hidden ? 1 : 0;
        if (hidden == 0 || hidden == bar->Conditions().size()) continue;
        partly = true;
        for (const FilterCondition& c : bar->Conditions())
            EXPECT_EQ(c.hidden, i++ < hidden) << width << " " << Common::toUtf8(c.button.Caption());
        EXPECT_FALSE(conditionCaptioned(newest)->hidden) << width;
    }
    EXPECT_TRUE(partly) << "no width hides some conditions but not all";

    pageWidth(480);
    Texts hiddenCaptions;
    for (auto it = bar->Conditions().rbegin(); it != bar->Conditions().rend(); ++it)
        if (it->hidden) hiddenCaptions.push_back(it->button.Caption());
    ASSERT_FALSE(hiddenCaptions.empty());
    EXPECT_EQ(hiddenCaptions.front(), newest);
    EXPECT_EQ(chooseFromMenu(bar->OverflowButton().GetHandle(), {}), hiddenCaptions);
    {
        TestSupport::ModalDriver driver;
        driver.chooseMenuItem(newest);
        driver.chooseMenuItem(L"移除条件(&D)");
        PostMessageW(bar->GetHandle(), WM_COMMAND, FilterWnd::kOverflowButtonId,
                     LPARAM(bar->OverflowButton().GetHandle()));
        EXPECT_TRUE(driver.waitDone(3000));
    }
    EXPECT_EQ(conditionCaptioned(newest), nullptr);
    EXPECT_EQ(shownCodes(), (Texts{L"500006", L"184705"})) << "companies and styles still narrow the list";

    pageWidth(1280);
    for (const FilterCondition& c : bar->Conditions()) EXPECT_TRUE(!c.hidden && !c.button.IsShortened());
    EXPECT_FALSE(IsWindowVisible(bar->OverflowButton().GetHandle()));
}

TEST_F(FilterBar, CountsTheFundsShownAndFollowsEveryRebuild)
{
    EXPECT_EQ(bar->CountText(), L"共 8 只");
    bar->SelectValue(L"company", L"基金公司", L"甲号基金", L"", true);
    EXPECT_EQ(bar->CountText(), L"筛选出 2 / 8 只");
    EXPECT_EQ(bar->ShownCountText(), bar->CountText());

    // A reload of the table: the numbers follow without any action of the bar.
    std::vector<Fund> fewer = sampleFunds();
    fewer.resize(3);
    fillFunds(table.get(), fewer);
    EXPECT_EQ(bar->CountText(), L"筛选出 1 / 3 只");

    // A filter that keeps every row still counts as narrowing while it is a condition.
    fillFunds(table.get(), sampleFunds());
    bar->RemoveCondition(0);
    EXPECT_EQ(bar->CountText(), L"共 8 只");
    bar->ApplyKeywords(L"契约型");
    EXPECT_EQ(bar->CountText(), L"筛选出 8 / 8 只");
    bar->RemoveCondition(0);

    // Rows hidden by a filter someone else installed on the view are not called all funds.
    XComPtr<ClosedFund::MultiValueFilter> other =
        XComPtr<ClosedFund::MultiValueFilter>::adopt(new ClosedFund::MultiValueFilter);
    other->SetColumn(L"fundtype");
    other->AddValue(L"股票型");
    display->addFilter(other.get());
    EXPECT_EQ(bar->CountText(), L"筛选出 4 / 8 只");
    display->removeFilter(other.get());
    EXPECT_EQ(bar->CountText(), L"共 8 只");

    // It is painted at the bar's left edge.
    UpdateWindow(host->hwnd());
    TestSupport::Capture shot = TestSupport::grabScreen(bar->GetHandle());
    EXPECT_GT(shot.countOther(bar->CountRect(), bar->BackgroundColor()), 10);
}

TEST_F(FilterBar, CompaniesReadAsTheGridShowsThemButMatchTheStoredText)
{
    std::vector<Fund> funds = sampleFunds();
    const wchar_t* stored[] = {L"h-亥号基金", L"j-甲号基金",   L"n-宁号基金",   L"b-丙号基金",
                               L"z-AAA基金",  L"y-乙号新基金", L"y-乙号新基金", L"j-甲号基金"};
    for (size_t i = 0; i < funds.size(); ++i) funds[i][5] = stored[i];
    fillFunds(table.get(), funds);
    bar->SetShownValue(L"company", &ClosedFund::shortCompanyName);

    // Names alone, ordered by the stored initial (a name in Latin letters stays under its z);
    // chosen, the name reads as the grid shows it, and the filter matches the stored text.
    chooseFromMenu(moreButton(), {});
    HMENU companies = GetSubMenu(bar->PopupMenu(), 4);
    Texts items(size_t(GetMenuItemCount(companies)));
    for (size_t i = 0; i < items.size(); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(companies, UINT(i), text, 64, MF_BYPOSITION);
        items[i] = text;
    }
    EXPECT_EQ(items, (Texts{L"丙号基金", L"亥号基金", L"甲号基金", L"宁号基金", L"乙号新基金", L"AAA基金"}));
    chooseFromMenu(moreButton(), {L"基金公司", L"甲号基金"});
    const FilterCondition& slot = bar->Conditions().front();
    EXPECT_EQ(slot.button.Caption(), L"甲号基金");
    EXPECT_EQ(slot.value, L"j-甲号基金");
    EXPECT_EQ(shownCodes(), (Texts{L"500002", L"150012"}));
    for (const wchar_t* name : {L"丙号基金", L"宁号基金", L"AAA基金"})
        chooseFromMenu(moreButton(), {L"基金公司", name});
    EXPECT_EQ(slot.button.Caption(), L"基金公司：多个筛选条件");
    EXPECT_EQ(slot.button.ToolTipText(), L"甲号基金, 丙号基金, 宁号基金, AAA基金");
    EXPECT_EQ(shownCodes().size(), 5u);
}

TEST_F(FilterBar, KeywordDialogHoldsItsButtonWithEvenMarginsAndEscCancels)
{
    typer.reset(new KeywordTyper(L"x"));
    typer->pressEsc = true;
    chooseFromMenu(moreButton(), {L"关键字筛选(&C)"});
    KeywordTyper* t = typer.get();
    pumpUntil([t] { return t->done(); }, 5000);
    ASSERT_TRUE(t->done()) << "the keyword dialog opened";

    EXPECT_TRUE(inside(t->okButton, t->client)) << "the button is whole";
    EXPECT_TRUE(inside(t->editBox, t->client));
    EXPECT_EQ(t->editBox.left - t->client.left, t->client.right - t->okButton.right) << "even side margins";
    EXPECT_EQ(t->okButton.top - t->client.top, t->client.bottom - t->okButton.bottom);
    EXPECT_LT(t->editBox.right, t->okButton.left);
    // Esc closed it as a cancel: the typed "x" became no condition.
    EXPECT_TRUE(t->closedByEsc);
    EXPECT_EQ(bar->Conditions().size(), 1u);
    EXPECT_EQ(shownCodes().size(), 8u);
}
