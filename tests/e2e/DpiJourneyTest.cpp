// The client on a screen of more dots per inch. The suite runs wherever the journey runs, at
// the prefix's own 96 dpi; the ctest entry e2e_dpi runs it again in prefixes whose LogPixels
// says 120, 144 and 192 (scripts/setup makes them), naming the dpi in CLIENT2_DPI. One client
// start per dpi: its first screen is whole (every caption inside its box, nothing cut), a
// column's width is stored in 96-dpi units and shown at the screen's, and at 特大 the strip,
// the search box and the filter buttons grow with the grid without being cut.
#include "ClientProcess.h"
#include "ClientScreen.h"
#include "Pixels.h"
#include "ShippedThemes.h"
#include "TempDir.h"
#include "common/ProcAddress.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <memory>

using namespace Journey;

namespace {

const DWORD kStartMs = 30000;
const DWORD kShowMs = 10000;
const DWORD kStepMs = 5000;
const char kHeaderKey[] = "/Client2/UserConfig/mod_ClosedFund/Custom_Header_5";

// The dpi the prefix's screen is meant to have.
UINT plannedDpi()
{
    const wchar_t* text = _wgetenv(L"CLIENT2_DPI");
    int dpi = text ? _wtoi(text) : 0;
    return dpi > 0 ? UINT(dpi) : 96u;
}

UINT screenDpi()
{
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return UINT(dpi);
}

// A size the client writes for 96 dpi at the standard font size, as it shows at dpi and zoom.
int shownAt(int px96, UINT dpi, double zoom = 1.0) { return int(std::lround(px96 * zoom * dpi / 96.0)); }

std::wstring suffixed(const std::wstring& name, UINT dpi)
{
    return dpi == 96 ? name : name + L"-dpi" + std::to_wstring(dpi);
}

// The light theme's row height at 96 dpi, as the grid reads it.
int themeRowHeight()
{
    auto themes = Host::openThemeMgr(TestSupport::shippedThemeFolder().c_str(), "light");
    auto theme = themes ? themes->getCurrentTheme() : XComPtr<Host::ITheme>();
    int height = theme ? theme->getInt("list_list_row_heihgt") : 0;
    return height > 0 ? height : 23;
}

RECT relative(const RECT& inner, const RECT& outer)
{
    return RECT{inner.left - outer.left, inner.top - outer.top, inner.right - outer.left, inner.bottom - outer.top};
}

// Where a capture differs from ground inside area (capture coordinates); empty when nowhere.
RECT inkBox(const TestSupport::Capture& shot, const RECT& area, COLORREF ground)
{
    RECT box = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = std::max(0, int(area.top)); y < std::min(shot.height, int(area.bottom)); ++y)
        for (int x = std::max(0, int(area.left)); x < std::min(shot.width, int(area.right)); ++x) {
            if (shot.at(x, y) == ground) continue;
            box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                   std::max<LONG>(box.bottom, y + 1)};
        }
    return box.right > box.left ? box : RECT{};
}

// Text in area is whole when its ink keeps off the area's first and last rows: a glyph taller
// than its box is cut there. With required, the area must show some text.
void expectWholeText(const TestSupport::Capture& shot, const RECT& area, COLORREF ground, const std::string& what,
                     bool required = true)
{
    RECT ink = inkBox(shot, area, ground);
    if (IsRectEmpty(&ink)) {
        EXPECT_FALSE(required) << what << ": nothing drawn";
        return;
    }
    EXPECT_GT(ink.top, area.top) << what << ": cut at the top";
    EXPECT_LT(ink.bottom, area.bottom) << what << ": cut at the bottom";
}

