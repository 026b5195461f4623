// The filter bar: its keyword splitting and value order, its window, layout and theme, and
// keyword searches typed into its dialog, all over a real kernel table and views.
#include "FilterWndTest.h"
#include <set>

using namespace FilterTest;
using ClosedFund::GbLess;
using ClosedFund::SplitKeywords;

TEST(FilterText, SplitsTypedTextAtSpacesAndTabsOnly)
{
    struct Case {
        const wchar_t* typed;
        Texts keywords;
    } cases[] = {
        {L"  abc\t600  ", {L"abc", L"600"}},
        {L"", {}},
        {L"   \t \t", {}},
        {L"亥号\u3000基金", {L"亥号\u3000基金"}},    // an ideographic space is a character
        {L"abc abc\tABC", {L"abc", L"abc", L"ABC"}}, // duplicates stay for the filter to drop
        {L"x", {L"x"}},
        {L"\tlast", {L"last"}},
    };
    for (const Case& c : cases) {
        std::vector<XStringW> got = SplitKeywords(c.typed);
        EXPECT_EQ(Texts(got.begin(), got.end()), c.keywords) << "case " << (&c - cases);
    }
}

TEST(FilterText, OrdersValuesByGb2312BytesAndKeepsEveryDistinctText)
{
    // In UTF-16 order 华 (U+534E) comes before 博 (U+535A); in GB2312 (pinyin) order after it.
    std::set<XStringW, GbLess> values = {L"亥号基金", L"乙号新基金", L"丙号基金", L"ABC", L"甲号基金"};
    EXPECT_EQ(Texts(values.begin(), values.end()),
              (Texts{L"ABC", L"丙号基金", L"亥号基金", L"甲号基金", L"乙号新基金"}));
    // Characters GB2312 lacks turn into the same replacement byte; they must not merge.
    std::set<XStringW, GbLess> foreign = {L"\u0100基金", L"\u0101基金", L"\u0100基金"};
    EXPECT_EQ(foreign.size(), 2u);
}

