// The filter bar's arrangement worked out from measured widths alone, without a window: at
// every width everything stays inside the bar and apart, room is found in the order the
// layout promises (captions shortened, the count compacted, the oldest conditions behind
// "+N", the count gone), and every size that is no text follows the dpi.
#include "filter/FilterWndFit.h"
#include <gtest/gtest.h>
#include <cmath>
#include <string>

using ClosedFund::BarFit;
using ClosedFund::BarSpan;
using ClosedFund::BarTexts;
using WGUI::UiScale;

namespace {

// Widths as the bar's font at 96 dpi gives them: "更多筛选", three conditions (newest first,
// the newest a long keyword list), "筛选出 8 / 60 只" and "8/60", "+1" to "+3".
BarTexts threeConditions(double scale = 1.0)
{
    auto px = [scale](int width) { return int(std::lround(width * scale)); };
    BarTexts texts;
    texts.more = px(48);
    texts.conditions = {{px(170), px(40)}, {px(120), px(40)}, {px(60), px(40)}};
    texts.count = px(84);
    texts.compactCount = px(26);
    texts.overflow = {px(14), px(14), px(14)};
    texts.searchBox = true;
    return texts;
}

std::string at(int width) { return "at " + std::to_string(width); }

// Inside [0, width], apart, in their places: the box and the count at the left, "更多筛选"
// at the right edge, "+N" beside it, the newest condition leftmost.
void expectOrderly(const BarFit& fit, int width)
{
    std::vector<BarSpan> spans = {fit.more};
    if (!fit.searchBox.empty()) spans.push_back(fit.searchBox);
    if (fit.countForm != BarFit::kNoCount) spans.push_back(fit.count);
    if (!fit.overflow.empty()) spans.push_back(fit.overflow);
    spans.insert(spans.end(), fit.conditions.begin(), fit.conditions.end());
    for (size_t i = 0; i < spans.size(); ++i) {
        EXPECT_GE(spans[i].left, 0) << at(width);
        EXPECT_LE(spans[i].right, width) << at(width);
        EXPECT_GE(spans[i].width(), 0) << at(width);
        for (size_t j = i + 1; j < spans.size(); ++j) {
            bool apart = spans[i].right <= spans[j].left || spans[j].right <= spans[i].left;
            EXPECT_TRUE(apart || spans[i].empty() || spans[j].empty()) << at(width);
        }
    }
    EXPECT_EQ(fit.more.right, width);
    for (size_t i = 1; i < fit.kept(); ++i) EXPECT_LT(fit.conditions[i - 1].left, fit.conditions[i].left);
    if (fit.kept() == 0) return;
    EXPECT_TRUE(fit.overflow.empty() || fit.overflow.left > fit.conditions.back().right) << at(width);
    EXPECT_TRUE(fit.countForm == BarFit::kNoCount || fit.count.right < fit.conditions.front().left) << at(width);
}

bool anyShortened(const BarFit& fit, const BarTexts& texts, int padding)
{
    for (size_t i = 0; i < fit.kept(); ++i)
        if (fit.conditions[i].width() < texts.conditions[i].full + padding) return true;
    return false;
}

} // namespace

TEST(FilterBarFit, AWideBarShowsEverythingWholeAtItsPlace)
{
    BarTexts texts = threeConditions();
    BarFit fit = ClosedFund::fitBar(texts, 1000, UiScale{});
    expectOrderly(fit, 1000);
    EXPECT_EQ(fit.more.width(), 48 + 28);
    EXPECT_EQ(fit.searchBox.left, 4);
    EXPECT_EQ(fit.searchBox.width(), 150);
    EXPECT_EQ(fit.countForm, BarFit::kWholeCount);
    EXPECT_EQ(fit.count.left, fit.searchBox.right + 6);
    EXPECT_EQ(fit.count.width(), 84);
    ASSERT_EQ(fit.kept(), 3u);
    EXPECT_TRUE(fit.overflow.empty());
    EXPECT_EQ(fit.hidden, 0u);
    EXPECT_FALSE(anyShortened(fit, texts, 28));
    // From the right: "更多筛选", 5 pixels, the oldest, then one pixel between conditions.
    EXPECT_EQ(fit.conditions[2].right, fit.more.left - 5);
    EXPECT_EQ(fit.conditions[1].right, fit.conditions[2].left - 1);
    EXPECT_EQ(fit.conditions[0].width(), 170 + 28);
}

