// A damaged stored header that asks for thousands of wide columns: the grid shows only as
// many as the module could ever have stored, keeps the stored text where it is and copies it
// aside once, as it does with a stored header it cannot show at all.
#include "DebugOutput.h"
#include "RobustSupport.h"
#include "base/HostServices.h"
#include "TempDir.h"
#include "TestModules.h"
#include "grid/ClosedFundGrid.h"
#include "grid/HeaderXml.h"
#include "hostapi/ConfHost.h"
#include <gtest/gtest.h>

using namespace Robust;

namespace {

// Columns named c0, c1, ... of 4,000 pixels each; every tenth inside a two-column group.
XStringW wideHeader(int columns)
{
    XStringW xml = L"<header>";
    for (int c = 0; c < columns; ++c) {
        XStringW item =
            L"<item name=\"c" + std::to_wstring(c) + L"\" title=\"列" + std::to_wstring(c) + L"\" width=\"4000\"/>";
        if (c % 10 == 0 && c + 1 < columns) {
            ++c;
            item = L"<item title=\"组\">" + item + L"<item name=\"c" + std::to_wstring(c) + L"\" title=\"列" +
                   std::to_wstring(c) + L"\" width=\"4000\"/></item>";
        }
        xml += item;
    }
    return xml + L"</header>";
}

const wchar_t kCutWarning[] = L"closed-fund grid: the stored header has more columns than the module has";

} // namespace

TEST(WideStoredHeader, TwoThousandWideColumnsAreShownAsTheBoundedHeader)
{
    ClosedFund::HostServices::get();
    TestSupport::TempDir dir;
    TestSupport::TestApp app;
    app.userConf = Host::openUserConf(dir.file(L"user.conf").c_str());
    ASSERT_TRUE(app.userConf);
    Host::IConfManager* conf = app.userConf.get();
    const XStringW damaged = wideHeader(2000);
    store(conf, ClosedFund::kCustomHeaderKey, damaged);
    DebugOutput debugOutput;

    ClosedFund::closedFundGrid grid;
    grid.SetApp(&app);
    const int limit = grid.HeaderColumnLimit();
    ASSERT_GT(limit, 10);
    ASSERT_LT(limit, 2000);
    ASSERT_EQ(grid.SetHeaderText(grid.LoadHeaderText()), 1);

    // The first columns of the stored header, in its order and widths, and nothing past them.
    ASSERT_EQ(grid.GetColumnCount(), limit) << "the default's columns are appended hidden";
    EXPECT_EQ(grid.GetColumnInfo(0)->name, L"c0");
    EXPECT_EQ(grid.GetColumnInfo(limit - 1)->name, L"c" + std::to_wstring(limit - 1));
    XStringW shown = grid.GetHeader();
    EXPECT_NE(shown.find(L"width=\"4000\""), XStringW::npos);
    EXPECT_EQ(shown.find(L"name=\"c" + std::to_wstring(limit) + L"\""), XStringW::npos);
    EXPECT_LE(ClosedFund::headerColumns(shown), 2 * limit);

    EXPECT_EQ(storedText(conf, ClosedFund::kCustomHeaderKey), damaged) << "the user's text stays where it was";
    EXPECT_EQ(storedText(conf, ClosedFund::kDamagedHeaderKey), damaged) << "and is copied aside";

    // A reload shows the same and neither copies nor reports again.
    uint64_t afterFirst = fileHash(dir.file(L"user.conf"));
    ASSERT_EQ(grid.SetHeaderText(grid.LoadHeaderText()), 1);
    EXPECT_EQ(grid.GetColumnCount(), limit);
    EXPECT_EQ(fileHash(dir.file(L"user.conf")), afterFirst);
    EXPECT_EQ(debugOutput.startingWith(kCutWarning), 1);

    // A header within the limit is used as it is and not copied aside.
    conf->deleteKey(ClosedFund::kDamagedHeaderKey);
    const XStringW fits = wideHeader(limit);
    store(conf, ClosedFund::kCustomHeaderKey, fits);
    ClosedFund::closedFundGrid other;
    other.SetApp(&app);
    ASSERT_EQ(other.SetHeaderText(other.LoadHeaderText()), 1);
    EXPECT_EQ(other.GetColumnCount(), limit);
    EXPECT_FALSE(conf->getKey(ClosedFund::kDamagedHeaderKey));
}

// The cut itself: columns counted in document order, groups' items one by one, a group left
// without items removed with them.
TEST(WideStoredHeader, BoundingCutsColumnsInDocumentOrder)
{
    const XStringW header = wideHeader(25); // groups at c0-c1, c10-c11, c20-c21
    ASSERT_EQ(ClosedFund::headerColumns(header), 25);
    XStringW out;
    EXPECT_FALSE(ClosedFund::boundHeaderColumns(header, 25, out)) << "nothing past the limit";
    EXPECT_TRUE(out.empty());
    ASSERT_TRUE(ClosedFund::boundHeaderColumns(header, 11, out));
    EXPECT_EQ(ClosedFund::headerColumns(out), 11);
    EXPECT_NE(out.find(L"name=\"c10\""), XStringW::npos);
    EXPECT_EQ(out.find(L"name=\"c11\""), XStringW::npos) << "the group keeps its first item only";
    ASSERT_TRUE(ClosedFund::boundHeaderColumns(header, 10, out));
    EXPECT_EQ(ClosedFund::headerColumns(out), 10);
    EXPECT_EQ(out.find(L"组", out.find(L"name=\"c9\"")), XStringW::npos) << "an emptied group goes too";
    EXPECT_FALSE(ClosedFund::boundHeaderColumns(L"<header", 1, out));
}
