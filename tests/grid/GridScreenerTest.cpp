// What a screener user sees in the closed-fund grid: pinned funds under every order, a missing
// company as "--", the remaining term, fund units and holder count columns, and a header the
// user stored before those columns existed.
#include "FundGridFixture.h"
#include "ModalDriver.h"
#include "Pixels.h"
#include "filter/MultiValueFilter.h"
#include "grid/UserNumpunct.h"
#include "hostapi/ConfHost.h"

using namespace FundGridTests;

namespace {

const std::vector<std::wstring> kColumns = {L"code",    L"aliascode", L"name",     L"value",
                                            L"company", L"date_due",  L"quotient", L"peoples"};

// Five funds whose orders by value and by name all differ from the table's.
std::vector<std::vector<std::wstring>> fiveFunds()
{
    return {{L"150001", L"150001", L"甲", L"1.1", L"JH-甲号", L"1.75", L"512000000", L"123456"},
            {L"150002", L"150002", L"乙", L"1.5", L"\x01", L"已到期", L"\x01", L"\x01"},
            {L"150003", L"150003", L"丁", L"0.9", L"x-", L"--", L"80000000", L"999"},
            {L"150004", L"150004", L"丙", L"1.3", L"-", L"0.50", L"1000000000", L"1000"},
            {L"150005", L"150005", L"戊", L"1.0", L"", L"12.00", L"0", L"0"}};
}

void storeHeader(Host::IConfManager* conf, const std::wstring& text)
{
    XComPtr<Host::IConfValue> value = Host::createInstanceAs<Host::IConfValue>("Conf.ConfValue");
    value->setString(text);
    // The host's store gives the outcome the client's setValue does not.
    XComPtr<Host::IConfKeyHost> key = conf->createKey(ClosedFund::kCustomHeaderKey).cast<Host::IConfKeyHost>();
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->store(value.get()));
}

// The <item .../> tag of the column named name in a header text ("" when there is none).
std::wstring itemOf(const std::wstring& xml, const std::wstring& name)
{
    size_t at = xml.find(L"name=\"" + name + L"\"");
    if (at == std::wstring::npos) return L"";
    size_t begin = xml.rfind(L"<item", at), end = xml.find(L'>', at);
    return xml.substr(begin, end - begin + 1);
}

// While the next popup menu is open: its item texts and check marks, and a picture of it.
struct MenuLook {
    std::vector<std::wstring> texts;
    std::vector<bool> checked;
    bool seen = false;
};
MenuLook* g_look = nullptr;

void CALLBACK lookAtMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND menuWindow = FindWindowW(L"#32768", nullptr);
    if (!g_look || g_look->seen || !menuWindow || !IsWindowVisible(menuWindow)) return;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, 0x01E1 /* MN_GETHMENU */, 0, 0));
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, UINT(i), text, 64, MF_BYPOSITION);
        g_look->texts.push_back(text);
        g_look->checked.push_back((GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_CHECKED) != 0);
    }
    RECT frame;
    GetWindowRect(menuWindow, &frame);
    TestSupport::saveArtifact(TestSupport::grabScreenArea(frame), L"header-menu-new-columns");
    g_look->seen = true;
    EndMenu();
}

} // namespace

TEST_F(FundGridTest, PinnedFundsLeadEveryOrderAndDefaultPinsLeadTheUnsortedOne)
{
    fill(kColumns, fiveFunds());
    grid_.SetDefaultPinList(L"code=150003,150004");
    grid_.SetAlwaysPinList(L"code = 150005, 150002");
    loadHeader();
    auto shown = [&] {
        std::vector<std::wstring> out;
        for (int row = 0; row < grid_.GetRowsCount(); ++row) out.push_back(text(row, L"aliascode"));
        return out;
    };
    typedef std::vector<std::wstring> Codes;
    EXPECT_EQ(shown(), (Codes{L"150005", L"150002", L"150003", L"150004", L"150001"})) << "unsorted";

    // Sorted by a column the default pins take their place among the rest; the always pins
    // stay on top in their listed order, ascending or descending.
    grid_.sort(L"value", 0);
    EXPECT_EQ(shown(), (Codes{L"150005", L"150002", L"150003", L"150001", L"150004"}));
    grid_.sort(L"value", 1);
    EXPECT_EQ(shown(), (Codes{L"150005", L"150002", L"150004", L"150001", L"150003"}));
    grid_.sort(L"name", 0); // pinyin order: 丙 丁 甲 戊 乙
    EXPECT_EQ(shown(), (Codes{L"150005", L"150002", L"150004", L"150003", L"150001"}));
    grid_.sort(L"name", 1);
    EXPECT_EQ(shown(), (Codes{L"150005", L"150002", L"150001", L"150003", L"150004"}));

    // A new pin list takes effect at once; a filter still hides a pinned fund.
    grid_.SetAlwaysPinList(L"code=150003");
    EXPECT_EQ(shown(), (Codes{L"150003", L"150002", L"150005", L"150001", L"150004"}));
    XComPtr<ClosedFund::MultiValueFilter> some =
        XComPtr<ClosedFund::MultiValueFilter>::adopt(new ClosedFund::MultiValueFilter);
    some->SetColumn(L"name");
    for (const wchar_t* name : {L"甲", L"丙", L"戊"}) some->AddValue(name);
    grid_.DisplayView()->addFilter(some.get());
    EXPECT_EQ(shown(), (Codes{L"150005", L"150001", L"150004"}));
    grid_.DisplayView()->removeFilter(some.get());
}