// Narrowing the bar a pixel at a time: each way of finding room starts only after the one
// before it is used up, and a condition once hidden never comes back at a narrower width.
TEST(FilterBarFit, RoomIsFoundInThePromisedOrder)
{
    BarTexts texts = threeConditions();
    bool shortenedWithWholeCount = false, compactWithAll = false, hiddenWithCompact = false, countGone = false;
    size_t lastKept = 3;
    for (int width = 900; width >= 0; --width) {
        BarFit fit = ClosedFund::fitBar(texts, width, UiScale{});
        expectOrderly(fit, width);
        ASSERT_LE(fit.kept(), lastKept) << at(width);
        lastKept = fit.kept();
        EXPECT_EQ(fit.hidden, 3 - fit.kept()) << at(width);
        // "+N" shows for the hidden ones whenever there is any room beside "更多筛选".
        bool room = width - fit.more.width() - 5 - 4 > 0;
        EXPECT_EQ(fit.overflow.empty(), fit.hidden == 0 || !room) << at(width);
        if (fit.countForm == BarFit::kWholeCount) {
            EXPECT_EQ(fit.kept(), 3u) << "the count keeps its words only while every condition shows";
            shortenedWithWholeCount = shortenedWithWholeCount || anyShortened(fit, texts, 28);
        }
        if (fit.countForm == BarFit::kCompactCount && fit.kept() == 3) {
            compactWithAll = true;
            EXPECT_TRUE(anyShortened(fit, texts, 28)) << "words go only after captions were shortened, " << at(width);
        }
        if (fit.kept() < 3 && fit.kept() > 0) {
            hiddenWithCompact = hiddenWithCompact || fit.countForm == BarFit::kCompactCount;
            EXPECT_NE(fit.countForm, BarFit::kWholeCount) << at(width);
            EXPECT_EQ(fit.overflow.width(), 14 + 28) << "+N beside the kept ones, " << at(width);
        }
        if (fit.countForm == BarFit::kNoCount && width > fit.more.width()) {
            countGone = true;
            EXPECT_EQ(fit.kept(), 0u) << "the count goes last, " << at(width);
        }
        // A shortened caption keeps at least its first characters and "…".
        for (size_t i = 0; i < fit.kept(); ++i) EXPECT_GE(fit.conditions[i].width(), 40 + 28) << at(width);
    }
    EXPECT_TRUE(shortenedWithWholeCount);
    EXPECT_TRUE(compactWithAll);
    EXPECT_TRUE(hiddenWithCompact);
    EXPECT_TRUE(countGone);
}

// The search box keeps its width while the bar can also hold "更多筛选" and a "+N" button, then
// narrows, and goes once it could hold no readable word.
TEST(FilterBarFit, TheSearchBoxGivesWayLastAndThenWhole)
{
    BarTexts texts = threeConditions();
    int reserve = 76 + 5 + 4 + (14 + 28) + 6; // "更多筛选", gaps, the count's indent, "+3"
    EXPECT_EQ(ClosedFund::fitBar(texts, reserve + 150, UiScale{}).searchBox.width(), 150);
    EXPECT_EQ(ClosedFund::fitBar(texts, reserve + 100, UiScale{}).searchBox.width(), 100);
    EXPECT_EQ(ClosedFund::fitBar(texts, reserve + 60, UiScale{}).searchBox.width(), 60);
    EXPECT_TRUE(ClosedFund::fitBar(texts, reserve + 59, UiScale{}).searchBox.empty());
    texts.searchBox = false;
    EXPECT_TRUE(ClosedFund::fitBar(texts, 1000, UiScale{}).searchBox.empty()) << "a bar without a box";
    EXPECT_EQ(ClosedFund::fitBar(texts, 1000, UiScale{}).count.left, 4);

    // Nothing but "更多筛选", squeezed: it takes what there is and nothing leaves the bar.
    BarTexts none;
    none.more = 48;
    for (int width : {0, 10, 76, 200}) {
        BarFit fit = ClosedFund::fitBar(none, width, UiScale{});
        expectOrderly(fit, width);
        EXPECT_EQ(fit.more.width(), std::min(width, 76));
        EXPECT_TRUE(fit.overflow.empty());
    }
    expectOrderly(ClosedFund::fitBar(threeConditions(), -5, UiScale{}), 0);
}

// The same bar at 144 dpi and 特大: texts measured in the larger font, every gap, padding and
// the box's width at the scale, and the arrangement the same as at 96 with room to match.
TEST(FilterBarFit, GapsPaddingAndTheBoxFollowTheScale)
{
    UiScale largest{144, 1.5};
    BarTexts texts = threeConditions(2.25);
    int padding = ClosedFund::buttonPadding(largest);
    EXPECT_EQ(padding, 42);
    BarFit fit = ClosedFund::fitBar(texts, 2250, largest);
    expectOrderly(fit, 2250);
    ASSERT_EQ(fit.kept(), 3u);
    EXPECT_EQ(fit.more.width(), 108 + 42);
    EXPECT_EQ(fit.searchBox.left, 6);
    EXPECT_EQ(fit.searchBox.width(), 338) << "the box holds text: dpi and font size";
    EXPECT_EQ(fit.count.left, fit.searchBox.right + 9);
    EXPECT_EQ(fit.conditions[2].right, fit.more.left - 8);
    EXPECT_EQ(fit.conditions[1].right, fit.conditions[2].left - 2);

    // Texts and the box grow by 2.25, gaps and padding by the dpi's 1.5: a bar 2.25 times as
    // wide shows at least what the bar at 96 shows.
    for (int width : {900, 700, 520, 400, 300, 200}) {
        BarFit small = ClosedFund::fitBar(threeConditions(), width, UiScale{});
        BarFit large = ClosedFund::fitBar(texts, int(width * 2.25), largest);
        expectOrderly(large, int(width * 2.25));
        EXPECT_GE(large.kept(), small.kept()) << at(width);
        EXPECT_LE(large.countForm, small.countForm) << at(width);
    }
}
