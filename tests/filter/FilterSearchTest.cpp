// Looking funds up by code and by the start of their pinyin initials, through the keyword
// dialog and through the bar's search box (typed, applied after a pause, cleared with Esc).
#include "FilterWndTest.h"
#include "KeyboardDriver.h"

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

std::vector<XStringW> SplitWords(const std::wstring& text)
{
    std::vector<XStringW> words;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find(L' ', at);
        if (end == std::wstring::npos) end = text.size();
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// The search box as the screen shows it: the ink of its cue (left part) and of its clear
// button, and clicks on it.
class SearchBoxLook {
public:
    explicit SearchBoxLook(HWND box) : box_(box) {}
    HWND hwnd() const { return box_; }
    int cueInk() const { return inkIn(RECT{3, 3, 60, -3}); }
    int clearInk() const { return inkIn(RECT{-16, 3, -2, -3}); }
    void click(POINT at) const
    {
        SendMessageW(box_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageW(box_, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        TestSupport::pumpMessages(50);
    }

private:
    // Negative edges count from the right or the bottom; ink is what differs from the
    // background (the pixel just inside the bottom-right corner).
    int inkIn(RECT r) const
    {
        TestSupport::pumpMessages(50);
        TestSupport::Capture shot = TestSupport::grabScreen(box_);
        RECT client = {};
        GetClientRect(box_, &client);
        int dx = (shot.width - client.right) / 2, dy = (shot.height - client.bottom) / 2; // the edge
        RECT in = {r.left < 0 ? client.right + r.left : r.left, r.top < 0 ? client.bottom + r.top : r.top,
                   r.right < 0 ? client.right + r.right : r.right, r.bottom < 0 ? client.bottom + r.bottom : r.bottom};
        OffsetRect(&in, dx, dy);
        return shot.countOther(in, shot.at(dx + client.right - 1, dy + client.bottom - 1));
    }
    HWND box_;
};

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
    EXPECT_EQ(shownCodes(), (Texts{L"500001", L"500002", L"184688", L"500006", L"184705"}));
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
    type(box, L"1849 乙酉");
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

// Digits are a code typed from its start: "5000" finds 500001, not 150001, in the code shown
// or the exchange's (500006 shows 160600); letters still find names and pinyin initials.
TEST_F(FilterBar, SearchBoxDigitsFindCodesThatStartWithThem)
{
    HWND box = bar->SearchEdit().GetHandle();
    auto search = [&](const std::wstring& text) {
        SendMessageW(box, EM_SETSEL, 0, -1);
        type(box, text);
        pumpUntil([&] { return bar->SearchWords() == SplitWords(text); }, 3000);
        return shownCodes();
    };
    EXPECT_EQ(search(L"5000"), (Texts{L"500001", L"500002", L"500006"}));
    EXPECT_EQ(search(L"0001"), Texts{}) << "inside 150001 and 500001, at the start of none";
    EXPECT_EQ(search(L"600"), Texts{L"184999"}) << "shown as 600abc; 160600 only ends so";
    EXPECT_EQ(search(L"18"), (Texts{L"184688", L"184999", L"184705"}));
    EXPECT_EQ(search(L"jjt"), Texts{L"500002"}) << "initials from their start";
    EXPECT_EQ(search(L"回报 1846"), (Texts{L"184688", L"184999"})) << "a name or a code";

    // The keyword dialog keeps looking for its words anywhere.
    SendMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    searchKeywords(L"0001");
    EXPECT_EQ(shownCodes(), (Texts{L"500001", L"150001"}));
}

// The box as a person uses it with the keyboard and the mouse: the cue shows while it is
// empty and not being typed in, Ctrl+A takes the whole text, and the small "×" that shows
// while it holds text empties it and lifts the search at once.
TEST_F(FilterBar, SearchBoxCueSelectAllAndClearButton)
{
    SearchBoxLook box(bar->SearchEdit().GetHandle());
    SetForegroundWindow(host->hwnd());
    UpdateWindow(host->hwnd());
    EXPECT_GT(box.cueInk(), 0) << "empty, not focused";
    box.click(POINT{20, 8});
    ASSERT_EQ(GetFocus(), box.hwnd());
    EXPECT_EQ(box.cueInk(), 0) << "focused: the cue gives way to the caret";
    SetFocus(host->hwnd());
    EXPECT_GT(box.cueInk(), 0) << "left empty: the cue is back";

    box.click(POINT{20, 8});
    if (!TestSupport::pressKey(host->hwnd(), 'J')) GTEST_SKIP() << "this display does not report injected key states";
    TestSupport::pressKey(host->hwnd(), VK_BACK);
    EXPECT_EQ(box.cueInk(), 0) << "emptied while typing: still the caret's";
    SetFocus(host->hwnd());
    EXPECT_GT(box.cueInk(), 0) << "emptied and left: the cue is back";
    EXPECT_EQ(box.clearInk(), 0) << "no clear button while empty";

    box.click(POINT{20, 8});
    for (WORD key : {WORD('J'), WORD('J'), WORD('T')}) TestSupport::pressKey(host->hwnd(), key);
    TestSupport::pressKey(host->hwnd(), 'A', {VK_CONTROL});
    DWORD from = 1, to = 0;
    SendMessageW(box.hwnd(), EM_GETSEL, WPARAM(&from), LPARAM(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 3u) << "Ctrl+A selects the whole text";
    TestSupport::pressKey(host->hwnd(), 'R');
    EXPECT_EQ(bar->SearchEdit().Text(), L"r") << "typing replaces the selection";

    pumpUntil([&] { return bar->SearchWords() == std::vector<XStringW>{L"r"}; }, 3000);
    EXPECT_EQ(shownCodes(), Texts{L"150001"});
    RECT clear = bar->SearchEdit().ClearButtonRect();
    ASSERT_GT(clear.right, clear.left);
    EXPECT_GT(box.clearInk(), 0) << "the clear button shows while the box holds text";
    TestSupport::saveArtifact(TestSupport::grabScreen(bar->GetHandle()), L"filter-search-box-clear-button");
    box.click(POINT{(clear.left + clear.right) / 2, (clear.top + clear.bottom) / 2});
    EXPECT_EQ(bar->SearchEdit().Text(), L"");
    EXPECT_TRUE(bar->SearchWords().empty()) << "lifted at once";
    EXPECT_EQ(shownCodes().size(), 8u);
    EXPECT_EQ(GetFocus(), box.hwnd());
    EXPECT_EQ(box.clearInk(), 0);
}
