#include "grid/ThemeDataGrid.h"
#include "grid/FontRoles.h"

namespace ClosedFund {

namespace {

// A colour of the theme, or fallback when the theme lacks the key.
COLORREF colorOr(Host::ITheme* theme, const char* key, COLORREF fallback)
{
    COLORREF c = fallback;
    theme->getColor(key, c);
    return c;
}

int heightOr23(int pixels) { return pixels == 0 ? ThemeDataGrid::kDefaultRowHeight : pixels; }

} // namespace

void ThemeDataGrid::ApplyTheme(Host::ITheme* theme)
{
    if (!theme) return;
    theme_ = theme;
    ApplyControlColors(theme);
    ApplyMetrics(theme);
    Invalidate(TRUE);
}

// The five scroll-bar colours have no preset of their own: a theme without them leaves the
// control's current colour.
void ThemeDataGrid::ApplyControlColors(Host::ITheme* theme)
{
    SetBkColor(colorOr(theme, "list_bg", 0));
    SetHeaderBkColor(colorOr(theme, "list_column_bg", 0));
    SetBdColor(colorOr(theme, "list_border", 0xFFFFFF));
    SetGridColor(colorOr(theme, "list_border_inside", 0xFFFFFF));
    SetHeaderColor(colorOr(theme, "list_title", 0xFFFFFF));
    SetScrollArrowColor(colorOr(theme, "list_scroll_arrow", ScrollArrowColor()));
    SetScrollButtonColor(colorOr(theme, "list_scroll_button", ScrollButtonColor()));
    SetScrollFaceColor(colorOr(theme, "list_scroll_face", ScrollFaceColor()));
    SetScrollDarkColor(colorOr(theme, "list_scroll_darkborder", ScrollDarkColor()));
    SetScrollLightColor(colorOr(theme, "list_scroll_lightborder", ScrollLightColor()));
    evenLine_ = colorOr(theme, "list_bg_evenLine", evenLine_);
    oddLine_ = colorOr(theme, "list_bg_oddLine", oddLine_);
    selected_ = colorOr(theme, "list_sel_bg", selected_);
}

// The row-height keys are spelled "heihgt" in every theme file of the client.
void ThemeDataGrid::ApplyMetrics(Host::ITheme* theme)
{
    Host::FontSpec header;
    theme->getFont("fntn_font_header", header);
    SetHeaderFont(header.face, header.size);
    SetDrawGridLine(theme->getInt("list_horizontal_border") != 0, theme->getInt("list_vertical_border") != 0);
    SetHeaderRowHight(heightOr23(theme->getInt("list_header_row_heihgt")));
    SetRowHight(heightOr23(theme->getInt("list_list_row_heihgt")));
}

// A grid whose theme is missing or unusable still shows its columns: the font roles stay
// unresolved and the control draws them in its own font. A theme's font text that spoils the
// header is left out the same way rather than leaving the grid without columns.
int ThemeDataGrid::SetHeaderText(const Common::XStringW& header)
{
    if (theme_ && SetHeader(substituteFontRoles(header, theme_.get()))) return 1;
    return SetHeader(header);
}

void ThemeDataGrid::GetRowBkColor(int row, BOOL selected, COLORREF& color)
{
    if (selected)
        color = selected_;
    else
        color = (row % 2 != 0) ? evenLine_ : oddLine_;
}

} // namespace ClosedFund
