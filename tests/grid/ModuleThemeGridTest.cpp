// The themed grid: font roles resolved from the theme (without doubling an attribute), the
// theme's looks, heights and row colours, and a grid without a theme.
#include "FundGridFixture.h"
#include "Pixels.h"
#include "grid/FontRoles.h"
#include "grid/ThemeDataGrid.h"
#include "hostapi/ThemeHost.h"
#include <msxml2.h>

using namespace FundGridTests;
using ClosedFund::ThemeDataGrid;

namespace {

class LookGrid : public ThemeDataGrid {
public:
    int RowPixels() const { return UnscaledRowHeight(); }
    int HeaderRowPixels() const { return UnscaledHeaderRowHeight(); }
    using ThemeDataGrid::BkColor;
    using ThemeDataGrid::HorizontalLines;
    using ThemeDataGrid::VerticalLines;
    // The attribute of the header item named name; "<none>" when absent.
    std::wstring attribute(const wchar_t* name, const wchar_t* attr) const
    {
        IXMLDOMNodeList* items = GetHeaderItems();
        IXMLDOMElement* e = items ? GetHeader(items, name) : nullptr;
        if (items) items->Release();
        Control::HeaderInfo2 info(name, e);
        if (e) e->Release();
        XStringW v;
        return info.GetAttribute(attr, v) ? std::wstring(v) : std::wstring(L"<none>");
    }
};

const wchar_t kRolesHeader[] =
    L"<?xml version=\"1.0\" encoding=\"gb2312\"?>"
    L"<header>"
    L"<item title=\"代码\" name=\"d\" font=\"_font_digital\"/>"
    L"<item title=\"净值\" name=\"db\" font=\"_font_digital_bold\"/>"
    L"<item title=\"名称\" name=\"n\" font=\"_font_name\" font-family=\"黑体\"/>"
    L"<item title=\"单引号\" name=\"q\" font='_font_bold'/>"
    L"<item title=\"组\" font=\"_font_regular\"><item title=\"内\" name=\"in\" font=\"_font_bold\"/></item>"
    L"</header>";

} // namespace

TEST(ModuleThemeGrid, FontRolesResolveFromTheThemeWithoutDoublingAnAttribute)
{
    auto themes = Host::openThemeMgr(shippedThemeFolder().c_str(), "light");
    ASSERT_TRUE(themes);
    LookGrid grid;
    // No theme: the columns come in the control's own font, the roles unresolved.
    EXPECT_EQ(grid.SetHeaderText(kRolesHeader), 1);
    EXPECT_EQ(grid.GetColumnCount(), 5);
    EXPECT_EQ(grid.attribute(L"d", L"font-family"), L"<none>");

    grid.ApplyTheme(themes->getCurrentTheme().get());
    ASSERT_EQ(grid.SetHeaderText(kRolesHeader), 1); // a doubled attribute would not parse
    EXPECT_EQ(grid.attribute(L"d", L"font-family"), L"Arial");
    EXPECT_EQ(grid.attribute(L"d", L"font-style"), L"normal");
    EXPECT_EQ(grid.attribute(L"db", L"font-family"), L"Arial");
    EXPECT_EQ(grid.attribute(L"db", L"font-style"), L"bold");
    EXPECT_EQ(grid.attribute(L"n", L"font-family"), L"黑体"); // the item's own face wins
    EXPECT_EQ(grid.attribute(L"n", L"font-size"), L"9");
    EXPECT_EQ(grid.attribute(L"q", L"font-family"), L"<none>"); // only the exact marker matches
    EXPECT_EQ(grid.attribute(L"in", L"font-style"), L"bold");

    // The text rule on its own: the digital marker does not match inside digital bold, and a
    // run of attributes is added once per occurrence.
    const XStringW bold = L"<item font=\"_font_digital_bold\"/><item font=\"_font_digital_bold\"/>";
    EXPECT_EQ(ClosedFund::substituteFontRole(bold, L"font=\"_font_digital\"", L"font-size=\"9\""), bold);
    EXPECT_EQ(
        ClosedFund::substituteFontRole(bold, L"font=\"_font_digital_bold\"", L"font-size=\"9\" font-style=\"bold\""),
        L"<item font=\"_font_digital_bold\" font-size=\"9\" font-style=\"bold\"/>"
        L"<item font=\"_font_digital_bold\" font-size=\"9\" font-style=\"bold\"/>");
    EXPECT_EQ(ClosedFund::substituteFontRole(L"<item font=\"_font_name\" font-size = \"14\"/>", L"font=\"_font_name\"",
                                             L"font-family=\"宋体\" font-size=\"12\""),
              L"<item font=\"_font_name\" font-family=\"宋体\" font-size = \"14\"/>");
}

TEST(ModuleThemeGrid, ThemeSetsLooksHeightsAndAlternatingRows)
{
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::writeFileBytes(dir.file(L"flat.theme"), "color list_bg = #102030\n"
                                                                     "color list_bg_oddLine = #010101\n"
                                                                     "color list_bg_evenLine = #020202\n"
                                                                     "color list_sel_bg = #030303\n"
                                                                     "int list_horizontal_border = 0\n"
                                                                     "int list_vertical_border = 1\n"
                                                                     "int list_list_row_heihgt = 0\n"
                                                                     "int list_header_row_heihgt = 0\n"));
    auto flat = Host::openThemeMgr(dir.path().c_str(), "flat");
    auto shipped = Host::openThemeMgr(shippedThemeFolder().c_str(), "light");
    ASSERT_TRUE(flat && shipped);

    LookGrid grid;
    grid.ApplyTheme(shipped->getCurrentTheme().get());
    EXPECT_EQ(grid.RowPixels(), 24);
    EXPECT_EQ(grid.HeaderRowPixels(), 24);
    EXPECT_EQ(grid.OddLineColor(), RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(grid.EvenLineColor(), RGB(0xF4, 0xF7, 0xFB));

    grid.ApplyTheme(flat->getCurrentTheme().get());
    EXPECT_EQ(grid.RowPixels(), 23); // a theme's 0 height means 23
    EXPECT_EQ(grid.HeaderRowPixels(), 23);
    EXPECT_FALSE(grid.HorizontalLines());
    EXPECT_TRUE(grid.VerticalLines());
    EXPECT_EQ(grid.BkColor(), RGB(0x10, 0x20, 0x30));
    COLORREF c = 0;
    grid.GetRowBkColor(0, FALSE, c);
    EXPECT_EQ(c, RGB(1, 1, 1)); // first line: odd-line colour
    grid.GetRowBkColor(1, FALSE, c);
    EXPECT_EQ(c, RGB(2, 2, 2));
    grid.GetRowBkColor(1, TRUE, c);
    EXPECT_EQ(c, RGB(3, 3, 3));
    grid.GetRowBkColor(4, TRUE, c);
    EXPECT_EQ(c, RGB(3, 3, 3));

    grid.ApplyTheme(nullptr); // changes nothing
    XComPtr<Host::IThemeHost> kept = XComPtr<Host::ITheme>(grid.GetTheme()).cast<Host::IThemeHost>();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->getName(), "flat");
    EXPECT_EQ(grid.RowPixels(), 23);
}
