// A person's journey through the client: client2.exe started as its own process on a fresh
// data folder, driven only by clicks and keys posted to its windows, and judged only by
// what its windows show (the grid's painted text, buttons, the status bar, the screen) and
// by the files it writes. The cases run in order against one client start.
#include "ClientProcess.h"
#include "ClientScreen.h"
#include "Database.h"
#include "TempDir.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

using namespace Journey;

namespace {

const DWORD kStartMs = 30000;
const DWORD kShowMs = 10000;
const DWORD kStepMs = 5000;
const wchar_t kSavedScreen[] = L"深折价";
const wchar_t kSavedCondition[] = L"折价率 ≤ -15%";

std::wstring joined(const std::vector<std::wstring>& texts)
{
    std::wstring all;
    for (const std::wstring& t : texts) all += (all.empty() ? L"" : L", ") + t;
    return all;
}

} // namespace

class JourneyFirstStart : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = std::make_unique<TestSupport::TempDir>();
        client_ = std::make_unique<ClientProcess>(dir_->path());
        if (client_->start(kStartMs)) SetWindowPos(client_->mainWindow(), nullptr, 0, 0, 1280, 900, SWP_NOZORDER);
    }
    static void TearDownTestSuite()
    {
        if (client_) client_->close(kStepMs);
        client_.reset();
        dir_.reset();
    }
    void SetUp() override { ASSERT_TRUE(client_->running()) << "client2.exe is not running"; }
    void TearDown() override { dismissPopups(client_->pid()); }

    static ClientScreen screen() { return ClientScreen(client_->mainWindow(), client_->pid()); }
    static std::wstring database() { return dir_->file(L"funds.db"); }
    static bool gridShowsRows(const ClientScreen& s, DWORD ms)
    {
        return waitUntil(ms, [&] { return s.grid() && !s.gridText().rows.empty(); });
    }

    static std::unique_ptr<TestSupport::TempDir> dir_;
    static std::unique_ptr<ClientProcess> client_;
};

std::unique_ptr<TestSupport::TempDir> JourneyFirstStart::dir_;
std::unique_ptr<ClientProcess> JourneyFirstStart::client_;

// Nothing is clicked: the page a person lands on lists the sample funds the first run wrote.
TEST_F(JourneyFirstStart, ShowsTheSampleFundsWithoutBeingAsked)
{
    ClientScreen s = screen();
    ASSERT_TRUE(waitUntil(kShowMs, [&] { return s.page() && IsWindowVisible(s.page()); }))
        << "no closed-fund page is shown after start";
    EXPECT_TRUE(gridShowsRows(s, kShowMs))
        << "the grid shows no funds after start: " << testing::PrintToString(textOf(s.grid()));
    FundFacts facts = readFunds(database());
    ASSERT_GT(facts.count(), 20u) << "the first run wrote no sample database";

    GridText grid = s.gridText();
    EXPECT_NE(grid.column(L"代码"), -1) << testing::PrintToString(joined(grid.header));
    EXPECT_NE(grid.column(L"名称"), -1);
    for (const std::wstring& code : grid.columnCells(L"代码"))
        EXPECT_TRUE(facts.codes.count(code))
            << "a painted code that is not in the database: " << testing::PrintToString(code);
    EXPECT_EQ(s.allCodes().size(), facts.count());
    EXPECT_NE(s.statusText().find(L"样本"), std::wstring::npos) << testing::PrintToString(s.statusText());
    EXPECT_EQ(shownCount(s.countText()), int(facts.count())) << testing::PrintToString(s.countText());
    s.saveScreenshot(L"journey-first-start");
}

TEST_F(JourneyFirstStart, ToolBarButtonBringsThePageBack)
{
    ClientScreen s = screen();
    HWND allFunds = s.toolButton(L"全部基金"), closedFunds = s.toolButton(L"封闭式基金");
    ASSERT_TRUE(allFunds && closedFunds) << "tool-bar buttons missing";
    clickCentre(allFunds);
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return s.page() && !IsWindowVisible(s.page()); }));
    clickCentre(closedFunds);
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return IsWindowVisible(s.page()); }));
    EXPECT_TRUE(gridShowsRows(s, kStepMs));
}

