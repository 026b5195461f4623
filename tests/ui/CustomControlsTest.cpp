// The drop-down button and the cue-text edit, drawn for real and read back from the screen.
#include "Pixels.h"
#include "UiTestWindows.h"
#include "ui/DropDownButton.h"
#include "ui/TextEdit.h"
#include "ui/WindowRegistry.h"
#include <gtest/gtest.h>
#include <commctrl.h>

using TestSupport::Capture;
using TestSupport::grabScreen;
using UiTest::HostWindow;

namespace {

Capture repaintAndGrab(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, TRUE);
    return grabScreen(hwnd);
}

int countThreadWindows(const wchar_t* cls)
{
    struct Ctx {
        const wchar_t* cls;
        int n;
    } ctx{cls, 0};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            wchar_t name[64] = {};
            GetClassNameW(h, name, 64);
            if (_wcsicmp(name, c->cls) == 0) ++c->n;
            return TRUE;
        },
        LPARAM(&ctx));
    return ctx.n;
}

void place(WGUI::WindowBase& w, int x, int y, int cx, int cy)
{
    RECT r = {x, y, x + cx, y + cy};
    w.MoveWindow(r, TRUE);
}

} // namespace

TEST(DropDownButton, DrawsCaptionAndArrowAndStillClicks)
{
    HostWindow host({40, 40, 440, 140});
    WGUI::DropDownButton empty, captioned;
    ASSERT_NE(empty.Create(WS_CHILD | WS_VISIBLE, nullptr, host.hwnd(), 100, GetModuleHandleW(nullptr)), nullptr);
    ASSERT_NE(captioned.Create(WS_CHILD | WS_VISIBLE, nullptr, host.hwnd(), 101, GetModuleHandleW(nullptr)), nullptr);
    for (WGUI::DropDownButton* b : {&empty, &captioned}) b->SetFont(HFONT(GetStockObject(DEFAULT_GUI_FONT)));
    place(empty, 10, 10, 90, 26);
    place(captioned, 120, 10, 100, 26);
    captioned.SetCaption(L"更多筛选");
    wchar_t stored[16] = {};
    EXPECT_EQ(InternalGetWindowText(captioned.GetHandle(), stored, 16), 0) << "the system's text stays empty";
    EXPECT_EQ(captioned.GetWindowTextLength(), 4) << "asked for its text, the button gives its caption";

    // The arrow: rows of 9, 7, 5, 3 and 1 pixels, the last one at R-12 only.
    for (WGUI::DropDownButton* b : {&empty, &captioned}) {
        Capture c = repaintAndGrab(b->GetHandle());
        ASSERT_GT(c.width, 0);
        const int r = c.width, m = c.height / 2;
        const COLORREF pen = RGB(0, 0, 0);
        EXPECT_EQ(c.at(r - 16, m - 1), pen);
        EXPECT_EQ(c.at(r - 8, m - 1), pen);
        EXPECT_NE(c.at(r - 7, m - 1), pen) << "end points are not drawn";
        EXPECT_EQ(c.at(r - 14, m + 1), pen);
        EXPECT_EQ(c.at(r - 12, m + 3), pen);
        EXPECT_NE(c.at(r - 11, m + 3), pen);
        EXPECT_NE(c.at(r - 12, m + 4), pen);
    }
    // Caption pixels only where there is a caption, starting 10 pixels in.
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    Capture withText = repaintAndGrab(captioned.GetHandle());
    Capture without = repaintAndGrab(empty.GetHandle());
    RECT textArea = {10, 4, 60, 22};
    EXPECT_GT(withText.countOther(textArea, face), 20);
    EXPECT_EQ(without.countOther(textArea, face), 0);
    EXPECT_EQ(withText.countOther({3, 4, 9, 22}, face), 0);
    TestSupport::saveArtifact(withText, L"dropdown-button-with-caption");

    // The subclass leaves the click alone: the parent gets the button's own WM_COMMAND.
    host.object.messages.clear();
    captioned.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    captioned.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(host.object.count(WM_COMMAND), 1u);

    // Created again: the first window is unbound, not left with a deleted binding.
    WGUI::DropDownButton twice;
    HWND first = twice.Create(WS_CHILD, nullptr, host.hwnd(), 102, GetModuleHandleW(nullptr));
    HWND second = twice.Create(WS_CHILD, nullptr, host.hwnd(), 103, GetModuleHandleW(nullptr));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(WGUI::WindowRegistry::Find(first), nullptr);
    EXPECT_NE(WGUI::WindowRegistry::Find(second), nullptr);
    EXPECT_TRUE(DestroyWindow(first));
}

