// The grid as assistive technology meets it (the accessible table a window hands out for
// WM_GETOBJECT, read in-process through oleacc, and the WinEvents it raises) and the
// keyboard's way to the context menu (menu key, Shift+F10), through real key presses.
#include "FundGridFixture.h"
#include "KeyboardDriver.h"
#include "Pixels.h"
#include "TestGrid.h"
#include "filter/MultiValueFilter.h"
#include <oleacc.h>
#include <memory>
#include <utility>

using namespace FundGridTests;
using GridTests::TestGrid;

namespace {

// One COM reference, released when it goes.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    Ref& operator=(Ref&& o) noexcept
    {
        std::swap(p_, o.p_);
        return *this;
    }
    ~Ref() { reset(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** put()
    {
        reset();
        return &p_;
    }
    void reset()
    {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    template <class U>
    Ref<U> query(const IID& iid) const
    {
        Ref<U> r;
        if (p_) p_->QueryInterface(iid, reinterpret_cast<void**>(r.put()));
        return r;
    }
private:
    T* p_ = nullptr;
};

class Bstr {
public:
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(s_); }
    BSTR* put()
    {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }
    std::wstring text() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring(); }
private:
    BSTR s_ = nullptr;
};

Ref<IAccessible> accessibleOf(HWND hwnd)
{
    Ref<IAccessible> acc;
    AccessibleObjectFromWindow(hwnd, DWORD(OBJID_CLIENT), __uuidof(IAccessible), reinterpret_cast<void**>(acc.put()));
    return acc;
}

VARIANT childId(long id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// A VARIANT that names an object, as the object; anything else gives none.
Ref<IAccessible> objectIn(VARIANT& v)
{
    Ref<IAccessible> acc;
    if (v.vt == VT_DISPATCH && v.pdispVal)
        v.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(acc.put()));
    VariantClear(&v);
    return acc;
}

Ref<IAccessible> rowOf(IAccessible* table, long id)
{
    Ref<IDispatch> dispatch;
    if (FAILED(table->get_accChild(childId(id), dispatch.put())) || !dispatch) return Ref<IAccessible>();
    return dispatch.query<IAccessible>(__uuidof(IAccessible));
}

std::wstring nameOf(IAccessible* acc, long id = CHILDID_SELF)
{
    Bstr name;
    if (!acc || FAILED(acc->get_accName(childId(id), name.put()))) return L"<failed>";
    return name.text();
}

std::wstring descriptionOf(IAccessible* acc, long id)
{
    Bstr text;
    acc->get_accDescription(childId(id), text.put());
    return text.text();
}

long roleOf(IAccessible* acc, long id = CHILDID_SELF)
{
    VARIANT v;
    VariantInit(&v);
    acc->get_accRole(childId(id), &v);
    return v.vt == VT_I4 ? v.lVal : -1;
}

long stateOf(IAccessible* acc, long id)
{
    VARIANT v;
    VariantInit(&v);
    acc->get_accState(childId(id), &v);
    return v.vt == VT_I4 ? v.lVal : -1;
}

const long kFocusedSelected = STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED;

std::vector<std::wstring> split(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> parts(1);
    for (wchar_t c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// The WinEvents this process raises about focus and selection, gathered while pumping.
struct WinEventLog {
    struct Event {
        DWORD event;
        HWND hwnd;
        LONG object, child;
    };
    static std::vector<Event> events;
    HWINEVENTHOOK hook;
    WinEventLog()
    {
        events.clear();
        hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, &WinEventLog::onEvent,
                               GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    }
    WinEventLog(const WinEventLog&) = delete;
    WinEventLog& operator=(const WinEventLog&) = delete;
    ~WinEventLog()
    {
        if (hook) UnhookWinEvent(hook);
    }
    static void CALLBACK onEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
    {
        events.push_back({event, hwnd, object, child});
    }
    static bool saw(DWORD event, HWND hwnd, LONG child)
    {
        for (const Event& e : events)
            if (e.event == event && e.hwnd == hwnd && e.object == OBJID_CLIENT && e.child == child) return true;
        return false;
    }
};
std::vector<WinEventLog::Event> WinEventLog::events;

std::vector<std::vector<std::wstring>> threeFunds()
{
    return {{L"150001", L"150001", L"甲基金", L"1.0234", L"0.01", L"0.0123", L"-0.05", L"2027-01-01", L"J-甲号某某"},
            {L"150002", L"150002", L"乙基金", L"0.9876", L"-0.02", L"-0.0202", L"0.10", L"2028-01-01", L"H-亥号某某"},
            {L"150003", L"150003", L"丙基金", L"1.5", L"0", L"0", L"\x01", L"2029-01-01", L"G-庚号某某"}};
}

} // namespace

// Two of the three funds shown (only what the display view shows is a row), painted, and
// the grid's accessible table.
class AccessibleTwoFunds : public FundGridTest {
protected:
    void SetUp() override
    {
        FundGridTest::SetUp();
        fill(threeFunds());
        loadHeader();
        ClosedFund::MultiValueFilter* some = new ClosedFund::MultiValueFilter;
        some->SetColumn(L"code");
        some->AddValue(L"150001");
        some->AddValue(L"150003");
        grid_.DisplayView()->addFilter(some);
        grid_.DisplayView()->rebuild(1);
        some->release();
        ASSERT_EQ(grid_.GetRowsCount(), 2);
        RedrawWindow(grid_.GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        table = accessibleOf(grid_.GetHwnd());
        ASSERT_TRUE(table);
    }

    Ref<IAccessible> table;
};

TEST_F(AccessibleTwoFunds, RowsReadAsPaintedCellByCell)
{
    EXPECT_EQ(roleOf(table.get()), ROLE_SYSTEM_TABLE);
    long count = 0;
    ASSERT_EQ(table->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 2);

    // Each cell's name is the piece the grid painted in that row, column by column.
    std::vector<std::wstring> lines = split(grid_.GetPaintedText(), L'\n');
    ASSERT_GE(lines.size(), 3u);
    for (long row = 1; row <= 2; ++row) {
        Ref<IAccessible> r = rowOf(table.get(), row);
        ASSERT_TRUE(r);
        EXPECT_EQ(roleOf(r.get()), ROLE_SYSTEM_ROW);
        long cells = 0;
        r->get_accChildCount(&cells);
        EXPECT_EQ(cells, grid_.GetColumnCount());
        std::wstring line = lines[size_t(row)];
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        std::vector<std::wstring> painted = split(line, L'\t');
        ASSERT_GE(painted.size(), 4u);
        for (size_t c = 0; c < painted.size(); ++c) {
            EXPECT_EQ(nameOf(r.get(), long(c) + 1), painted[c]) << "row " << row << " cell " << c;
            EXPECT_EQ(roleOf(r.get(), long(c) + 1), ROLE_SYSTEM_CELL);
        }
    }
}

// Captions come with each cell, a grouped one after its group's caption; the company reads
// as shown, without its pinyin initial.
TEST_F(AccessibleTwoFunds, CellsCarryTheirCaptionsAndTheShownCompany)
{
    Ref<IAccessible> second = rowOf(table.get(), 2);
    ASSERT_TRUE(second);
    int companyCells = 0;
    for (int c = 0; c < grid_.GetColumnCount(); ++c) {
        const std::wstring& column = grid_.GetColumnInfo(c)->name;
        if (column == L"name") {
            EXPECT_EQ(descriptionOf(second.get(), c + 1), L"名称");
        } else if (column == L"value") {
            EXPECT_EQ(descriptionOf(second.get(), c + 1), L"2026-06-26 单位净值");
        } else if (column == L"company") {
            EXPECT_EQ(nameOf(second.get(), c + 1), L"庚号某某");
            ++companyCells;
        }
    }
    EXPECT_EQ(companyCells, 1);
    EXPECT_NE(nameOf(second.get()).find(L"丙基金"), std::wstring::npos);
}

TEST_F(AccessibleTwoFunds, HitTestAndNavigationFindTheSameRowsAndStopAtTheEnds)
{
    // Where a cell says it is, the table's hit test finds the same row and cell.
    Ref<IAccessible> second = rowOf(table.get(), 2);
    ASSERT_TRUE(second);
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(second->accLocation(&left, &top, &width, &height, childId(3)), S_OK);
    EXPECT_GT(width, 0);
    VARIANT hit;
    ASSERT_EQ(table->accHitTest(left + width / 2, top + height / 2, &hit), S_OK);
    Ref<IAccessible> hitRow = objectIn(hit);
    ASSERT_TRUE(hitRow);
    EXPECT_EQ(nameOf(hitRow.get()), nameOf(second.get()));
    ASSERT_EQ(hitRow->accHitTest(left + width / 2, top + height / 2, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, 3);

    // Navigation walks the rows and stops at the ends.
    VARIANT to;
    ASSERT_EQ(table->accNavigate(NAVDIR_FIRSTCHILD, childId(CHILDID_SELF), &to), S_OK);
    Ref<IAccessible> first = objectIn(to);
    EXPECT_NE(nameOf(first.get()).find(L"甲基金"), std::wstring::npos);
    ASSERT_EQ(first->accNavigate(NAVDIR_NEXT, childId(CHILDID_SELF), &to), S_OK);
    EXPECT_EQ(nameOf(objectIn(to).get()), nameOf(second.get()));
    EXPECT_EQ(second->accNavigate(NAVDIR_NEXT, childId(CHILDID_SELF), &to), S_FALSE);
    IDispatch* beyond = nullptr;
    EXPECT_EQ(table->get_accChild(childId(3), &beyond), E_INVALIDARG); // two rows shown
    EXPECT_EQ(beyond, nullptr);
}

TEST_F(FundGridTest, FocusedAndSelectedRowFollowsTheCurrentRowAndIsAnnounced)
{
    fill(threeFunds());
    loadHeader();
    SetForegroundWindow(parent_.hwnd());
    grid_.SetFocus();
    ASSERT_EQ(GetFocus(), grid_.GetHwnd());
    Ref<IAccessible> table = accessibleOf(grid_.GetHwnd());
    ASSERT_TRUE(table);
    WinEventLog log;
    ASSERT_TRUE(log.hook);

    grid_.SetCurrSel(1);
    TestSupport::pumpMessages(50);
    EXPECT_EQ(stateOf(table.get(), 2) & kFocusedSelected, kFocusedSelected);
    EXPECT_EQ(stateOf(table.get(), 1) & kFocusedSelected, 0);
    EXPECT_TRUE(WinEventLog::saw(EVENT_OBJECT_FOCUS, grid_.GetHwnd(), 2));
    EXPECT_TRUE(WinEventLog::saw(EVENT_OBJECT_SELECTION, grid_.GetHwnd(), 2));
    // What a reader does with the event: the object it names is the row that became current.
    Ref<IAccessible> announced;
    VARIANT child;
    VariantInit(&child);
    ASSERT_EQ(AccessibleObjectFromEvent(grid_.GetHwnd(), DWORD(OBJID_CLIENT), 2, announced.put(), &child), S_OK);
    EXPECT_NE(nameOf(announced.get(), child.vt == VT_I4 ? child.lVal : 0).find(L"乙基金"), std::wstring::npos);

    // A key press moves it, and the focus and the selection go with it.
    WinEventLog::events.clear();
    SendMessageW(grid_.GetHwnd(), WM_KEYDOWN, VK_DOWN, 0);
    TestSupport::pumpMessages(50);
    EXPECT_EQ(grid_.GetCurrSel(), 2);
    EXPECT_EQ(stateOf(table.get(), 3) & kFocusedSelected, kFocusedSelected);
    EXPECT_EQ(stateOf(table.get(), 2) & kFocusedSelected, 0);
    EXPECT_TRUE(WinEventLog::saw(EVENT_OBJECT_FOCUS, grid_.GetHwnd(), 3));
    VARIANT focus;
    ASSERT_EQ(table->get_accFocus(&focus), S_OK);
    EXPECT_NE(nameOf(objectIn(focus).get()).find(L"丙基金"), std::wstring::npos);
    VARIANT selection;
    ASSERT_EQ(table->get_accSelection(&selection), S_OK);
    EXPECT_NE(nameOf(objectIn(selection).get()).find(L"丙基金"), std::wstring::npos);

    // Without the keyboard focus the row stays selected but is not focused, and a move is
    // not announced as a focus change.
    SetFocus(parent_.hwnd());
    WinEventLog::events.clear();
    grid_.SetCurrSel(0);
    TestSupport::pumpMessages(50);
    EXPECT_EQ(stateOf(table.get(), 1) & kFocusedSelected, STATE_SYSTEM_SELECTED);
    EXPECT_FALSE(WinEventLog::saw(EVENT_OBJECT_FOCUS, grid_.GetHwnd(), 1));
    EXPECT_TRUE(WinEventLog::saw(EVENT_OBJECT_SELECTION, grid_.GetHwnd(), 1));

    // A reader may move the selection itself.
    ASSERT_EQ(table->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, childId(2)), S_OK);
    EXPECT_EQ(grid_.GetCurrSel(), 1);
    EXPECT_EQ(GetFocus(), grid_.GetHwnd());
}

TEST(GridAccess, ObjectsHeldPastTheGridSayItIsGone)
{
    TestSupport::ParentWindow parent(RECT{0, 0, 300, 200}, WS_POPUP | WS_VISIBLE);
    auto grid = std::make_unique<TestGrid>();
    grid->Create(L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 300, 200}, parent.hwnd());
    grid->SetHeader(GridTests::kTwoLevelHeader);
    grid->rows = 5;
    grid->Refresh(false, true);
    Ref<IAccessible> table = accessibleOf(grid->GetHwnd());
    ASSERT_TRUE(table);
    Ref<IAccessible> row = rowOf(table.get(), 5);
    ASSERT_TRUE(row);
    EXPECT_EQ(nameOf(row.get(), 1), TestGrid::cellText(4, L"code"));

    grid->rows = 3; // the row went: its object says so rather than reading past the end
    long count = 0;
    EXPECT_TRUE(FAILED(row->get_accChildCount(&count)));
    grid.reset();
    EXPECT_TRUE(FAILED(table->get_accChildCount(&count)));
    EXPECT_EQ(nameOf(table.get()), L"<failed>");
    row.reset();
    table.reset();
}

// The menu key and Shift+F10 open the menu once each, hanging from the current row even
// when the mouse is elsewhere and the row had to be scrolled to.
TEST_F(FundGridTest, KeyboardOpensTheContextMenuBesideTheCurrentRowAndPlainF10StaysTheHotKey)
{
    std::vector<std::vector<std::wstring>> many;
    for (int i = 0; i < 40; ++i)
        many.push_back({std::to_wstring(150100 + i), std::to_wstring(150100 + i), L"基金" + std::to_wstring(i)});
    fill(many);
    loadHeader();
    SetForegroundWindow(parent_.hwnd());
    grid_.SetFocus();
    grid_.SetCurrSel(30);
    SetCursorPos(5, 5);
    TestSupport::MenuProbe probe;
    if (!TestSupport::pressKey(parent_.hwnd(), VK_F10, {VK_SHIFT}))
        GTEST_SKIP() << "this display does not report injected key states";
    TestSupport::pressKey(parent_.hwnd(), VK_APPS);
    TestSupport::pressKey(parent_.hwnd(), VK_F10); // F10 alone is not the menu's key
    ASSERT_EQ(probe.menus().size(), 2u);           // once per key, not again on its release
    RECT row{};
    ASSERT_TRUE(grid_.GetRowRect(30, &row));
    MapWindowPoints(grid_.GetHwnd(), nullptr, reinterpret_cast<POINT*>(&row), 2);
    for (const TestSupport::MenuProbe::Menu& menu : probe.menus()) {
        EXPECT_EQ(menu.items, (std::vector<std::wstring>{L"添加到基金池", L"数据导出", L"", L"转到基金档案 F10"}));
        EXPECT_NEAR(menu.rect.top, row.bottom, 3);
        EXPECT_GE(menu.rect.left, row.left);
        EXPECT_LT(menu.rect.left, row.left + 100);
    }

    // The profile hot key on plain F10 leaves Shift+F10 to the menu, and still answers F10.
    menu_.profile = Host::HotKey();
    menu_.profile.key = VK_F10;
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    EXPECT_FALSE(grid_.IsProfileHotKey(VK_F10));
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_TRUE(grid_.IsProfileHotKey(VK_F10));
}