// The process sees the client's windows in physical pixels, whatever the system would do for
// a program that declares nothing.
void becomeDpiAware()
{
    typedef BOOL(WINAPI * SetAwareFn)();
    auto setAware = Common::procAddress<SetAwareFn>(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware");
    if (setAware) setAware();
}

// The x (grid client coordinates) of each caption's right edge, from the separators the
// header paints across its top line.
std::vector<int> captionEdges(HWND grid)
{
    RECT area = clientScreenRect(grid);
    TestSupport::Capture shot = TestSupport::grabScreenArea(area);
    const int y = 2;
    COLORREF background = shot.at(3, y);
    std::vector<int> edges;
    for (int x = 1; x < shot.width - 1; ++x)
        if (shot.at(x, y) != background && shot.at(x - 1, y) == background) edges.push_back(x + 1);
    return edges;
}

// The distance between the grid lines of its rows, read down the right margin of the first
// shown column; 0 when fewer than three lines show.
int rowPitch(HWND grid)
{
    std::vector<int> edges = captionEdges(grid);
    if (edges.empty()) return 0;
    RECT area = clientScreenRect(grid);
    TestSupport::Capture shot = TestSupport::grabScreenArea(area);
    int lineX = edges[0] - 1, x = lineX - 2;
    COLORREF line = shot.at(lineX, shot.height / 2);
    std::vector<int> lines;
    for (int y = shot.height / 4; y < shot.height; ++y)
        if (shot.at(x, y) == line && shot.at(x, y - 1) != line) lines.push_back(y);
    if (lines.size() < 3) return 0;
    std::vector<int> pitches;
    for (size_t i = 1; i < lines.size(); ++i) pitches.push_back(lines[i] - lines[i - 1]);
    std::nth_element(pitches.begin(), pitches.begin() + long(pitches.size() / 2), pitches.end());
    return pitches[pitches.size() / 2];
}

// The stored width of the column named name in the stored header ("" when none is stored).
int storedWidth(const std::wstring& dataDir, const std::string& name)
{
    std::string text = TestSupport::readFileBytes(dataDir + L"\\user.conf");
    size_t line = text.find(std::string("\n") + kHeaderKey + "=");
    if (line == std::string::npos) return -1;
    size_t end = text.find('\n', line + 1);
    std::string header = text.substr(line, end == std::string::npos ? std::string::npos : end - line);
    size_t at = header.find("name=\"" + name + "\"");
    if (at == std::string::npos) return -1;
    size_t tag = header.rfind('<', at), close = header.find('>', at);
    size_t width = header.find(" width=\"", tag);
    if (width == std::string::npos || width > close) return -1;
    return atoi(header.c_str() + width + 8);
}

} // namespace

class DpiJourney : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        becomeDpiAware();
        dpi_ = plannedDpi();
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
    void SetUp() override
    {
        ASSERT_EQ(screenDpi(), dpi_) << "the prefix's screen is not at the dpi the run names";
        ASSERT_TRUE(client_->running()) << "client2.exe is not running";
        ClientScreen s = screen();
        ASSERT_TRUE(waitUntil(kShowMs, [&] { return s.grid() && !s.gridText().rows.empty(); }))
            << "the grid shows no funds";
    }
    void TearDown() override { dismissPopups(client_->pid()); }

    static ClientScreen screen() { return ClientScreen(client_->mainWindow(), client_->pid()); }
    // The strip's height: from the page's top to the grid's.
    static int stripHeight(const ClientScreen& s) { return screenRect(s.grid()).top - screenRect(s.page()).top; }
    static int heightOf(HWND window)
    {
        RECT r = screenRect(window);
        return r.bottom - r.top;
    }
    // Every part of the strip where a person reads it: inside the page's strip and the bar,
    // apart from each other, each text whole.
    static void expectWholeStrip(const ClientScreen& s);

    static UINT dpi_;
    static std::unique_ptr<TestSupport::TempDir> dir_;
    static std::unique_ptr<ClientProcess> client_;
};

UINT DpiJourney::dpi_ = 96;
std::unique_ptr<TestSupport::TempDir> DpiJourney::dir_;
std::unique_ptr<ClientProcess> DpiJourney::client_;

