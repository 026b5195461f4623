// The dark theme as a person chooses it (查看 → 主题 → 深色) and what the screen then shows:
// the search box holding text, the keyword and numeric-condition dialogs over the page, the
// host's 基金池 and 全部基金 pages, all in the theme's colours (read from the shipped theme
// file), and light again after 浅色. Then the fund pool's removals, by the list's menu and by
// Delete, as the page and the stored pool show them, also after a restart; and a removal the
// data folder could not keep, which is told and not claimed.
#include "ClientProcess.h"
#include "ClientScreen.h"
#include "Pixels.h"
#include "ShippedThemes.h"
#include "TempDir.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <map>
#include <memory>

using namespace Journey;

namespace {

const DWORD kStartMs = 30000;
const DWORD kShowMs = 10000;
const DWORD kStepMs = 5000;
// The places of the themes in 查看 → 主题 (the theme files in name order).
const int kDarkItem = 1, kLightItem = 2;

COLORREF themeColor(const char* theme, const char* key)
{
    auto themes = Host::openThemeMgr(TestSupport::shippedThemeFolder().c_str(), theme);
    auto current = themes ? themes->getCurrentTheme() : XComPtr<Host::ITheme>();
    COLORREF color = CLR_INVALID;
    if (current) current->getColor(key, color);
    return color;
}

// What the screen shows in a rectangle: the colour most of its pixels have, and how many
// pixels are light (text on a dark ground).
struct Look {
    COLORREF ground = CLR_INVALID;
    int lightInk = 0;
};

Look lookOf(RECT r)
{
    TestSupport::Capture shot = TestSupport::grabScreenArea(r);
    std::map<COLORREF, int> counts;
    Look look;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            COLORREF c = shot.at(x, y);
            ++counts[c];
            if ((GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000 > 128) ++look.lightInk;
        }
    int most = 0;
    for (const auto& [color, count] : counts)
        if (count > most) most = count, look.ground = color;
    return look;
}

RECT inset(RECT r, int by)
{
    InflateRect(&r, -by, -by);
    return r;
}

std::string hex(COLORREF c)
{
    char text[16];
    snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// The pool as the data folder holds it: the line of user.conf under the pool's key, its
// codes split at the escaped line breaks.
std::vector<std::wstring> storedPool(const std::wstring& dataDir)
{
    const std::string bytes = TestSupport::readFileBytes(dataDir + L"\\user.conf");
    const std::string key = "\n/Client2/UserConfig/FundsPool/Codes=";
    size_t at = bytes.find(key);
    if (at == std::string::npos) return {};
    at += key.size();
    std::string value = bytes.substr(at, bytes.find('\n', at) - at);
    std::vector<std::wstring> codes;
    for (size_t from = 0; from <= value.size();) {
        size_t end = value.find("\\n", from);
        if (end == std::string::npos) end = value.size();
        if (end > from) codes.push_back(std::wstring(value.begin() + long(from), value.begin() + long(end)));
        from = end + 2;
    }
    return codes;
}

// The fund code in "已添加到基金池：184690 示例基金003" (or "已请求添加到基金池：…").
std::wstring codeAdded(const std::wstring& status)
{
    size_t colon = status.find(L"基金池：");
    if (colon == std::wstring::npos) return {};
    std::wstring rest = status.substr(colon + 4);
    return rest.substr(0, rest.find(L' '));
}

void ctrlClick(HWND hwnd, int x, int y)
{
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(x, y));
    PostMessageW(hwnd, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(x, y));
}

} // namespace

