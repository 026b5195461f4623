// Themes: the shipped light and dark themes carry every key the module reads, lookups of
// missing keys, switching with its event, damaged theme files, and the animated indicator.
#include "ShippedThemes.h"
#include "TempDir.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <gdiplus.h>
#include <memory>
#include <vector>

using namespace Host;
using TestSupport::TempDir;
using TestSupport::writeFileBytes;

namespace {

// Every key the page, the grids and the filter bar read.
const char* const kColorKeys[] = {"wnd_general_bg",
                                  "list_bg",
                                  "list_column_bg",
                                  "list_border",
                                  "list_border_inside",
                                  "list_title",
                                  "list_scroll_arrow",
                                  "list_scroll_button",
                                  "list_scroll_face",
                                  "list_scroll_darkborder",
                                  "list_scroll_lightborder",
                                  "list_bg_evenLine",
                                  "list_bg_oddLine",
                                  "list_sel_bg",
                                  "list_sel_text",
                                  "list_name",
                                  "list_prev_data",
                                  "list_type",
                                  "list_style",
                                  "list_cur_data",
                                  "list_melon",
                                  "list_status",
                                  "list_type2",
                                  "list_company",
                                  "list_value_zero",
                                  "list_value_positive",
                                  "list_value_negative",
                                  "list_highlight"};
const char* const kFontKeys[] = {"fntn_font_header",  "fntn_font_name",    "fntn_font_bold",
                                 "fntn_font_regular", "fntn_font_digital", "fntn_font_digital_bold"};
const char* const kHeightKeys[] = {"list_list_row_heihgt", "list_header_row_heihgt"};
const char* const kBorderKeys[] = {"list_horizontal_border", "list_vertical_border"};

std::wstring expectedAttributes(const FontSpec& f)
{
    std::wstring style = f.bold ? L"bold" : L"normal";
    return L"font-family=\"" + f.face + L"\" font-size=\"" + std::to_wstring(f.size) + L"\" font-style=\"" + style +
           L"\"";
}

// A theme's name, which only the host's side of a theme tells.
std::string nameOf(ITheme* theme)
{
    auto* named = dynamic_cast<IThemeHost*>(theme);
    return !theme ? "<none>" : named ? std::string(named->getName()) : "<not the kernel's>";
}

std::string nameOf(const XComPtr<ITheme>& theme) { return nameOf(theme.get()); }

void onThemeChanged(void* payload, void* context)
{
    static_cast<std::vector<std::string>*>(context)->push_back(nameOf(static_cast<ITheme*>(payload)));
}

} // namespace

TEST(Themes, ShippedThemesCarryEveryKeyTheModuleReads)
{
    auto mgr = openThemeMgr(TestSupport::shippedThemeFolder().c_str(), "light");
    ASSERT_TRUE(mgr);
    ASSERT_GE(mgr->getThemeCount(), 2);
    EXPECT_EQ(nameOf(mgr->getCurrentTheme()), "light");
    for (const char* name : {"light", "dark"}) {
        ASSERT_TRUE(mgr->setCurrentTheme(name)) << name;
        auto theme = mgr->getCurrentTheme();
        for (const char* key : kColorKeys) {
            COLORREF c = CLR_INVALID;
            EXPECT_TRUE(theme->getColor(key, c)) << name << " " << key;
            EXPECT_EQ(c & 0xFF000000, 0u) << name << " " << key;
        }
        for (const char* key : kFontKeys) {
            FontSpec f;
            EXPECT_TRUE(theme->getFont(key, f)) << name << " " << key;
            EXPECT_FALSE(f.face.empty());
            EXPECT_GT(f.size, 0);
            EXPECT_EQ(f.xmlAttributes, expectedAttributes(f)) << name << " " << key;
        }
        for (const char* key : kHeightKeys) EXPECT_GT(theme->getInt(key), 0) << name << " " << key;
        for (const char* key : kBorderKeys) EXPECT_GE(theme->getInt(key), 0) << name << " " << key;
        FontSpec regular, digital;
        theme->getFont("fntn_font_regular", regular);
        theme->getFont("fntn_font_digital_bold", digital);
        EXPECT_EQ(regular.face, L"宋体");
        EXPECT_TRUE(digital.bold);
        EXPECT_NE(regular.xmlAttributes, digital.xmlAttributes);
    }
    COLORREF light = 0, dark = 0;
    openThemeMgr(TestSupport::shippedThemeFolder().c_str(), "light")->getCurrentTheme()->getColor("list_bg", light);
    openThemeMgr(TestSupport::shippedThemeFolder().c_str(), "dark")->getCurrentTheme()->getColor("list_bg", dark);
    EXPECT_NE(light, dark);
    // An unknown current name falls back to the first theme in file-name order.
    EXPECT_EQ(nameOf(openThemeMgr(TestSupport::shippedThemeFolder().c_str(), "no such")->getCurrentTheme()), "dark");
}

