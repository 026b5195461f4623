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

bool inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom && inner.right > inner.left;
}

bool overlap(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right;
}

// A shown caption is the full text, or a leading part of it followed by "…".
bool isPrefixWithEllipsis(const std::wstring& shown, const std::wstring& full)
{
    if (shown == full) return true;
    if (shown.size() < 2 || shown.back() != L'…') return false;
    return full.compare(0, shown.size() - 1, shown, 0, shown.size() - 1) == 0;
}

} // namespace

TEST_F(FilterBar, ThreeConditionsStayInsideTheBarAtEveryPageWidth)
{
    for (const wchar_t* name : {L"易方达基金", L"博时基金", L"南方基金"})
        bar->SelectValue(L"company", L"基金公司", name, L"", true);
    bar->SelectValue(L"investstyle", L"投资风格", L"价值型", L"", true);
    bar->SelectValue(L"investstyle", L"投资风格", L"成长型", L"", true);
    bar->ApplyKeywords(L"基金 回报 进取 丰和 泰和");
    ASSERT_EQ(bar->Conditions().size(), 3u);
    const Texts full = {L"易方达基金, 博时基金, 南方基金", L"价值型, 成长型", L"基金，回报，进取，丰和，泰和"};

    ClosedFund::TitleStrip wide = {};
    Common::ScopedGdi<HFONT> titleFont(ClosedFund::createTitleFont());
    bool shortenedSomewhere = false, overflowedSomewhere = false;
    for (int pageWidth : {1280, 1024, 800, 480}) {
        ClosedFund::TitleStrip strip = ClosedFund::layoutTitleStrip(titleFont.get(), pageWidth);
        if (pageWidth == 1280) wide = strip;
        MoveWindow(host->hwnd(), 0, 40, pageWidth, 60, TRUE);
        bar->MoveWindow(strip.bar, TRUE);
        TestSupport::pumpMessages(30);
        const RECT page = {0, 0, pageWidth, 60};
        RECT barRect = {};
        bar->GetClientRect(&barRect);
        auto where = [&](HWND button) { return placeIn(button, bar->GetHandle()); };
        auto inPage = [&](HWND button) { return inside(placeIn(button, host->hwnd()), page); };
        SCOPED_TRACE(pageWidth);

        ASSERT_TRUE(IsWindowVisible(moreButton()));
        EXPECT_TRUE(inside(where(moreButton()), barRect));
        std::vector<RECT> taken = {where(moreButton())};
        size_t hidden = 0;
        int i = 0;
        for (const FilterCondition& c : bar->Conditions()) {
            EXPECT_EQ(c.button.Caption(), full[i++]);
            if (c.hidden) {
                ++hidden;
                EXPECT_FALSE(IsWindowVisible(c.button.GetHandle()));
                continue;
            }
            HWND button = c.button.GetHandle();
            EXPECT_TRUE(IsWindowVisible(button));
            EXPECT_TRUE(inside(where(button), barRect));
            EXPECT_TRUE(inPage(button));
            EXPECT_TRUE(isPrefixWithEllipsis(c.button.ShownCaption(), c.button.Caption()))
                << std::string(c.button.ShownCaption().begin(), c.button.ShownCaption().end());
            if (c.button.IsShortened()) {
                shortenedSomewhere = true;
                EXPECT_EQ(c.button.ShownToolTip(), c.button.ToolTipText().empty() ? c.button.Caption()
                                                                                   : c.button.ToolTipText());
                EXPECT_NE(c.button.ToolTipWindow(), nullptr) << "the full text is in the tooltip";
            }
            taken.push_back(where(button));
        }
        HWND overflow = bar->OverflowButton().GetHandle();
        EXPECT_EQ(IsWindowVisible(overflow) != FALSE, hidden > 0);
        if (hidden) {
            overflowedSomewhere = true;
            EXPECT_EQ(bar->OverflowButton().Caption(), L"+" + std::to_wstring(hidden));
            EXPECT_TRUE(inside(where(overflow), barRect));
            EXPECT_TRUE(inPage(overflow));
            taken.push_back(where(overflow));
        }
        if (!bar->ShownCountText().empty()) taken.push_back(bar->CountRect());
        for (size_t a = 0; a < taken.size(); ++a)
            for (size_t b = a + 1; b < taken.size(); ++b) EXPECT_FALSE(overlap(taken[a], taken[b])) << a << " " << b;

        if (pageWidth == 1024) {
            UpdateWindow(host->hwnd());
            TestSupport::saveArtifact(TestSupport::grabScreen(bar->GetHandle()), L"filter-bar-three-conditions-1024");
        }
    }
    EXPECT_TRUE(shortenedSomewhere);
    EXPECT_TRUE(overflowedSomewhere);

    // At the narrowest page the "+N" menu lists the hidden conditions, newest first; choosing
    // one opens its own menu, where it can be removed.
    std::vector<std::wstring> hiddenCaptions;
    for (auto it = bar->Conditions().rbegin(); it != bar->Conditions().rend(); ++it)
        if (it->hidden) hiddenCaptions.push_back(it->button.Caption());
    ASSERT_FALSE(hiddenCaptions.empty());
    EXPECT_EQ(hiddenCaptions.front(), full[2]);
    Texts items = chooseFromMenu(bar->OverflowButton().GetHandle(), {});
    EXPECT_EQ(items, hiddenCaptions);
    {
        TestSupport::ModalDriver driver;
        driver.chooseMenuItem(full[2]);
        driver.chooseMenuItem(L"移除条件(&D)");
        PostMessageW(bar->GetHandle(), WM_COMMAND, MAKEWPARAM(FilterWnd::kOverflowButtonId, BN_CLICKED),
                     LPARAM(bar->OverflowButton().GetHandle()));
        EXPECT_TRUE(driver.waitDone(3000));
        ASSERT_EQ(driver.seen().size(), 2u);
        EXPECT_EQ(driver.seen()[1].menuItems.front(), L"移除条件(&D)");
    }
    EXPECT_EQ(conditionCaptioned(full[2]), nullptr);
    EXPECT_EQ(shownCodes(), (Texts{L"500006", L"184721"})) << "companies and styles still narrow the list";

    // Back at full width every condition has its button and its whole caption.
    bar->MoveWindow(wide.bar, TRUE);
    for (const FilterCondition& c : bar->Conditions()) {
        EXPECT_FALSE(c.hidden);
        EXPECT_FALSE(c.button.IsShortened());
    }
    EXPECT_FALSE(IsWindowVisible(bar->OverflowButton().GetHandle()));
}