class DarkThemeJourney : public ::testing::Test {
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
    static bool gridShowsRows(const ClientScreen& s)
    {
        return waitUntil(kShowMs, [&] { return s.grid() && !s.gridText().rows.empty(); });
    }
    // 查看 → 主题 → the theme at place, then waits until the filter bar wears its ground.
    static bool chooseTheme(const ClientScreen& s, int place, const char* theme)
    {
        s.openFrameMenu(L'v');
        if (!chooseFromMenu(s.pid(), 0, place, kStepMs)) return false;
        COLORREF ground = themeColor(theme, "wnd_general_bg");
        return waitUntil(kStepMs, [&] { return lookOf(inset(screenRect(s.filterBar()), 1)).ground == ground; });
    }
    static HWND openDialog(const ClientScreen& s, int place, int subPlace)
    {
        clickCentre(s.filterButton(L"更多筛选"));
        if (!chooseFromMenu(s.pid(), place, subPlace, kStepMs)) return nullptr;
        HWND dialog = nullptr;
        waitUntil(kStepMs, [&] { return (dialog = findTopLevel(s.pid(), L"#32770")) != nullptr; });
        Sleep(300); // painted in the client's own time
        return dialog;
    }
    // Adds the grid's row under y to the pool through its menu; the code the status names.
    static std::wstring addToPool(const ClientScreen& s, int y)
    {
        RECT grid = {};
        GetClientRect(s.grid(), &grid);
        std::wstring before = s.moduleStatusText(), status;
        click(s.grid(), grid.right / 3, y);
        rightClick(s.grid(), grid.right / 3, y);
        if (!chooseFromMenu(s.pid(), 1, 0, kStepMs)) return {};
        waitUntil(kStepMs, [&] { return (status = s.moduleStatusText()) != before; });
        return codeAdded(status);
    }
    static bool poolShows(const ClientScreen& s, const std::vector<std::wstring>& codes)
    {
        return waitUntil(kStepMs, [&] { return s.listColumn(s.shownList(), 0) == codes; });
    }

    static std::unique_ptr<TestSupport::TempDir> dir_;
    static std::unique_ptr<ClientProcess> client_;
};

std::unique_ptr<TestSupport::TempDir> DarkThemeJourney::dir_;
std::unique_ptr<ClientProcess> DarkThemeJourney::client_;

TEST_F(DarkThemeJourney, SearchBoxAndFilterDialogsWearTheChosenTheme)
{
    ClientScreen s = screen();
    ASSERT_TRUE(gridShowsRows(s));
    const COLORREF ground = themeColor("dark", "wnd_general_bg"), field = themeColor("dark", "list_bg"),
                   face = themeColor("dark", "list_column_bg");
    ASSERT_TRUE(chooseTheme(s, kDarkItem, "dark")) << "the filter bar did not turn dark";

    std::vector<HWND> edits = descendants(s.filterBar(), L"Edit");
    ASSERT_FALSE(edits.empty());
    HWND box = edits.front();
    typeText(box, L"基金");
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return textOf(box) == L"基金"; }));
    Look boxLook;
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return (boxLook = lookOf(inset(clientScreenRect(box), 1))).ground == field; }))
        << "search box ground " << hex(boxLook.ground) << ", the theme's " << hex(field);
    EXPECT_GT(boxLook.lightInk, 10) << "no light text in the search box";

    // The keyword dialog, words typed, over the dark page.
    HWND dialog = openDialog(s, 1, 0);
    ASSERT_TRUE(dialog) << "no keyword dialog";
    HWND edit = GetDlgItem(dialog, 100), ok = findDescendant(dialog, L"Button", L"确定");
    ASSERT_TRUE(edit && ok);
    typeText(edit, L"500001");
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return textOf(edit) == L"500001"; }));
    Sleep(200);
    Look dialogLook = lookOf(clientScreenRect(dialog)), editLook = lookOf(inset(clientScreenRect(edit), 1)),
         okLook = lookOf(inset(screenRect(ok), 3));
    EXPECT_EQ(hex(dialogLook.ground), hex(ground)) << "the keyword dialog's ground";
    EXPECT_EQ(hex(editLook.ground), hex(field)) << "the keyword dialog's edit";
    EXPECT_GT(editLook.lightInk, 10) << "no light text in the keyword dialog's edit";
    EXPECT_EQ(hex(okLook.ground), hex(face)) << "the keyword dialog's button";
    EXPECT_GT(okLook.lightInk, 5) << "no light caption on 确定";
    EXPECT_TRUE(s.saveScreenshot(L"dark-theme-search-and-dialogs"));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return !IsWindow(dialog); }));

    // 更多筛选 ▸ 数值条件 ▸ 折价率: labels, boxes and buttons.
    dialog = openDialog(s, 2, 7);
    ASSERT_TRUE(dialog) << "no numeric-condition dialog";
    HWND low = GetDlgItem(dialog, 100), label = findDescendant(dialog, L"Static", L"不低于");
    ASSERT_TRUE(low && label);
    typeText(low, L"-15");
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return textOf(low) == L"-15"; }));
    Sleep(200);
    Look labelLook = lookOf(screenRect(label)), lowLook = lookOf(inset(clientScreenRect(low), 1));
    EXPECT_EQ(hex(lookOf(clientScreenRect(dialog)).ground), hex(ground)) << "the numeric dialog's ground";
    EXPECT_EQ(hex(labelLook.ground), hex(ground)) << "the label's ground";
    EXPECT_GT(labelLook.lightInk, 5) << "no light label text";
    EXPECT_EQ(hex(lowLook.ground), hex(field));
    EXPECT_GT(lowLook.lightInk, 5);
    for (const wchar_t* caption : {L"确定", L"取消"}) {
        HWND button = findDescendant(dialog, L"Button", caption);
        ASSERT_TRUE(button) << Common::toUtf8(caption);
        EXPECT_EQ(hex(lookOf(inset(screenRect(button), 3)).ground), hex(face)) << Common::toUtf8(caption);
    }
    s.saveScreenshot(L"dark-theme-numeric-dialog");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return !IsWindow(dialog); }));

    // 浅色 brings the light look back.
    ASSERT_TRUE(chooseTheme(s, kLightItem, "light")) << "the filter bar did not turn light";
    const COLORREF lightField = themeColor("light", "list_bg");
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return lookOf(inset(clientScreenRect(box), 1)).ground == lightField; }))
        << hex(lookOf(inset(clientScreenRect(box), 1)).ground);
    pressKey(box, VK_ESCAPE);
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return textOf(box).empty(); }));
}

