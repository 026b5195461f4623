// Damaged stored headers and damaged theme folders: the grid always gets columns. A stored
// header the grid cannot show is left where it is, copied aside once, and the default
// header is used; one that still shows columns is used as it is.
#include "DebugOutput.h"
#include "RobustSupport.h"
#include "DamagedFiles.h"
#include "base/HostServices.h"
#include "TempDir.h"
#include "TestModules.h"
#include "grid/ClosedFundGrid.h"
#include "grid/HeaderXml.h"
#include "hostapi/ConfHost.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <algorithm>

using namespace Robust;
using ClosedFund::kCustomHeaderKey;
using ClosedFund::kDamagedHeaderKey;

namespace {

// The header as the grid stores it: the default one after one change of the user's.
XStringW userHeader(Host::IApp* app, Host::ITheme* theme)
{
    ClosedFund::closedFundGrid grid;
    grid.SetApp(app);
    grid.ApplyTheme(theme);
    grid.SetHeaderText(grid.LoadHeaderText());
    grid.OnHeaderChange();
    return storedText(app->getUserConf().get(), kCustomHeaderKey);
}

// What one stored header did to the grid and the store.
struct HeaderOutcome {
    int gridColumns, shownColumns; // shownColumns: what the stored text offers, 0 or less for none
    bool blank, storedUnchanged, earlierKept, copyPresent, copyIsText, copyIsEarlier;
};

std::string headerProblems(const HeaderOutcome& o)
{
    bool usable = o.shownColumns > 0 || o.blank;
    std::string problem;
    if (o.gridColumns == 0) problem = "no columns";
    if (o.shownColumns > 0 && o.gridColumns != o.shownColumns) problem += " the usable stored header was not used";
    if (!o.storedUnchanged) problem += " the stored header was changed";
    if (!usable && !o.copyIsText) problem += " the damaged text was not kept aside";
    if (usable && o.earlierKept && !o.copyIsEarlier) problem += " an earlier kept copy was replaced";
    if (usable && !o.earlierKept && o.copyPresent) problem += " a copy was kept of a usable header";
    return problem;
}

} // namespace

TEST(DamagedHeaders, TheGridAlwaysGetsColumnsAndTheDamagedTextIsKeptAside)
{
    Tally tally("damaged stored headers");
    TestSupport::TempDir dir;
    TestSupport::TestApp app;
    app.userConf = Host::openUserConf(dir.file(L"user.conf").c_str());
    XComPtr<Host::IThemeMgr> themes = Host::openThemeMgr(shippedThemeFolder().c_str(), "light");
    ASSERT_TRUE(themes);
    XComPtr<Host::ITheme> theme = themes->getCurrentTheme();
    const XStringW good = userHeader(&app, theme.get());
    ASSERT_GT(ClosedFund::shownHeaderColumns(good), 10);
    Host::IConfManager* conf = app.userConf.get();

    std::mt19937 rng(seed(4206));
    int count = scaled(200, 1000);
    for (int i = 0; i < count; ++i) {
        std::string name;
        XStringW text = TestSupport::damagedHeader(good, rng, name);
        name = std::to_string(i) + " " + name;
        conf->deleteKey(kDamagedHeaderKey);
        XStringW earlier = L"<earlier kept copy " + std::to_wstring(i) + L">";
        bool keepEarlier = i % 5 == 0;
        if (keepEarlier) store(conf, kDamagedHeaderKey, earlier);
        store(conf, kCustomHeaderKey, text);

        ClosedFund::closedFundGrid grid;
        grid.SetApp(&app);
        grid.ApplyTheme(i % 3 ? theme.get() : nullptr);
        grid.SetHeaderText(grid.LoadHeaderText());
        int shown = ClosedFund::shownHeaderColumns(text);
        bool blank = text.find_first_not_of(L" \t\r\n") == XStringW::npos;
        bool present = false;
        XStringW aside = storedText(conf, kDamagedHeaderKey, &present);

        HeaderOutcome outcome{grid.GetColumnCount(), shown,   blank,         storedText(conf, kCustomHeaderKey) == text,
                              keepEarlier,           present, aside == text, aside == earlier};
        std::string problem = headerProblems(outcome);
        if (problem.empty())
            tally.pass();
        else
            tally.fail(name + ":" + problem);
        EXPECT_TRUE(problem.empty()) << name << ":" << problem;
    }
}

// A grid whose stored header is cut short by a kill (the key created, its value not yet
// written) shows the default header, and the user's next change is stored in one write.
TEST(DamagedHeaders, AnEmptyStoredHeaderIsTheDefaultAndTheNextChangeReplacesIt)
{
    TestSupport::TempDir dir;
    TestSupport::TestApp app;
    app.userConf = Host::openUserConf(dir.file(L"user.conf").c_str());
    XComPtr<Host::IConfKey> key = app.userConf->createKey(kCustomHeaderKey);
    ASSERT_TRUE(key);
    ClosedFund::closedFundGrid grid;
    grid.SetApp(&app);
    ASSERT_EQ(grid.SetHeaderText(grid.LoadHeaderText()), 1) << "no theme: the control's own font";
    int columns = grid.GetColumnCount();
    EXPECT_GT(columns, 10);
    EXPECT_FALSE(app.userConf->getKey(kDamagedHeaderKey)) << "an empty header is not kept aside";

    // The write goes to an existing key: the store file changes once.
    uint64_t before = fileHash(dir.file(L"user.conf"));
    grid.OnHeaderChange();
    EXPECT_NE(fileHash(dir.file(L"user.conf")), before);
    EXPECT_EQ(bytesHash(TestSupport::readFileBytes(dir.file(L"user.conf.bak"))), before)
        << "the copy before the change is the store with the empty key: one write";
    EXPECT_EQ(ClosedFund::shownHeaderColumns(storedText(app.userConf.get(), kCustomHeaderKey)), columns);
}

