// Value conditions of the filter bar, chosen through its real menus and submenus.
#include "FilterWndTest.h"

using namespace FilterTest;

TEST_F(FilterBar, CompanyValuesToggleTheStandingSlot)
{
    const Texts all = shownCodes();
    Texts items = chooseFromMenu(moreButton(), {L"基金公司", L"亥号基金"});
    EXPECT_EQ(items, (Texts{L"关键字筛选(&C)", L"清除所有条件(&D)", L"", L"投资风格", L"基金公司"}));
    const FilterCondition& slot = bar->Conditions().front();
    ASSERT_EQ(bar->Conditions().size(), 1u) << "the standing slot takes the value";
    EXPECT_EQ(slot.button.Caption(), L"亥号基金");
    EXPECT_EQ(slot.value, L"亥号基金");
    EXPECT_EQ(shownCodes(), (Texts{L"500001"}));

    // Its own menu: "显示所有" unchecked now, the accepted value checked, in GB2312 order.
    items = chooseFromMenu(slot.button.GetHandle(), {L"甲号基金"});
    EXPECT_EQ(items, (Texts{L"显示所有(&A)", L"", L"丙号基金", L"庚号示例基金", L"亥号基金", L"甲号基金", L"宁号基金",
                            L"乙号新基金"}));
    EXPECT_FALSE(checkedInLastMenu(L"显示所有(&A)"));
    EXPECT_TRUE(checkedInLastMenu(L"亥号基金"));
    EXPECT_FALSE(checkedInLastMenu(L"甲号基金"));
    EXPECT_EQ(slot.button.Caption(), L"亥号基金, 甲号基金");
    EXPECT_EQ(shownCodes(), (Texts{L"500001", L"500002", L"150012"}));

    // Choosing an accepted value again takes it out; the last one out rests the slot.
    chooseFromMenu(moreButton(), {L"基金公司", L"亥号基金"});
    EXPECT_EQ(slot.button.Caption(), L"甲号基金");
    chooseFromMenu(slot.button.GetHandle(), {L"甲号基金"});
    EXPECT_EQ(slot.button.Caption(), L"基金公司");
    EXPECT_FALSE(slot.filter);
    EXPECT_TRUE(slot.value.empty());
    EXPECT_EQ(shownCodes(), all);
    chooseFromMenu(slot.button.GetHandle(), {});
    EXPECT_TRUE(checkedInLastMenu(L"显示所有(&A)")) << "nothing chosen";

    // Four names, or names longer than 30 characters together: the caption says so and the
    // tooltip lists them in the order chosen.
    for (const wchar_t* name : {L"乙号新基金", L"丙号基金", L"宁号基金"})
        chooseFromMenu(moreButton(), {L"基金公司", name});
    EXPECT_EQ(slot.button.Caption(), L"乙号新基金, 丙号基金, 宁号基金");
    EXPECT_TRUE(slot.button.ToolTipText().empty());
    EXPECT_EQ(slot.button.ToolTipWindow(), nullptr);
    chooseFromMenu(moreButton(), {L"基金公司", L"庚号示例基金"});
    EXPECT_EQ(slot.button.Caption(), L"基金公司：多个筛选条件");
    EXPECT_EQ(slot.button.ToolTipText(), L"乙号新基金, 丙号基金, 宁号基金, 庚号示例基金");
    EXPECT_NE(slot.button.ToolTipWindow(), nullptr);
    EXPECT_EQ(shownCodes().size(), 5u);

    // "显示所有" returns the slot to rest and drops its tooltip.
    chooseFromMenu(slot.button.GetHandle(), {L"显示所有(&A)"});
    EXPECT_EQ(slot.button.Caption(), L"基金公司");
    EXPECT_EQ(slot.button.ToolTipWindow(), nullptr);
    EXPECT_EQ(shownCodes(), all);
    ASSERT_EQ(bar->Conditions().size(), 1u);

    // Exactly 30 characters still fit the caption; 31 go to the tooltip.
    const std::wstring a(14, L'甲'), b(14, L'乙'), longB(15, L'乙');
    bar->SelectValue(L"company", L"基金公司", a, L"", true);
    bar->SelectValue(L"company", L"基金公司", b, L"", true);
    EXPECT_EQ(slot.button.Caption(), a + L", " + b);
    EXPECT_TRUE(slot.button.ToolTipText().empty());
    bar->SelectValue(L"company", L"基金公司", b, L"", true);
    bar->SelectValue(L"company", L"基金公司", longB, L"", true);
    EXPECT_EQ(slot.button.Caption(), L"基金公司：多个筛选条件");
    EXPECT_EQ(slot.button.ToolTipText(), a + L", " + longB);
}

