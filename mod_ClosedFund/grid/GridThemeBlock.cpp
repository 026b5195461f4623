#include "grid/GridThemeBlock.h"
#include <cstring>

namespace ClosedFund {

const char* const GridThemeBlock::kColorKeys[kColorCount] = {
    "list_bg_evenLine",    "list_bg_oddLine", "list_sel_bg",  "list_sel_text",   "list_name",
    "list_prev_data",      "list_type",       "list_style",   "list_cur_data",   "list_melon",
    "list_status",         "list_type2",      "list_company", "list_value_zero", "list_value_positive",
    "list_value_negative", "list_highlight"};

const char* const GridThemeBlock::kFontKeys[kFontCount] = {"fntn_font_name", "fntn_font_bold", "fntn_font_regular",
                                                           "fntn_font_digital", "fntn_font_digital_bold"};

namespace {
int indexOf(const char* const* keys, int count, const char* key)
{
    for (int i = 0; i < count; ++i)
        if (std::strcmp(keys[i], key) == 0) return i;
    return -1;
}
} // namespace

// Black text on the control's own background until a theme arrives; the selected row shows
// plain blue, which no theme uses, so a grid that never got a theme is easy to see.
GridThemeBlock::GridThemeBlock()
{
    for (COLORREF& c : colors_) c = 0;
    SetColor("list_sel_bg", 0xFF0000);
}

void GridThemeBlock::ReadColors(Host::ITheme* theme)
{
    if (!theme) return;
    for (int i = 0; i < kColorCount; ++i) theme->getColor(kColorKeys[i], colors_[i]);
}

void GridThemeBlock::ReadFonts(Host::ITheme* theme)
{
    if (!theme) return;
    for (int i = 0; i < kFontCount; ++i) {
        fonts_[i] = Host::FontSpec();
        theme->getFont(kFontKeys[i], fonts_[i]);
    }
}

COLORREF GridThemeBlock::Color(const char* key) const
{
    int i = indexOf(kColorKeys, kColorCount, key);
    return i < 0 ? CLR_INVALID : colors_[i];
}

void GridThemeBlock::SetColor(const char* key, COLORREF color)
{
    int i = indexOf(kColorKeys, kColorCount, key);
    if (i >= 0) colors_[i] = color;
}

const Host::FontSpec& GridThemeBlock::Font(const char* key) const
{
    static const Host::FontSpec none;
    int i = indexOf(kFontKeys, kFontCount, key);
    return i < 0 ? none : fonts_[i];
}

} // namespace ClosedFund