void DpiJourney::expectWholeStrip(const ClientScreen& s)
{
    RECT page = screenRect(s.page()), bar = screenRect(s.filterBar());
    RECT strip = {page.left, page.top, page.right, page.top + stripHeight(s)};
    EXPECT_TRUE(contains(strip, bar)) << "the filter bar leaves the strip";
    TestSupport::Capture shot = TestSupport::grabScreenArea(strip);

    // The heading, left of the bar.
    RECT heading = relative(RECT{page.left, page.top, bar.left, strip.bottom}, strip);
    expectWholeText(shot, heading, shot.at(1, 1), "the heading");

    // The buttons: inside the bar, apart, captions whole left of the arrow.
    std::vector<RECT> taken;
    int firstButton = bar.right;
    for (HWND button : s.filterButtons()) {
        if (!IsWindowVisible(button)) continue;
        RECT place = screenRect(button);
        std::string what = Common::toUtf8(textOf(button));
        EXPECT_TRUE(contains(bar, place)) << what << " leaves the bar";
        for (const RECT& other : taken) EXPECT_FALSE(place.left < other.right && other.left < place.right) << what;
        taken.push_back(place);
        firstButton = std::min<int>(firstButton, place.left);
        RECT inner = relative(place, strip);
        InflateRect(&inner, -1, -1);
        inner.right -= shownAt(16, dpi_); // the arrow
        expectWholeText(shot, inner, shot.at(inner.left + 1, inner.top + 1), what);
    }
    EXPECT_EQ(textOf(s.filterButton(L"更多筛选")), L"更多筛选") << "the caption is shortened";

    // The search box (its cue, when it shows one), then the count between it and the buttons.
    HWND box = descendants(s.filterBar(), L"Edit").empty() ? nullptr : descendants(s.filterBar(), L"Edit").front();
    int countLeft = bar.left;
    if (box && IsWindowVisible(box)) {
        RECT place = clientScreenRect(box);
        EXPECT_TRUE(contains(bar, place)) << "the search box leaves the bar";
        RECT inner = relative(place, strip);
        expectWholeText(shot, inner, shot.at(inner.left, inner.top), "the search box", false);
        countLeft = screenRect(box).right;
    }
    // The count, when the bar has room for it (its text says which form it shows).
    RECT count = relative(RECT{countLeft + 1, bar.top, firstButton - 1, bar.bottom}, strip);
    expectWholeText(shot, count, shot.at(count.left, count.top), "the count", !s.countText().empty());
}

TEST_F(DpiJourney, TheFirstScreenIsWholeAtTheScreensDpi)
{
    ClientScreen s = screen();
    EXPECT_NEAR(stripHeight(s), shownAt(30, dpi_), 1);
    EXPECT_NEAR(heightOf(s.filterBar()), shownAt(26, dpi_), 1);
    EXPECT_NEAR(rowPitch(s.grid()), shownAt(themeRowHeight(), dpi_), 1) << "the rows do not follow the dpi";
    expectWholeStrip(s);
    s.saveScreenshot(L"client-dpi-" + std::to_wstring(dpi_));
}

// The code column made wider by dragging its edge: the stored header says how wide in 96-dpi
// units, and the grid shows that width at the screen's dpi.
TEST_F(DpiJourney, AColumnsWidthIsStoredAt96DpiAndShownAtTheScreens)
{
    ClientScreen s = screen();
    int code = s.gridText().column(L"代码");
    ASSERT_GE(code, 0);
    std::vector<int> edges = captionEdges(s.grid());
    ASSERT_GT(int(edges.size()), code + 1);
    int before = edges[size_t(code)] - edges[size_t(code) - 1];
    const int wider = 40;
    drag(s.grid(), edges[size_t(code)] - 1, shownAt(12, dpi_), edges[size_t(code)] - 1 + shownAt(wider, dpi_));

    int stored = -1;
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return (stored = storedWidth(dir_->path(), "aliascode")) > 0; }))
        << "no header was stored";
    int stored96 = int(std::lround((before + shownAt(wider, dpi_)) * 96.0 / dpi_));
    EXPECT_NEAR(stored, stored96, 1);
    edges = captionEdges(s.grid());
    ASSERT_GT(int(edges.size()), code);
    EXPECT_NEAR(edges[size_t(code)] - edges[size_t(code) - 1], shownAt(stored, dpi_), 1);
}

