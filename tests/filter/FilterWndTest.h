// A filter bar as the page builds it: a fund table, its sorted view and the display view the
// bar filters, the six configured columns, a real window under a host window, and helpers
// that drive its menus and its keyword dialog the way a user does.
#pragma once
#include "ModalDriver.h"
#include "Pixels.h"
#include "ShippedThemes.h"
#include "UiTestWindows.h"
#include "data/FundTable.h"
#include "filter/FilterWnd.h"
#include "host/Kernel.h"
#include "hostapi/DataHost.h"
#include "hostapi/KernelHost.h"
#include "ui/TextEdit.h"
#include "ui/WindowRegistry.h"
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace FilterTest {

using ClosedFund::FilterCondition;
using ClosedFund::FilterWnd;
typedef std::vector<std::wstring> Texts;

// aliascode, name, investtype, fundtype, investstyle, company, code, pycode
typedef std::vector<const wchar_t*> Fund;

inline std::vector<Fund> sampleFunds()
{
    return {
        {L"500001", L"基金甲泰", L"契约型封闭式", L"股票型", L"成长型", L"亥号基金", L"500001", L"jjjt"},
        {L"500002", L"基金天湖", L"契约型封闭式", L"股票型", L"价值型", L"甲号基金", L"500002", L"jjth"},
        {L"184688", L"基金昆玉", L"契约型封闭式", L"混合型", L"平衡型", L"宁号基金", L"184688", L"jjky"},
        {L"160600", L"基金乙酉", L"契约型封闭式", L"股票型", L"成长型", L"丙号基金", L"500006", L"jjyy"},
        {L"150001", L"壬福进取", L"契约型封闭式", L"指数型", L"价值型", L"庚号示例基金", L"150001", L"RFJQ"},
        {L"600abc", L"ABC 回报", L"契约型封闭式", L"债券型", L"", L"乙号新基金", L"184999", L"abchb"},
        {L"184705", L"基金方禾", L"契约型封闭式", L"股票型", L"价值型", L"乙号新基金", L"184705", L"jjfh"},
        {L"150012", L"甲申元和", L"契约型封闭式", L"混合型", L"成长型", L"甲号基金", L"150012", L"jsyh"},
    };
}

// Fills one of the kernel's tables, as the database does, and says so to the module (its
// value filters remember a table's texts between refills).
inline void fillFunds(Host::IDataTable* fundTable, const std::vector<Fund>& funds)
{
    static const wchar_t* const columns[] = {L"aliascode",   L"name",    L"investtype", L"fundtype",
                                             L"investstyle", L"company", L"code",       L"pycode"};
    auto* table = dynamic_cast<Host::IDataTableHost*>(fundTable);
    ASSERT_TRUE(table);
    ClosedFund::noteFundRowsReplaced();
    if (table->getColumnCount() == 0)
        for (const wchar_t* name : columns) table->addColumn(name, Host::VALUE_TEXT);
    table->clearRows();
    for (const Fund& fund : funds) {
        int row = table->appendRow();
        for (size_t c = 0; c < fund.size(); ++c) table->setTextAt(row, int(c), fund[c], wcslen(fund[c]));
    }
    table->commitFill();
}

inline void pumpUntil(const std::function<bool()>& done, DWORD ms)
{
    for (DWORD waited = 0; waited < ms && !done(); waited += 20) TestSupport::pumpMessages(20);
}

// Answers the next keyword dialog: types the text character by character into its edit and
// presses "确定" (or closes it with Cancel). Records the dialog's caption and place.
class KeywordTyper {
public:
    KeywordTyper(const std::wstring& text, bool ok = true);
    KeywordTyper(const KeywordTyper&) = delete;
    KeywordTyper& operator=(const KeywordTyper&) = delete;
    ~KeywordTyper();
    bool done() const { return done_; }
    std::wstring caption;
    std::wstring initialText; // what the edit held when the dialog opened
    RECT place = {};
    RECT client = {}, okButton = {}, editBox = {}; // in the dialog's client coordinates
    std::wstring cueText;
    LRESULT textLimit = 0;
    // Set before the dialog opens: press Esc in the edit instead of a button, after saving a
    // picture of the dialog. Should Esc not close it, Cancel does, a while later.
    bool pressEsc = false;
    bool closedByEsc = false;

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD);
    void tick();
    void followEsc();
    HWND escDialog_ = nullptr;
    int escTicks_ = 0;
    std::wstring text_;
    bool ok_;
    bool done_ = false;
    UINT_PTR timer_ = 0;
};

