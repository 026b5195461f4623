// The toolkit's dpi helper: sizes written for 96 dpi brought to a window's dpi and back, the
// dpi chosen from what user32 and the screen answer (a user32 that has GetDpiForWindow and
// one that does not, an aware host and one the system reports 96 to), and fonts made for a
// dpi and a font size.
#include "UiTestWindows.h"
#include "ui/Dpi.h"
#include <gtest/gtest.h>
#include <cstdlib>

using WGUI::UiScale;

namespace {

UINT WINAPI windowAt144(HWND) { return 144; }
UINT WINAPI noAnswer(HWND) { return 0; }
UINT screenAt120() { return 120; }
UINT screenAt96() { return 96; }
UINT screenUnknown() { return 0; }

int textWidth(HFONT font, const wchar_t* text)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, int(wcslen(text)), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return int(size.cx);
}

} // namespace

TEST(Dpi, SizesGoToADpiAndComeBackAsTheyWere)
{
    EXPECT_EQ(WGUI::Scale(30, 96), 30);
    EXPECT_EQ(WGUI::Scale(30, 120), 38); // 37.5 rounds up
    EXPECT_EQ(WGUI::Scale(30, 144), 45);
    EXPECT_EQ(WGUI::Scale(-12, 192), -24) << "a font height keeps its sign";
    RECT scaled = WGUI::Scale(RECT{20, 18, 450, 42}, 144);
    EXPECT_EQ(scaled.left, 30);
    EXPECT_EQ(scaled.bottom, 63);
    // What is stored in 96-dpi units reads back the same from any screen.
    for (UINT dpi : {96u, 120u, 144u, 192u})
        for (int width : {1, 8, 50, 95, 133, 175, 4000}) EXPECT_EQ(WGUI::Unscale(WGUI::Scale(width, dpi), dpi), width);
    EXPECT_EQ(WGUI::Unscale(150, 144), 100);
    EXPECT_EQ(WGUI::Unscale(150, 0), 150) << "no dpi: nothing to undo";
}

// The window's own answer where user32 has one; else the screen's; else 96.
TEST(Dpi, TheWindowsDpiComesFromWhatTheSystemAnswers)
{
    HWND window = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(WGUI::ChooseDpi(window, &windowAt144, &screenAt120), 144u) << "a user32 that knows the window";
    EXPECT_EQ(WGUI::ChooseDpi(window, nullptr, &screenAt120), 120u) << "an old user32: the screen's";
    EXPECT_EQ(WGUI::ChooseDpi(window, &noAnswer, &screenAt120), 120u) << "no answer for this window";
    EXPECT_EQ(WGUI::ChooseDpi(nullptr, &windowAt144, &screenAt120), 120u) << "no window yet";
    EXPECT_EQ(WGUI::ChooseDpi(window, nullptr, &screenUnknown), 96u);
    // A host the system does not count as aware is told 96 everywhere: nothing is scaled.
    EXPECT_EQ(WGUI::ChooseDpi(window, nullptr, &screenAt96), 96u);

    UiTest::HostWindow host({40, 40, 440, 240});
    EXPECT_EQ(WGUI::WindowDpi(host.hwnd()), WGUI::ScreenDpi()) << "one dpi for the whole screen";
}

// Gaps follow the dpi alone; what holds text follows the font size too.
TEST(Dpi, AScaleSeparatesChromeFromText)
{
    UiScale standard;
    EXPECT_EQ(standard.Fixed(28), 28);
    EXPECT_EQ(standard.Text(30), 30);
    UiScale largest{144, 1.5};
    EXPECT_EQ(largest.Fixed(28), 42);
    EXPECT_EQ(largest.Text(30), 68); // 67.5
    EXPECT_EQ((UiScale{96, 0.9}).Text(30), 27);
    EXPECT_NE(largest, (UiScale{144, 1.0}));
    EXPECT_EQ(largest, (UiScale{144, 1.5}));
}

TEST(Dpi, FontsAreMadeForTheDpiAndTheFontSize)
{
    auto height = [](HFONT font) {
        int h = WGUI::FontHeight(font);
        DeleteObject(font);
        return h;
    };
    EXPECT_EQ(height(WGUI::CreateScaledFont(L"宋体", 22, FW_BOLD, UiScale{})), 22);
    EXPECT_EQ(height(WGUI::CreateScaledFont(L"宋体", -12, FW_NORMAL, UiScale{192, 1.0})), 24);
    EXPECT_EQ(height(WGUI::CreateScaledFont(L"宋体", 22, FW_BOLD, UiScale{144, 1.5})), 50);
    EXPECT_EQ(WGUI::FontHeight(nullptr), 0);

    // The interface font at 96 and the standard size is the system's own; larger, it grows
    // by the scale, and so does the text written in it.
    LOGFONTW stock = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
    HFONT plain = WGUI::CreateGuiFont(UiScale{});
    HFONT zoomed = WGUI::CreateGuiFont(UiScale{144, 1.5 / 1.125});
    HFONT large = WGUI::CreateGuiFont(UiScale{192, 1.0});
    EXPECT_EQ(WGUI::FontHeight(plain), WGUI::Unscale(std::abs(int(stock.lfHeight)), WGUI::ScreenDpi()));
    EXPECT_NEAR(WGUI::FontHeight(large), 2 * WGUI::FontHeight(plain), 1);
    EXPECT_EQ(WGUI::FontHeight(zoomed), WGUI::FontHeight(large)) << "1.333 at 144 is 192";
    const wchar_t caption[] = L"更多筛选";
    int narrow = textWidth(plain, caption), wide = textWidth(large, caption);
    EXPECT_GT(narrow, 0);
    EXPECT_NEAR(wide, 2 * narrow, 4);
    for (HFONT font : {plain, zoomed, large}) DeleteObject(font);
}