TEST(DropDownButton, ToolTipFollowsItsText)
{
    HostWindow host({300, 300, 600, 400});
    WGUI::DropDownButton button;
    button.Create(WS_CHILD | WS_VISIBLE, nullptr, host.hwnd(), 101, GetModuleHandleW(nullptr));
    button.SetFont(HFONT(GetStockObject(DEFAULT_GUI_FONT)));
    place(button, 10, 10, 120, 26);
    button.SetCaption(L"名称：中国");

    const int before = countThreadWindows(TOOLTIPS_CLASSW);
    button.UpdateToolTip();
    button.UpdateToolTip();
    EXPECT_EQ(button.ToolTipWindow(), nullptr);
    EXPECT_EQ(countThreadWindows(TOOLTIPS_CLASSW), before) << "no tooltip for an empty text";

    button.SetToolTipText(L"名称包含：中国 甲号");
    button.UpdateToolTip();
    HWND tip = button.ToolTipWindow();
    ASSERT_NE(tip, nullptr);
    button.UpdateToolTip();
    EXPECT_EQ(button.ToolTipWindow(), tip);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1) << "the tool record was accepted once";
    EXPECT_EQ(GetWindow(tip, GW_OWNER), host.hwnd()) << "a popup is owned by the top-level window";

    // Rest the mouse on the button: the tooltip shows the text.
    RECT br;
    button.GetWindowRect(&br);
    SetCursorPos(br.left + 30, br.top + 12);
    for (int i = 0; i < 5; ++i) {
        POINT pt = {30, 12};
        button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
        TestSupport::pumpMessages(100);
    }
    for (int waited = 0; waited < 3000 && !IsWindowVisible(tip); waited += 50) TestSupport::pumpMessages(50);
    ASSERT_TRUE(IsWindowVisible(tip));
    wchar_t shown[128] = {};
    TTTOOLINFOW ti = {};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = host.hwnd();
    ti.uId = UINT_PTR(button.GetHandle());
    ti.lpszText = shown;
    SendMessageW(tip, TTM_GETTEXTW, 128, LPARAM(&ti));
    EXPECT_STREQ(shown, L"名称包含：中国 甲号");
    RECT tr, area;
    GetWindowRect(tip, &tr);
    UnionRect(&area, &br, &tr);
    TestSupport::saveArtifact(TestSupport::grabScreenArea(area), L"dropdown-button-tooltip-shown");

    button.SetToolTipText(L"");
    button.UpdateToolTip();
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(button.ToolTipWindow(), nullptr);
    EXPECT_EQ(countThreadWindows(TOOLTIPS_CLASSW), before);

    // A button destroyed while it still shows a tooltip (a shortened caption) takes it along:
    // the top-level window, its owner, would otherwise keep it until the client closes.
    button.SetShownCaption(L"名称…");
    button.UpdateToolTip();
    tip = button.ToolTipWindow();
    ASSERT_NE(tip, nullptr);
    button.DestroyWindow();
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(countThreadWindows(TOOLTIPS_CLASSW), before);

    // Without its window a button makes no tip (one would belong to no window at all), and a
    // button object that goes before its window takes the tip along.
    button.UpdateToolTip();
    EXPECT_EQ(button.ToolTipWindow(), nullptr);
    {
        WGUI::DropDownButton unbound;
        ASSERT_NE(unbound.Create(WS_CHILD | WS_VISIBLE, nullptr, host.hwnd(), 102, GetModuleHandleW(nullptr)), nullptr);
        unbound.SetToolTipText(L"名称包含：中国");
        unbound.UpdateToolTip();
        tip = unbound.ToolTipWindow();
        ASSERT_NE(tip, nullptr);
    }
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(countThreadWindows(TOOLTIPS_CLASSW), before);
}

TEST(TextEdit, ShowsCueTextOnlyWhileEmpty)
{
    HostWindow host({60, 200, 600, 280});
    WGUI::TextEdit edit;
    EXPECT_EQ(edit.CueText(), L"请输入关键字，多个关键字用空格分开");
    RECT r = {20, 18, 450, 42};
    ASSERT_NE(edit.Create(WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE, L"Edit", L"", r, host.hwnd(), 100,
                          GetModuleHandleW(nullptr)),
              nullptr);
    HFONT font = CreateFontW(16, 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0, L"宋体");
    edit.SetFont(font);
    edit.LimitText(128);

    const COLORREF background = GetSysColor(COLOR_WINDOW), grey = GetSysColor(COLOR_GRAYTEXT);
    const RECT cueArea = {2, 2, 200, 16};
    auto greyPixels = [&](const Capture& c) {
        int n = 0;
        for (int y = cueArea.top; y < cueArea.bottom; ++y)
            for (int x = cueArea.left; x < cueArea.right; ++x) n += c.at(x, y) == grey;
        return n;
    };
    Capture empty = repaintAndGrab(edit.GetHandle());
    EXPECT_GT(greyPixels(empty), 20);
    TestSupport::saveArtifact(empty, L"text-edit-cue-text");

    SetFocus(edit.GetHandle());
    edit.SendMessage(WM_CHAR, L'a', 1);
    wchar_t text[8] = {};
    edit.GetWindowText(text, 8);
    EXPECT_STREQ(text, L"a") << "the character is still typed";
    Capture typed = grabScreen(edit.GetHandle());
    EXPECT_EQ(greyPixels(typed), 0);
    EXPECT_EQ(typed.countOther({30, 2, 200, 16}, background), 0) << "no trace of the cue text";

    edit.SendMessage(WM_CHAR, VK_BACK, 1);
    EXPECT_EQ(edit.GetWindowTextLength(), 0);
    Capture cleared = grabScreen(edit.GetHandle());
    EXPECT_GT(greyPixels(cleared), 20);
    HWND first = edit.GetHandle();
    ASSERT_NE(edit.Create(WS_CHILD, 0, L"Edit", L"", r, host.hwnd(), 101, GetModuleHandleW(nullptr)), nullptr);
    EXPECT_EQ(WGUI::WindowRegistry::Find(first), nullptr) << "a second Create unbinds the first window";
    EXPECT_TRUE(DestroyWindow(first));
    edit.DestroyWindow();
    DeleteObject(font);
}