// A fund written into the database after start appears when the person presses F5.
TEST_F(JourneyFirstStart, F5ShowsWhatTheDatabaseHoldsNow)
{
    ClientScreen s = screen();
    ASSERT_TRUE(gridShowsRows(s, kShowMs));
    std::wstring error;
    ASSERT_TRUE(execute(database(),
                        L"insert into tb_fund (code, aliascode, name, investtype, fundtype, isdellisting, isdeleted) "
                        L"values ('799001', '799001', '旅程新增基金', '股票型', '契约型封闭式', 0, 0)",
                        error))
        << error.c_str();
    ASSERT_TRUE(execute(database(),
                        L"insert into tb_closedfund (code, date, value, price, increasepercent, isdeleted) "
                        L"values ('799001', '2026-06-26', '1.0000', '0.9000', 0.01, 0)",
                        error))
        << error.c_str();
    size_t before = s.allCodes().size();
    pressKey(s.grid(), VK_F5);
    bool shown =
        waitUntil(kStepMs, [&] { return !s.countText().empty() && shownCount(s.countText()) == int(before) + 1; });
    std::vector<std::wstring> codes = s.allCodes();
    EXPECT_NE(std::find(codes.begin(), codes.end(), L"799001"), codes.end()) << "F5 did not reload the funds";
    EXPECT_EQ(codes.size(), before + 1);
    EXPECT_TRUE(shown) << "count after F5: " << testing::PrintToString(s.countText());
}

// A click on the "代码" caption orders the painted rows by code; a second click reverses them.
TEST_F(JourneyFirstStart, CaptionClickSortsThePaintedRows)
{
    ClientScreen s = screen();
    ASSERT_TRUE(gridShowsRows(s, kShowMs));
    GridText grid = s.gridText();
    int codeColumn = grid.column(L"代码");
    ASSERT_GE(codeColumn, 0);
    int x = s.captionX(codeColumn);
    ASSERT_GT(x, 0) << "the caption cannot be found on the screen";
    POINT at = {x, clientScreenRect(s.grid()).top + 12};
    ScreenToClient(s.grid(), &at);
    std::vector<std::wstring> before = grid.columnCells(L"代码");

    click(s.grid(), at.x, at.y);
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return s.gridText().columnCells(L"代码") != before; }))
        << "the painted order did not change";
    std::vector<std::wstring> first = s.gridText().columnCells(L"代码");
    bool ascending = std::is_sorted(first.begin(), first.end());
    bool descending = std::is_sorted(first.rbegin(), first.rend());
    EXPECT_TRUE(ascending || descending) << testing::PrintToString(joined(first));

    click(s.grid(), at.x, at.y);
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return s.gridText().columnCells(L"代码") != first; }));
    std::vector<std::wstring> second = s.gridText().columnCells(L"代码");
    EXPECT_TRUE(ascending ? std::is_sorted(second.rbegin(), second.rend())
                          : std::is_sorted(second.begin(), second.end()))
        << testing::PrintToString(joined(second));
}

// Every button of the filter bar that carries a caption is on screen: visible, inside the
// bar, the bar inside the page. (A "+N" button the bar does not need is hidden and empty.)
static void expectButtonsOnScreen(const ClientScreen& s, int width, size_t conditions)
{
    RECT bar = screenRect(s.filterBar()), page = screenRect(s.page());
    EXPECT_TRUE(IsWindowVisible(s.filterBar())) << width << " px";
    EXPECT_TRUE(contains(page, bar)) << width << " px: the filter bar leaves the page";
    size_t shown = 0;
    for (HWND button : s.filterButtons()) {
        std::wstring caption = textOf(button);
        if (caption.empty() && !IsWindowVisible(button)) continue;
        ++shown;
        EXPECT_TRUE(IsWindowVisible(button)) << width << " px: hidden " << testing::PrintToString(caption);
        EXPECT_TRUE(contains(bar, screenRect(button)))
            << width << " px: outside the bar " << testing::PrintToString(caption);
    }
    EXPECT_EQ(shown, conditions + 1) << width << " px: the conditions and \"更多筛选\"";
}