namespace {

// The start of the module's own warning about a damaged stored header (the kernel's copy of
// a line starts with "client2: ").
const wchar_t kDamageWarning[] = L"closed-fund grid: the stored header cannot be shown";

// A damaged stored header that a grid loads twice, as the page would over two reloads, with
// the host's log file set and the debugger output read meanwhile. The services are found
// first, as the module's initialize finds them: the grid alone never asks for them.
class DamagedHeaderReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClosedFund::HostServices::get();
        app_.userConf = Host::openUserConf(dir_.file(L"user.conf").c_str());
        ASSERT_TRUE(app_.userConf);
        grid_.SetApp(&app_);
        ASSERT_EQ(grid_.SetHeaderText(grid_.LoadHeaderText()), 1);
        defaultColumns_ = grid_.GetColumnCount();
        store(app_.userConf.get(), kCustomHeaderKey, kDamaged);

        Host::setLogFile(log_.c_str());
        grid_.SetHeaderText(grid_.LoadHeaderText());
        afterFirst_ = fileHash(dir_.file(L"user.conf"));
        grid_.SetHeaderText(grid_.LoadHeaderText());
        Host::setLogFile(nullptr);
    }
    void TearDown() override { Host::setLogFile(nullptr); }

    const XStringW kDamaged = L"<header><item title=\"代码\" name=\"code\"";
    TestSupport::TempDir dir_;
    const std::wstring log_ = dir_.file(L"client2.log");
    TestSupport::TestApp app_;
    ClosedFund::closedFundGrid grid_;
    DebugOutput debugOutput_;
    int defaultColumns_ = 0;
    uint64_t afterFirst_ = 0;
};

} // namespace

// In either mode: the default header is shown, the damaged text is copied aside by the first
// load only, and the module says so once in the debugger output.
TEST_F(DamagedHeaderReport, IsKeptAsideOnceAndSaidOnceHoweverOftenItLoads)
{
    EXPECT_EQ(grid_.GetColumnCount(), defaultColumns_);
    EXPECT_EQ(storedText(app_.userConf.get(), kDamagedHeaderKey), kDamaged);
    EXPECT_EQ(storedText(app_.userConf.get(), kCustomHeaderKey), kDamaged) << "the user's text stays where it was";
    EXPECT_EQ(fileHash(dir_.file(L"user.conf")), afterFirst_) << "the second load wrote the store again";
    EXPECT_EQ(debugOutput_.startingWith(kDamageWarning), 1);
}

// With the host's log service the report is one line of the host's log, naming the copy.
TEST_F(DamagedHeaderReport, IsOneLineOfTheHostLog)
{
    if (Host::contractOnly()) GTEST_SKIP() << "the client has no log: the debugger output is the report there";
    std::string lines = TestSupport::readFileBytes(log_);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << lines;
    EXPECT_NE(lines.find("Custom_Header_5_damaged"), std::string::npos) << lines;
}

// On the contract path there is no log to find: the debugger output is the only report, and
// nothing of the module's reaches the host's log file.
TEST_F(DamagedHeaderReport, OnTheContractPathGoesToTheDebuggerOutputOnly)
{
    if (!Host::contractOnly()) GTEST_SKIP() << "the host's log service is found outside contract-only mode";
    EXPECT_EQ(TestSupport::readFileBytes(log_), "");
    EXPECT_EQ(debugOutput_.startingWith(kDamageWarning), 1);
    EXPECT_EQ(debugOutput_.startingWith(std::wstring(L"client2: ") + kDamageWarning), 0);
}

// Damaged theme folders: files cut short, bytes flipped, keys missing, fonts that do not
// parse, an empty folder. A grid given whatever theme the manager makes of it (or none)
// still shows the default header's columns.
TEST(DamagedThemes, AGridWithAnyThemeOrNoneGetsItsColumns)
{
    Tally tally("damaged theme folders");
    std::string shipped = TestSupport::readFileBytes(shippedThemeFolder() + L"\\light.theme");
    ASSERT_FALSE(shipped.empty());
    std::mt19937 rng(seed(77));
    int count = scaled(60, 1000);
    for (int i = 0; i < count; ++i) {
        TestSupport::TempDir dir;
        std::string name;
        ASSERT_TRUE(TestSupport::writeDamagedTheme(dir.file(L"light.theme"), shipped, i, rng, name));
        name = std::to_string(i) + " " + name;
        XComPtr<Host::IThemeMgr> themes = Host::openThemeMgr(dir.path().c_str(), "light");
        XComPtr<Host::ITheme> theme = themes ? themes->getCurrentTheme() : XComPtr<Host::ITheme>();
        ClosedFund::closedFundGrid grid;
        grid.ApplyTheme(theme.get());
        grid.SetHeaderText(grid.LoadHeaderText());
        if (grid.GetColumnCount() > 10)
            tally.pass();
        else
            tally.fail(name);
        EXPECT_GT(grid.GetColumnCount(), 10) << name;
    }
}