// The filter bar's dialogs place their controls in pixels at the screen's dpi: the keyword
// dialog's box and button with even margins, the numeric dialog's every control inside it,
// captions whole.
TEST_F(DpiJourney, TheFilterDialogsHoldTheirControlsAtTheScreensDpi)
{
    ClientScreen s = screen();
    HWND more = s.filterButton(L"更多筛选");
    ASSERT_TRUE(more);
    struct Opening {
        int place, subPlace;
        const char* what;
    };
    for (Opening opening : {Opening{1, 0, "the keyword dialog"}, Opening{2, 7, "the numeric dialog"}}) {
        SCOPED_TRACE(opening.what);
        clickCentre(more);
        ASSERT_TRUE(chooseFromMenu(s.pid(), opening.place, opening.subPlace, kStepMs));
        HWND dialog = nullptr;
        ASSERT_TRUE(waitUntil(kStepMs, [&] { return (dialog = findTopLevel(s.pid(), L"#32770")) != nullptr; }));
        Sleep(300); // painted in the client's own time
        RECT client = clientScreenRect(dialog);
        HWND ok = findDescendant(dialog, L"Button", L"确定");
        ASSERT_TRUE(ok);
        RECT okPlace = screenRect(ok);
        EXPECT_NEAR(okPlace.bottom - okPlace.top, shownAt(26, dpi_), 1);
        for (HWND child : descendants(dialog, L"")) EXPECT_TRUE(contains(client, screenRect(child)));
        if (opening.place == 1) {
            RECT edit = screenRect(descendants(dialog, L"Edit").front());
            EXPECT_NEAR(edit.left - client.left, shownAt(20, dpi_), 1);
            EXPECT_EQ(edit.left - client.left, client.right - okPlace.right) << "even side margins";
        }
        TestSupport::Capture shot = TestSupport::grabScreenArea(okPlace);
        RECT caption = {2, 2, shot.width - 2, shot.height - 2};
        expectWholeText(shot, caption, shot.at(3, 3), "确定");
        if (opening.place == 2) s.saveScreenshot(L"numeric-dialog-dpi-" + std::to_wstring(dpi_));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(waitUntil(kStepMs, [&] { return !IsWindow(dialog); }));
    }
}

// 查看 → 字体大小 → 特大: the strip, the search box and the buttons grow with the grid's rows,
// and nothing in the strip is cut.
TEST_F(DpiJourney, TheLargestFontSizeGrowsTheStripWithoutCuttingIt)
{
    ClientScreen s = screen();
    HWND box = descendants(s.filterBar(), L"Edit").front();
    HWND more = s.filterButton(L"更多筛选");
    ASSERT_TRUE(box && more);
    int strip = stripHeight(s), boxHeight = heightOf(box), buttonHeight = heightOf(more);
    int pitch = rowPitch(s.grid());

    s.openFrameMenu(L'v');
    ASSERT_TRUE(chooseFromMenu(s.pid(), 1, 4, kStepMs)) << "the font size menu did not open";
    ASSERT_TRUE(waitUntil(kStepMs, [&] { return stripHeight(s) > strip; })) << "the strip did not grow";
    Sleep(300); // the client paints in its own time

    EXPECT_NEAR(stripHeight(s), shownAt(30, dpi_, 1.5), 1);
    // At 192 dpi 特大 is three times the standard size: a 1280-pixel screen leaves the bar no
    // room for the box, which gives way as the bar's layout promises.
    if (dpi_ <= 144) {
        EXPECT_TRUE(IsWindowVisible(box));
        EXPECT_GT(heightOf(box), boxHeight);
    }
    EXPECT_GT(heightOf(more), buttonHeight);
    EXPECT_GT(rowPitch(s.grid()), pitch);
    expectWholeStrip(s);
    RECT page = screenRect(s.page());
    RECT shown = {page.left, page.top, page.right, page.top + stripHeight(s) + 3 * rowPitch(s.grid())};
    TestSupport::saveArtifact(TestSupport::grabScreenArea(shown), suffixed(L"font-size-largest-strip", dpi_));
}