// The rows left after the choices: all painted (they fit on one page), all of the company,
// and as many as the count says.
static void expectRowsOfCompany(const ClientScreen& s, const std::wstring& company, size_t expected)
{
    GridText grid = s.gridText();
    EXPECT_EQ(grid.rows.size(), expected);
    for (const std::wstring& cell : grid.columnCells(L"基金公司")) EXPECT_EQ(cell, company);
    EXPECT_EQ(shownCount(s.countText()), int(grid.rows.size())) << testing::PrintToString(s.countText());
}

// Opens the keyword dialog from the "更多筛选" menu; null when it does not appear.
static HWND openKeywordDialog(const ClientScreen& s)
{
    HWND more = s.filterButton(L"更多筛选");
    if (!more) return nullptr;
    clickCentre(more);
    if (!chooseFromMenu(s.pid(), 1, 0, kStepMs)) return nullptr;
    HWND dialog = nullptr;
    waitUntil(kStepMs, [&] { return (dialog = findTopLevel(s.pid(), L"#32770")) != nullptr; });
    return dialog;
}

TEST_F(JourneyFirstStart, CompanyAndKeywordNarrowTheListAtEveryWidth)
{
    ClientScreen s = screen();
    ASSERT_TRUE(gridShowsRows(s, kShowMs));
    FundFacts facts = readFunds(database());
    HWND companyButton = s.filterButton(L"基金公司");
    ASSERT_TRUE(companyButton) << "no \"基金公司\" condition; buttons: " << s.filterButtons().size();

    // The condition's menu: "显示所有", a separator, then the companies; the first is taken.
    clickCentre(companyButton);
    ASSERT_TRUE(chooseFromMenu(s.pid(), 2, 0, kStepMs)) << "the company menu did not open";
    std::wstring company;
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return (company = textOf(companyButton)) != L"基金公司"; }));
    size_t ofCompany = facts.countOfCompany(company);
    ASSERT_GT(ofCompany, 0u) << testing::PrintToString(company);
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return s.gridText().rows.size() == ofCompany; }));
    expectRowsOfCompany(s, company, ofCompany);
    EXPECT_EQ(totalCount(s.countText()), int(facts.count()));

    // A keyword: the code of the company's first fund, typed into the dialog.
    std::wstring code = s.gridText().columnCells(L"代码").front();
    HWND dialog = openKeywordDialog(s);
    ASSERT_TRUE(dialog) << "no keyword dialog";
    HWND edit = descendants(dialog, L"Edit").empty() ? nullptr : descendants(dialog, L"Edit").front();
    ASSERT_TRUE(edit);
    typeText(edit, code);
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return textOf(edit) == code; }));
    clickCentre(findDescendant(dialog, L"Button", L"确定"));
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return !IsWindow(dialog); })) << "the dialog stayed open";
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return s.filterButton(code) != nullptr; })) << "no keyword condition";
    size_t withKeyword = s.gridText().rows.size();
    EXPECT_GE(withKeyword, 1u);
    expectRowsOfCompany(s, company, withKeyword);

    for (int width : {1280, 1024, 800}) {
        ASSERT_TRUE(s.resizeFrame(width, 900)) << width;
        expectButtonsOnScreen(s, width, 2);
        EXPECT_EQ(shownCount(s.countText()), int(s.gridText().rows.size())) << width;
        if (width == 1024) s.saveScreenshot(L"journey-filter-three-conditions-1024");
    }
    ASSERT_TRUE(s.resizeFrame(1280, 900));

    // Removing them: the keyword condition's "移除条件", then the company's "显示所有".
    clickCentre(s.filterButton(code));
    ASSERT_TRUE(chooseFromMenu(s.pid(), 1, 0, kStepMs));
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return s.filterButton(code) == nullptr; }));
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return s.gridText().rows.size() == ofCompany; }));
    clickCentre(companyButton);
    ASSERT_TRUE(chooseFromMenu(s.pid(), 1, 0, kStepMs));
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return textOf(companyButton) == L"基金公司"; }));
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return shownCount(s.countText()) == int(facts.count()); }))
        << testing::PrintToString(s.countText());
}