// Four funds into the pool from the grid's menu; on the 基金池 page one goes by the list's
// menu and two (selected together) by Delete; the stored pool follows each step and the next
// start lists what is left, in the theme that was chosen.
TEST_F(DarkThemeJourney, FundPoolPageRemovesByMenuAndDeleteAndKeepsItAcrossARestart)
{
    ClientScreen s = screen();
    ASSERT_TRUE(gridShowsRows(s));
    ASSERT_TRUE(chooseTheme(s, kDarkItem, "dark"));
    RECT grid = {};
    GetClientRect(s.grid(), &grid);
    std::vector<std::wstring> codes;
    for (int k = 0; k < 4; ++k) codes.push_back(addToPool(s, grid.bottom / 3 + 30 * k));
    for (const std::wstring& code : codes) ASSERT_EQ(code.size(), 6u) << testing::PrintToString(codes);

    clickCentre(s.toolButton(L"基金池"));
    ASSERT_TRUE(poolShows(s, codes)) << testing::PrintToString(s.listColumn(s.shownList(), 0));
    HWND list = s.shownList();
    HWND header = FindWindowExW(list, nullptr, L"SysHeader32", nullptr);
    ASSERT_TRUE(header);
    Look listLook = lookOf(inset(clientScreenRect(list), 2)), headerLook = lookOf(inset(screenRect(header), 2));
    EXPECT_EQ(hex(listLook.ground), hex(themeColor("dark", "list_bg"))) << "the pool's list";
    EXPECT_GT(listLook.lightInk, 20) << "no light row text";
    EXPECT_EQ(hex(headerLook.ground), hex(themeColor("dark", "list_column_bg"))) << "the pool's header";
    EXPECT_GT(headerLook.lightInk, 5) << "no light captions";

    // The list's menu on the first row: "从基金池删除".
    RECT row = s.listRowRect(list, 0);
    click(list, 40, (row.top + row.bottom) / 2);
    rightClick(list, 40, (row.top + row.bottom) / 2);
    ASSERT_TRUE(chooseFromMenu(s.pid(), 1, 0, kStepMs)) << "no menu on the pool's list";
    std::vector<std::wstring> left(codes.begin() + 1, codes.end());
    EXPECT_TRUE(poolShows(s, left)) << testing::PrintToString(s.listColumn(list, 0));
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return s.statusText() == L"已从基金池删除：" + codes[0]; }))
        << testing::PrintToString(s.statusText());
    EXPECT_EQ(storedPool(dir_->path()), left);

    // Two rows selected together, then Delete.
    RECT first = s.listRowRect(list, 0), second = s.listRowRect(list, 1);
    click(list, 40, (first.top + first.bottom) / 2);
    ctrlClick(list, 40, (second.top + second.bottom) / 2);
    Sleep(200);
    s.saveScreenshot(L"dark-theme-fund-pool-page");
    pressKey(list, VK_DELETE);
    left = {codes[3]};
    EXPECT_TRUE(poolShows(s, left)) << testing::PrintToString(s.listColumn(list, 0));
    EXPECT_TRUE(waitUntil(kStepMs, [&] {
        return s.statusText() == L"已从基金池删除 2 只基金：" + codes[1] + L"、" + codes[2];
    })) << testing::PrintToString(s.statusText());
    EXPECT_EQ(storedPool(dir_->path()), left);

    // 全部基金 is dark too.
    clickCentre(s.toolButton(L"全部基金"));
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return s.shownList() && s.listColumn(s.shownList(), 0).size() > 10; }));
    Look all = lookOf(inset(clientScreenRect(s.shownList()), 2));
    EXPECT_TRUE(all.ground == themeColor("dark", "list_bg_oddLine") || all.ground == themeColor("dark", "list_bg"))
        << hex(all.ground);
    EXPECT_GT(all.lightInk, 100);

    ASSERT_TRUE(client_->close(kStartMs));
    EXPECT_EQ(storedPool(dir_->path()), left);
    ASSERT_TRUE(client_->start(kStartMs));
    ClientScreen again = screen();
    HWND poolButton = nullptr;
    ASSERT_TRUE(waitUntil(kShowMs, [&] { return (poolButton = again.toolButton(L"基金池")) != nullptr; }));
    clickCentre(poolButton);
    EXPECT_TRUE(poolShows(again, left)) << testing::PrintToString(again.listColumn(again.shownList(), 0));
    EXPECT_EQ(hex(lookOf(inset(clientScreenRect(again.shownList()), 2)).ground), hex(themeColor("dark", "list_bg")))
        << "the chosen theme did not come back with the pool page";
    clickCentre(again.toolButton(L"封闭式基金"));
}