TEST_F(FilterBar, CountsTheFundsShownAndFollowsEveryRebuild)
{
    EXPECT_EQ(bar->CountText(), L"共 8 只");
    bar->SelectValue(L"company", L"基金公司", L"嘉实基金", L"", true);
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
    XComPtr<ClosedFund::MultiValueFilter> other = XComPtr<ClosedFund::MultiValueFilter>::adopt(new ClosedFund::MultiValueFilter);
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
    const wchar_t* stored[] = {L"h-华夏基金", L"j-嘉实基金", L"n-南方基金", L"b-博时基金",
                               L"z-AAA基金", L"y-易方达基金", L"y-易方达基金", L"j-嘉实基金"};
    for (size_t i = 0; i < funds.size(); ++i) funds[i][5] = stored[i];
    fillFunds(table.get(), funds);
    bar->SetShownValue(L"company", &ClosedFund::shortCompanyName);

    // Names alone, ordered by the stored initial (a name in Latin letters stays under its z).
    chooseFromMenu(moreButton(), {});
    HMENU companies = GetSubMenu(bar->PopupMenu(), 4);
    Texts items;
    for (int i = 0; i < GetMenuItemCount(companies); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(companies, UINT(i), text, 64, MF_BYPOSITION);
        items.push_back(text);
    }
    EXPECT_EQ(items, (Texts{L"博时基金", L"华夏基金", L"嘉实基金", L"南方基金", L"易方达基金", L"AAA基金"}));

    // Chosen, it reads as the grid shows it; the filter still matches the stored text.
    chooseFromMenu(moreButton(), {L"基金公司", L"嘉实基金"});
    const FilterCondition& slot = bar->Conditions().front();
    EXPECT_EQ(slot.button.Caption(), L"嘉实基金");
    EXPECT_EQ(slot.value, L"j-嘉实基金");
    EXPECT_EQ(shownCodes(), (Texts{L"500002", L"505888"}));
    for (const wchar_t* name : {L"博时基金", L"南方基金", L"AAA基金"}) chooseFromMenu(moreButton(), {L"基金公司", name});
    EXPECT_EQ(slot.button.Caption(), L"基金公司：多个筛选条件");
    EXPECT_EQ(slot.button.ToolTipText(), L"嘉实基金, 博时基金, 南方基金, AAA基金");
    EXPECT_EQ(shownCodes().size(), 5u);
}

