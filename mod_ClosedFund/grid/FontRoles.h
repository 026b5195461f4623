// The font roles of a header text ("_font_name", ... written as font="_font_name" on an
// item) resolved to the theme's fonts: each role's item receives the concrete attributes
// (font-family, font-size, font-style) that the grid control draws with.
#pragma once
#include "host/Theme.h"

namespace ClosedFund {

// The roles in the order they are resolved, with the theme keys of their fonts.
struct FontRole {
    const wchar_t* marker; // the exact attribute text, double quotes included
    const char* themeKey;
};
extern const FontRole kFontRoles[5];

// After each exact occurrence of the role's marker, inserts one blank and those attributes
// of fontAttributes (a run of name="value" pairs) that the item's tag does not carry yet:
// an item written with its own font-family keeps it, and no attribute is ever doubled,
// which the XML parser would refuse (the whole header would then be dropped).
Common::XStringW substituteFontRole(const Common::XStringW& header, const wchar_t* marker,
                                    const Common::XStringW& fontAttributes);

// All five roles, in order, with the theme's fonts. A font the theme lacks adds nothing.
Common::XStringW substituteFontRoles(const Common::XStringW& header, Host::ITheme* theme);

} // namespace ClosedFund