class FilterBar : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The six columns and the two search-only ones exactly as the page configures them.
    static void configureAsPage(FilterWnd& bar);

    // The codes of the rows the display view shows, in order.
    Texts shownCodes();
    // Clicks a button of the bar, answering the menu that opens with the path of item texts,
    // and lets the chosen command run. Returns the items of the outermost menu.
    Texts chooseFromMenu(HWND button, const Texts& path);
    // "更多筛选" → "关键字筛选", answering the dialog with the text.
    void searchKeywords(const std::wstring& text, bool ok = true, KeywordTyper** seen = nullptr);
    const FilterCondition* conditionCaptioned(const std::wstring& caption);
    // Whether the item with this text is checked in the bar's last menu or its submenus.
    bool checkedInLastMenu(const std::wstring& text);
    HWND moreButton() { return bar->MoreButton().GetHandle(); }

    XComPtr<Host::IDataTable> table;
    XComPtr<Host::IDataView> sorted, display;
    XComPtr<Host::IThemeMgrHost> themes;
    std::unique_ptr<UiTest::HostWindow> host;
    std::unique_ptr<FilterWnd> bar;
    std::unique_ptr<KeywordTyper> typer;
};

// ---- definitions ----

inline KeywordTyper*& activeTyper()
{
    static KeywordTyper* typer = nullptr;
    return typer;
}

inline KeywordTyper::KeywordTyper(const std::wstring& text, bool ok) : text_(text), ok_(ok)
{
    activeTyper() = this;
    timer_ = SetTimer(nullptr, 0, 30, &KeywordTyper::onTimer);
}

inline KeywordTyper::~KeywordTyper()
{
    KillTimer(nullptr, timer_);
    if (activeTyper() == this) activeTyper() = nullptr;
}

inline void CALLBACK KeywordTyper::onTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (activeTyper() && !activeTyper()->done_) activeTyper()->tick();
}

inline void KeywordTyper::tick()
{
    if (escDialog_) return followEsc();
    if (done_) return;
    HWND dialog = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM found) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(h, cls, 16);
            if (wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(h) || !GetDlgItem(h, 100)) return TRUE;
            *reinterpret_cast<HWND*>(found) = h;
            return FALSE;
        },
        LPARAM(&dialog));
    if (!dialog) return;
    wchar_t title[64] = {};
    GetWindowTextW(dialog, title, 64);
    caption = title;
    GetWindowRect(dialog, &place);
    GetClientRect(dialog, &client);
    for (auto [id, rect] : {std::pair<int, RECT*>{IDOK, &okButton}, {100, &editBox}}) {
        GetWindowRect(GetDlgItem(dialog, id), rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(rect), 2);
    }
    HWND edit = GetDlgItem(dialog, 100);
    wchar_t opened[256] = {};
    GetWindowTextW(edit, opened, 256);
    initialText = opened;
    if (auto* object = dynamic_cast<WGUI::TextEdit*>(
            WGUI::WindowRegistry::Find(edit) ? WGUI::WindowRegistry::Find(edit)->GetWindow() : nullptr))
        cueText = object->CueText();
    textLimit = SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
    // A tab cannot be typed into a one-line edit; it arrives there by pasting.
    for (wchar_t c : text_) {
        if (c == L'\t')
            SendMessageW(edit, EM_REPLACESEL, TRUE, LPARAM(L"\t"));
        else
            SendMessageW(edit, WM_CHAR, c, 1);
    }
    if (pressEsc) {
        escDialog_ = dialog;
        return;
    }
    done_ = true;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(ok_ ? IDOK : IDCANCEL, BN_CLICKED), 0);
}