// 更多筛选 ▸ 数值条件 ▸ 折价率: a condition typed as the screen shows it ("-15" meaning −15%),
// a button captioned as a person says it, rows and count that follow; the button reopens
// the dialog, and emptied the condition goes.
TEST_F(JourneyFirstStart, ANumericConditionNarrowsByTheShownNumber)
{
    ClientScreen s = screen();
    ASSERT_TRUE(gridShowsRows(s, kShowMs));
    const int all = totalCount(s.countText());
    HWND more = s.filterButton(L"更多筛选");
    ASSERT_TRUE(more);
    clickCentre(more);
    // 关键字筛选, 数值条件 ▸ 单位净值, 累计净值, 增长值, 增长率, 市价, 折价值, 折价率, ...
    ASSERT_TRUE(chooseFromMenu(s.pid(), 2, 7, kStepMs)) << "no 数值条件 menu";
    HWND dialog = nullptr;
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return (dialog = findTopLevel(s.pid(), L"#32770")) != nullptr; }));
    EXPECT_EQ(windowTitle(dialog), L"数值条件：折价率");
    HWND high = GetDlgItem(dialog, 101);
    ASSERT_TRUE(high);
    typeText(high, L"-15%");
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return textOf(high) == L"-15%"; }));
    s.saveScreenshot(L"numeric-condition-dialog");
    clickCentre(findDescendant(dialog, L"Button", L"确定"));
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return !IsWindow(dialog); })) << "the dialog stayed open";
    HWND button = nullptr;
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return (button = s.filterButton(L"折价率 ≤ -15%")) != nullptr; }));
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return shownCount(s.countText()) < all; }))
        << testing::PrintToString(s.countText());
    GridText narrowed = s.gridText();
    EXPECT_FALSE(narrowed.rows.empty());
    for (const std::wstring& cell : narrowed.columnCells(L"折价率"))
        EXPECT_LE(_wtof(cell.c_str()), -15.0) << testing::PrintToString(cell);
    s.saveScreenshot(L"filter-bar-numeric-condition");

    clickCentre(button);
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return (dialog = findTopLevel(s.pid(), L"#32770")) != nullptr; }));
    high = GetDlgItem(dialog, 101);
    EXPECT_EQ(textOf(high), L"-15");
    setText(high, L"");
    clickCentre(findDescendant(dialog, L"Button", L"确定"));
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return s.filterButton(L"折价率 ≤ -15%") == nullptr; }));
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return shownCount(s.countText()) == all; }));
}