TEST(Themes, MissingKeysLeaveTheCallersValuesAlone)
{
    auto theme = openThemeMgr(TestSupport::shippedThemeFolder().c_str(), "light")->getCurrentTheme();
    COLORREF c = 0x123456;
    EXPECT_FALSE(theme->getColor("list_no_such", c));
    EXPECT_EQ(c, 0x123456u);
    FontSpec f;
    f.face = L"kept";
    f.size = 7;
    EXPECT_FALSE(theme->getFont("fntn_no_such", f));
    EXPECT_EQ(f.face, L"kept");
    EXPECT_EQ(f.size, 7);
    EXPECT_EQ(theme->getInt("list_no_such"), 0);
    const void* bytes = &c;
    unsigned size = 3;
    EXPECT_FALSE(theme->getResource("no_such", bytes, size, 0));
    EXPECT_EQ(bytes, &c);
    EXPECT_EQ(size, 3u);
    EXPECT_FALSE(theme->getColor("fntn_font_name", c)); // a font is not a colour
}

TEST(Themes, SwitchingFiresTheEventWithTheNewTheme)
{
    auto mgr = openThemeMgr(TestSupport::shippedThemeFolder().c_str(), "light");
    std::vector<std::string> seen;
    auto event = createHostEvent("event_theme_changed");
    ASSERT_TRUE(event);
    event->subscribe(onThemeChanged, &seen);
    EXPECT_TRUE(mgr->setCurrentTheme("dark"));
    EXPECT_FALSE(mgr->setCurrentTheme("purple"));
    EXPECT_TRUE(mgr->setCurrentTheme("light"));
    event->unsubscribe(onThemeChanged, &seen);
    EXPECT_EQ(seen, (std::vector<std::string>{"dark", "light"}));
    EXPECT_EQ(nameOf(mgr->getCurrentTheme()), "light");
}

// A bad line costs only itself: the theme keeps its good keys, a key it lacks or spoils takes
// the built-in default, and every bad line is logged. Only a file that is not UTF-8 text
// (or cannot be read) is skipped whole.
TEST(Themes, BadLinesAreSkippedAndMissingKeysTakeTheBuiltInDefaults)
{
    TempDir dir, logDir;
    setLogFile(logDir.file(L"log.txt").c_str());
    writeFileBytes(dir.file(L"good.theme"), "\xEF\xBB\xBF# ok\ncolor list_bg = #102030\nint list_list_row_heihgt = 30\n"
                                            "font odd = A\"B&C, 10, bold italic\n");
    writeFileBytes(dir.file(L"badline.theme"),
                   "color list_bg = #102030\ncolour list_title = #000000\ncolor list_name = #12345\n");
    writeFileBytes(dir.file(L"twice.theme"), "color list_bg = #102030\nint list_bg = 3\n");
    writeFileBytes(dir.file(L"noimage.theme"), "image refresh = nothere.gif\n");
    writeFileBytes(dir.file(L"outside.theme"), "image refresh = ..\\good.theme\n");
    writeFileBytes(dir.file(L"latin1.theme"), "font f = \xCB\xCE\xCC\xE5, 12, bold\n");
    auto mgr = openThemeMgr(dir.path().c_str(), "badline");
    setLogFile(nullptr);
    ASSERT_EQ(mgr->getThemeCount(), 5);
    auto theme = mgr->getCurrentTheme();
    EXPECT_EQ(nameOf(theme), "badline");
    COLORREF c = 0, builtIn = 0;
    EXPECT_TRUE(theme->getColor("list_bg", c));
    EXPECT_EQ(c, RGB(0x10, 0x20, 0x30));
    auto shipped = openThemeMgr(TestSupport::shippedThemeFolder().c_str(), "light")->getCurrentTheme();
    for (const char* key : {"list_title", "list_name", "list_scroll_face"}) {
        ASSERT_TRUE(shipped->getColor(key, builtIn));
        EXPECT_TRUE(theme->getColor(key, c)) << key;
        EXPECT_EQ(c, builtIn) << key;
    }
    EXPECT_FALSE(theme->getColor("list_no_such", c));
    ASSERT_TRUE(mgr->setCurrentTheme("good"));
    theme = mgr->getCurrentTheme();
    EXPECT_EQ(theme->getInt("list_list_row_heihgt"), 30);
    FontSpec f;
    ASSERT_TRUE(theme->getFont("odd", f));
    EXPECT_EQ(f.xmlAttributes, L"font-family=\"A&quot;B&amp;C\" font-size=\"10\" font-style=\"bold italic\"");
    EXPECT_TRUE(theme->getFont("fntn_font_name", f));
    ASSERT_TRUE(mgr->setCurrentTheme("twice"));
    EXPECT_TRUE(mgr->getCurrentTheme()->getColor("list_bg", c));
    EXPECT_EQ(c, RGB(0x10, 0x20, 0x30));
    EXPECT_FALSE(mgr->setCurrentTheme("latin1"));
    std::string log = TestSupport::readFileBytes(logDir.file(L"log.txt"));
    for (const char* text :
         {"badline.theme, line 2", "badline.theme, line 3", "twice.theme, line 2", "noimage", "outside", "latin1"})
        EXPECT_NE(log.find(text), std::string::npos) << text << " not in " << log;

    TempDir empty;
    auto none = openThemeMgr(empty.path().c_str(), "light");
    ASSERT_TRUE(none);
    EXPECT_EQ(none->getThemeCount(), 0);
    EXPECT_FALSE(none->getCurrentTheme());
    EXPECT_FALSE(none->setCurrentTheme("light"));
}

