// The title strip's freshness line: what it says of the rows on screen, where it stands
// beside the filter bar at every page width, and that only a reload that fills the screen
// changes it.
#include "ModalDriver.h"
#include "PageHost.h"
#include "page/ClosedFundPage.h"
#include "page/TitleStrip.h"
#include <gtest/gtest.h>
#include <algorithm>

using namespace ClosedFund;
using namespace PageTests;

namespace {

SYSTEMTIME at(WORD hour, WORD minute)
{
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 8;
    time.wHour = hour;
    time.wMinute = minute;
    return time;
}

// The strip's static text, as a reader of the page finds it.
std::wstring freshnessLabel(HWND page)
{
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[16] = {}, text[128] = {};
        GetClassNameW(child, cls, 16);
        GetWindowTextW(child, text, 128);
        if (_wcsicmp(cls, L"Static") == 0 && IsWindowVisible(child)) return text;
    }
    return L"<none>";
}

} // namespace

TEST(TitleStripFreshness, SaysTheDataDateAndTheLoadTimeInFullOrBriefly)
{
    Freshness freshness = freshnessOf(L"2026-12-08", at(9, 5));
    EXPECT_EQ(freshness.full, L"数据日期 2026-12-08 · 更新于 09:05");
    EXPECT_EQ(freshness.brief, L"2026-12-08 · 09:05");
    EXPECT_EQ(freshnessOf(L"", at(23, 59)).full, L"数据日期 -- · 更新于 23:59");
}

// From a wide page to a narrow one, with and without a status line: the full line, then the
// brief one, then none; always between the bar and the status line, the bar keeping the room
// its conditions need and a status line at least the start of its message.
TEST(TitleStripFreshness, YieldsToTheFilterBarAsThePageNarrows)
{
    Common::ScopedGdi<HFONT> title(createTitleFont());
    Freshness freshness = freshnessOf(L"2026-12-08", at(14, 32));
    for (const XStringW& status :
         {XStringW(), XStringW(L"封闭式基金：无法读取基金数据（no such table: tb_closedfund）")}) {
        SCOPED_TRACE(Common::toUtf8(status));
        int stage = 0; // 0 full, 1 brief, 2 none
        for (int width = 1600; width >= 300; width -= 10) {
            SCOPED_TRACE(width);
            TitleStrip before = layoutTitleStrip(title.get(), width, status);
            TitleStrip strip = before;
            XStringW shown = placeFreshness(strip, freshness);
            int now = shown == freshness.full ? 0 : shown == freshness.brief ? 1 : 2;
            ASSERT_TRUE(now == 2 || !shown.empty());
            EXPECT_GE(now, stage) << "a narrower page showed more";
            stage = now;
            EXPECT_EQ(strip.bar.left, before.bar.left);
            EXPECT_EQ(strip.status.right, before.status.right);
            if (now == 2) {
                EXPECT_TRUE(strip.bar.right == before.bar.right && strip.status.left == before.status.left);
                EXPECT_EQ(strip.freshness.right, strip.freshness.left);
                continue;
            }
            LONG barWidth = strip.bar.right - strip.bar.left, statusWidth = strip.status.right - strip.status.left;
            EXPECT_GE(barWidth, std::min<LONG>(480, before.bar.right - before.bar.left));
            EXPECT_GE(statusWidth, std::min<LONG>(160, before.status.right - before.status.left));
            EXPECT_GE(strip.freshness.left, strip.bar.right);
            EXPECT_LE(strip.freshness.right, status.empty() ? width : strip.status.left);
            EXPECT_GT(strip.freshness.right - strip.freshness.left, 0);
        }
        EXPECT_EQ(stage, 2) << "a narrow page still gave the line room";
        TitleStrip wide = layoutTitleStrip(title.get(), status.empty() ? 1000 : 1280, status);
        EXPECT_EQ(placeFreshness(wide, freshness), freshness.full) << "a page of ordinary width";
    }
}

class FreshnessPage : public PageFixture {};

// Each fill that puts rows on the screen says their date; one that fails leaves the line, as
// the rows on screen are still those.
TEST_F(FreshnessPage, OnlyAReloadThatFillsTheScreenChangesTheLine)
{
    EXPECT_EQ(freshnessLabel(page_.GetHandle()), L"<none>") << "a line before any rows";
    XComPtr<Host::IDatabase> database = makeDatabase(dir_, L"funds.db", FundDb::Content::StandardSample);
    page_.setDatabase(database.get());
    page_.show();
    page_.reload(true);
    std::wstring line = freshnessLabel(page_.GetHandle());
    EXPECT_EQ(line.rfind(L"数据日期 2026-06-26 · 更新于 ", 0), 0u) << Common::toUtf8(line);

    XStringW error;
    XComPtr<Host::IStatement> drop = database->prepare(L"drop table tb_closedfund", error);
    ASSERT_TRUE(drop) << Common::toUtf8(error);
    drop->step();
    TestSupport::ModalDriver driver;
    driver.answerMessageBox(IDOK);
    page_.reload(true);
    ASSERT_TRUE(driver.waitDone(2000));
    // On the client's interface alone the failure's message shares the strip, and the line
    // may be the brief one: of the same date and time.
    std::wstring kept = freshnessLabel(page_.GetHandle());
    EXPECT_TRUE(kept == line || kept == L"2026-06-26 · " + line.substr(line.size() - 5)) << Common::toUtf8(kept);

    XComPtr<Host::IDatabase> later = makeDatabase(dir_, L"later.db", FundDb::Content::StandardSample);
    later->prepare(L"update tb_closedfund set date = '2026-06-29'", error)->step();
    page_.setDatabase(later.get());
    page_.reload(true);
    line = freshnessLabel(page_.GetHandle());
    EXPECT_TRUE(line.rfind(L"数据日期 2026-06-29 · 更新于 ", 0) == 0 || line.rfind(L"2026-06-29 · ", 0) == 0)
        << Common::toUtf8(line);
}