// 更多筛选 ▸ 保存当前筛选…: the conditions under a name; cleared, 我的筛选 ▸ the name brings
// them back (and after a restart, below).
TEST_F(JourneyFirstStart, SavesAScreenAndBringsItBack)
{
    ClientScreen s = screen();
    ASSERT_TRUE(gridShowsRows(s, kShowMs));
    HWND more = s.filterButton(L"更多筛选");
    ASSERT_TRUE(more);
    clickCentre(more);
    ASSERT_TRUE(chooseFromMenu(s.pid(), 2, 7, kStepMs)) << "no 数值条件 menu";
    HWND dialog = nullptr;
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return (dialog = findTopLevel(s.pid(), L"#32770")) != nullptr; }));
    typeText(GetDlgItem(dialog, 101), L"-15");
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return textOf(GetDlgItem(dialog, 101)) == L"-15"; }));
    clickCentre(findDescendant(dialog, L"Button", L"确定"));
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return s.filterButton(kSavedCondition) != nullptr; }));

    // 关键字筛选, 数值条件 ▸, 保存当前筛选…
    clickCentre(more);
    ASSERT_TRUE(chooseFromMenu(s.pid(), 3, 0, kStepMs));
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return (dialog = findTopLevel(s.pid(), L"#32770")) != nullptr; }));
    EXPECT_EQ(windowTitle(dialog), L"保存当前筛选");
    typeText(GetDlgItem(dialog, 100), kSavedScreen);
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return textOf(GetDlgItem(dialog, 100)) == kSavedScreen; }));
    clickCentre(findDescendant(dialog, L"Button", L"确定"));
    std::wstring status;
    EXPECT_TRUE(waitUntil(kStepMs, [&] {
        return (status = s.moduleStatusText()) == std::wstring(L"已保存筛选“") + kSavedScreen + L"”";
    })) << testing::PrintToString(status);

    // ..., 我的筛选 ▸, 清除所有条件
    clickCentre(more);
    ASSERT_TRUE(chooseFromMenu(s.pid(), 5, 0, kStepMs));
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return s.filterButton(kSavedCondition) == nullptr; }));

    clickCentre(more);
    HWND menu = nullptr;
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return (menu = findTopLevel(s.pid(), L"#32768")) != nullptr; }));
    for (int k = 0; k < 4; ++k) pressKey(menu, VK_DOWN);
    pressKey(menu, VK_RIGHT);
    Sleep(400);
    s.saveScreenshot(L"saved-screens-menu");
    pressKey(menu, VK_RETURN);
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return s.filterButton(kSavedCondition) != nullptr; }));
    EXPECT_TRUE(waitUntil(kStepMs, [&] {
        return (status = s.moduleStatusText()) == std::wstring(L"已载入筛选“") + kSavedScreen + L"”";
    })) << testing::PrintToString(status);
    clickCentre(more);
    ASSERT_TRUE(chooseFromMenu(s.pid(), 5, 0, kStepMs));
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return s.filterButton(kSavedCondition) == nullptr; }));
}

// The dialog's "确定" must be where a person can press it: inside the dialog's frame.
TEST_F(JourneyFirstStart, KeywordDialogShowsItsOkButton)
{
    ClientScreen s = screen();
    HWND dialog = openKeywordDialog(s);
    ASSERT_TRUE(dialog) << "no keyword dialog";
    EXPECT_EQ(windowTitle(dialog), L"输入筛选条件");
    HWND ok = findDescendant(dialog, L"Button", L"确定");
    ASSERT_TRUE(ok);
    RECT inside = clientScreenRect(dialog);
    EXPECT_TRUE(contains(inside, screenRect(ok))) << "确定 is cut off by the dialog's frame";
    for (HWND edit : descendants(dialog, L"Edit")) EXPECT_TRUE(contains(inside, screenRect(edit)));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return !IsWindow(dialog); }));
}

// An exported file as a person opens it: text in whichever encoding its mark says (UTF-16
// or UTF-8 with a byte-order mark, else the Chinese code page).
static std::wstring readExport(const std::wstring& path)
{
    std::string bytes = TestSupport::readFileBytes(path);
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    UINT codePage = 936;
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        codePage = CP_UTF8;
        bytes.erase(0, 3);
    }
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring text(size_t(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), &text[0], n);
    return text;
}

// The save dialog of the export, as the common dialog shows it: its file-name box.
static HWND fileNameBox(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, 0x47C), edit = GetDlgItem(dialog, 0x480);
    if (combo) {
        HWND inner = FindWindowExW(combo, nullptr, L"Edit", nullptr);
        return inner ? inner : combo;
    }
    return edit;
}