// The "refresh" image decodes with GDI+ as a small animated GIF whose frames change, carry
// delays, and sit on the theme's page background.
TEST(Themes, RefreshIndicatorIsAnAnimatedGifOnThePageBackground)
{
    for (const char* name : {"light", "dark"}) {
        auto theme = openThemeMgr(TestSupport::shippedThemeFolder().c_str(), name)->getCurrentTheme();
        const void* bytes = nullptr;
        unsigned size = 0;
        ASSERT_TRUE(theme->getResource("refresh", bytes, size, 0)) << name;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        memcpy(GlobalLock(block), bytes, size);
        GlobalUnlock(block);
        IStream* stream = nullptr;
        ASSERT_EQ(CreateStreamOnHGlobal(block, TRUE, &stream), S_OK);
        std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromStream(stream, FALSE));
        stream->Release();
        ASSERT_EQ(image->GetLastStatus(), Gdiplus::Ok) << name;
        EXPECT_GE(image->GetWidth(), 16u);
        EXPECT_LE(image->GetWidth(), 24u);
        EXPECT_EQ(image->GetWidth(), image->GetHeight());

        GUID dimension;
        ASSERT_EQ(image->GetFrameDimensionsList(&dimension, 1), Gdiplus::Ok);
        UINT frames = image->GetFrameCount(&dimension);
        EXPECT_GE(frames, 4u) << name;
        UINT delaySize = image->GetPropertyItemSize(0x5100);
        ASSERT_GE(delaySize, sizeof(Gdiplus::PropertyItem) + size_t(frames) * 4);
        std::vector<char> delayBuffer(delaySize);
        auto* delays = reinterpret_cast<Gdiplus::PropertyItem*>(delayBuffer.data());
        ASSERT_EQ(image->GetPropertyItem(0x5100, delaySize, delays), Gdiplus::Ok);
        for (UINT i = 0; i < frames; ++i) EXPECT_GT(static_cast<const UINT*>(delays->value)[i], 0u) << i;

        COLORREF bg = 0;
        ASSERT_TRUE(theme->getColor("wnd_general_bg", bg));
        std::vector<std::vector<COLORREF>> drawn;
        for (UINT i = 0; i < frames; ++i) {
            ASSERT_EQ(image->SelectActiveFrame(&dimension, i), Gdiplus::Ok);
            Gdiplus::Bitmap canvas(int(image->GetWidth()), int(image->GetHeight()), PixelFormat32bppARGB);
            Gdiplus::Graphics(&canvas).DrawImage(image.get(), 0, 0, image->GetWidth(), image->GetHeight());
            std::vector<COLORREF> pixels;
            for (UINT y = 0; y < image->GetHeight(); ++y) {
                for (UINT x = 0; x < image->GetWidth(); ++x) {
                    Gdiplus::Color c;
                    canvas.GetPixel(int(x), int(y), &c);
                    pixels.push_back(RGB(c.GetR(), c.GetG(), c.GetB()));
                }
            }
            EXPECT_EQ(pixels[0], bg) << name << " frame " << i;
            drawn.push_back(pixels);
        }
        for (UINT i = 1; i < frames; ++i) EXPECT_NE(drawn[i], drawn[i - 1]) << name << " frame " << i;
    }
}