TEST_F(FilterBar, StyleConditionComesAndGoesWithItsValues)
{
    chooseFromMenu(moreButton(), {L"投资风格", L"成长型"});
    ASSERT_EQ(bar->Conditions().size(), 2u);
    const FilterCondition* style = conditionCaptioned(L"成长型");
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->id, 202);
    EXPECT_FALSE(style->standing);
    EXPECT_EQ(style->column, L"investstyle");
    EXPECT_EQ(shownCodes(), (Texts{L"500001", L"500006", L"150012"}));

    // With a company as well both must hold.
    chooseFromMenu(moreButton(), {L"基金公司", L"甲号基金"});
    EXPECT_EQ(shownCodes(), (Texts{L"150012"}));
    UpdateWindow(host->hwnd());
    TestSupport::pumpMessages(100);
    RECT shot;
    GetWindowRect(bar->GetHandle(), &shot);
    shot.left += 300;
    TestSupport::saveArtifact(TestSupport::grabScreenArea(shot), L"filter-bar-with-conditions");

    // Its own menu: remove item, then the style values with the accepted one checked.
    Texts items = chooseFromMenu(style->button.GetHandle(), {L"价值型"});
    EXPECT_EQ(items, (Texts{L"移除条件(&D)", L"", L"成长型", L"价值型", L"平衡型"}));
    EXPECT_TRUE(checkedInLastMenu(L"成长型"));
    EXPECT_EQ(style->button.Caption(), L"成长型, 价值型");
    EXPECT_EQ(shownCodes(), (Texts{L"500002", L"150012"}));

    // Taking out both values removes the button; the rows come back.
    HWND button = style->button.GetHandle();
    chooseFromMenu(button, {L"成长型"});
    chooseFromMenu(button, {L"价值型"});
    EXPECT_FALSE(IsWindow(button));
    EXPECT_EQ(conditionCaptioned(L"价值型"), nullptr);
    ASSERT_EQ(bar->Conditions().size(), 1u);
    EXPECT_EQ(shownCodes(), (Texts{L"500002", L"150012"}));
}