// The grid's menu: "添加到基金池", "数据导出", a separator, "转到基金档案 F10".
TEST_F(JourneyFirstStart, ExportsThroughTheMenuAndTheSaveDialog)
{
    ClientScreen s = screen();
    ASSERT_TRUE(gridShowsRows(s, kShowMs));
    FundFacts facts = readFunds(database());
    RECT grid = {};
    GetClientRect(s.grid(), &grid);
    rightClick(s.grid(), grid.right / 3, grid.bottom / 2);
    ASSERT_TRUE(chooseFromMenu(s.pid(), 2, 0, kStepMs)) << "no menu on the grid";
    HWND dialog = nullptr;
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return (dialog = findTopLevel(s.pid(), L"#32770")) && fileNameBox(dialog); }))
        << "no save dialog";

    std::wstring path = dir_->file(L"封闭式基金导出.csv");
    HWND name = fileNameBox(dialog);
    setText(name, path);
    ASSERT_EQ(textOf(name), path);
    clickCentre(GetDlgItem(dialog, IDOK));
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return !IsWindow(dialog); })) << "the save dialog stayed open";

    std::wstring status;
    EXPECT_TRUE(waitUntil(kStepMs, [&] {
        return (status = s.moduleStatusText()).find(L"已导出") != std::wstring::npos;
    })) << testing::PrintToString(status);
    EXPECT_NE(status.find(std::to_wstring(facts.count())), std::wstring::npos) << testing::PrintToString(status);
    EXPECT_NE(status.find(path), std::wstring::npos) << testing::PrintToString(status);
    s.saveScreenshot(L"journey-export-confirmation");

    std::wstring file = readExport(path);
    ASSERT_FALSE(file.empty()) << "nothing was written";
    EXPECT_NE(file.find(L"代码"), std::wstring::npos);
    EXPECT_NE(file.find(L"名称"), std::wstring::npos);
    for (const std::wstring& code : facts.codes) {
        if (code.empty()) continue;
        EXPECT_NE(file.find(code), std::wstring::npos) << testing::PrintToString(code);
    }
}

// Size and columns as the person left them come back on the next start.
TEST_F(JourneyFirstStart, RestartKeepsWindowSizeAndColumns)
{
    ClientScreen s = screen();
    ASSERT_TRUE(gridShowsRows(s, kShowMs));
    ASSERT_TRUE(s.resizeFrame(1100, 760));
    ASSERT_LT(s.gridText().column(L"代码"), s.gridText().column(L"名称"));
    ASSERT_TRUE(s.dragCaptionBefore(L"名称", L"代码"));
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return s.gridText().column(L"名称") < s.gridText().column(L"代码"); }))
        << "the caption did not move: " << testing::PrintToString(joined(s.gridText().header));
    std::vector<std::wstring> header = s.gridText().header;
    RECT frame = screenRect(s.frame());

    ASSERT_TRUE(client_->close(kStartMs)) << "the client did not end when its window was closed";
    EXPECT_EQ(client_->exitCode(), 0u);
    ASSERT_TRUE(client_->start(kStartMs));
    ClientScreen again = screen();
    RECT now = screenRect(again.frame());
    EXPECT_EQ(now.right - now.left, frame.right - frame.left);
    EXPECT_EQ(now.bottom - now.top, frame.bottom - frame.top);
    EXPECT_EQ(now.left, frame.left);
    EXPECT_EQ(now.top, frame.top);
    ASSERT_TRUE(gridShowsRows(again, kShowMs));
    EXPECT_EQ(again.gridText().header, header);

    // The screen saved before is still there: 我的筛选 ▸ its name.
    HWND more = again.filterButton(L"更多筛选");
    ASSERT_TRUE(more);
    clickCentre(more);
    ASSERT_TRUE(chooseFromMenu(again.pid(), 4, 1, kStepMs));
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return again.filterButton(kSavedCondition) != nullptr; }));
}

// What a person sees when the fund database is not usable: a message in the grid instead of
// rows, a word in the status bar, and the file itself left as it was.
class JourneyDatabaseState : public ::testing::Test {
protected:
    // Starts the client on the data folder as prepared; false when it shows no page.
    bool startClient()
    {
        client_ = std::make_unique<ClientProcess>(dir_.path());
        return client_->start(kStartMs);
    }
    void TearDown() override
    {
        if (client_) client_->close(kStepMs);
    }
    ClientScreen screen() const { return ClientScreen(client_->mainWindow(), client_->pid()); }
    // The grid's message once the page has settled on one.
    std::wstring gridMessage()
    {
        ClientScreen s = screen();
        std::wstring message;
        waitUntil(kShowMs, [&] { return s.grid() && !(message = s.gridText().message).empty(); });
        EXPECT_TRUE(s.gridText().rows.empty());
        return message;
    }