namespace {

// Finds the keyword dialog, records its client rectangle and its button's, saves a picture
// of it, types a little and presses Esc in the edit. Should Esc not close it, the dialog is
// closed after a while so that the test fails instead of waiting forever.
class KeywordDialogProbe {
public:
    KeywordDialogProbe() { timer_ = SetTimer(nullptr, 0, 30, &KeywordDialogProbe::onTimer); active() = this; }
    ~KeywordDialogProbe()
    {
        KillTimer(nullptr, timer_);
        active() = nullptr;
    }
    bool done = false;
    bool closedByEsc = false;
    RECT client = {}, button = {}, edit = {};

private:
    static KeywordDialogProbe*& active()
    {
        static KeywordDialogProbe* probe = nullptr;
        return probe;
    }
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        if (active()) active()->tick();
    }
    void tick()
    {
        if (dialog_ && ++waited_ == 4) {
            // A few ticks after it showed, so that the picture has its controls.
            RECT frame;
            GetWindowRect(dialog_, &frame);
            TestSupport::saveArtifact(TestSupport::grabScreenArea(frame), L"keyword-dialog");
            HWND editWindow = GetDlgItem(dialog_, 100);
            PostMessageW(editWindow, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            PostMessageW(editWindow, WM_KEYUP, VK_ESCAPE, 0xC0010001);
            return;
        }
        if (dialog_) {
            if (!IsWindow(dialog_)) {
                closedByEsc = true;
                done = true;
                dialog_ = nullptr;
            } else if (waited_ > 40) {
                PostMessageW(dialog_, WM_CLOSE, 0, 0);
                done = true;
                dialog_ = nullptr;
            }
            return;
        }
        if (done) return;
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM found) -> BOOL {
            if (!IsWindowVisible(h) || !GetDlgItem(h, 100) || !GetDlgItem(h, IDOK)) return TRUE;
            *reinterpret_cast<HWND*>(found) = h;
            return FALSE;
        }, LPARAM(&dialog));
        if (!dialog) return;
        dialog_ = dialog;
        GetClientRect(dialog, &client);
        button = placeIn(GetDlgItem(dialog, IDOK), dialog);
        edit = placeIn(GetDlgItem(dialog, 100), dialog);
        HWND editWindow = GetDlgItem(dialog, 100);
        SendMessageW(editWindow, WM_CHAR, L'x', 1);
    }
    HWND dialog_ = nullptr;
    int waited_ = 0;
    UINT_PTR timer_ = 0;
};

} // namespace

TEST_F(FilterBar, KeywordDialogHoldsItsButtonWithEvenMarginsAndEscCancels)
{
    KeywordDialogProbe probe;
    chooseFromMenu(moreButton(), {L"关键字筛选(&C)"});
    pumpUntil([&] { return probe.done; }, 3000);
    ASSERT_TRUE(probe.done) << "the keyword dialog opened";
    TestSupport::pumpMessages(100);

    EXPECT_TRUE(inside(probe.button, probe.client)) << "the button is whole";
    EXPECT_TRUE(inside(probe.edit, probe.client));
    EXPECT_EQ(probe.edit.left - probe.client.left, probe.client.right - probe.button.right) << "even side margins";
    EXPECT_EQ(probe.button.top - probe.client.top, probe.client.bottom - probe.button.bottom);
    EXPECT_LT(probe.edit.right, probe.button.left);

    // Esc closed it as a cancel: no dialog left, no condition from the typed "x".
    EXPECT_TRUE(probe.closedByEsc);
    EXPECT_EQ(bar->Conditions().size(), 1u);
    HWND left = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM found) -> BOOL {
        if (GetDlgItem(h, 100) && GetDlgItem(h, IDOK)) *reinterpret_cast<HWND*>(found) = h;
        return TRUE;
    }, LPARAM(&left));
    EXPECT_EQ(left, nullptr);
    EXPECT_EQ(shownCodes().size(), 8u);
}
