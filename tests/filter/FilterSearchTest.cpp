// Looking funds up by code and by the start of their pinyin initials, through the keyword
// dialog and through the bar's search box (typed, applied after a pause, cleared with Esc).
#include "FilterWndTest.h"

using namespace FilterTest;

namespace {

RECT placeIn(HWND child, HWND parent)
{
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void type(HWND edit, const std::wstring& text)
{
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
}

} // namespace

TEST_F(FilterBar, KeywordDialogFindsFundsByCodeAndByTheStartOfTheirInitials)
{
    searchKeywords(L"JJT");
    EXPECT_EQ(shownCodes(), (Texts{L"500002"})) << "jjth starts so; jjjt does not";
    bar->RemoveCondition(0);
    searchKeywords(L"jt");
    EXPECT_TRUE(shownCodes().empty()) << "initials match from their start only";
    bar->RemoveCondition(0);
    // The exchange code is searched as well as the code shown (they differ for two funds).
    searchKeywords(L"500006 1849");
    EXPECT_EQ(shownCodes(), (Texts{L"500006", L"184999"}));
    bar->RemoveCondition(0);
    EXPECT_EQ(shownCodes().size(), 8u);
}

TEST_F(FilterBar, SearchBoxFiltersAsTheUserTypesAndEscClearsIt)
{
    HWND box = bar->SearchEdit().GetHandle();
    ASSERT_TRUE(IsWindowVisible(box));
    EXPECT_EQ(bar->SearchEdit().CueText(), L"代码/名称/拼音");
    UpdateWindow(host->hwnd());
    TestSupport::saveArtifact(TestSupport::grabScreen(bar->GetHandle()), L"filter-search-box-empty");

    // At the bar's left edge, a fixed width, before the count; the conditions stay to the right.
    RECT boxPlace = placeIn(box, bar->GetHandle());
    EXPECT_LT(boxPlace.left, 10);
    EXPECT_EQ(boxPlace.right - boxPlace.left, 150);
    EXPECT_LE(boxPlace.right, bar->CountRect().left);
    EXPECT_LE(bar->CountRect().right, placeIn(bar->Conditions().front().button.GetHandle(), bar->GetHandle()).left);

    // Typing applies nothing until the pause has passed.
    type(box, L"jj");
    EXPECT_EQ(shownCodes().size(), 8u);
    EXPECT_TRUE(bar->SearchWords().empty());
    pumpUntil([&] { return !bar->SearchWords().empty(); }, 3000);
    EXPECT_EQ(shownCodes(), (Texts{L"500001", L"500002", L"184688", L"500006", L"184721"}));
    EXPECT_EQ(bar->CountText(), L"筛选出 5 / 8 只");
    EXPECT_EQ(bar->Conditions().size(), 1u) << "the box's words get no button of their own";
    UpdateWindow(host->hwnd());
    TestSupport::saveArtifact(TestSupport::grabScreen(bar->GetHandle()), L"filter-search-box");

    // More letters replace the box's condition rather than adding one; a dialog search adds
    // its own, and rows must match both.
    type(box, L"T");
    pumpUntil([&] { return bar->SearchWords() == std::vector<XStringW>{L"jjT"}; }, 3000);
    EXPECT_EQ(shownCodes(), (Texts{L"500002"}));
    SendMessageW(box, EM_SETSEL, 0, -1);
    type(box, L"1849 裕阳");
    pumpUntil([&] { return bar->SearchWords().size() == 2; }, 3000);
    EXPECT_EQ(shownCodes(), (Texts{L"500006", L"184999"}));
    searchKeywords(L"回报");
    EXPECT_EQ(shownCodes(), (Texts{L"184999"}));

    // Esc empties the box and lifts its condition at once; the dialog's stays.
    SendMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_EQ(GetWindowTextLengthW(box), 0);
    EXPECT_TRUE(bar->SearchWords().empty());
    EXPECT_EQ(shownCodes(), (Texts{L"184999"}));

    // Clearing all conditions clears the box too.
    type(box, L"rf");
    pumpUntil([&] { return !bar->SearchWords().empty(); }, 3000);
    EXPECT_TRUE(shownCodes().empty());
    chooseFromMenu(moreButton(), {L"清除所有条件(&D)"});
    EXPECT_EQ(GetWindowTextLengthW(box), 0);
    EXPECT_EQ(shownCodes().size(), 8u);
    EXPECT_EQ(bar->CountText(), L"共 8 只");
}