TEST_F(FilterBar, StartsWithTheMoreButtonAndTheStandingCompanySlotLaidOutFromTheRight)
{
    wchar_t cls[64] = {};
    GetClassNameW(bar->GetHandle(), cls, 64);
    EXPECT_STREQ(cls, L"Client2_FilterWnd");
    EXPECT_EQ(GetDlgCtrlID(moreButton()), 100);
    EXPECT_EQ(bar->MoreButton().Caption(), L"更多筛选");
    ASSERT_EQ(bar->Conditions().size(), 1u);
    const FilterCondition& slot = bar->Conditions().front();
    EXPECT_TRUE(slot.standing);
    EXPECT_FALSE(slot.filter);
    EXPECT_EQ(slot.id, 101);
    EXPECT_EQ(slot.button.Caption(), L"基金公司");
    EXPECT_EQ(GetWindowLongPtrW(slot.button.GetHandle(), GWLP_USERDATA), LONG_PTR(&slot));

    // Values gathered for the two collect columns, empty texts left out, in GB2312 order.
    auto styles = bar->DistinctValues(L"investstyle");
    EXPECT_EQ(Texts(styles.begin(), styles.end()), (Texts{L"成长型", L"价值型", L"平衡型"}));
    auto companies = bar->DistinctValues(L"company");
    EXPECT_EQ(Texts(companies.begin(), companies.end()),
              (Texts{L"丙号基金", L"庚号示例基金", L"亥号基金", L"甲号基金", L"宁号基金", L"乙号新基金"}));
    EXPECT_TRUE(bar->DistinctValues(L"name").empty());

    // Caption width + 28, full height, 5 pixels left of "更多筛选", then 1 between conditions.
    auto widthOf = [&](const std::wstring& text) {
        HDC dc = GetDC(bar->GetHandle());
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(bar->GetHandle(), dc);
        return int(size.cx) + 28;
    };
    auto placeOf = [&](HWND button) {
        RECT r;
        GetWindowRect(button, &r);
        MapWindowPoints(nullptr, bar->GetHandle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    bar->SelectValue(L"investstyle", L"投资风格", L"价值型", L"", true);
    ASSERT_EQ(bar->Conditions().size(), 2u);
    RECT more = placeOf(moreButton());
    RECT company = placeOf(bar->Conditions().front().button.GetHandle());
    RECT style = placeOf(bar->Conditions().back().button.GetHandle());
    EXPECT_EQ(more.right, 700);
    EXPECT_EQ(more.right - more.left, widthOf(L"更多筛选"));
    EXPECT_EQ(more.top, 0);
    EXPECT_EQ(more.bottom, 26);
    EXPECT_EQ(company.right, more.left - 5);
    EXPECT_EQ(company.right - company.left, widthOf(L"基金公司"));
    EXPECT_EQ(style.right, company.left - 1) << "the newest condition stands leftmost";
    EXPECT_EQ(style.right - style.left, widthOf(L"价值型"));

    // A bar narrower than its buttons: "更多筛选" keeps its place, the conditions go behind
    // "+2" (which gets what room is left), and nothing stands outside the bar.
    bar->MoveWindow({900, 2, 1000, 28}, TRUE);
    EXPECT_EQ(placeOf(moreButton()).right, 100);
    EXPECT_EQ(placeOf(moreButton()).right - placeOf(moreButton()).left, widthOf(L"更多筛选"));
    for (const FilterCondition& c : bar->Conditions()) {
        EXPECT_TRUE(c.hidden);
        EXPECT_FALSE(IsWindowVisible(c.button.GetHandle()));
    }
    HWND overflow = bar->OverflowButton().GetHandle();
    EXPECT_EQ(bar->OverflowButton().Caption(), L"+2");
    if (IsWindowVisible(overflow)) {
        EXPECT_GE(placeOf(overflow).left, 0);
    }
    EXPECT_TRUE(bar->ShownCountText().empty()) << "no room for the count either";
}

TEST_F(FilterBar, PaintsItsBackgroundInTheThemeColour)
{
    auto backgroundOf = [&](const char* themeName) {
        EXPECT_TRUE(themes->setCurrentTheme(themeName));
        COLORREF expected = 0;
        EXPECT_TRUE(themes->getCurrentTheme()->getColor("wnd_general_bg", expected));
        bar->ApplyTheme(themes->getCurrentTheme().get());
        EXPECT_EQ(bar->BackgroundColor(), expected);
        UpdateWindow(host->hwnd());
        TestSupport::Capture shot = TestSupport::grabScreen(bar->GetHandle());
        // Between the count and the buttons.
        RECT count = bar->CountRect();
        EXPECT_EQ(shot.countOther({count.right + 2, 0, 200, 26}, expected), 0) << themeName;
        // The gap between the company slot and "更多筛选".
        RECT more;
        GetWindowRect(moreButton(), &more);
        MapWindowPoints(nullptr, bar->GetHandle(), reinterpret_cast<POINT*>(&more), 2);
        EXPECT_EQ(shot.at(more.left - 3, 13), expected) << themeName;
        // The buttons wear the theme too: the face of the column headers inside a border.
        COLORREF face = 0, border = 0;
        EXPECT_TRUE(themes->getCurrentTheme()->getColor("list_column_bg", face));
        EXPECT_TRUE(themes->getCurrentTheme()->getColor("list_border", border));
        EXPECT_EQ(shot.at(more.left + 3, 3), face) << themeName;
        EXPECT_EQ(shot.at(more.left, 13), border) << themeName;
        if (std::string(themeName) == "dark") TestSupport::saveArtifact(shot, L"filter-bar-dark");
        auto brush = HBRUSH(SendMessageW(bar->GetHandle(), WM_CTLCOLORBTN, 0, LPARAM(moreButton())));
        LOGBRUSH lb = {};
        EXPECT_TRUE(GetObjectW(brush, sizeof(lb), &lb));
        EXPECT_EQ(lb.lbColor, expected);
        return expected;
    };
    COLORREF dark = backgroundOf("dark");
    COLORREF light = backgroundOf("light");
    EXPECT_NE(dark, light);
    bar->ApplyTheme(nullptr); // no theme: the colour stays
    EXPECT_EQ(bar->BackgroundColor(), light);
}

TEST_F(FilterBar, KeywordSearchesNarrowTheViewAndStack)
{
    const Texts all = shownCodes();
    ASSERT_EQ(all.size(), 8u);

    KeywordTyper* dialog = nullptr;
    searchKeywords(L"  abc\t600  ", true, &dialog);
    EXPECT_EQ(dialog->caption, L"输入筛选条件");
    EXPECT_EQ(dialog->cueText, L"请输入关键字，多个关键字用空格分开");
    EXPECT_EQ(dialog->textLimit, 128);
    RECT anchor;
    GetWindowRect(moreButton(), &anchor);
    EXPECT_EQ(dialog->place.right, anchor.right - 20);
    EXPECT_EQ(dialog->place.top, anchor.bottom + 20);
    const FilterCondition* first = conditionCaptioned(L"abc，600");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->id, 202);
    EXPECT_FALSE(first->standing);
    EXPECT_TRUE(first->column.empty());
    EXPECT_EQ(shownCodes(), (Texts{L"500006", L"184999"})) << "abc or 600 in any searched column";

    // Nothing but separators, nothing at all, or a cancelled dialog: no condition.
    searchKeywords(L" \t  ");
    searchKeywords(L"");
    searchKeywords(L"乙酉", false);
    EXPECT_EQ(bar->Conditions().size(), 2u);

    // A second search adds a condition of its own: rows must match both.
    searchKeywords(L"乙酉");
    ASSERT_EQ(bar->Conditions().size(), 3u);
    EXPECT_EQ(bar->Conditions().back().id, 203);
    EXPECT_EQ(shownCodes(), (Texts{L"500006"}));

    // An ideographic space is searched as part of the word.
    searchKeywords(L"基金\u3000乙酉");
    EXPECT_NE(conditionCaptioned(L"基金\u3000乙酉"), nullptr);
    EXPECT_TRUE(shownCodes().empty());

    // The first search removed through its own menu: the others still hold.
    Texts items = chooseFromMenu(first->button.GetHandle(), {L"移除条件(&D)"});
    EXPECT_EQ(items, (Texts{L"移除条件(&D)", L"修改关键字…(&E)"})) << "a keyword condition offers no values";
    EXPECT_EQ(conditionCaptioned(L"abc，600"), nullptr);
    EXPECT_EQ(bar->Conditions().size(), 3u);
    const FilterCondition* last = conditionCaptioned(L"基金\u3000乙酉");
    ASSERT_NE(last, nullptr);
    chooseFromMenu(last->button.GetHandle(), {L"移除条件(&D)"});
    EXPECT_EQ(shownCodes(), (Texts{L"500006"}));
    EXPECT_EQ(bar->Conditions().back().id, 203) << "the newest id was given back";

    // A keyword condition is changed in its dialog, which opens holding its words selected:
    // what is typed replaces them, and emptied the condition goes.
    const FilterCondition* yiyou = conditionCaptioned(L"乙酉");
    ASSERT_NE(yiyou, nullptr);
    typer.reset(new KeywordTyper(L"甲泰 昆玉"));
    chooseFromMenu(yiyou->button.GetHandle(), {L"修改关键字…(&E)"});
    pumpUntil([&] { return typer->done(); }, 3000);
    EXPECT_EQ(typer->initialText, L"乙酉");
    EXPECT_EQ(conditionCaptioned(L"乙酉"), nullptr);
    const FilterCondition* edited = conditionCaptioned(L"甲泰，昆玉");
    ASSERT_NE(edited, nullptr);
    EXPECT_EQ(typer->cueText, L"清空后按“确定”即移除这个条件");
    typer.reset(new KeywordTyper(L"\b"));
    chooseFromMenu(edited->button.GetHandle(), {L"修改关键字…(&E)"});
    pumpUntil([&] { return typer->done(); }, 3000);
    EXPECT_EQ(conditionCaptioned(L"甲泰，昆玉"), nullptr);
    EXPECT_EQ(bar->Conditions().size(), 1u); // the standing company slot
}

TEST_F(FilterBar, ConditionIdsNeverRunIntoMenuCommands)
{
    // Ids 202..302 hold 101 conditions; the next is refused with a message, not given 303+.
    for (int i = 0; i < 101; ++i) bar->ApplyKeywords(L"基金");
    ASSERT_EQ(bar->Conditions().size(), 102u);
    EXPECT_EQ(bar->Conditions().back().id, 302);
    {
        TestSupport::ModalDriver driver;
        driver.answerMessageBox(IDOK);
        bar->ApplyKeywords(L"乙酉");
        EXPECT_EQ(driver.pending(), 0u);
        EXPECT_EQ(driver.lastText(), L"筛选条件已达上限，请先移除一些条件。");
    }
    EXPECT_EQ(bar->Conditions().size(), 102u);
    EXPECT_EQ(shownCodes().size(), 8u) << "the refused filter was never installed";

    // An id freed out of order is used again once the range is spent.
    bar->RemoveCondition(250);
    EXPECT_EQ(bar->FindCondition(250), nullptr);
    bar->ApplyKeywords(L"乙酉");
    ASSERT_NE(bar->FindCondition(250), nullptr);
    EXPECT_EQ(bar->FindCondition(250)->button.Caption(), L"乙酉");
    EXPECT_EQ(shownCodes(), (Texts{L"500006"}));
    std::set<int> ids;
    for (const FilterCondition& c : bar->Conditions()) ids.insert(c.id);
    EXPECT_EQ(ids.size(), 102u);
    EXPECT_LE(*ids.rbegin(), 302);

    // Clearing walks every id: all rows come back, the company slot rests.
    bar->RemoveCondition(0);
    ASSERT_EQ(bar->Conditions().size(), 1u);
    EXPECT_EQ(shownCodes().size(), 8u);
    bar->ApplyKeywords(L"abc");
    EXPECT_EQ(bar->Conditions().back().id, 202) << "an empty range starts over";
}

TEST_F(FilterBar, DestroyedBarLetsGoOfItsViews)
{
    bar->SelectValue(L"company", L"基金公司", L"甲号基金", L"", true);
    bar->SelectValue(L"company", L"基金公司", L"亥号基金", L"", true);
    bar->SelectValue(L"company", L"基金公司", L"宁号基金", L"", true);
    bar->SelectValue(L"company", L"基金公司", L"丙号基金", L"", true);
    HWND tip = bar->Conditions().front().button.ToolTipWindow();
    ASSERT_TRUE(IsWindow(tip));
    HWND window = bar->GetHandle();
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(IsWindow(tip)) << "the tooltip went with the bar";
    EXPECT_EQ(bar->GetHandle(), nullptr);
    // The value view no longer reports to the bar: a reload must not reach it.
    fillFunds(table.get(), {{L"1", L"x", L"t", L"f", L"s", L"新公司", L"1"}});
    EXPECT_EQ(bar->DistinctValues(L"company").size(), 6u);
    bar.reset();
    fillFunds(table.get(), sampleFunds());
    EXPECT_EQ(sorted->getRowCount(), 8);
}