// A removal the data folder refuses (the configuration's temporary file name is taken by a
// folder): the person is told why, the fund stays listed and stored; once the obstacle is
// gone the same Delete removes it.
TEST(DarkThemeJourneyPool, ARemovalThatCannotBeSavedIsToldAndNotClaimed)
{
    TestSupport::TempDir dir;
    ClientProcess client(dir.path());
    ASSERT_TRUE(client.start(kStartMs));
    ClientScreen s(client.mainWindow(), client.pid());
    ASSERT_TRUE(waitUntil(kShowMs, [&] { return s.grid() && !s.gridText().rows.empty(); }));
    RECT grid = {};
    GetClientRect(s.grid(), &grid);
    std::vector<std::wstring> codes;
    for (int k = 0; k < 2; ++k) {
        std::wstring before = s.moduleStatusText(), status;
        click(s.grid(), grid.right / 3, grid.bottom / 3 + 30 * k);
        rightClick(s.grid(), grid.right / 3, grid.bottom / 3 + 30 * k);
        ASSERT_TRUE(chooseFromMenu(s.pid(), 1, 0, kStepMs));
        ASSERT_TRUE(waitUntil(kStepMs, [&] { return (status = s.moduleStatusText()) != before; }));
        codes.push_back(codeAdded(status));
    }
    clickCentre(s.toolButton(L"基金池"));
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return s.listColumn(s.shownList(), 0) == codes; }));
    ASSERT_EQ(storedPool(dir.path()), codes);

    const std::wstring obstacle = dir.file(L"user.conf.tmp");
    ASSERT_TRUE(CreateDirectoryW(obstacle.c_str(), nullptr));
    HWND list = s.shownList();
    RECT row = s.listRowRect(list, 0);
    click(list, 40, (row.top + row.bottom) / 2);
    pressKey(list, VK_DELETE);
    std::wstring status;
    EXPECT_TRUE(waitUntil(kStepMs, [&] {
        return (status = s.statusText()) == L"无法保存基金池：配置文件的临时文件名被一个文件夹占用";
    })) << testing::PrintToString(status);
    Sleep(300);
    EXPECT_EQ(s.listColumn(list, 0), codes) << "a fund left the list that the pool still holds";
    EXPECT_EQ(storedPool(dir.path()), codes);
    EXPECT_EQ(s.statusText().find(L"已从基金池删除"), std::wstring::npos);

    ASSERT_TRUE(RemoveDirectoryW(obstacle.c_str()));
    click(list, 40, (row.top + row.bottom) / 2);
    pressKey(list, VK_DELETE);
    EXPECT_TRUE(waitUntil(kStepMs, [&] { return s.statusText() == L"已从基金池删除：" + codes[0]; }))
        << testing::PrintToString(s.statusText());
    EXPECT_EQ(storedPool(dir.path()), std::vector<std::wstring>{codes[1]});
    EXPECT_TRUE(client.close(kStepMs));
}