inline void KeywordTyper::followEsc()
{
    ++escTicks_;
    if (!IsWindow(escDialog_)) {
        closedByEsc = done_ = true;
        escDialog_ = nullptr;
    } else if (escTicks_ == 4) { // by now the controls have painted
        RECT frame;
        GetWindowRect(escDialog_, &frame);
        TestSupport::saveArtifact(TestSupport::grabScreenArea(frame), L"keyword-dialog");
        PostMessageW(GetDlgItem(escDialog_, 100), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    } else if (escTicks_ > 40) {
        PostMessageW(escDialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        done_ = true;
        escDialog_ = nullptr;
    }
}

inline void FilterBar::configureAsPage(FilterWnd& bar)
{
    bar.AddFilterColumn(L"aliascode", L"代码", false, false, false, L"", false);
    bar.AddFilterColumn(L"name", L"名称", false, false, false, L"", false);
    bar.AddFilterColumn(L"investtype", L"投资类型", false, false, false, L"", false);
    bar.AddFilterColumn(L"fundtype", L"基金类型", false, false, false, L"", false);
    bar.AddFilterColumn(L"investstyle", L"投资风格", false, true, false, L"", true);
    bar.AddFilterColumn(L"company", L"基金公司", true, true, false, L"", true);
    bar.AddSearchColumn(L"code", false);
    bar.AddSearchColumn(L"pycode", true);
}

inline void FilterBar::SetUp()
{
    table = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    sorted = Host::createInstanceAs<Host::IDataView>("Data.DataView");
    display = Host::createInstanceAs<Host::IDataView>("Data.DataView");
    ASSERT_TRUE(table && sorted && display);
    fillFunds(table.get(), sampleFunds());
    sorted->setSource(table.get());
    display->setSource(sorted.get());
    themes = Host::openThemeMgr(TestSupport::shippedThemeFolder().c_str(), "light");
    ASSERT_TRUE(themes && themes->getCurrentTheme());

    host.reset(new UiTest::HostWindow({40, 40, 1040, 120}));
    bar.reset(new FilterWnd(display.get()));
    RECT none = {};
    ASSERT_NE(bar->Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, none, host->hwnd()), nullptr);
    configureAsPage(*bar);
    bar->ApplyTheme(themes->getCurrentTheme().get());
    bar->MoveWindow({300, 2, 1000, 28}, TRUE);
}

inline void FilterBar::TearDown()
{
    typer.reset();
    bar.reset();
    host.reset();
}

inline Texts FilterBar::shownCodes()
{
    Texts codes;
    int column = display->getColumnIndex(L"code");
    XStringW text;
    for (int row = 0; row < display->getRowCount(); ++row) {
        Host::cellReader(display.get())->readTextAt(row, column, text);
        codes.push_back(text);
    }
    return codes;
}

inline Texts FilterBar::chooseFromMenu(HWND button, const Texts& path)
{
    TestSupport::ModalDriver driver;
    if (path.empty())
        driver.cancelMenu();
    else
        driver.chooseMenuPath(path);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(driver.waitDone(3000));
    TestSupport::pumpMessages(60);
    EXPECT_FALSE(driver.seen().empty());
    return driver.seen().empty() ? Texts() : driver.seen().front().menuItems;
}

inline void FilterBar::searchKeywords(const std::wstring& text, bool ok, KeywordTyper** seen)
{
    typer.reset(new KeywordTyper(text, ok));
    chooseFromMenu(moreButton(), {L"关键字筛选(&C)"});
    KeywordTyper* t = typer.get();
    pumpUntil([t] { return t->done(); }, 3000);
    EXPECT_TRUE(t->done()) << "the keyword dialog opened";
    TestSupport::pumpMessages(60);
    if (seen) *seen = t;
}

inline const FilterCondition* FilterBar::conditionCaptioned(const std::wstring& caption)
{
    for (const FilterCondition& c : bar->Conditions())
        if (c.button.Caption() == caption) return &c;
    return nullptr;
}

inline bool checkedIn(HMENU menu, const std::wstring& text, bool& found)
{
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        wchar_t item[128] = {};
        GetMenuStringW(menu, UINT(i), item, 128, MF_BYPOSITION);
        if (text == item) {
            found = true;
            return (GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_CHECKED) != 0;
        }
        bool inSub = checkedIn(GetSubMenu(menu, i), text, found);
        if (found) return inSub;
    }
    return false;
}

inline bool FilterBar::checkedInLastMenu(const std::wstring& text)
{
    bool found = false;
    bool checked = checkedIn(bar->PopupMenu(), text, found);
    EXPECT_TRUE(found) << "no menu item " << std::string(text.begin(), text.end());
    return checked;
}

} // namespace FilterTest