TEST_F(FundGridTest, MissingCompanyAndTheScreenerColumnsShowTheirValues)
{
    fill(kColumns, fiveFunds());
    loadHeader();
    EXPECT_EQ(text(0, L"company"), L"甲号");
    for (int row = 1; row < 5; ++row) EXPECT_EQ(text(row, L"company"), L"--") << "NULL, x-, - and empty: row " << row;

    // Fund units in hundred millions with two decimals; holders as integers grouped the
    // user's way; NULL as "--".
    auto grouped = [](long long v) {
        std::wstring out;
        ClosedFund::appendInteger(out, v, ClosedFund::userNumberPunct());
        return out;
    };
    const wchar_t* quotients[] = {L"5.12", L"--", L"0.80", L"10.00", L"0.00"};
    const std::wstring holders[] = {grouped(123456), L"--", L"999", grouped(1000), L"0"};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(text(row, L"quotient"), quotients[row]) << row;
        EXPECT_EQ(text(row, L"peoples"), holders[row]) << row;
    }

    // The remaining term sorts by its number; "已到期" is a text and so stands after every
    // number ascending and before them descending; "--" is last either way.
    auto terms = [&] {
        std::vector<std::wstring> out;
        for (int row = 0; row < grid_.GetRowsCount(); ++row) out.push_back(text(row, L"date_due"));
        return out;
    };
    typedef std::vector<std::wstring> Texts;
    grid_.sort(L"date_due", 0);
    EXPECT_EQ(terms(), (Texts{L"0.50", L"1.75", L"12.00", L"已到期", L"--"}));
    grid_.sort(L"date_due", 1);
    EXPECT_EQ(terms(), (Texts{L"已到期", L"12.00", L"1.75", L"0.50", L"--"}));
}

TEST_F(FundGridTest, OldStoredHeaderKeepsItsLayoutAndOffersTheNewColumnsHidden)
{
    fill(kColumns, fiveFunds());
    // The header as stored before the screener columns existed, the user's hidden column in it.
    std::wstring old = defaultHeaderText();
    size_t first = old.find(L"<item title=\"剩余期限\"");
    ASSERT_NE(first, std::wstring::npos);
    old.erase(first, old.find(L"</header>") - first);
    size_t increase = old.find(L"name=\"increase\"");
    old.insert(increase, L"visible=\"false\" ");
    storeHeader(app_.userConf.get(), old);
    loadHeader();
    std::wstring shown = grid_.GetHeader();
    EXPECT_NE(itemOf(shown, L"increase").find(L"visible=\"false\""), std::wstring::npos) << "the user's layout";
    for (const wchar_t* name : {L"date_due", L"quotient", L"peoples"})
        EXPECT_NE(itemOf(shown, name).find(L"visible=\"false\""), std::wstring::npos) << Common::toUtf8(name);
    EXPECT_NE(itemOf(shown, L"quotient").find(L"text_format=\"%.2f:*0.00000001\""), std::wstring::npos);
    EXPECT_EQ(grid_.GetColumnCount(), 16);
    EXPECT_EQ(text(0, L"quotient"), L"5.12") << "the merged column formats as the default one";

    // The header menu lists them last, unchecked.
    RECT body = grid_.BodyRect();
    POINT caption = {body.left + 100, body.top - 5};
    MenuLook look;
    g_look = &look;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, &lookAtMenu);
    SendMessageW(grid_.GetHwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(caption.x, caption.y));
    SendMessageW(grid_.GetHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(caption.x, caption.y));
    KillTimer(nullptr, timer);
    g_look = nullptr;
    ASSERT_TRUE(look.seen) << "the header menu opened";
    ASSERT_GE(look.texts.size(), 6u);
    size_t n = look.texts.size();
    EXPECT_EQ(std::vector<std::wstring>(look.texts.end() - 6, look.texts.end()),
              (std::vector<std::wstring>{L"剩余期限", L"基金份额(亿份)", L"持有人户数", L"", L"自动调整列宽",
                                         L"恢复默认列"}));
    for (size_t i = n - 6; i < n - 3; ++i) EXPECT_FALSE(look.checked[i]) << Common::toUtf8(look.texts[i]);

    // Chosen there, a new column shows and the header is stored with it.
    TestSupport::ModalDriver driver;
    driver.chooseMenuItem(L"剩余期限");
    SendMessageW(grid_.GetHwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(caption.x, caption.y));
    SendMessageW(grid_.GetHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(caption.x, caption.y));
    ASSERT_TRUE(driver.waitDone(3000));
    EXPECT_EQ(grid_.GetColumnCount(), 17);
    std::wstring stored = storedHeader();
    EXPECT_NE(itemOf(stored, L"date_due"), L"");
    EXPECT_EQ(itemOf(stored, L"date_due").find(L"visible=\"false\""), std::wstring::npos);
    EXPECT_NE(itemOf(stored, L"peoples").find(L"visible=\"false\""), std::wstring::npos);
}