    // The status bar's standing part says in one sentence what is wrong and what to do; the
    // grid says what is wrong where the rows would be (the client's interface alone cannot
    // ask a closed database why: the module then says it could not open it).
    void expectToldOnce(const std::wstring& what, const std::wstring& reason)
    {
        std::wstring standing;
        EXPECT_TRUE(waitUntil(kStepMs, [&] { return (standing = screen().statusPart(1)).find(what + L"：") == 0; }))
            << testing::PrintToString(standing);
        std::wstring message = gridMessage();
        EXPECT_NE(message.find(Host::contractOnly() ? std::wstring(L"无法打开基金数据库") : reason), std::wstring::npos)
            << testing::PrintToString(message);
        EXPECT_EQ(screen().moduleStatusText().find(L"无法读取"), std::wstring::npos)
            << testing::PrintToString(screen().moduleStatusText());
    }

    TestSupport::TempDir dir_;
    std::unique_ptr<ClientProcess> client_;
};

TEST_F(JourneyDatabaseState, EmptyDatabaseSaysThereIsNoData)
{
    XStringW error;
    ASSERT_TRUE(FundDb::writeFundDatabase(dir_.file(L"funds.db"), FundDb::Content::SchemaOnly, 0, false, error));
    ASSERT_TRUE(startClient());
    EXPECT_EQ(gridMessage(), L"没有数据");
    EXPECT_EQ(shownCount(screen().countText()), 0) << testing::PrintToString(screen().countText());
}

TEST_F(JourneyDatabaseState, CorruptDatabaseIsReportedAndKept)
{
    std::string garbage(size_t(64) * 1024, '\0');
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = char((i * 7919) % 251);
    ASSERT_TRUE(TestSupport::writeFileBytes(dir_.file(L"funds.db"), garbage));
    ASSERT_TRUE(startClient());
    expectToldOnce(L"这个文件不是基金数据库", L"这个文件不是基金数据库");
    EXPECT_EQ(TestSupport::readFileBytes(dir_.file(L"funds.db")), garbage) << "the damaged file was changed";
    screen().saveScreenshot(L"damaged-database-told");

    // 文件 → 移开损坏的数据库: the file is kept under another name and the sample shows.
    // A drop-down opened by its access key starts on its first item.
    screen().openFrameMenu(L'f');
    ASSERT_TRUE(chooseFromMenu(client_->pid(), 0, 0, kStepMs)) << "no 文件 menu";
    ClientScreen s = screen();
    EXPECT_TRUE(waitUntil(kShowMs, [&] { return s.grid() && !s.gridText().rows.empty(); })) << "no sample rows";
    EXPECT_EQ(s.statusPart(1), L"");
    EXPECT_EQ(s.statusText().find(L"已将损坏的数据库改名为 "), 0u) << testing::PrintToString(s.statusText());
    s.saveScreenshot(L"damaged-database-set-aside");
    client_->close(kStepMs);
    WIN32_FIND_DATAW found{};
    HANDLE aside = FindFirstFileW(dir_.file(L"funds.db.damaged-*").c_str(), &found);
    ASSERT_NE(aside, INVALID_HANDLE_VALUE) << "the damaged file is gone";
    FindClose(aside);
    EXPECT_EQ(TestSupport::readFileBytes(dir_.file(found.cFileName)), garbage) << "the damaged file was changed";
}

// A database the client can neither find nor write (its place is taken by a folder).
TEST_F(JourneyDatabaseState, MissingDatabaseIsReported)
{
    ASSERT_TRUE(CreateDirectoryW(dir_.file(L"funds.db").c_str(), nullptr));
    ASSERT_TRUE(startClient());
    expectToldOnce(L"没有基金数据库，也无法建立样本数据库", L"无法打开基金数据库");
}
