// The search box and the filter dialogs in the host's theme: they follow "event_theme_changed"
// as the host fires it (the theme manager switching), also while a dialog is open, and the
// light theme gives the light look back.
#include "FilterWndTest.h"
#include "filter/KeywordInputDialog.h"
#include "filter/NumericConditionDialog.h"
#include "ui/ThemedColors.h"
#include <map>

using namespace FilterTest;

namespace {

COLORREF colorOf(Host::IThemeMgrHost* themes, const char* key)
{
    COLORREF c = CLR_INVALID;
    themes->getCurrentTheme()->getColor(key, c);
    return c;
}

// The colour most pixels of r have (client coordinates of the shot).
COLORREF groundIn(const TestSupport::Capture& shot, RECT r)
{
    std::map<COLORREF, int> counts;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) ++counts[shot.at(x, y)];
    COLORREF ground = CLR_INVALID;
    int most = 0;
    for (const auto& [color, count] : counts)
        if (count > most) most = count, ground = color;
    return ground;
}

// An open dialog as the screen shows it: its ground, its first edit's and its 确定's face.
struct DialogLook {
    COLORREF ground, field, button;
};

RECT placeIn(HWND child, HWND dialog)
{
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    InflateRect(&r, -3, -3);
    return r;
}

DialogLook lookAt(HWND dialog)
{
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    TestSupport::Capture shot = TestSupport::grabScreen(dialog);
    RECT client = {};
    GetClientRect(dialog, &client);
    HWND edit = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
    return {groundIn(shot, client), groundIn(shot, placeIn(edit, dialog)),
            groundIn(shot, placeIn(GetDlgItem(dialog, IDOK), dialog))};
}

// Inside the dialog's modal loop: the look in the dark theme, after the host switched to the
// light one, and after it switched back; then Cancel.
struct SwitchProbe {
    Host::IThemeMgrHost* themes = nullptr;
    std::vector<DialogLook> looks;

    static SwitchProbe*& active()
    {
        static SwitchProbe* probe = nullptr;
        return probe;
    }
    static void CALLBACK onTick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND dialog = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND h, LPARAM found) -> BOOL {
                wchar_t cls[16] = {};
                GetClassNameW(h, cls, 16);
                if (wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(h)) return TRUE;
                *reinterpret_cast<HWND*>(found) = h;
                return FALSE;
            },
            LPARAM(&dialog));
        SwitchProbe* probe = active();
        if (!dialog || !probe) return;
        KillTimer(nullptr, timer);
        probe->looks.push_back(lookAt(dialog));
        probe->themes->setCurrentTheme("light");
        probe->looks.push_back(lookAt(dialog));
        probe->themes->setCurrentTheme("dark");
        probe->looks.push_back(lookAt(dialog));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
};

} // namespace

TEST_F(FilterBar, SearchBoxAndDialogsFollowTheHostsThemeAlsoWhileOpen)
{
    // The bar's search box started following the host's theme event when it was made.
    ASSERT_TRUE(themes->setCurrentTheme("dark"));
    const DialogLook dark = {colorOf(themes.get(), "wnd_general_bg"), colorOf(themes.get(), "list_bg"),
                             colorOf(themes.get(), "list_column_bg")};
    ASSERT_TRUE(themes->setCurrentTheme("light"));
    const DialogLook light = {colorOf(themes.get(), "wnd_general_bg"), colorOf(themes.get(), "list_bg"),
                              colorOf(themes.get(), "list_column_bg")};
    ASSERT_NE(dark.field, light.field);

    HWND box = bar->SearchEdit().GetHandle();
    SendMessageW(box, WM_SETTEXT, 0, LPARAM(L"基金"));
    auto boxGround = [&] {
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        TestSupport::Capture shot = TestSupport::grabScreen(box);
        return groundIn(shot, {0, 0, shot.width, shot.height});
    };
    EXPECT_EQ(boxGround(), light.field);
    ASSERT_TRUE(themes->setCurrentTheme("dark"));
    EXPECT_EQ(boxGround(), dark.field);
    TestSupport::saveArtifact(TestSupport::grabScreen(bar->GetHandle()), L"filter-search-box-dark");

    ClosedFund::NumericColumn rate;
    rate.name = L"pricevaluerate";
    rate.caption = L"折价率";
    rate.unit = L"%";
    rate.scale = 100;
    rate.decimals = 2;
    for (int which = 0; which < 2; ++which) {
        SwitchProbe probe;
        probe.themes = themes.get();
        SwitchProbe::active() = &probe;
        UINT_PTR timer = SetTimer(nullptr, 0, 50, &SwitchProbe::onTick);
        if (which == 0) {
            ClosedFund::KeywordInputDialog dialog;
            EXPECT_EQ(dialog.DoModal(host->hwnd(), 900, 100, L"500001"), IDCANCEL);
        } else {
            ClosedFund::NumericConditionDialog dialog(rate, ClosedFund::NumericRange());
            EXPECT_EQ(dialog.DoModal(host->hwnd(), 900, 100), IDCANCEL);
        }
        KillTimer(nullptr, timer);
        SwitchProbe::active() = nullptr;
        ASSERT_EQ(probe.looks.size(), 3u) << "dialog " << which;
        for (size_t i = 0; i < 3; ++i) {
            const DialogLook& want = i == 1 ? light : dark;
            EXPECT_EQ(probe.looks[i].ground, want.ground) << "dialog " << which << ", look " << i;
            EXPECT_EQ(probe.looks[i].field, want.field) << "dialog " << which << ", look " << i;
            EXPECT_EQ(probe.looks[i].button, want.button) << "dialog " << which << ", look " << i;
        }
    }

    ASSERT_TRUE(themes->setCurrentTheme("light"));
    EXPECT_EQ(boxGround(), light.field);
    // The system's look again for the suites that follow.
    WGUI::ThemedColors::Apply(nullptr);
    EXPECT_EQ(boxGround(), GetSysColor(COLOR_WINDOW));
}