TEST_F(FilterBar, ClearingAllRemovesEveryConditionAndRestsTheSlot)
{
    searchKeywords(L"基金");
    chooseFromMenu(moreButton(), {L"投资风格", L"价值型"});
    chooseFromMenu(moreButton(), {L"基金公司", L"乙号新基金"});
    ASSERT_EQ(bar->Conditions().size(), 3u);
    EXPECT_EQ(shownCodes(), (Texts{L"184705"}));

    // Ids outside the command table, or a value id the last menu does not hold, do nothing.
    for (int id : {303, 1307, 306 + 3 + 6, 0xFFFF}) SendMessageW(bar->GetHandle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    EXPECT_EQ(bar->Conditions().size(), 3u);
    EXPECT_EQ(shownCodes(), (Texts{L"184705"}));

    chooseFromMenu(moreButton(), {L"清除所有条件(&D)"});
    ASSERT_EQ(bar->Conditions().size(), 1u);
    EXPECT_EQ(bar->Conditions().front().button.Caption(), L"基金公司");
    EXPECT_FALSE(bar->Conditions().front().filter);
    EXPECT_EQ(shownCodes().size(), 8u);
    // The standing slot is a condition, so the item stays on offer.
    Texts items = chooseFromMenu(moreButton(), {});
    EXPECT_EQ(items.at(1), L"清除所有条件(&D)");
}

TEST_F(FilterBar, ReloadedRowsRenewTheOfferedValues)
{
    chooseFromMenu(moreButton(), {L"基金公司", L"宁号基金"});
    // Reloaded: a company with '&' in its name appears, two styles are left.
    std::vector<Fund> funds = sampleFunds();
    funds.push_back({L"510001", L"新基金", L"契约型封闭式", L"股票型", L"成长型", L"A&B基金", L"510001"});
    for (Fund& fund : funds)
        if (std::wstring(fund[4]) == L"平衡型") fund[4] = L"价值型";
    fillFunds(table.get(), funds);
    auto companies = bar->DistinctValues(L"company");
    EXPECT_EQ(companies.size(), 7u);
    EXPECT_EQ(*companies.begin(), L"A&B基金");
    EXPECT_EQ(bar->DistinctValues(L"investstyle").size(), 2u);
    EXPECT_EQ(bar->Conditions().front().button.Caption(), L"宁号基金") << "conditions keep their values";
    EXPECT_EQ(shownCodes(), (Texts{L"184688"}));

    // The '&' is shown, not taken for a mnemonic, and the chosen value is the name itself.
    Texts items = chooseFromMenu(bar->Conditions().front().button.GetHandle(), {L"A&&B基金"});
    EXPECT_EQ(items.at(2), L"A&&B基金");
    EXPECT_EQ(bar->Conditions().front().button.Caption(), L"宁号基金, A&B基金");
    EXPECT_EQ(shownCodes(), (Texts{L"184688", L"510001"}));
}

// A column whose condition takes one value at a time, and a column with a single value.
TEST_F(FilterBar, SingleValueColumnsReplaceTheirValueAndSingleValuesGetNoSubmenu)
{
    bar.reset(new FilterWnd(display.get()));
    RECT none = {};
    ASSERT_NE(bar->Create(WS_CHILD | WS_VISIBLE, 0, none, host->hwnd()), nullptr);
    bar->AddFilterColumn(L"fundtype", L"基金类型", true, true, false, L"类型:", false);
    bar->AddFilterColumn(L"investtype", L"投资类型", true, true, false, L"", false);
    bar->AddFilterColumn(L"investstyle", L"投资风格", false, true, true, L"", true);
    bar->MoveWindow({0, 2, 1000, 28}, TRUE);
    ASSERT_EQ(bar->Conditions().size(), 3u);
    const FilterCondition& type = bar->Conditions().front();
    const FilterCondition& locked = bar->Conditions().back();
    EXPECT_EQ(type.id, 101);
    EXPECT_EQ(locked.id, 103);
    EXPECT_TRUE(locked.locked);

    Texts items = chooseFromMenu(moreButton(), {L"基金类型", L"混合型"});
    EXPECT_EQ(items, (Texts{L"关键字筛选(&C)", L"清除所有条件(&D)", L"", L"基金类型", L"投资风格"}))
        << "one investment type only: no submenu";
    EXPECT_EQ(type.button.Caption(), L"类型:混合型");
    EXPECT_EQ(shownCodes(), (Texts{L"184688", L"150012"}));
    chooseFromMenu(type.button.GetHandle(), {L"股票型"});
    EXPECT_EQ(type.button.Caption(), L"类型:股票型") << "the value is replaced, not added";
    EXPECT_EQ(shownCodes(), (Texts{L"500001", L"500002", L"500006", L"184705"}));
    chooseFromMenu(type.button.GetHandle(), {L"股票型"});
    EXPECT_EQ(shownCodes().size(), 4u) << "choosing it again keeps it";

    // The single investment type is still listed in its own slot's menu.
    const FilterCondition* investType = conditionCaptioned(L"投资类型");
    ASSERT_NE(investType, nullptr);
    items = chooseFromMenu(investType->button.GetHandle(), {L"契约型封闭式"});
    EXPECT_EQ(items, (Texts{L"显示所有(&A)", L"", L"契约型封闭式"}));
    EXPECT_EQ(investType->button.Caption(), L"契约型封闭式");

    // A locked condition offers no remove item; taking out its last value rests it rather
    // than leaving a filter that accepts nothing.
    items = chooseFromMenu(locked.button.GetHandle(), {L"价值型"});
    EXPECT_EQ(items, (Texts{L"成长型", L"价值型", L"平衡型"}));
    EXPECT_EQ(locked.button.Caption(), L"价值型");
    EXPECT_EQ(shownCodes(), (Texts{L"500002", L"184705"}));
    chooseFromMenu(locked.button.GetHandle(), {L"价值型"});
    EXPECT_EQ(locked.button.Caption(), L"投资风格");
    EXPECT_FALSE(locked.filter);
    EXPECT_EQ(shownCodes().size(), 4u);
    chooseFromMenu(locked.button.GetHandle(), {L"成长型"});
    bar->RemoveCondition(0);
    EXPECT_EQ(bar->Conditions().size(), 3u);
    EXPECT_EQ(type.button.Caption(), L"基金类型");
    EXPECT_EQ(locked.button.Caption(), L"成长型") << "clearing leaves a locked condition alone";
    EXPECT_EQ(shownCodes(), (Texts{L"500001", L"500006", L"150012"}));
}
